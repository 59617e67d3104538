// Render descriptions: what a scene file's section makes of the part of
// its name.
#include <cstdlib>
#include <functional>
#include <memory>

#include "Render/AnimatedObject.h"
#include "Render/Material.h"
#include "Render/MaterialLibrary.h"
#include "Render/PRender.h"
#include "Render/PartAnimation.h"
#include "Render/PartAnimationFile.h"
#include "Render/RenderObject.h"
#include "Render/RenderObjectLoader.h"
#include "Render/Sprite.h"
#include "Render/VertexEffectFactory.h"
#include "core/DirectoryEnumerator.h"
#include "core/GameObject.h"
#include "core/Log.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"

namespace {

const char kHoleyEffect[] = "holey.fx";
const char kHoleyShadowEffect[] = "holey_shadow.fx";
const char kFireSuffix[] = "_fire.tga";
const int kHoleyShadowOption = 16;
const int kFireOption = 20;

// The value of a key, "" when absent.
const std::string& Value(const SceneSection& description, const char* key)
{
    static const std::string kEmpty;
    const auto found = description.find(key);
    return found == description.end() ? kEmpty : found->second;
}

bool Has(const SceneSection& description, const char* key) { return description.count(key) != 0; }

int IntValue(const SceneSection& description, const char* key)
{
    return std::atoi(Value(description, key).c_str());
}

bool FileExists(const std::string& path) { return CPDirectoryEnumerator(path).FindFirst() == S_OK; }

CPObjectPtr GetMaterial(const std::string& effect, const std::vector<std::string>& textures, int option)
{
    CPMaterialLibrary* library = GetMaterialLibrary();
    if (!library) {
        LogLine("No material library for the effect \"" + effect + "\"");
        return CPObjectPtr();
    }
    return CPObjectPtr(library->GetMaterial(effect, textures, option));
}

void SetMaterial(CPGameObject& object, const CPObjectPtr& material)
{
    CPObjectPtr renderObject = object.GetRenderObject();
    switch (object.GetRenderKind()) {
    case CPGameObject::kMeshObject:
        if (auto* mesh = renderObject.As<CPRenderObject>())
            mesh->SetMaterial(material);
        break;
    case CPGameObject::kAnimatedObject:
        if (auto* animated = renderObject.As<CPAnimatedObject>())
            animated->SetMaterial(material);
        break;
    case CPGameObject::kSprite:
        if (auto* sprite = renderObject.As<CPSprite>())
            sprite->SetMaterial(material);
        break;
    default:
        break; // lights and task objects take no material
    }
}

} // namespace

void CPRenderObjectLoader::ReadRenderDescription(CPObjectPtr objectPtr, const SceneSection& description,
                                                 int option)
{
    auto* object = objectPtr.As<CPGameObject>();
    if (!object)
        return;
    ChooseMaterials(*object, description, option);
    ApplyFlags(*object, description);
    ChooseFireMaterial(*object, description);
    AttachScript(*object, description);
    if (Has(description, "vertexeffect"))
        AttachVertexEffects(*object, Value(description, "vertexeffect"));
    else
        RegisterStaticMesh(*object);
    if (Has(description, "animation"))
        LoadPartAnimations(*object, Value(description, "animation"));
}

void CPRenderObjectLoader::ChooseMaterials(CPGameObject& object, const SceneSection& description, int option)
{
    std::string effect = Value(description, "effectfile");
    std::vector<std::string> textures = {Value(description, "texturefile1")};
    for (const char* key : {"texturefile2", "texturefile3", "texturefile4"}) {
        if (Has(description, key))
            textures.push_back(Value(description, key));
    }

    // A part may have a shadow texture of its own, drawn by an effect of
    // the same stem; both must exist.
    if (m_shadowTextureMode && effect.size() >= 3) {
        const std::string texture = m_shadowTextureFolder + "\\" + object.GetName() + m_shadowTextureSuffix;
        const std::string shadowEffect = effect.substr(0, effect.size() - 3) + m_shadowEffectSuffix;
        if (FileExists("Data\\Textures\\" + texture) && FileExists("Data\\Effects\\" + shadowEffect)) {
            textures.push_back(texture);
            effect = shadowEffect;
        }
    }

    const CPObjectPtr material = GetMaterial(effect, textures, IntValue(description, "type") + option);
    if (object.HasShadow()) {
        if (effect == kHoleyEffect) {
            object.SetShadowMaterial(GetMaterial(kHoleyShadowEffect, textures, kHoleyShadowOption));
        } else {
            CPRender* render = GetRender();
            object.SetShadowMaterial(render ? render->GetDefaultShadowMaterial() : CPObjectPtr());
        }
    }
    SetMaterial(object, material);
}

