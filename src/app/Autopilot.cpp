#include "app/Autopilot.h"

#include "game/AIManager.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/RaceFrame.h"
#include "game/Spline.h"

Autopilot::Autopilot() = default;

Autopilot::~Autopilot() { Release(); }

void Autopilot::Release()
{
    m_driver.reset();
    m_level = nullptr;
}

void Autopilot::Follow(CPLevel& level)
{
    Release();
    CPSpline* path = level.GetPathSpline();
    if (!path)
        return;
    AI_Vehicle* driver = &m_driver.emplace();
    CPSpline* left = level.GetLeftBorder();
    CPSpline* right = level.GetRightBorder();
    driver->SetLine(AI_Vehicle::kPathLine, path->GetFirstLine());
    driver->SetLine(AI_Vehicle::kLeftLine, left ? left->GetFirstLine() : nullptr);
    driver->SetLine(AI_Vehicle::kRightLine, right ? right->GetFirstLine() : nullptr);
    m_level = &level;
}

void Autopilot::Drive(CPLevel* level)
{
    if (!level) {
        Release();
        return;
    }
    if (level != m_level)
        Follow(*level);
    AI_Vehicle* driver = m_driver ? &*m_driver : nullptr;
    auto* player = dynamic_cast<CPPlayer*>(level->GetPlayer());
    if (!driver || !player)
        return;
    float speed = race::BodySpeed(*player);
    if (race::ThrottleOf(*player) < 0.0f)
        speed = -speed;
    driver->Update(player, race::Forward(*player), speed, CPObjectPtr(player), player->rangeMin,
                   player->rangeMax);
    // The player's car passes the opponents as they pass each other.
    CPAIManager::Apply(CPAIManager::Decide(*driver, GetAIManager()), player);
    // The car may go with its level before the next frame: no reference is
    // kept over.
    driver->ReleaseCar();
}
