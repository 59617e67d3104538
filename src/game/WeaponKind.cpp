#include "game/WeaponKind.h"

CPWeaponKind WeaponKindOfName(const std::string& name)
{
    if (name == "lgun" || name == "mgun" || name == "mgun2x")
        return CPWeaponKind::kGun;
    if (name == "lgun2x")
        return CPWeaponKind::kTwinGun;
    if (name == "hmgun")
        return CPWeaponKind::kHeavyGun;
    if (name == "ssrlauncher")
        return CPWeaponKind::kSmallRockets;
    if (name == "rlauncher")
        return CPWeaponKind::kRockets;
    if (name == "plasma")
        return CPWeaponKind::kPlasma;
    if (name == "shotgun" || name == "autoshotgun")
        return CPWeaponKind::kShotgun;
    if (name == "gauss")
        return CPWeaponKind::kGauss;
    if (name == "firethrower")
        return CPWeaponKind::kFlameThrower;
    return CPWeaponKind::kNone;
}

const char* ShotOfWeaponKind(CPWeaponKind kind)
{
    switch (kind) {
    case CPWeaponKind::kGun:
    case CPWeaponKind::kTwinGun:
        return "trasser11";
    case CPWeaponKind::kHeavyGun:
        return "trasser12";
    case CPWeaponKind::kSmallRockets:
        return "srocket1";
    case CPWeaponKind::kRockets:
        return "rocket1";
    case CPWeaponKind::kPlasma:
        return "plazma";
    case CPWeaponKind::kShotgun:
        return "trasser13";
    case CPWeaponKind::kGauss:
        return "gauss1";
    case CPWeaponKind::kFlameThrower:
    case CPWeaponKind::kNone:
        break;
    }
    return "";
}