void CPRenderObjectLoader::ApplyFlags(CPGameObject& object, const SceneSection& description)
{
    if (Has(description, "visible"))
        object.SetVisible(IntValue(description, "visible") != 0);
    if (Has(description, "shadow"))
        object.SetShadow(IntValue(description, "shadow") != 0);
    if (Has(description, "param"))
        object.SetText(Value(description, "param"));
    if (Has(description, "collision"))
        object.SetPickable(IntValue(description, "collision") != 0);
    if (Has(description, "flametype"))
        object.SetFlameEffect(IntValue(description, "flametype"));
}

void CPRenderObjectLoader::ChooseFireMaterial(CPGameObject& object, const SceneSection& description)
{
    const std::string& first = Value(description, "texturefile1");
    const std::string fire = first.substr(0, first.find('.')) + kFireSuffix;
    if (FileExists("Data\\Textures\\" + fire))
        object.SetFireMaterial(GetMaterial(kHoleyEffect, {fire}, kFireOption));
}

void CPRenderObjectLoader::AttachScript(CPGameObject& object, const SceneSection& description)
{
    if (!Has(description, "script"))
        return;
    const std::string& name = Value(description, "script");
    CPObjectRegistry* registry = GetObjectRegistry();
    CPObjectPtr script = registry ? registry->FindObject(name) : CPObjectPtr();
    if (!script) {
        LogLine("Part \"" + object.GetName() + "\" names the script object \"" + name +
                "\", which is not registered");
        return;
    }
    object.SetOwnerObject(script);
}

void CPRenderObjectLoader::AttachVertexEffects(CPGameObject& object, const std::string& value)
{
    CPObjectPtr renderObject = object.GetRenderObject();
    CPVertexEffectChain* chain = nullptr;
    std::function<void()> markEffects;
    bool clearTag = false;
    if (auto* mesh = renderObject.As<CPRenderObject>()) {
        chain = &mesh->GetEffects();
        markEffects = [mesh] { mesh->SetHasEffects(true); };
        clearTag = true;
    } else if (auto* animated = renderObject.As<CPAnimatedObject>()) {
        chain = &animated->GetEffects();
        markEffects = [animated] { animated->SetHasEffects(true); };
        clearTag = true;
    } else if (auto* sprite = renderObject.As<CPSprite>()) {
        chain = &sprite->GetEffects();
        markEffects = [sprite] { sprite->SetHasEffects(true); };
    } else {
        // Lights and task objects write no vertices.
        return;
    }

    for (const std::string& entry : SplitFields(value, ";")) {
        const std::vector<std::string> words = SplitFields(entry, " ");
        std::unique_ptr<CPVertexEffect> effect =
            CreateVertexEffect(Field(words, 0), SplitFields(Field(words, 1), ","));
        if (!effect) {
            LogLine("Part \"" + object.GetName() + "\": no vertex effect can be made of \"" + entry + "\"");
            continue;
        }
        chain->Add(std::move(effect));
        markEffects();
        if (clearTag)
            object.SetTag(0);
    }
}

void CPRenderObjectLoader::RegisterStaticMesh(CPGameObject& object)
{
    if (object.GetRenderKind() != CPGameObject::kMeshObject)
        return;
    auto* mesh = object.GetRenderObject().As<CPRenderObject>();
    // A node without geometry (a group node) has nothing to hold.
    if (!mesh || mesh->IsDisabled() || mesh->GetVertices().empty() || mesh->GetIndices().empty())
        return;
    CPRender* render = GetRender();
    if (!render) {
        LogLine("No renderer to hold the static mesh of part \"" + object.GetName() + "\"");
        return;
    }
    const std::string name = m_meshName + object.GetName();
    CPStaticMesh* registered =
        render->RegisterStaticMesh(name, mesh->GetVertices().data(), mesh->GetIndices().data(),
                                   mesh->GetVertexCount(), mesh->GetIndexCount());
    // A mesh the renderer could not take keeps drawing through the batches.
    if (!registered)
        return;
    mesh->SetName(name);
    mesh->SetStaticMesh(registered);
    mesh->SetDisabled(true);
}

void CPRenderObjectLoader::LoadPartAnimations(CPGameObject& object, const std::string& value)
{
    std::vector<CPObjectPtr> subtree;
    object.CollectObjects(subtree);
    for (const std::string& entry : SplitFields(value, ";")) {
        const std::vector<std::string> fields = SplitFields(entry, ",");
        const std::string& animationName = Field(fields, 0);
        PartAnimationTracks tracks;
        if (!LoadPartAnimationFile(Field(fields, 1), tracks))
            continue;
        for (const CPObjectPtr& member : subtree) {
            auto* part = static_cast<CPGameObject*>(member.Get());
            const auto found = tracks.find(part->GetName());
            if (found == tracks.end())
                continue;
            // Every part moves by a track of its own (parts may share a
            // name); the file's tracks go when the entry is done.
            auto* track = new CPPartAnimation();
            track->Assign(CPObjectPtr(found->second.get()));
            track->SetOwner(part);
            part->SetAnimation(animationName, track);
        }
    }
}
