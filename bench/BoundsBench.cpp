// Per-frame bounds work: every moving object transforms its boxes and,
// when it casts a shadow, widens its axis box; deformable meshes move
// their vertices.
#include <vector>

#include <benchmark/benchmark.h>

#include "core/AxisBox.h"
#include "core/BoundingBox.h"
#include "core/ShadowMatrix.h"
#include "platform/MatrixMath.h"

namespace {

void BM_OrientedBoxTransform(benchmark::State& state)
{
    CPBoundingBox box({0, 0, 1}, {2, 1, 0.5f});
    box.worldMatrix = RotationMatrixYawPitchRoll(0.3f, 0.1f, 0.2f) * TranslationMatrix(10, 20, 0);
    for (auto _ : state) {
        box.Transform();
        benchmark::DoNotOptimize(box.maximum);
    }
}
BENCHMARK(BM_OrientedBoxTransform);

void BM_AxisBoxWithShadow(benchmark::State& state)
{
    SetShadowMatrix(ShadowMatrix({0.3f, -0.2f, -1, 0}, {0, 0, -1, 0}));
    CPBoundingBox box({0, 0, 1}, {2, 1, 0.5f});
    box.Transform();
    for (auto _ : state) {
        AxisBox axis;
        axis.SetFromBox(box);
        axis.AddShadow();
        axis.Recompute();
        benchmark::DoNotOptimize(axis.centre);
    }
    SetShadowMatrix(Matrix4{});
}
BENCHMARK(BM_AxisBoxWithShadow);

void BM_TransformVertexPositions(benchmark::State& state)
{
    struct Vertex {
        float data[12];
    };
    std::vector<Vertex> in(static_cast<std::size_t>(state.range(0))), out(in.size());
    const Matrix4 m = RotationMatrixZ(0.5f) * TranslationMatrix(1, 2, 3);
    for (auto _ : state) {
        TransformPoints(in.data(), sizeof(Vertex), out.data(), sizeof(Vertex), in.size(), m);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TransformVertexPositions)->Arg(1000);

} // namespace
