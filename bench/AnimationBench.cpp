// Per-frame animation work: an animated object choosing and writing a
// flip-book frame, a part animation blending its keys into its owner, and
// a particle system ticking every frame into a prototype that does nothing.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "Render/AnimatedObject.h"
#include "Render/Animation.h"
#include "Render/AnimationCache.h"
#include "Render/EffectManager.h"
#include "Render/ParticleSystem.h"
#include "Render/PartAnimation.h"
#include "core/FileReader.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/ServiceOverride.h"
#include "platform/FileSystem.h"
#include "platform/Math.h"

namespace {

void Append(std::string& bytes, const void* data, std::size_t size)
{
    bytes.append(static_cast<const char*>(data), size);
}

// Eight frames of `vertices` vertices each, written to a scratch file and
// read back through the cache.
CPObjectPtr LoadFlipBook(CPAnimationCache& cache, int vertices)
{
    std::string bytes;
    const std::int32_t frames = 8;
    const float rate = 100.0f;
    Append(bytes, &frames, 4);
    Append(bytes, &rate, 4);
    for (int f = 0; f < frames; ++f) {
        std::vector<CPMeshVertex> mesh(vertices);
        for (int v = 0; v < vertices; ++v)
            mesh[v].position = {float(v % 17), float(v % 5), float(f)};
        std::vector<std::uint16_t> indices(vertices);
        for (int i = 0; i < vertices; ++i)
            indices[i] = static_cast<std::uint16_t>(i);
        const std::int32_t count = vertices;
        Append(bytes, &count, 4);
        Append(bytes, mesh.data(), mesh.size() * sizeof(CPMeshVertex));
        Append(bytes, &count, 4);
        Append(bytes, indices.data(), indices.size() * 2);
    }
    char folder[] = "/tmp/animbenchXXXXXX";
    if (!mkdtemp(folder))
        return CPObjectPtr();
    const std::string path = std::string(folder) + "/flipbook.bin";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    platform::SetDataRoot(folder);
    CPFileReader reader("flipbook.bin", false);
    reader.Load();
    CPObjectPtr animation = cache.GetAnimation("flipbook", reader, 0xFFFFFFFF);
    std::remove(path.c_str());
    std::remove(folder);
    return animation;
}

void BM_AnimatedObjectWrite(benchmark::State& state)
{
    const int vertices = static_cast<int>(state.range(0));
    CPAnimationCache cache;
    ServiceOverride<GetAnimationCache, SetAnimationCache> installed(&cache);
    CPGameObject owner("monster");
    owner.SetPosition({10, 20, 0});
    owner.UpdateBounds();
    CPAnimatedObject object;
    object.SetOwner(&owner);
    object.AddAnimation("flipbook", LoadFlipBook(cache, vertices));
    std::vector<CPMeshVertex> out(vertices);
    std::vector<std::uint16_t> indices(vertices);
    for (auto _ : state) {
        GetGameClock().gameTime += 1.0 / 60.0;
        const int count = object.GetVertexCount() + object.GetIndexCount();
        object.WriteVertices(out.data(), indices.data(), 100, 0);
        benchmark::DoNotOptimize(count);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * vertices);
}
BENCHMARK(BM_AnimatedObjectWrite)->Arg(96)->Arg(1536);

void BM_PartAnimationStep(benchmark::State& state)
{
    CPGameObject owner("door");
    CPPartAnimation animation;
    animation.SetKeys({TranslationMatrix(0, 0, 0), RotationMatrixZ(1.0f), TranslationMatrix(1, 2, 3)},
                      {0.5f, 0.5f, 0.5f});
    animation.SetLooping(true);
    animation.SetOwner(&owner);
    SetFrameTime(1.0f / 60.0f);
    for (auto _ : state) {
        animation.Step();
        benchmark::DoNotOptimize(owner.GetWorldMatrix());
    }
}
BENCHMARK(BM_PartAnimationStep);

class NullPrototype : public CPEffectPrototype {
  public:
    std::uint32_t GetObjectSize() const override { return sizeof(NullPrototype); }
    std::string GetTypeName() const override { return "NullPrototype"; }
    void SpawnInstance(CPInstanceDesc& instance) override { benchmark::DoNotOptimize(instance.velocity); }
    void ClearInstances() override {}
};

void BM_ParticleSystemTick(benchmark::State& state)
{
    CPEffectManager manager;
    ServiceOverride<GetEffectManager, SetEffectManager> installed(&manager);
    auto* prototype = new NullPrototype();
    prototype->SetUntracked(true);
    manager.RegisterPrototype("spark", prototype);
    CPEmitterDesc emitter;
    emitter.effectName = "spark";
    emitter.direction = {0.3f, 0.2f, 1.0f};
    emitter.speed = 5.0f;
    emitter.coneAngle = 40;
    emitter.spread = {0.5f, 0.5f, 0.2f};
    manager.RegisterEmitter("spark", emitter);
    CPGameObject owner("torch");
    CPParticleSystem system(&owner, {"spark", "spark", "spark"});
    system.SetInterval(1.0f / 120.0f);
    system.Begin();
    SetFrameTime(1.0f / 60.0f); // one tick a frame
    for (auto _ : state)
        system.Step();
}
BENCHMARK(BM_ParticleSystemTick);

} // namespace
