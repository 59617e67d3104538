#include "platform/Effect.h"

#include "platform/EffectScanner.h"
#include "platform/GraphicsDevice.h"

#include <algorithm>
#include <cctype>

namespace platform {

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::unique_ptr<Effect> Effect::Create(const char* text, std::size_t size, EffectPool* pool,
                                       std::string* error, GraphicsDevice* device)
{
    EffectLayout layout;
    if (!ScanEffectText(text, size, layout, error))
        return nullptr;
    // Every shared declaration is checked against the pool before any joins
    // it, so a refused effect leaves the pool as it was.
    std::string message;
    for (const EffectParameter& parameter : layout.parameters) {
        if (pool && parameter.shared && !pool->Accepts(parameter, message)) {
            if (error)
                *error = "effect text " + message;
            return nullptr;
        }
    }
    std::unique_ptr<Effect> effect(new Effect());
    effect->m_device = device;
    for (EffectParameter& parameter : layout.parameters) {
        auto record = std::make_shared<EffectParameter>(std::move(parameter));
        if (pool && record->shared)
            record = pool->Share(record);
        effect->m_parameters.push_back(std::move(record));
    }
    effect->m_techniques = std::move(layout.techniques);
    effect->m_current = effect->m_techniques.empty() ? nullptr : &effect->m_techniques.front();
    return effect;
}

EffectParameter* Effect::Parameter(std::size_t index) const
{
    return index < m_parameters.size() ? m_parameters[index].get() : nullptr;
}

EffectParameter* Effect::ParameterByName(std::string_view name) const
{
    for (const auto& parameter : m_parameters)
        if (parameter->name == name)
            return parameter.get();
    return nullptr;
}

EffectParameter* Effect::ParameterBySemantic(std::string_view semantic) const
{
    for (const auto& parameter : m_parameters)
        if (!parameter->semantic.empty() && SameIgnoringCase(parameter->semantic, semantic))
            return parameter.get();
    return nullptr;
}

const EffectTechnique* Effect::Technique(std::size_t index) const
{
    return index < m_techniques.size() ? &m_techniques[index] : nullptr;
}

const EffectTechnique* Effect::TechniqueByName(std::string_view name) const
{
    for (const EffectTechnique& technique : m_techniques)
        if (technique.name == name)
            return &technique;
    return nullptr;
}

const EffectTechnique* Effect::FindNextValidTechnique(const EffectTechnique* after) const
{
    if (m_techniques.empty())
        return nullptr;
    if (!after)
        return &m_techniques.front();
    std::size_t index = static_cast<std::size_t>(after - m_techniques.data());
    return index + 1 < m_techniques.size() ? &m_techniques[index + 1] : nullptr;
}

HResult Effect::SetTechnique(const EffectTechnique* technique)
{
    bool ours = technique && technique >= m_techniques.data() &&
                technique < m_techniques.data() + m_techniques.size();
    if (!ours || m_begun)
        return E_INVALIDARG;
    m_current = technique;
    return S_OK;
}

HResult Effect::StoreNumbers(EffectParameter* parameter, const float* values, std::size_t count)
{
    if (!parameter || !parameter->IsNumeric())
        return E_INVALIDARG;
    std::copy_n(values, std::min(count, parameter->values.size()), parameter->values.begin());
    ++parameter->setCount;
    return S_OK;
}

HResult Effect::SetBool(EffectParameter* parameter, bool value)
{
    float number = value ? 1.0f : 0.0f;
    return StoreNumbers(parameter, &number, 1);
}

HResult Effect::SetInt(EffectParameter* parameter, int value)
{
    float number = static_cast<float>(value);
    return StoreNumbers(parameter, &number, 1);
}

HResult Effect::SetFloat(EffectParameter* parameter, float value)
{
    return StoreNumbers(parameter, &value, 1);
}

HResult Effect::SetFloatArray(EffectParameter* parameter, const float* values, std::size_t count)
{
    if (!values && count > 0)
        return E_INVALIDARG;
    return StoreNumbers(parameter, values, count);
}

HResult Effect::SetVector(EffectParameter* parameter, const Vector4& value)
{
    const float numbers[4] = {value.x, value.y, value.z, value.w};
    return StoreNumbers(parameter, numbers, 4);
}

HResult Effect::SetMatrix(EffectParameter* parameter, const Matrix4& value)
{
    if (!parameter || !parameter->IsNumeric())
        return E_INVALIDARG;
    std::size_t rows = static_cast<std::size_t>(std::min(parameter->rows, 4));
    std::size_t columns = static_cast<std::size_t>(std::min(parameter->columns, 4));
    for (std::size_t r = 0; r < rows; ++r)
        for (std::size_t c = 0; c < columns && r * columns + c < parameter->values.size(); ++c)
            parameter->values[r * columns + c] = value.m[r][c];
    ++parameter->setCount;
    return S_OK;
}

HResult Effect::SetString(EffectParameter* parameter, const std::string& value)
{
    if (!parameter || parameter->type != EffectValueType::String)
        return E_INVALIDARG;
    parameter->text = value;
    ++parameter->setCount;
    return S_OK;
}

HResult Effect::SetTexture(EffectParameter* parameter, const void* texture)
{
    if (!parameter || parameter->type != EffectValueType::Texture)
        return E_INVALIDARG;
    parameter->texture = texture;
    ++parameter->setCount;
    return S_OK;
}

HResult Effect::Begin(unsigned* passes)
{
    if (!m_current || m_begun)
        return E_FAIL;
    m_begun = true;
    m_passCount = static_cast<unsigned>(m_current->passes.size());
    if (passes)
        *passes = m_passCount;
    return S_OK;
}

void Effect::DropOldestPassRecords()
{
    m_drawn.erase(m_drawn.begin(), m_drawn.begin() + kPassRecordLimit / 2);
}

HResult Effect::CommitChanges()
{
    if (!m_inPass)
        return E_FAIL;
    if (!m_drawn.empty()) {
        ++m_drawn.back().commits;
        if (m_device)
            m_device->BeginEffectPass(*this, m_current->passes[m_drawn.back().pass]);
    }
    return S_OK;
}

HResult Effect::End()
{
    if (!m_begun)
        return E_FAIL;
    m_begun = false;
    if (m_inPass && m_device)
        m_device->EndEffectPass();
    m_inPass = false;
    return S_OK;
}

} // namespace platform
