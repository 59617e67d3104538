#include "app/KeyboardDriver.h"

#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "game/Car.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/PlayerControls.h"
#include "interface/InputManager.h"

namespace {

const char* const kDrivingActions[] = {KeyboardDriver::kAccelerate, KeyboardDriver::kBrake,
                                       KeyboardDriver::kLeft, KeyboardDriver::kRight,
                                       KeyboardDriver::kHandBrake};

bool IsDriving(const std::string& action)
{
    for (const char* driving : kDrivingActions)
        if (action == driving)
            return true;
    return false;
}

bool BindsDriving(const CPInputManager& input)
{
    const auto& map = input.GetActionMap();
    for (const char* action : kDrivingActions)
        if (map.count(action))
            return true;
    return false;
}

float Axis(const CPInputManager& input, const char* negative, const char* positive)
{
    return (input.IsActionDown(positive) ? 1.0f : 0.0f) - (input.IsActionDown(negative) ? 1.0f : 0.0f);
}

} // namespace

void KeyboardDriver::Drive(CPLevel* level, const CPInputManager& input)
{
    auto* player = level ? dynamic_cast<CPPlayer*>(level->GetPlayer()) : nullptr;
    // Without a key for driving, the car is left to the scripts.
    if (!player || !BindsDriving(input))
        return;
    CPPlayerControls controls(*player);
    // The car steers right for positive values.
    controls.SetControls(Axis(input, kBrake, kAccelerate), Axis(input, kLeft, kRight) * CPCar::kMaxSteering);
    controls.SetBrake(input.IsActionDown(kHandBrake));
}

void KeyboardDriver::TellActions(const CPInputManager& input)
{
    CPObjectRegistry* registry = GetObjectRegistry();
    if (!registry)
        return;
    for (const std::string& action : input.GetActionNames()) {
        if (IsDriving(action))
            continue;
        const bool down = input.IsActionDown(action);
        bool& told = m_down[action];
        if (down == told)
            continue;
        told = down;
        registry->SendCommandByName(kScriptObject, down ? "action_down" : "action_up", action);
    }
}
