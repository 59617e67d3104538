#include "app/KeyboardDriver.h"

#include "game/Car.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/PlayerControls.h"
#include "interface/InputManager.h"

namespace {

bool BindsDriving(const CPInputManager& input)
{
    const auto& map = input.GetActionMap();
    for (const char* action : {KeyboardDriver::kAccelerate, KeyboardDriver::kBrake, KeyboardDriver::kLeft,
                               KeyboardDriver::kRight, KeyboardDriver::kHandBrake})
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
