#include "Render/ParticleEffect.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The six indices of a quad's two triangles from its first vertex number.
void WriteQuadIndices(std::uint16_t* triangles, int first)
{
    static const std::uint16_t kPattern[6] = {0, 2, 1, 0, 3, 2};
    for (int i = 0; i < 6; ++i)
        triangles[i] = static_cast<std::uint16_t>(first + kPattern[i]);
}

#if defined(__SSE2__)

// A particle's four corners, each written as the device reads it in three
// runs of four numbers: the position and the normal's x, the rest of the
// normal with the colours, the texture coordinates. The corners are the
// centre, plus its side (-1 or 1) times half along the camera's right, plus
// its side times half along its up, summed in that order as the scalar
// form below does.
class QuadWriter {
  public:
    QuadWriter(const Vector3& right, const Vector3& up)
        : m_right(_mm_set_ps(0.0f, right.z, right.y, right.x)), m_up(_mm_set_ps(0.0f, up.z, up.y, up.x))
    {
    }

    void Write(CPMeshVertex* quad, const Vector3& position, float half, std::uint32_t diffuse) const
    {
        const __m128 xyz = _mm_castsi128_ps(_mm_set_epi32(0, -1, -1, -1));
        const __m128 centre = _mm_set_ps(0.0f, position.z, position.y, position.x);
        const __m128 negative = _mm_set1_ps(-1.0f * half);
        const __m128 positive = _mm_set1_ps(1.0f * half);
        const __m128 leftSide = _mm_add_ps(centre, _mm_mul_ps(m_right, negative));
        const __m128 rightSide = _mm_add_ps(centre, _mm_mul_ps(m_right, positive));
        const __m128 down = _mm_mul_ps(m_up, negative);
        const __m128 upward = _mm_mul_ps(m_up, positive);
        const __m128 colours =
            _mm_castsi128_ps(_mm_set_epi32(0, static_cast<int>(diffuse), 0x3F800000 /* 1.0f */, 0));
        const __m128 corners[4] = {_mm_add_ps(leftSide, down), _mm_add_ps(rightSide, down),
                                   _mm_add_ps(rightSide, upward), _mm_add_ps(leftSide, upward)};
        static const float kTexture[4][4] = {{0.0f, 1.0f, 0.0f, 0.0f},
                                             {1.0f, 1.0f, 0.0f, 0.0f},
                                             {1.0f, 0.0f, 0.0f, 0.0f},
                                             {0.0f, 0.0f, 0.0f, 0.0f}};
        for (int i = 0; i < 4; ++i) {
            auto* out = reinterpret_cast<float*>(quad + i);
            // The normal's x is 0 whatever the sums gave the fourth lane.
            _mm_storeu_ps(out, _mm_and_ps(corners[i], xyz));
            _mm_storeu_ps(out + 4, colours);
            _mm_storeu_ps(out + 8, _mm_loadu_ps(kTexture[i]));
        }
    }

  private:
    __m128 m_right;
    __m128 m_up;
};

#else

class QuadWriter {
  public:
    QuadWriter(const Vector3& right, const Vector3& up) : m_right(right), m_up(up) {}

    void Write(CPMeshVertex* quad, const Vector3& position, float half, std::uint32_t diffuse) const
    {
        // The corners share their side terms, so each is taken once.
        const Vector3 leftSide = position + m_right * (-1.0f * half);
        const Vector3 rightSide = position + m_right * (1.0f * half);
        const Vector3 down = m_up * (-1.0f * half), upward = m_up * (1.0f * half);
        quad[0] = {leftSide + down, {0.0f, 0.0f, 1.0f}, diffuse, 0, {0.0f, 1.0f}, {}};
        quad[1] = {rightSide + down, {0.0f, 0.0f, 1.0f}, diffuse, 0, {1.0f, 1.0f}, {}};
        quad[2] = {rightSide + upward, {0.0f, 0.0f, 1.0f}, diffuse, 0, {1.0f, 0.0f}, {}};
        quad[3] = {leftSide + upward, {0.0f, 0.0f, 1.0f}, diffuse, 0, {0.0f, 0.0f}, {}};
    }

  private:
    Vector3 m_right;
    Vector3 m_up;
};

#endif

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
    const Vector3 right{view.m[0][0], view.m[0][1], view.m[0][2]};
    const Vector3 up{view.m[1][0], view.m[1][1], view.m[1][2]};
    const CPParticleSettings& settings = m_effect.m_settings;
    const QuadWriter writer(right, up);
    for (int p = 0; p < m_effect.m_live; ++p) {
        const CPParticleEffect::Particle& particle = m_effect.m_particles[static_cast<std::size_t>(p)];
        const float half = settings.size + settings.grow * particle.age;
        const float left =
            settings.life > 0.0f ? std::clamp(1.0f - particle.age / settings.life, 0.0f, 1.0f) : 0.0f;
        const auto alpha = static_cast<std::uint32_t>(left * 255.0f);
        const std::uint32_t diffuse = (alpha << 24) | 0xFFFFFFu;
        writer.Write(vertices + 4 * p, particle.position, half, diffuse);
        WriteQuadIndices(indices + 6 * p, base + 4 * p);
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
