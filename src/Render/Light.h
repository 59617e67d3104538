#pragma once

#include "core/GameObjectParts.h"
#include "core/Object.h"
#include "platform/Light.h"

class CPGameObject;

// A device light that follows its game object (render kind 2). The render
// list copies the refreshed record of every visible light into the
// renderer's light table each frame. Only the position follows the owner:
// direction, colours, range and attenuation are what the creator stored.
class CPLight : public CPObject, public CPRenderPart {
  public:
    CPLight();

    std::uint32_t GetObjectSize() const override { return sizeof(CPLight); }
    std::string GetTypeName() const override { return "CPLight"; }

    std::int32_t GetPartKind() const override;
    CPObjectPtr CopyFor(CPGameObject* owner) override;

    // Moves the record to the translation of the owner's world matrix and
    // returns it; without an owner the record stays as it is.
    virtual platform::Light* UpdateLight();

    platform::Light& GetLight() { return m_light; }
    const platform::Light& GetLight() const { return m_light; }

    CPGameObject* GetOwner() const { return m_owner; }
    void SetOwner(CPGameObject* owner) override { m_owner = owner; }

  private:
    platform::Light m_light;
    CPGameObject* m_owner = nullptr; // not counted
};
