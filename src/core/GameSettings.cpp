#include "core/GameSettings.h"

GameSettings& GetGameSettings()
{
    static GameSettings settings;
    return settings;
}
