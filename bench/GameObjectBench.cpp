// Per-frame work on game-object trees: a moving car-sized tree rebuilds its
// matrices and boxes, and rays are cast through a level's worth of objects.
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "core/GameObject.h"
#include "core/ShadowMatrix.h"
#include "platform/Math.h"

namespace {

// A root with `parts` children, each with two part boxes and a shadow.
CPGameObject* MakeTree(int parts)
{
    auto* root = new CPGameObject("root");
    root->SetBoundingBox(CPBoundingBox({0, 0, 1}, {2, 1, 0.5f}));
    for (int i = 0; i < parts; ++i) {
        auto* part = new CPGameObject("part" + std::to_string(i));
        part->SetPosition({static_cast<float>(i % 4), static_cast<float>(i / 4), 0.5f});
        part->SetBoundingBox(CPBoundingBox({0, 0, 0}, {0.5f, 0.5f, 0.5f}));
        part->GetPartBoxes().push_back(CPBoundingBox({0, 0, 0}, {0.4f, 0.4f, 0.4f}));
        part->GetPartBoxes().push_back(CPBoundingBox({0, 0, 0.5f}, {0.2f, 0.2f, 0.2f}));
        root->AddChild(CPObjectPtr(part));
    }
    return root;
}

void BM_UpdateBoundsOfAMovingTree(benchmark::State& state)
{
    SetShadowMatrix(ShadowMatrix({0.3f, -0.2f, -1, 0}, {0, 0, -1, 0}));
    CPGameObject* root = MakeTree(static_cast<int>(state.range(0)));
    float x = 0.0f;
    for (auto _ : state) {
        root->SetPosition({x += 0.01f, 2.0f, 0.0f});
        root->UpdateBounds();
        benchmark::DoNotOptimize(root->GetOwnBox().centre);
    }
    state.SetItemsProcessed(state.iterations() * (state.range(0) + 1));
    CPGameObject::DeleteTree(root);
    SetShadowMatrix(Matrix4{});
}
BENCHMARK(BM_UpdateBoundsOfAMovingTree)->Arg(12);

void BM_IntersectRayThroughATree(benchmark::State& state)
{
    CPGameObject* root = MakeTree(static_cast<int>(state.range(0)));
    root->UpdateBounds();
    for (auto _ : state) {
        RayQuery ray;
        ray.origin = {-5.0f, 0.2f, 0.6f};
        ray.direction = {1.0f, 0.0f, 0.0f};
        ray.length = 100.0f;
        benchmark::DoNotOptimize(root->IntersectRay(ray));
    }
    state.SetItemsProcessed(state.iterations() * (state.range(0) + 1));
    CPGameObject::DeleteTree(root);
}
BENCHMARK(BM_IntersectRayThroughATree)->Arg(200);

} // namespace
