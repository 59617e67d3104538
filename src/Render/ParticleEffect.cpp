#include "Render/ParticleEffect.h"

#include <algorithm>
#include <cstring>

#include "Render/CurrentCamera.h"
#include "Render/InstanceDesc.h"
#include "Render/ParticleQuads.h"
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

void CPParticleQuads::WriteVertices(CPMeshVertex* vertices, std::uint16_t* indices, std::uint16_t base, int)
{
    CPPerspectiveCamera* camera = GetCurrentCamera();
    if (!camera)
        return;
    const Matrix4& view = camera->GetInverseView();
    const CPParticleSettings& settings = m_effect.m_settings;
    CPParticleQuadFrame frame;
    frame.right = {view.m[0][0], view.m[0][1], view.m[0][2]};
    frame.up = {view.m[1][0], view.m[1][1], view.m[1][2]};
    frame.size = settings.size;
    frame.grow = settings.grow;
    frame.life = settings.life;
    WriteParticleQuads(m_effect.m_particles.data(), m_effect.m_live, frame, base, vertices, indices);
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
