#pragma once

#include <array>
#include <string>
#include <unordered_map>

#include "core/Object.h"
#include "platform/EffectPool.h"

class CPEffect;

// Hands out shared effects, one per requested name (options included). A
// name whose effect cannot be made gets its own copy of "error.fx", so it
// is tried only once. Effects loaded with "shared" put their shared
// parameters in one pool; the first of them supplies the handles the draw
// loop sets the scene-wide values through. Everything the library makes
// stays until the library goes, which deletes it.
class CPEffectLibrary {
  public:
    static constexpr const char* kErrorEffect = "error.fx";

    // The shared parameters, in the order their handles are kept.
    enum SharedParameter {
        kViewInverse,
        kLight,
        kLightColor,
        kWorldViewProjection,
        kViewProjection,
        kWorldView,
        kAmbient,
        kCameraPos,
        kSharedParameterCount
    };
    static const char* SharedParameterName(SharedParameter which);

    CPEffectLibrary();
    ~CPEffectLibrary();
    CPEffectLibrary(const CPEffectLibrary&) = delete;
    CPEffectLibrary& operator=(const CPEffectLibrary&) = delete;

    // The effect of that name, loaded on first request.
    CPEffect* GetEffect(const std::string& name);
    CPEffect* FindEffect(const std::string& name) const;
    std::size_t GetEffectCount() const { return m_effects.size(); }

    platform::EffectPool& GetPool() { return m_pool; }
    CPEffect* GetSharedEffect() const { return m_sharedEffect; }
    // Null when the shared effect lacks the parameter, or there is none.
    platform::EffectParameter* GetSharedHandle(SharedParameter which) const;

    // Called by an effect that loaded into the pool: the first one becomes
    // the shared effect.
    void OfferSharedEffect(CPEffect* effect);
    // Called by an effect that goes: its own entry is removed, never
    // another's.
    void Forget(const CPEffect* effect);

  private:
    std::unordered_map<std::string, CPObjectPtr> m_effects;
    platform::EffectPool m_pool;
    CPEffect* m_sharedEffect = nullptr;
    std::array<platform::EffectParameter*, kSharedParameterCount> m_sharedHandles{};
};

// The engine's effect library; null until the start-up code stores one.
CPEffectLibrary* GetEffectLibrary();
void SetEffectLibrary(CPEffectLibrary* library);
