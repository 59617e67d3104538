#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

class ScratchFolder;

struct Rgb {
    int r = 0, g = 0, b = 0;
};

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
};

// A frame read back from the window, rows top first.
struct Frame {
    std::vector<std::uint8_t> rgb;
    std::uint32_t width = 0, height = 0;

    Rgb At(int x, int y) const
    {
        const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)) * 3];
        return {p[0], p[1], p[2]};
    }
    // Share of the rectangle's pixels that pass the test.
    template <typename Test> double Share(const Rect& r, Test test) const
    {
        int passed = 0, total = 0;
        for (int y = r.top; y < r.top + r.height; ++y)
            for (int x = r.left; x < r.left + r.width; ++x, ++total)
                passed += test(At(x, y)) ? 1 : 0;
        return total ? static_cast<double>(passed) / total : 0.0;
    }
    Rgb Mean(const Rect& r) const;
};

// The largest difference of one channel.
inline int Distance(const Rgb& a, const Rgb& b)
{
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

inline int Luminance(const Rgb& c) { return (c.r * 30 + c.g * 59 + c.b * 11) / 100; }
inline int Spread(const Rgb& c) { return std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b}); }

// Asphalt: dark grey (grass is green, the kerbs red and white).
inline bool IsAsphalt(const Rgb& c) { return Spread(c) <= 12 && Luminance(c) >= 20 && Luminance(c) <= 110; }

// Copies the sample data into the folder with the screen size in its
// config.cfg, as the launcher writes it.
void PrepareSampleData(ScratchFolder& data, int width, int height, bool fullscreen);
