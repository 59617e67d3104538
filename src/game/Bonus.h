#pragma once

#include <cstdint>

#include "core/AxisBox.h"

class CPGameObject;
class CPPlayer;

// What an object of the race's bonus list is to a car, and whether the car
// touches it. A bonus is recognised by its own name or by a named child
// anywhere in its tree; the kinds are tried in the order of the enum and
// the first one recognised is the object's kind.
class CPBonus {
  public:
    enum Kind : std::int32_t {
        kNone = 0,
        kRepair,       // own name "bonus_remont"
        kFast,         // child "glow3"
        kSlow,         // child "glow2"
        kAbilityMinus, // child "glow6"
        kAbilityPlus,  // child "glow4"
        kSphera,       // child "sphera": barrier of the dark side
        kGloomPortal,  // child "portal_a"
        kVBii,         // child "v_bii": barrier of the light side
        kLight,        // own name "light": stuns the dark side
        kHalo,         // own name "halo": pushes the light side
    };

    // Contact divisor of most bonuses: their boxes must overlap deeply.
    static constexpr float kContactDivisor = 3.3f;

    static Kind Classify(const CPGameObject& object);
    // Whether a kind acts on a car of the side: pick-ups on every car that
    // does not count for both sides, barriers on their sides and on cars
    // that count for both.
    static bool ActsOn(Kind kind, std::int32_t side);
    // Pick-ups leave the list once taken; barriers stay.
    static bool IsConsumed(Kind kind);
    // Whether the car touches the bonus: on every axis the distance of the
    // box centres is at most the sum of the half-sizes over the contact
    // divisor. Some bonuses change the divisor or their box (see the .cpp).
    static bool Touches(CPGameObject& bonus, const CPPlayer& car);
    // The same with the car's box as CarBox gives it, for a car that is
    // tested against many bonuses while it stands still.
    static bool Touches(CPGameObject& bonus, const AxisBox& carBox);
    // The box a car touches bonuses with.
    static AxisBox CarBox(const CPPlayer& car);
    // The same test on two given boxes.
    static bool BoxesTouch(const AxisBox& bonus, const AxisBox& car, float divisor);
};
