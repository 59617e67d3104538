#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "Render/Light.h"
#include "Render/Material.h"
#include "Render/RenderObject.h"
#include "Render/Sprite.h"
#include "core/GameObject.h"

// Game objects with render objects for the render list, quad tree and
// frame tests. Objects given no parent are roots; the scene deletes the
// trees and the materials it made. A render list that holds the scene's
// materials must go first.
class SceneObjects {
  public:
    ~SceneObjects()
    {
        for (CPGameObject* root : m_roots)
            CPGameObject::DeleteTree(root);
    }

    // A material of that option, without effect or textures.
    CPMaterial* Material(int option = 0)
    {
        m_materials.push_back(std::make_unique<CPMaterial>(option, nullptr, nullptr));
        return m_materials.back().get();
    }

    CPGameObject* Object(const std::string& name, std::int32_t kind, CPObject* renderObject,
                         CPGameObject* parent = nullptr)
    {
        auto* object = new CPGameObject(name);
        object->SetRenderObject(renderObject, kind);
        if (parent)
            parent->AddChild(object);
        else
            m_roots.push_back(object);
        return object;
    }

    // A mesh object whose vertices lie at x = firstX, firstX + 1, ...
    CPGameObject* Mesh(const std::string& name, CPObject* material, int vertices = 3,
                       std::vector<std::uint16_t> indices = {0, 1, 2}, CPGameObject* parent = nullptr,
                       float firstX = 0.0f)
    {
        CPGameObject* object = Object(name, CPGameObject::kMeshObject, nullptr, parent);
        auto* mesh = new CPRenderObject(object);
        for (int k = 0; k < vertices; ++k) {
            CPMeshVertex vertex;
            vertex.position = {firstX + static_cast<float>(k), 0.0f, 0.0f};
            mesh->GetVertices().push_back(vertex);
        }
        mesh->GetWorldVertices() = mesh->GetVertices();
        mesh->GetIndices() = std::move(indices);
        mesh->SetMaterial(material);
        object->SetRenderObject(mesh, CPGameObject::kMeshObject);
        return object;
    }

    CPGameObject* LightObject(const std::string& name, float range, CPGameObject* parent = nullptr)
    {
        CPGameObject* object = Object(name, CPGameObject::kLight, nullptr, parent);
        auto* light = new CPLight();
        light->SetOwner(object);
        light->GetLight().type = platform::LightType::Point;
        light->GetLight().range = range;
        object->SetRenderObject(light, CPGameObject::kLight);
        return object;
    }

    // The object is deleted with another tree (as a level of detail).
    void Unroot(CPGameObject* object)
    {
        m_roots.erase(std::remove(m_roots.begin(), m_roots.end(), object), m_roots.end());
    }

    static CPRenderObject* MeshOf(const CPGameObject* object)
    {
        return object->GetRenderObject().As<CPRenderObject>();
    }

  private:
    std::vector<CPGameObject*> m_roots;
    std::vector<std::unique_ptr<CPMaterial>> m_materials;
};
