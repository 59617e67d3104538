#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Render/DeviceListener.h"
#include "core/Object.h"

namespace platform {
class Effect;
struct EffectParameter;
} // namespace platform

class CPEffectLibrary;

// An effect file from "Data\Effects", loaded by name. Options follow the
// file name after commas: "shared" puts the effect's shared parameters in
// the library's common pool. The parameters "time" and "tex0", "tex1", ...
// are looked up once so the draw loop can set them per material.
class CPEffect : public CPObject, public CPDeviceListener {
  public:
    CPEffect();
    ~CPEffect() override;
    CPEffect(const CPEffect&) = delete;
    CPEffect& operator=(const CPEffect&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPEffect); }
    std::string GetTypeName() const override { return "CPEffect - " + m_name; }

    void OnLostDevice() override;
    void OnResetDevice() override;

    // Loads the effect the name describes; a missing file is replaced by
    // the common "simple.fx". False, with a report in the log, when no
    // effect could be made.
    bool Load(const std::string& name);

    platform::Effect* GetEffect() const { return m_effect.get(); }
    const std::string& GetName() const { return m_name; }
    platform::EffectParameter* GetTimeHandle() const { return m_timeHandle; }
    // Handles of "tex0", "tex1", ... up to the first one the effect lacks.
    const std::vector<platform::EffectParameter*>& GetTextureHandles() const { return m_textureHandles; }

  private:
    friend class CPEffectLibrary;
    bool Create(const std::vector<std::uint8_t>& text, bool pooled, int failureLine, const std::string& path);
    void FindHandles();

    std::vector<platform::EffectParameter*> m_textureHandles;
    std::unique_ptr<platform::Effect> m_effect;
    platform::EffectParameter* m_timeHandle = nullptr;
    std::string m_name;
    // The library that lists this effect and holds the common pool.
    CPEffectLibrary* m_library = nullptr;
};
