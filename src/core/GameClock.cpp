#include "core/GameClock.h"

GameClock& GetGameClock()
{
    static GameClock clock;
    return clock;
}
