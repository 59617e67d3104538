// How each kind of render object answers the game object that holds it:
// its kind, and the copy a game object built from a prototype gets.
#include "Render/AnimatedObject.h"
#include "Render/Light.h"
#include "Render/PartAnimation.h"
#include "Render/ParticleSystem.h"
#include "Render/RenderObject.h"
#include "Render/Sprite.h"
#include "core/GameObject.h"

std::int32_t CPRenderObject::GetPartKind() const { return CPGameObject::kMeshObject; }

CPObjectPtr CPRenderObject::CopyFor(CPGameObject* owner)
{
    auto* mesh = new CPRenderObject(owner);
    CPObjectPtr copy(mesh);
    mesh->CopyFrom(CPObjectPtr(this));
    // The copy took this mesh's owner along with its geometry.
    mesh->SetOwner(owner);
    return copy;
}

std::int32_t CPAnimatedObject::GetPartKind() const { return CPGameObject::kAnimatedObject; }

CPObjectPtr CPAnimatedObject::CopyFor(CPGameObject* owner)
{
    auto* animated = new CPAnimatedObject();
    CPObjectPtr copy(animated);
    animated->CopyFrom(CPObjectPtr(this));
    animated->SetOwner(owner);
    return copy;
}

std::int32_t CPLight::GetPartKind() const { return CPGameObject::kLight; }

CPObjectPtr CPLight::CopyFor(CPGameObject* owner)
{
    auto* light = new CPLight();
    light->SetOwner(owner);
    light->GetLight() = GetLight();
    return CPObjectPtr(light);
}

std::int32_t CPSprite::GetPartKind() const { return CPGameObject::kSprite; }

// Colour and texture coordinates start afresh: the visibility test and the
// loader set them, not the prototype.
CPObjectPtr CPSprite::CopyFor(CPGameObject* owner)
{
    auto* sprite = new CPSprite(GetSize());
    sprite->SetOwner(owner);
    CPObjectPtr material;
    GetMaterial(material);
    sprite->SetMaterial(material);
    sprite->SetAngle(GetAngle());
    sprite->SetDirection(GetDirection());
    sprite->SetConeLimit(GetConeLimit());
    sprite->SetHasEffects(HasEffects());
    sprite->GetEffects() = GetEffects(); // clones, in the same state
    return CPObjectPtr(sprite);
}

std::int32_t CPPartAnimation::GetPartKind() const { return CPGameObject::kTaskObject; }

CPObjectPtr CPPartAnimation::CopyAnimationFor(CPGameObject* owner)
{
    auto* animation = new CPPartAnimation();
    CPObjectPtr copy(animation);
    animation->Assign(CPObjectPtr(this));
    animation->SetOwner(owner);
    return copy;
}

std::int32_t CPParticleSystem::GetPartKind() const { return CPGameObject::kTaskObject; }
