#include "Render/ParticleEffect.h"

#include <algorithm>
#include <cstring>

#include "Render/CurrentCamera.h"
#include "Render/InstanceDesc.h"
#include "Render/PRender.h"
#include "Render/PerspectiveCamera.h"
#include "Render/Renderable.h"
#include "Render/RenderList.h"
#include "core/GameObject.h"
#include "platform/MatrixMath.h"
#include "platform/VectorMath.h"
#include "platform/Random.h"

namespace {

// A particle's start velocity strays this far (units a second) from the
// request's, each axis on its own.
constexpr float kScatter = 1.0f;

float RandomSigned() { return static_cast<float>(platform::Rand()) / 32767.0f * 2.0f - 1.0f; }

} // namespace

// The live particles of an effect as camera-facing quads, written in world
// space.
class CPParticleQuads : public CPRenderable {
  public:
    explicit CPParticleQuads(CPParticleEffect& effect) : m_effect(effect) {}

    std::uint32_t GetObjectSize() const override { return sizeof(CPParticleQuads); }
    std::string GetTypeName() const override { return "CPParticleQuads"; }

    bool IsDisabled() const override { return false; }
    void SetDisabled(bool) override {}
    int GetVertexCount() override { return GetCurrentCamera() ? 4 * m_effect.m_live : 0; }
    int GetIndexCount() override { return GetCurrentCamera() ? 6 * m_effect.m_live : 0; }
    void WriteVertices(CPMeshVertex* vertices, std::uint16_t* indices, std::uint16_t base, int) override;
    // Every live particle writes its six indices.
    bool WritesAllIndices() const override { return true; }
    void WriteIndices(std::uint16_t*, int, std::uint16_t&, std::uint16_t&) override {}
    void GetMaterial(CPObjectPtr& material) const override { material = m_effect.m_material; }

  private:
    CPParticleEffect& m_effect;
};

namespace {

void PutCorner(CPMeshVertex& vertex, const Vector3& at, std::uint32_t diffuse, float u, float v)
{
    vertex.position = at;
    vertex.normal = {0.0f, 0.0f, 1.0f};
    vertex.diffuse = diffuse;
    vertex.specular = 0;
    vertex.uv1 = {u, v};
    vertex.uv2 = {};
}

} // namespace

void CPParticleQuads::WriteVertices(CPMeshVertex* vertices, std::uint16_t* indices, std::uint16_t base, int)
{
    CPPerspectiveCamera* camera = GetCurrentCamera();
    if (!camera)
        return;
    const Matrix4& view = camera->GetInverseView();
    const Vector3 right{view.m[0][0], view.m[0][1], view.m[0][2]};
    const Vector3 up{view.m[1][0], view.m[1][1], view.m[1][2]};
    const CPParticleSettings& settings = m_effect.m_settings;
    const float size = settings.size;
    const float grow = settings.grow;
    const float life = settings.life;
    const bool fades = life > 0.0f;
    const int live = m_effect.m_live;
    const CPParticleEffect::Particle* particles = m_effect.m_particles.data();
    for (int p = 0; p < live; ++p) {
        const CPParticleEffect::Particle& particle = particles[p];
        const float half = size + grow * particle.age;
        const float left = fades ? std::clamp(1.0f - particle.age / life, 0.0f, 1.0f) : 0.0f;
        const auto alpha = static_cast<std::uint32_t>(left * 255.0f);
        const std::uint32_t diffuse = (alpha << 24) | 0xFFFFFFu;
        // Each corner is the centre, plus its side (-1 or 1) times half
        // along the camera's right, plus its side times half along its up;
        // the corners share those terms, so each is taken once.
        const Vector3 leftSide = particle.position + right * (-1.0f * half);
        const Vector3 rightSide = particle.position + right * (1.0f * half);
        const Vector3 down = up * (-1.0f * half), upward = up * (1.0f * half);
        CPMeshVertex* quad = vertices + 4 * p;
        PutCorner(quad[0], leftSide + down, diffuse, 0.0f, 1.0f);
        PutCorner(quad[1], rightSide + down, diffuse, 1.0f, 1.0f);
        PutCorner(quad[2], rightSide + upward, diffuse, 1.0f, 0.0f);
        PutCorner(quad[3], leftSide + upward, diffuse, 0.0f, 0.0f);
        // Two triangles of the quad: 0 2 1 and 0 3 2.
        const auto first = static_cast<std::uint16_t>(base + 4 * p);
        std::uint16_t* triangles = indices + 6 * p;
        triangles[0] = first;
        triangles[1] = static_cast<std::uint16_t>(first + 2);
        triangles[2] = static_cast<std::uint16_t>(first + 1);
        triangles[3] = first;
        triangles[4] = static_cast<std::uint16_t>(first + 3);
        triangles[5] = static_cast<std::uint16_t>(first + 2);
    }
}

CPParticleEffect::CPParticleEffect(const CPParticleSettings& settings, CPObjectPtr material)
    : m_settings(settings), m_material(material)
{
    m_object = new CPGameObject("particles");
    m_object->SetRenderObject(new CPParticleQuads(*this), CPGameObject::kSprite);
}

CPParticleEffect::~CPParticleEffect() { CPGameObject::DeleteTree(m_object); }

void CPParticleEffect::SpawnInstance(CPInstanceDesc& instance)
{
    for (int i = 0; i < m_settings.count; ++i) {
        Particle* particle = nullptr;
        if (m_live < kMaxParticles) {
            particle = &m_particles[static_cast<std::size_t>(m_live++)];
        } else {
            particle = &m_particles[static_cast<std::size_t>(m_oldest)];
            m_oldest = (m_oldest + 1) % kMaxParticles;
        }
        particle->position = instance.position;
        const Vector3 scatter{RandomSigned(), RandomSigned(), RandomSigned()};
        particle->velocity = instance.velocity + scatter * kScatter;
        particle->age = 0.0f;
    }
}

void CPParticleEffect::Step(float dt)
{
    int kept = 0;
    for (int p = 0; p < m_live; ++p) {
        Particle particle = m_particles[static_cast<std::size_t>(p)];
        particle.age += dt;
        if (!(particle.age < m_settings.life))
            continue;
        particle.velocity.z -= m_settings.gravity * dt;
        particle.position = particle.position + particle.velocity * dt;
        m_particles[static_cast<std::size_t>(kept++)] = particle;
    }
    m_live = kept;
    if (m_oldest >= m_live)
        m_oldest = 0;
    CPRender* render = GetRender();
    if (m_live == 0 || !render || !m_material)
        return;
    CPObjectPtr list;
    render->GetSceneObject(list);
    if (auto* renderList = list.As<CPRenderList>())
        renderList->AddObject(CPObjectPtr(m_object));
}
