#include "Render/FlickEffect.h"

#include <cmath>

#include "Render/ColourByte.h"
#include "core/GameClock.h"
#include "platform/Random.h"

CPFlickEffect::CPFlickEffect(float frequency, std::uint8_t low, std::uint8_t high)
    : m_frequency(frequency), m_high(high)
{
    m_amplitude = (static_cast<float>(high) - static_cast<float>(low)) * 0.5f;
    m_base = static_cast<std::uint8_t>(static_cast<int>(static_cast<float>(low) + m_amplitude));
    m_time = static_cast<float>(platform::Rand());
}

void CPFlickEffect::Update(float dt)
{
    m_time += dt;
    const double level = std::sin(static_cast<double>(m_time * m_frequency)) * m_amplitude + m_base;
    // Between low and high for 8-bit bounds; a non-finite phase (an endless
    // frequency) rests at the base level.
    m_value = std::isfinite(level) ? static_cast<std::int32_t>(level) : m_base;
}

void CPFlickEffect::Apply(CPMeshVertex* out, const CPMeshVertex* in, int count)
{
    Update(GetFrameTime());
    CopyVertices(out, in, count);
    for (int i = 0; i < count; ++i) {
        const std::uint32_t alpha = out[i].diffuse >> 24;
        const double scaled = static_cast<double>(alpha) * m_value * 0.003921568859368563;
        out[i].diffuse = (TruncatedLowByte(scaled) << 24) | 0xFFFFFFu;
    }
}

std::unique_ptr<CPVertexEffect> CPFlickEffect::Clone() const
{
    return std::make_unique<CPFlickEffect>(*this);
}
