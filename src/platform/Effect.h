#pragma once

#include "platform/EffectParameter.h"
#include "platform/EffectPool.h"
#include "platform/GraphicsDevice.h"
#include "platform/MathTypes.h"
#include "platform/Result.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One drawn pass: the technique, the pass index, and how many times the
// values were committed while it was open.
struct EffectPassRecord {
    const EffectTechnique* technique = nullptr;
    unsigned pass = 0;
    unsigned commits = 0;
};

// Effect files name semantics, states and values in any case.
bool SameIgnoringCase(std::string_view a, std::string_view b);

// An effect made from the text of an effect file. No shader is compiled:
// the effect knows its parameters and techniques, keeps the values set on
// its parameters and records which technique and passes are drawn.
// Parameter handles are pointers to the parameter records; a handle of a
// shared parameter is the same in every effect of the pool.
class Effect {
  public:
    // Reads `text`; the parameters it marks shared join `pool` when one is
    // given. Null, with `error` set, when the text cannot be read. The
    // passes drawn are told to `device` (none: they reach no device), which
    // must outlive the drawing.
    static std::unique_ptr<Effect> Create(const char* text, std::size_t size, EffectPool* pool,
                                          std::string* error = nullptr, GraphicsDevice* device = nullptr);

    std::size_t ParameterCount() const { return m_parameters.size(); }
    EffectParameter* Parameter(std::size_t index) const;
    EffectParameter* ParameterByName(std::string_view name) const;
    // Semantics compare without regard to case.
    EffectParameter* ParameterBySemantic(std::string_view semantic) const;

    std::size_t TechniqueCount() const { return m_techniques.size(); }
    const EffectTechnique* Technique(std::size_t index) const;
    const EffectTechnique* TechniqueByName(std::string_view name) const;
    // The technique after `after` (the first when null), or null at the end.
    // Nothing is compiled, so every technique counts as valid.
    const EffectTechnique* FindNextValidTechnique(const EffectTechnique* after) const;
    HResult SetTechnique(const EffectTechnique* technique);
    // The first technique until another is set.
    const EffectTechnique* CurrentTechnique() const { return m_current; }

    // Numeric parameters take any numeric value (as floats); as many
    // components are stored as the parameter holds.
    HResult SetBool(EffectParameter* parameter, bool value);
    HResult SetInt(EffectParameter* parameter, int value);
    HResult SetFloat(EffectParameter* parameter, float value);
    HResult SetFloatArray(EffectParameter* parameter, const float* values, std::size_t count);
    HResult SetVector(EffectParameter* parameter, const Vector4& value);
    // Row by row, each row cut to the parameter's columns.
    HResult SetMatrix(EffectParameter* parameter, const Matrix4& value);
    HResult SetString(EffectParameter* parameter, const std::string& value);
    HResult SetTexture(EffectParameter* parameter, const void* texture);

    // Drawing with the current technique: Begin gives its pass count. A
    // pass is begun and ended for every draw of the scenery, so those two
    // are inlined.
    HResult Begin(unsigned* passes);
    HResult BeginPass(unsigned pass)
    {
        if (!m_begun || m_inPass || pass >= m_passCount)
            return E_FAIL;
        m_inPass = true;
        if (m_drawn.size() >= kPassRecordLimit)
            DropOldestPassRecords();
        m_drawn.push_back(EffectPassRecord{m_current, pass, 0});
        if (m_device)
            m_device->BeginEffectPass(*this, m_current->passes[pass]);
        return S_OK;
    }
    HResult CommitChanges();
    HResult EndPass()
    {
        if (!m_inPass)
            return E_FAIL;
        m_inPass = false;
        if (m_device)
            m_device->EndEffectPass();
        return S_OK;
    }
    HResult End();

    void OnLostDevice() { ++m_lostCount; }
    void OnResetDevice() { ++m_resetCount; }
    int LostCount() const { return m_lostCount; }
    int ResetCount() const { return m_resetCount; }

    // The latest passes drawn, oldest first: an effect drawn every frame
    // keeps only its last kPassRecordLimit or fewer, not its whole life.
    static constexpr std::size_t kPassRecordLimit = 64;
    const std::vector<EffectPassRecord>& DrawnPasses() const { return m_drawn; }
    void ClearRecords() { m_drawn.clear(); }

  private:
    // The pass records' whole room up front: an effect first drawn in a
    // race records its passes without reallocating.
    Effect() { m_drawn.reserve(kPassRecordLimit); }
    HResult StoreNumbers(EffectParameter* parameter, const float* values, std::size_t count);
    // The older half of the pass records goes once they fill their room.
    void DropOldestPassRecords();

    std::vector<std::shared_ptr<EffectParameter>> m_parameters;
    std::vector<EffectTechnique> m_techniques;
    GraphicsDevice* m_device = nullptr;
    const EffectTechnique* m_current = nullptr;
    // The current technique's passes, counted when it is begun (the
    // technique cannot change until it ends).
    unsigned m_passCount = 0;
    bool m_begun = false;
    bool m_inPass = false;
    int m_lostCount = 0;
    int m_resetCount = 0;
    std::vector<EffectPassRecord> m_drawn;
};

} // namespace platform
