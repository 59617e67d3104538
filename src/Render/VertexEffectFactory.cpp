#include "Render/VertexEffectFactory.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "Render/AnimEffect.h"
#include "Render/EnvironmentEffect.h"
#include "Render/FadeEffect.h"
#include "Render/FlickEffect.h"
#include "Render/MovingTexEffect.h"
#include "core/StringUtils.h"

namespace {

bool IsNumericText(const std::string& text)
{
    for (char c : text) {
        if ((c < '0' || c > '9') && c != '.' && c != '-')
            return false;
    }
    return true;
}

// The leading number of a text as the C library's atoi reads it, without
// its undefined result for numbers that do not fit.
bool ReadInteger(const std::string& text, std::int32_t& value)
{
    value = 0;
    const std::from_chars_result result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::invalid_argument) {
        value = 0;
        return true;
    }
    return result.ec == std::errc();
}

// The leading number of a text as atof reads it, independent of the
// locale; refused when it does not fit a float.
bool ReadFloat(const std::string& text, float& value)
{
    double number = 0.0;
    const std::from_chars_result result = std::from_chars(text.data(), text.data() + text.size(), number);
    if (result.ec == std::errc::invalid_argument) {
        value = 0.0f;
        return true;
    }
    if (result.ec != std::errc())
        return false;
    value = static_cast<float>(number);
    return std::isfinite(value);
}

std::unique_ptr<CPVertexEffect> CreateAnim(const std::vector<std::string>& p)
{
    std::int32_t columns = 0;
    std::int32_t rows = 0;
    float speed = 0.0f;
    if (!ReadInteger(p[0], columns) || !ReadInteger(p[1], rows) || !ReadFloat(p[2], speed))
        return nullptr;
    if (!CPAnimEffect::IsValidAtlas(columns, rows))
        return nullptr;
    return std::make_unique<CPAnimEffect>(columns, rows, speed);
}

std::unique_ptr<CPVertexEffect> CreateFlick(const std::vector<std::string>& p)
{
    float frequency = 0.0f;
    std::int32_t low = 0;
    std::int32_t high = 0;
    if (!ReadFloat(p[0], frequency) || !ReadInteger(p[1], low) || !ReadInteger(p[2], high))
        return nullptr;
    return std::make_unique<CPFlickEffect>(frequency, static_cast<std::uint8_t>(low & 0xFF),
                                           static_cast<std::uint8_t>(high & 0xFF));
}

std::unique_ptr<CPVertexEffect> CreateMovingTex(const std::vector<std::string>& p)
{
    float rateU = 0.0f;
    float rateV = 0.0f;
    if (!ReadFloat(p[0], rateU) || !ReadFloat(p[1], rateV))
        return nullptr;
    return std::make_unique<CPMovingTexEffect>(rateU, rateV);
}

std::unique_ptr<CPVertexEffect> CreateFade(const std::vector<std::string>& p)
{
    float rate = 0.0f;
    if (!ReadFloat(p[0], rate))
        return nullptr;
    return std::make_unique<CPFadeEffect>(rate);
}

std::unique_ptr<CPVertexEffect> CreateEnvironment(const std::vector<std::string>& p)
{
    float scale = 0.0f;
    if (!ReadFloat(p[0], scale) || !(scale > 0.0f))
        return nullptr;
    return std::make_unique<CPEnvironmentEffect>(scale);
}

struct EffectKind {
    const char* keyword;
    std::size_t parameterCount;
    std::unique_ptr<CPVertexEffect> (*create)(const std::vector<std::string>&);
};

const EffectKind kEffectKinds[] = {
    {"anim", 3, CreateAnim},
    {"flick", 3, CreateFlick},
    {"movingtex", 2, CreateMovingTex},
    {"fade", 1, CreateFade},
    {"environment", 1, CreateEnvironment},
};

} // namespace

std::unique_ptr<CPVertexEffect> CreateVertexEffect(const std::string& name,
                                                   const std::vector<std::string>& parameters)
{
    std::string keyword = name;
    ToLowerString(keyword);
    for (const EffectKind& kind : kEffectKinds) {
        if (keyword != kind.keyword)
            continue;
        if (parameters.size() != kind.parameterCount)
            return nullptr;
        for (const std::string& parameter : parameters) {
            if (!IsNumericText(parameter))
                return nullptr;
        }
        return kind.create(parameters);
    }
    return nullptr;
}
