// The per-frame work of the render list: gathering a scene into batches
// and writing them into the dynamic buffer ring for the frame's draws, and
// the quad-tree walk that hands a level's leaves to the list.
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "Render/Material.h"
#include "Render/PRender.h"
#include "Render/PerspectiveCamera.h"
#include "Render/QuadTreeNode.h"
#include "Render/RenderList.h"
#include "Render/RenderObject.h"
#include "core/GameObject.h"
#include "core/GameSettings.h"
#include "core/ServiceOverride.h"
#include "platform/HeadlessGraphicsDevice.h"

namespace {

// A grid of meshes of 24 vertices and 36 indices (a box each), spread over
// a handful of materials, under one root.
class Scene {
  public:
    Scene(int meshes, int materialCount)
    {
        for (int i = 0; i < materialCount; ++i)
            m_materials.push_back(std::make_unique<CPMaterial>(19, nullptr, nullptr));
        m_root = new CPGameObject("root");
        for (int i = 0; i < meshes; ++i) {
            auto* object = new CPGameObject("mesh" + std::to_string(i));
            auto* mesh = new CPRenderObject(object);
            mesh->GetVertices().resize(24);
            mesh->GetWorldVertices().resize(24);
            for (int k = 0; k < 36; ++k)
                mesh->GetIndices().push_back(static_cast<std::uint16_t>(k % 24));
            mesh->SetMaterial(m_materials[static_cast<std::size_t>(i % materialCount)].get());
            object->SetRenderObject(mesh, CPGameObject::kMeshObject);
            object->SetBoundingBox(CPBoundingBox({0.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 1.0f}));
            object->SetPosition(
                {10.0f + static_cast<float>(i % 32) * 4.0f, static_cast<float>(i / 32) * 4.0f - 60.0f, 0.0f});
            object->UpdateBounds();
            m_root->AddChild(object);
            m_objects.push_back(object);
        }
    }
    ~Scene()
    {
        m_objects.clear();
        CPGameObject::DeleteTree(m_root);
    }

    CPGameObject* Root() const { return m_root; }
    const std::vector<CPObjectPtr>& Objects() const { return m_objects; }

  private:
    std::vector<std::unique_ptr<CPMaterial>> m_materials;
    CPGameObject* m_root;
    std::vector<CPObjectPtr> m_objects;
};

struct Renderer {
    Renderer()
    {
        render.InitDeviceState();
        render.SetDefaultCamera();
        render.SetSceneObject(&list);
    }
    ~Renderer() { render.SetSceneObject(CPObjectPtr()); }
    platform::HeadlessGraphicsDevice device;
    CPRender render{&device};
    ServiceOverride<GetRender, SetRender> installed{&render};
    CPRenderList list{&render};
};

void BM_GatherAndDrawScene(benchmark::State& state)
{
    // The scene's materials outlive the list's batches.
    Scene scene(static_cast<int>(state.range(0)), 8);
    Renderer renderer;
    for (auto _ : state) {
        renderer.list.AddObjectTree(scene.Root());
        renderer.render.RenderFrame(1.0f / 60.0f);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_GatherAndDrawScene)->Arg(64)->Arg(512)->Arg(2048);

void BM_WalkQuadTree(benchmark::State& state)
{
    // The scene's materials outlive the list's batches.
    Scene scene(static_cast<int>(state.range(0)), 8);
    Renderer renderer;
    GetGameSettings().quadTree = 3;
    auto root = CPQuadTreeNode::MakeRoot(scene.Objects(), 300.0f, 300.0f);
    CPPerspectiveCamera& camera = *renderer.render.SetDefaultCamera();
    for (auto _ : state) {
        root->Walk(camera);
        renderer.list.ClearFrame();
    }
    GetGameSettings().quadTree = 0;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WalkQuadTree)->Arg(512)->Arg(2048);

} // namespace
