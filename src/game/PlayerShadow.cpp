#include "Render/EffectManager.h"
#include "Render/EffectNode.h"
#include "Render/Material.h"
#include "Render/MaterialLibrary.h"
#include "Render/PRender.h"
#include "Render/PerspectiveCamera.h"
#include "Render/RenderList.h"
#include "Render/RenderObject.h"
#include "Render/RenderObjectLoader.h"
#include "core/GameClock.h"
#include "core/Log.h"
#include "game/Car.h"
#include "game/Player.h"
#include "physics/PhysicData.h"
#include "platform/Math.h"
#include "platform/Random.h"

namespace {

// Gives every mesh part of the tree the material.
void SetTreeMaterial(CPGameObject& object, CPMaterial* material)
{
    if (object.GetRenderKind() == CPGameObject::kMeshObject)
        if (auto* mesh = object.GetRenderObject().As<CPRenderObject>())
            mesh->SetMaterial(CPObjectPtr(material));
    for (const CPObjectPtr& child : object.GetChildren())
        if (auto* part = child.As<CPGameObject>())
            SetTreeMaterial(*part, material);
}

} // namespace

void CPPlayer::CreateShadow()
{
    wrecked = false;
    combatFlag = false;
    DeleteShadow();
    CPRenderObjectLoader* loader = GetRenderObjectLoader();
    shadow = loader ? loader->LoadRenderObject("shadow.rdf", 0) : CPObjectPtr();
    auto* object = shadow.As<CPGameObject>();
    if (!object) {
        LogLine("CPPlayer::CreateShadow: \"shadow.rdf\" did not load; " + modelName + " casts no shadow");
        return;
    }
    // The shadow is laid anew every frame the car is seen: its room is made
    // here, not in the race.
    if (CPRender* render = GetRender())
        render->PrepareGroundDecal(shadow);
    const CPCar* car = GetCar();
    CPMaterialLibrary* library = GetMaterialLibrary();
    if (!car || car->GetShadowName().empty() || !library)
        return;
    SetTreeMaterial(*object, library->GetMaterial("shadow.fx", {car->GetShadowName()}, 0));
}

void CPPlayer::DeleteShadow()
{
    auto* object = shadow.As<CPGameObject>();
    shadow = CPObjectPtr();
    if (object)
        CPGameObject::DeleteTree(object);
}

void CPPlayer::DrawShadow(CPPerspectiveCamera* camera)
{
    UpdateRespawnFade(GetFrameTime());
    CPRender* render = GetRender();
    if (!camera || !render || !shadow)
        return;
    const AxisBox& box = GetOwnBox();
    if (camera->IsBoxVisible(box.minimum, box.maximum))
        LayShadow(*camera, *render);
}

void CPPlayer::DrawShadowAsSeen(CPPerspectiveCamera* camera, bool ownBoxSeen)
{
    UpdateRespawnFade(GetFrameTime());
    CPRender* render = GetRender();
    if (camera && render && shadow && ownBoxSeen)
        LayShadow(*camera, *render);
}

void CPPlayer::LayShadow(CPPerspectiveCamera& camera, CPRender& render)
{
    if (!(LengthSquared(GetPosition() - camera.Eye()) < 10000.0f))
        return;
    // The decal is laid under the car as the car stands.
    const Matrix4 placement = MatrixFromQuaternion(GetRotation()) *
                              TranslationMatrix(GetPosition().x, GetPosition().y, GetPosition().z);
    if (!render.AddGroundQuad(shadow, placement, CPObjectPtr(GetPhysicData())))
        return;
    // The decal is laid in world coordinates and drawn as it is laid.
    CPObjectPtr list;
    render.GetSceneObject(list);
    if (auto* scene = list.As<CPRenderList>())
        scene->AddObjectTree(shadow);
}
