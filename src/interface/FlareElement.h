#pragma once

#include <cstdint>
#include <string>

// One picture of the lens flare, as read from its line of the flare file:
// where it sits on the line from the sun through the screen centre (in
// fiftieths), its scale, colour and its rectangle in the texture, already
// scaled to the screen size.
struct CPFlareElement {
    std::string texture;
    std::int32_t axisFactor = 0;
    float xScale = 0.0f;
    float yScale = 0.0f;
    std::uint32_t colour = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t textureX = 0;
    std::int32_t textureY = 0;
    std::int32_t halfWidth = 0;
    std::int32_t halfHeight = 0;
};
