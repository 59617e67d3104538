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

// A data folder, a renderer, the material, effect and animation libraries,
// an object registry, the physics data maker and the loader, for the scene-loading tests. Trees
// the tests load are deleted with the world.
class LoaderWorld {
  public:
    LoaderWorld()
    {
        SetMaterialLibrary(&materials);
        SetAnimationCache(&cache);
        SetObjectRegistry(&registry);
        SetEffectManager(&effectManager);
        SetRenderObjectLoader(&loader);
        SetPhysicDataMaker(&CPPhysicData::Make);
    }
    ~LoaderWorld()
    {
        for (CPGameObject* root : m_roots)
            CPGameObject::DeleteTree(root);
        GetGameSettings().weather = m_weather;
        files.render.SetDefaultShadowMaterial(CPObjectPtr());
        SetPhysicDataMaker(nullptr);
        SetRenderObjectLoader(nullptr);
        SetEffectManager(nullptr);
        SetObjectRegistry(nullptr);
        SetAnimationCache(nullptr);
        SetMaterialLibrary(nullptr);
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

    renderfiles::RenderWorld files;
    CPEffectLibrary effects;
    CPTextureLibrary textures;
    CPMaterialLibrary materials{effects, textures};
    CPAnimationCache cache;
    CPObjectRegistry registry;
    CPEffectManager effectManager;
    CPRenderObjectLoader loader;

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
