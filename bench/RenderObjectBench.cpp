// Per-frame writes of render objects into a batch: a moving mesh that
// refreshes its world copy every frame, the same mesh through an effect
// chain, and camera-facing sprites.
#include <vector>

#include <benchmark/benchmark.h>

#include "Render/CurrentCamera.h"
#include "Render/FadeEffect.h"
#include "Render/MovingTexEffect.h"
#include "Render/PerspectiveCamera.h"
#include "Render/RenderObject.h"
#include "Render/Sprite.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/ServiceOverride.h"

namespace {

void FillGrid(CPRenderObject& object, int vertexCount)
{
    auto& vertices = object.GetVertices();
    vertices.resize(static_cast<std::size_t>(vertexCount));
    for (int i = 0; i < vertexCount; ++i) {
        vertices[i].position = {static_cast<float>(i % 32), static_cast<float>(i / 32), 0.0f};
        vertices[i].normal = {0.0f, 0.0f, 1.0f};
        vertices[i].diffuse = 0xFFFFFFFF;
    }
    object.GetWorldVertices() = vertices;
    auto& indices = object.GetIndices();
    for (int i = 0; i + 2 < vertexCount; ++i) {
        indices.push_back(static_cast<std::uint16_t>(i));
        indices.push_back(static_cast<std::uint16_t>(i + 1));
        indices.push_back(static_cast<std::uint16_t>(i + 2));
    }
}

void WriteMovingMesh(benchmark::State& state, bool withEffects)
{
    SetFrameTime(1.0f / 60.0f);
    CPGameObject owner("mesh");
    CPRenderObject object(&owner);
    FillGrid(object, static_cast<int>(state.range(0)));
    if (withEffects) {
        object.SetHasEffects(true);
        object.GetEffects().Add(std::make_unique<CPMovingTexEffect>(0.1f, 0.2f));
        object.GetEffects().Add(std::make_unique<CPFadeEffect>(0.0f));
    }
    std::vector<CPMeshVertex> vertices(object.GetVertices().size());
    std::vector<std::uint16_t> indices(object.GetIndices().size());
    float x = 0.0f;
    for (auto _ : state) {
        owner.SetPosition({x += 0.01f, 0.0f, 0.0f});
        owner.UpdateBounds();
        object.WriteVertices(vertices.data(), indices.data(), 100, 1);
        benchmark::DoNotOptimize(vertices.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_WriteMovingMesh(benchmark::State& state) { WriteMovingMesh(state, false); }
void BM_WriteMovingMeshThroughEffects(benchmark::State& state) { WriteMovingMesh(state, true); }
BENCHMARK(BM_WriteMovingMesh)->Arg(256)->Arg(4096);
BENCHMARK(BM_WriteMovingMeshThroughEffects)->Arg(256)->Arg(4096);

void BM_WriteDirectionalSprites(benchmark::State& state)
{
    CPPerspectiveCamera camera;
    camera.Eye() = {0, -20, 5};
    camera.Up() = {0, 0, 1};
    camera.FieldOfView() = 1.0f;
    camera.NearPlane() = 1.0f;
    camera.FarPlane() = 200.0f;
    camera.SetViewChanged();
    camera.SetProjectionChanged();
    camera.Update();
    ServiceOverride<GetCameraSource, SetCameraSource> installed([&camera] { return &camera; });

    const int count = static_cast<int>(state.range(0));
    std::vector<CPGameObject*> owners;
    std::vector<CPSprite*> sprites;
    for (int i = 0; i < count; ++i) {
        owners.push_back(new CPGameObject("lamp"));
        owners.back()->SetPosition({static_cast<float>(i % 10), static_cast<float>(i / 10), 2.0f});
        owners.back()->UpdateBounds();
        sprites.push_back(new CPSprite(0.5f));
        sprites.back()->SetOwner(owners.back());
        sprites.back()->SetDirection({0, -1, 0});
        sprites.back()->SetConeLimit(1.2f);
    }
    std::vector<CPMeshVertex> vertices(4 * static_cast<std::size_t>(count));
    std::vector<std::uint16_t> indices(6 * static_cast<std::size_t>(count));
    for (auto _ : state) {
        std::uint16_t base = 0;
        for (int i = 0; i < count; ++i) {
            if (sprites[i]->GetVertexCount() == 0)
                continue;
            sprites[i]->WriteVertices(&vertices[base], &indices[base / 4 * 6], base, 1);
            base = static_cast<std::uint16_t>(base + 4);
        }
        benchmark::DoNotOptimize(vertices.data());
    }
    state.SetItemsProcessed(state.iterations() * count);
    for (int i = 0; i < count; ++i) {
        delete sprites[i];
        delete owners[i];
    }
}
BENCHMARK(BM_WriteDirectionalSprites)->Arg(100);

} // namespace
