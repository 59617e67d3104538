#include "interface/Anchor.h"

#include "core/GameSettings.h"

void ApplyAnchor(float& x, float& y, const std::string& anchor)
{
    const float w = static_cast<float>(GetGameSettings().screenWidth);
    const float h = static_cast<float>(GetGameSettings().screenHeight);
    const bool centreX = anchor == "center" || anchor == "cu" || anchor == "cd";
    const bool right = anchor == "ru" || anchor == "rd";
    const bool down = anchor == "ld" || anchor == "rd" || anchor == "cd";
    if (centreX)
        x = x - 512.0f + w * 0.5f;
    else if (right)
        x = x - 1024.0f + w;
    if (anchor == "center")
        y = y - 384.0f + h * 0.5f;
    else if (down)
        y = y - 768.0f + h;
}
