#include "support/RaceCars.h"

#include "game/Level.h"
#include "game/Player.h"

std::vector<CPPlayer*> RaceCars(const CPLevel& level)
{
    std::vector<CPPlayer*> cars;
    if (auto* player = dynamic_cast<CPPlayer*>(level.GetPlayer()))
        cars.push_back(player);
    for (CPGameObject* opponent : level.GetOpponents())
        if (auto* car = dynamic_cast<CPPlayer*>(opponent))
            cars.push_back(car);
    return cars;
}

std::vector<CPCar*> RaceCarPhysics(const CPLevel& level)
{
    std::vector<CPCar*> cars;
    for (CPPlayer* player : RaceCars(level))
        cars.push_back(player->GetCar());
    return cars;
}
