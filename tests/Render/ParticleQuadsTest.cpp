// Particle quads: the corners, colours and triangles of each live
// particle, and the lane writer giving the same bits as the one that
// writes a value at a time.
#include "Render/ParticleQuads.h"

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "Render/InstanceDesc.h"
#include "platform/Random.h"

namespace {

struct Written {
    std::vector<CPMeshVertex> vertices;
    std::vector<std::uint16_t> indices;
};

template <class Writer>
Written Write(Writer writer, const CPParticleEffect& effect, const CPParticleQuadFrame& frame,
              std::uint16_t base)
{
    const int count = effect.GetLiveCount();
    Written out;
    // Filled with a pattern no writer leaves, so a field left unwritten shows.
    CPMeshVertex stale;
    std::memset(static_cast<void*>(&stale), 0xA5, sizeof stale);
    out.vertices.assign(static_cast<std::size_t>(4 * count), stale);
    out.indices.assign(static_cast<std::size_t>(6 * count), 0xA5A5);
    writer(count > 0 ? &effect.GetParticle(0) : nullptr, count, frame, base, out.vertices.data(),
           out.indices.data());
    return out;
}

bool SameBits(const Written& a, const Written& b)
{
    return a.vertices.size() == b.vertices.size() && a.indices == b.indices &&
           std::memcmp(a.vertices.data(), b.vertices.data(), a.vertices.size() * sizeof(CPMeshVertex)) == 0;
}

} // namespace

TEST(ParticleQuads, EachParticleIsAFadingCameraFacingQuad)
{
    CPParticleSettings settings;
    settings.life = 2.0f;
    settings.size = 1.0f;
    settings.grow = 2.0f;
    CPParticleEffect effect(settings, CPObjectPtr());
    CPInstanceDesc request;
    request.position = Vector3{1.0f, 2.0f, 3.0f};
    platform::SeedRand(3);
    effect.SpawnInstance(request);
    effect.Step(0.5f); // half is 1 + 2 * 0.5; a quarter of the life gone
    const CPParticleEffect::Particle& particle = effect.GetParticle(0);
    CPParticleQuadFrame frame;
    frame.right = {1.0f, 0.0f, 0.0f};
    frame.up = {0.0f, 0.0f, 1.0f};
    frame.size = settings.size;
    frame.grow = settings.grow;
    frame.life = settings.life;

    const Written quad = Write(WriteParticleQuads, effect, frame, 10);
    const Vector3& c = particle.position;
    const struct {
        float x, z, u, v;
    } corners[4] = {{c.x - 2, c.z - 2, 0, 1},
                    {c.x + 2, c.z - 2, 1, 1},
                    {c.x + 2, c.z + 2, 1, 0},
                    {c.x - 2, c.z + 2, 0, 0}};
    for (int i = 0; i < 4; ++i) {
        const CPMeshVertex& v = quad.vertices[static_cast<std::size_t>(i)];
        EXPECT_FLOAT_EQ(v.position.x, corners[i].x) << i;
        EXPECT_FLOAT_EQ(v.position.y, c.y) << i;
        EXPECT_FLOAT_EQ(v.position.z, corners[i].z) << i;
        EXPECT_EQ(v.normal.x, 0.0f);
        EXPECT_EQ(v.normal.y, 0.0f);
        EXPECT_EQ(v.normal.z, 1.0f);
        EXPECT_EQ(v.diffuse, 0xBFFFFFFFu) << i; // 0.75 of 255, white
        EXPECT_EQ(v.specular, 0u);
        EXPECT_EQ(v.uv1.x, corners[i].u);
        EXPECT_EQ(v.uv1.y, corners[i].v);
        EXPECT_EQ(v.uv2.x, 0.0f);
        EXPECT_EQ(v.uv2.y, 0.0f);
    }
    EXPECT_EQ(quad.indices, (std::vector<std::uint16_t>{10, 12, 11, 10, 13, 12}));
}

// The sparks of a real effect, spawned and stepped, written for cameras
// turned every way, at bases that wrap the 16-bit indices.
TEST(ParticleQuads, TheLaneWriterGivesTheBitsOfTheOneByOneWriter)
{
    const struct {
        const char* what;
        float life, size, grow;
        float drawnLife; // the life the writers fade by
    } kinds[] = {
        {"growing", 0.5f, 0.25f, 3.0f, 0.5f},
        {"shrinking", 3.0f, 2.0f, -0.75f, 3.0f},
        {"drawn without a life", 1.0f, 1.0f, 0.0f, 0.0f},
    };
    const CPParticleQuadFrame turns[] = {
        {{1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}},
        {{0.6f, -0.8f, 0.0f}, {0.48f, 0.36f, 0.8f}},
        {{-0.70710678f, 0.0f, 0.70710678f}, {0.0f, 1.0f, 0.0f}},
    };
    const std::uint16_t bases[] = {0, 777, 65530};
    for (const auto& kind : kinds) {
        CPParticleSettings settings;
        settings.life = kind.life;
        settings.size = kind.size;
        settings.grow = kind.grow;
        settings.gravity = 9.8f;
        settings.count = 40;
        CPParticleEffect effect(settings, CPObjectPtr());
        platform::SeedRand(11);
        CPInstanceDesc request;
        for (int burst = 0; burst < 7; ++burst) {
            request.position = Vector3{-120.5f + 37.25f * burst, 3.0f * burst, 0.125f * burst};
            request.velocity = Vector3{4.0f, -2.0f * burst, 15.0f};
            effect.SpawnInstance(request);
            effect.Step(0.037f * static_cast<float>(burst + 1));
        }
        ASSERT_GT(effect.GetLiveCount(), 0) << kind.what;
        for (CPParticleQuadFrame frame : turns) {
            frame.size = kind.size;
            frame.grow = kind.grow;
            frame.life = kind.drawnLife;
            for (std::uint16_t base : bases)
                EXPECT_TRUE(SameBits(Write(WriteParticleQuads, effect, frame, base),
                                     Write(WriteParticleQuadsOneByOne, effect, frame, base)))
                    << kind.what << " at base " << base;
        }
    }
}
