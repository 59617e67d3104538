#include "Render/RenderSettings.h"

#include "core/GameSettings.h"

CPRenderSettings& GetRenderSettings()
{
    static CPRenderSettings settings;
    return settings;
}

std::int32_t GetScreenWidth() { return GetGameSettings().screenWidth; }

std::int32_t GetScreenHeight() { return GetGameSettings().screenHeight; }
