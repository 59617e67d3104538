#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/Object.h"

// A bitmap font: one glyph rectangle (left, top, right, bottom in texture
// coordinates) and one advance width in pixels per byte value, the line
// height in pixels and the material holding the glyph texture. A new font
// is all zeros and has no material.
class CPFont : public CPObject {
  public:
    struct GlyphRect {
        float left = 0.0f;
        float top = 0.0f;
        float right = 0.0f;
        float bottom = 0.0f;
    };

    std::uint32_t GetObjectSize() const override { return sizeof(CPFont); }
    std::string GetTypeName() const override { return "CPFont"; }

    CPObjectPtr material; // shared, not owned
    std::array<GlyphRect, 256> glyphs{};
    std::array<float, 256> widths{};
    float lineHeight = 0.0f;
};
