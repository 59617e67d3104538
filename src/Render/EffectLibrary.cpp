#include "Render/EffectLibrary.h"

#include <vector>

#include "Render/PEffect.h"
#include "core/Log.h"
#include "platform/Effect.h"

namespace {
CPEffectLibrary* g_effectLibrary = nullptr;

constexpr const char* kSharedNames[CPEffectLibrary::kSharedParameterCount] = {
    "g_mViewInv",        "g_vLight",     "g_vLightColor", "g_mWorldViewProjection",
    "g_mViewProjection", "g_mWorldView", "g_vAmbient",    "g_vCameraPos"};
} // namespace

CPEffectLibrary* GetEffectLibrary() { return g_effectLibrary; }

void SetEffectLibrary(CPEffectLibrary* library) { g_effectLibrary = library; }

const char* CPEffectLibrary::SharedParameterName(SharedParameter which)
{
    return which >= 0 && which < kSharedParameterCount ? kSharedNames[which] : "";
}

CPEffectLibrary::CPEffectLibrary() : m_effects(100) {}

CPEffectLibrary::~CPEffectLibrary()
{
    // Each effect leaves the map as it is deleted, so the map is walked
    // from a copy.
    std::vector<CPObject*> effects;
    for (const auto& entry : m_effects)
        effects.push_back(entry.second.Get());
    for (CPObject* effect : effects)
        delete effect;
}

CPEffect* CPEffectLibrary::FindEffect(const std::string& name) const
{
    auto found = m_effects.find(name);
    return found == m_effects.end() ? nullptr : static_cast<CPEffect*>(found->second.Get());
}

CPEffect* CPEffectLibrary::GetEffect(const std::string& name)
{
    if (CPEffect* known = FindEffect(name))
        return known;
    auto* effect = new CPEffect;
    effect->m_library = this;
    if (!effect->Load(name)) {
        delete effect;
        effect = new CPEffect;
        effect->m_library = this;
        if (effect->Load(kErrorEffect))
            LogLine("Effect \"" + name + "\" cannot be loaded; \"" + kErrorEffect + "\" stands in for it");
        else
            LogLine("Effect \"" + name + "\" cannot be loaded, nor can \"" + kErrorEffect +
                    "\": it has no effect to draw with");
    }
    m_effects[name] = CPObjectPtr(effect);
    return effect;
}

platform::EffectParameter* CPEffectLibrary::GetSharedHandle(SharedParameter which) const
{
    return which >= 0 && which < kSharedParameterCount ? m_sharedHandles[which] : nullptr;
}

void CPEffectLibrary::OfferSharedEffect(CPEffect* effect)
{
    if (m_sharedEffect || !effect || !effect->GetEffect())
        return;
    m_sharedEffect = effect;
    for (int i = 0; i < kSharedParameterCount; ++i)
        m_sharedHandles[i] = effect->GetEffect()->ParameterByName(kSharedNames[i]);
}

void CPEffectLibrary::Forget(const CPEffect* effect)
{
    if (effect == m_sharedEffect) {
        m_sharedEffect = nullptr;
        m_sharedHandles.fill(nullptr);
    }
    for (auto entry = m_effects.begin(); entry != m_effects.end(); ++entry) {
        if (entry->second.Get() == effect) {
            m_effects.erase(entry);
            return;
        }
    }
}
