#include "app/KeyboardDriver.h"

#include <utility>

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

// The names change only when the bindings are read again; an action kept
// across that keeps what was told of it.
void KeyboardDriver::ListActions(const CPInputManager& input)
{
    const std::vector<std::string>& names = input.GetActionNames();
    std::vector<Told> told(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        told[i].slot = i;
        told[i].driving = IsDriving(names[i]);
        for (std::size_t first = 0; first < i; ++first) {
            if (names[first] == names[i]) {
                told[i].slot = first;
                break;
            }
        }
        for (std::size_t old = 0; old < m_names.size(); ++old) {
            if (m_names[old] == names[i]) {
                told[i].down = m_told[m_told[old].slot].down;
                break;
            }
        }
    }
    m_told = std::move(told);
    m_names = names;
    m_generation = input.GetNamesGeneration();
    m_listed = true;
}

void KeyboardDriver::TellActions(const CPInputManager& input)
{
    CPObjectRegistry* registry = GetObjectRegistry();
    if (!registry)
        return;
    if (!m_listed || m_generation != input.GetNamesGeneration())
        ListActions(input);
    for (std::size_t i = 0; i < m_names.size(); ++i) {
        if (m_told[i].driving)
            continue;
        const bool down = input.IsActionDown(m_names[i]);
        bool& told = m_told[m_told[i].slot].down;
        if (down == told)
            continue;
        told = down;
        registry->SendCommandByName(kScriptObject, down ? "action_down" : "action_up", m_names[i]);
    }
}
