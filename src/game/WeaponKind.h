#pragma once

#include <cstdint>
#include <string>

// What a car's weapon does when it fires, chosen by the weapon's name.
enum class CPWeaponKind : std::int32_t {
    kGun = 0,          // "lgun", "mgun", "mgun2x"
    kTwinGun = 1,      // "lgun2x"
    kHeavyGun = 2,     // "hmgun": spread, spinning barrel
    kSmallRockets = 3, // "ssrlauncher"
    kRockets = 4,      // "rlauncher": ballistic elevation
    kPlasma = 5,       // "plasma"
    kShotgun = 6,      // "shotgun", "autoshotgun": pellets
    kGauss = 7,        // "gauss"
    kFlameThrower = 8, // "firethrower": a flame effect, no shot
    kNone = 9,         // anything else: turns to the aim, never fires
};

// The kind of a weapon name (names are compared whole).
CPWeaponKind WeaponKindOfName(const std::string& weaponName);
// The shot kind the weapon launches; empty for the flame thrower and kNone.
const char* ShotOfWeaponKind(CPWeaponKind kind);
