#include "Render/PartAnimation.h"

#include <cmath>

#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/Log.h"

bool CPPartAnimation::SetKeys(const std::vector<Matrix4>& keys, const std::vector<float>& durations)
{
    if (keys.size() < kMinimumKeys || keys.size() != durations.size()) {
        LogLine("Part animation refused: " + std::to_string(keys.size()) + " keys and " +
                std::to_string(durations.size()) +
                " durations (at least 3 of each, as many of one as of the other)");
        return false;
    }
    // Segments 0 .. N-2 are played; one that takes no time would be passed
    // without end and divide by zero.
    for (std::size_t k = 0; k + 1 < durations.size(); ++k) {
        if (!(durations[k] > 0.0f) || !std::isfinite(durations[k])) {
            LogLine("Part animation refused: segment " + std::to_string(k) + " lasts " +
                    std::to_string(durations[k]) + " seconds");
            return false;
        }
    }
    m_keys = keys;
    m_durations = durations;
    return true;
}

void CPPartAnimation::Assign(CPObjectPtr other)
{
    const auto* source = other.As<CPPartAnimation>();
    if (!source || source == this)
        return;
    m_keys = source->m_keys;
    m_durations = source->m_durations;
    m_looping = source->m_looping;
}

bool CPPartAnimation::CanPlay() const
{
    return m_keys.size() >= kMinimumKeys && m_keys.size() == m_durations.size();
}

void CPPartAnimation::Step()
{
    if (!CanPlay())
        return;
    m_elapsed += GetFrameTime();
    Advance();
    Blend();
    if (m_owner) {
        m_owner->SetPartTransform(m_blended);
        m_owner->UpdateBounds();
    }
}

void CPPartAnimation::Advance()
{
    const std::uint32_t last = static_cast<std::uint32_t>(m_durations.size()) - 2;
    // A track restarted after its end resumes on its last segment; passing
    // that must end it again, not run past the keys.
    if (m_current > last)
        m_current = last;
    int laps = 0;
    while (m_elapsed > m_durations[m_current]) {
        const float before = m_elapsed;
        m_elapsed -= m_durations[m_current];
        ++m_current;
        if (m_current >= last) {
            if (!m_looping) {
                m_current = last;
                if (m_owner)
                    m_owner->OnAnimationEnd();
                End();
                return;
            }
            m_current = 0;
            if (m_owner)
                m_owner->OnAnimationEnd();
            if (++laps >= kMaxLapsHeardPerStep)
                SkipWholeLaps();
        }
        if (!(m_elapsed < before)) {
            // Too little to move a time this large: start the segment afresh.
            m_elapsed = 0.0f;
            return;
        }
    }
}

void CPPartAnimation::SkipWholeLaps()
{
    // A lap far shorter than the frame would otherwise be walked (and told
    // to the script) millions of times in one step.
    double lap = 0.0;
    for (std::size_t k = 0; k + 2 < m_durations.size(); ++k)
        lap += m_durations[k];
    if (lap > 0.0)
        m_elapsed = static_cast<float>(std::fmod(static_cast<double>(m_elapsed), lap));
}

void CPPartAnimation::Blend()
{
    const Matrix4& from = m_keys[m_current];
    const Matrix4& to = m_keys[m_current + 1];
    const float t = m_elapsed / m_durations[m_current];
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column)
            m_blended.m[row][column] = from.m[row][column] + (to.m[row][column] - from.m[row][column]) * t;
    }
}

bool IsMirrorMatrix(const Matrix4& matrix)
{
    const auto& m = matrix.m;
    const float determinant = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                              m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                              m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    return determinant < 0.0f;
}
