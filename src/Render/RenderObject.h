#pragma once

#include <string>

#include "Render/Renderable.h"
#include "platform/MathTypes.h"

class CPGameObject;

// The mesh render object of a game object (render kind 0). So far it keeps
// what its owner hands it: the owner's world matrix, copied in whenever the
// owner rebuilds its bounds. The mesh itself, its material and the copy
// operations come with the mesh renderer.
class CPRenderObject : public CPRenderable {
  public:
    explicit CPRenderObject(CPGameObject* owner);

    std::uint32_t GetObjectSize() const override { return sizeof(CPRenderObject); }
    std::string GetTypeName() const override { return "CPRenderObject"; }

    CPGameObject* GetOwner() const { return m_owner; }
    void SetOwner(CPGameObject* owner) { m_owner = owner; }

    const Matrix4& GetTransform() const { return m_transform; }
    void SetTransform(const Matrix4& transform) { m_transform = transform; }

  private:
    CPGameObject* m_owner = nullptr; // not counted
    Matrix4 m_transform;
};
