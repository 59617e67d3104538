#pragma once

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/MathTypes.h"

// The extremes, per output column, of [p 1] * m over the box lo..hi with p
// in the box: low[c] adds, row by row, the smaller of lo[r] * m[r][c] and
// hi[r] * m[r][c], then m[3][c]; high[c] the larger. Rounded addition never
// decreases when a term grows, so these are the smallest and the largest of
// the eight corner sums taken in the same order, to the bit. Of two equal
// terms the first (the low side's) is taken, as std::min and std::max do.
// False, with low and high unset, when a product in columns 0 to 2 is not
// finite. Every moved object's boxes and their shadows pass through here
// each frame, so the four columns go at once where the processor allows;
// each lane rounds as the single-lane sums do.
inline bool RowExtremes(const float (&lo)[3], const float (&hi)[3], const Matrix4& m, float (&low)[4],
                        float (&high)[4])
{
#if defined(__SSE2__)
    const __m128 infinity = _mm_set1_ps(INFINITY);
    const __m128 signless = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    __m128 sumLow = _mm_setzero_ps(), sumHigh = _mm_setzero_ps();
    __m128 finite = _mm_castsi128_ps(_mm_set1_epi32(-1));
    for (int r = 0; r < 3; ++r) {
        const __m128 row = _mm_loadu_ps(m.m[r]);
        const __m128 a = _mm_mul_ps(_mm_set1_ps(lo[r]), row);
        const __m128 b = _mm_mul_ps(_mm_set1_ps(hi[r]), row);
        finite = _mm_and_ps(finite, _mm_cmplt_ps(_mm_and_ps(a, signless), infinity));
        finite = _mm_and_ps(finite, _mm_cmplt_ps(_mm_and_ps(b, signless), infinity));
        // b < a ? b : a, and b > a ? b : a: std::min(a, b) and std::max(a, b).
        const __m128 smaller = _mm_min_ps(b, a), larger = _mm_max_ps(b, a);
        sumLow = r == 0 ? smaller : _mm_add_ps(sumLow, smaller);
        sumHigh = r == 0 ? larger : _mm_add_ps(sumHigh, larger);
    }
    if ((_mm_movemask_ps(finite) & 7) != 7)
        return false;
    const __m128 translation = _mm_loadu_ps(m.m[3]);
    _mm_storeu_ps(low, _mm_add_ps(sumLow, translation));
    _mm_storeu_ps(high, _mm_add_ps(sumHigh, translation));
    return true;
#else
    float sumLow[4] = {}, sumHigh[4] = {};
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 3; ++r) {
            const float a = lo[r] * m.m[r][c], b = hi[r] * m.m[r][c];
            if (c < 3 && (!std::isfinite(a) || !std::isfinite(b)))
                return false;
            const float smaller = b < a ? b : a, larger = a < b ? b : a;
            sumLow[c] = r == 0 ? smaller : sumLow[c] + smaller;
            sumHigh[c] = r == 0 ? larger : sumHigh[c] + larger;
        }
    }
    for (int c = 0; c < 4; ++c) {
        low[c] = sumLow[c] + m.m[3][c];
        high[c] = sumHigh[c] + m.m[3][c];
    }
    return true;
#endif
}
