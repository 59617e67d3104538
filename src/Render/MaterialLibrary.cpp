#include "Render/MaterialLibrary.h"

#include "Render/EffectLibrary.h"
#include "Render/Material.h"
#include "Render/PRender.h"
#include "Render/TextureLibrary.h"

namespace {
CPMaterialLibrary* g_materialLibrary = nullptr;
}

CPMaterialLibrary* GetMaterialLibrary() { return g_materialLibrary; }

void SetMaterialLibrary(CPMaterialLibrary* library) { g_materialLibrary = library; }

CPMaterialLibrary::CPMaterialLibrary(CPEffectLibrary& effects, CPTextureLibrary& textures)
    : m_effects(effects), m_textures(textures)
{
}

CPMaterialLibrary::~CPMaterialLibrary()
{
    std::list<CPObjectPtr> materials;
    materials.swap(m_materials);
    for (CPObjectPtr& material : materials) {
        CPObject* object = material.Get();
        material = CPObjectPtr();
        delete object;
    }
}

CPMaterial* CPMaterialLibrary::GetMaterial(const std::string& effectName,
                                           const std::vector<std::string>& textureNames, int option)
{
    CPEffect* effect = m_effects.GetEffect(effectName);
    CPTextureBlock* block = m_textures.GetTextureBlock(textureNames);
    for (const CPObjectPtr& entry : m_materials) {
        auto* material = static_cast<CPMaterial*>(entry.Get());
        if (material->IsMadeOf(option, effect, block))
            return material;
    }
    auto* material = new CPMaterial(option, effect, block);
    m_materials.emplace_back(material);
    if (CPRender* render = material->GetRenderer())
        render->PrepareMaterial(material);
    return material;
}
