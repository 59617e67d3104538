#pragma once

#include <string>
#include <vector>

#include "MeshFileBytes.h"
#include "Render/AnimationCache.h"
#include "Render/EffectLibrary.h"
#include "Render/EffectManager.h"
#include "Render/Material.h"
#include "Render/MaterialLibrary.h"
#include "Render/RenderObjectLoader.h"
#include "Render/TextureLibrary.h"
#include "RenderTestFiles.h"
#include "core/GameObject.h"
#include "core/GameSettings.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "physics/PhysicData.h"
#include "support/TestEngine.h"

// A data folder and the engine's services (the renderer, the material,
// effect and animation libraries, the object registry, the physics data
// maker and the loader) for the scene-loading tests. Trees the tests load
// are deleted with the world.
class LoaderWorld {
  public:
    ~LoaderWorld()
    {
        for (CPGameObject* root : m_roots)
            CPGameObject::DeleteTree(root);
        GetGameSettings().weather = m_weather;
        files.render.SetDefaultShadowMaterial(CPObjectPtr());
    }

    void Scene(const std::string& name, const std::string& text)
    {
        files.folder.Write("Data/Meshes/" + name, text);
    }
    void Mesh(const std::string& name, const std::string& bytes)
    {
        files.folder.Write("Data/Meshes/" + name, bytes);
    }
    void File(const std::string& path, const std::string& bytes) { files.folder.Write(path, bytes); }

    // Loads and keeps the tree for deletion; null when nothing was built.
    CPGameObject* Load(const std::string& name, int option = 0)
    {
        CPObjectPtr root = loader.LoadRenderObject(name, option);
        auto* object = root.As<CPGameObject>();
        if (object)
            m_roots.push_back(object);
        return object;
    }

    CPMaterial* Material(const std::string& effect, const std::vector<std::string>& textures, int option)
    {
        return materials.GetMaterial(effect, textures, option);
    }

    // The files, and the engine's renderer and device under the names the
    // renderer's own tests use.
    struct Files : renderfiles::RenderFiles {
        TestEngine engine;
        platform::HeadlessGraphicsDevice& device = engine.device;
        CPRender& render = engine.services->Render();
    };

    Files files;
    EngineServices& services = *files.engine.services;
    CPEffectLibrary& effects = services.Effects();
    CPTextureLibrary& textures = services.Textures();
    CPMaterialLibrary& materials = services.Materials();
    CPAnimationCache& cache = services.Animations();
    CPObjectRegistry& registry = services.Registry();
    CPEffectManager& effectManager = services.EffectManager();
    CPRenderObjectLoader& loader = services.Loader();

  private:
    std::vector<CPGameObject*> m_roots;
    std::int32_t m_weather = GetGameSettings().weather;
};

inline CPGameObject* Child(const CPGameObject* parent, std::size_t index)
{
    return parent->GetChildAt(index);
}

inline std::vector<std::string> ChildNames(const CPGameObject* parent)
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < parent->GetChildren().size(); ++i)
        names.push_back(parent->GetChildAt(i)->GetName());
    return names;
}

// A mesh vertex of a triangle corner.
inline CPMeshVertex Corner(float x, float y, float z) { return VertexAt(x, y, z, 0x11223344); }

// A one-triangle plain node.
inline meshbytes::PlainNode TriangleNode(const std::string& name)
{
    meshbytes::PlainNode node;
    node.name = name;
    node.vertices = {Corner(0, 0, 0), Corner(1, 0, 0), Corner(0, 1, 0)};
    node.indices = {0, 1, 2};
    return node;
}
