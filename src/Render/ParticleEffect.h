#pragma once

#include <array>
#include <memory>

#include "Render/EffectPrototype.h"
#include "platform/MathTypes.h"

class CPGameObject;

// How the particles of one effect live: each request starts `count` of
// them at its position, moving with its velocity (scattered a little); they
// fall by `gravity` (negative rises), grow from `size` by `grow` a second
// and fade out over `life` seconds.
struct CPParticleSettings {
    float life = 1.0f;
    float size = 1.0f;
    float grow = 0.0f;
    float gravity = 0.0f;
    int count = 1;
};

// An effect prototype of camera-facing particles. The particles live in a
// fixed pool, so a busy frame never allocates; when the pool is full, a new
// particle takes the place of the oldest. Each step moves them and hands
// them to the frame's render list as one batch of quads.
class CPParticleEffect : public CPEffectPrototype {
  public:
    static constexpr int kMaxParticles = 256;

    struct Particle {
        Vector3 position;
        Vector3 velocity;
        float age = 0.0f;
    };

    CPParticleEffect(const CPParticleSettings& settings, CPObjectPtr material);
    ~CPParticleEffect() override;
    CPParticleEffect(const CPParticleEffect&) = delete;
    CPParticleEffect& operator=(const CPParticleEffect&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPParticleEffect); }
    std::string GetTypeName() const override { return "CPParticleEffect"; }

    void SpawnInstance(CPInstanceDesc& instance) override;
    void ClearInstances() override { m_live = 0; }
    // Ages and moves the particles, lets the spent ones go and submits the
    // rest to the renderer's scene list.
    void Step(float dt) override;

    const CPParticleSettings& GetSettings() const { return m_settings; }
    CPObjectPtr GetMaterial() const { return m_material; }
    int GetLiveCount() const { return m_live; }
    // The live particles are the first GetLiveCount() of the pool.
    const Particle& GetParticle(int index) const { return m_particles[static_cast<std::size_t>(index)]; }

  private:
    friend class CPParticleQuads;

    CPParticleSettings m_settings;
    CPObjectPtr m_material;
    std::array<Particle, kMaxParticles> m_particles;
    int m_live = 0;
    int m_oldest = 0; // where the next particle goes when the pool is full
    // The scene object the quads are drawn through (render kind sprite).
    CPGameObject* m_object = nullptr;
};
