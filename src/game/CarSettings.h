#pragma once

#include <cstdint>
#include <string>

// One car configuration: the item fitted in every slot, by its shop key.
// An empty name means the slot is empty. Plain values, so copies share
// nothing.
struct CPCarSettings {
    std::string weapon1;
    std::string weapon2;
    std::string weapon3;
    std::string equipment1;
    std::string equipment2;
    std::string bumper;
    std::string engine;
    std::string armour;
    std::string superWeapon;
    std::int32_t superWeaponCount = 0;
    std::string mine;

    bool operator==(const CPCarSettings& other) const
    {
        return weapon1 == other.weapon1 && weapon2 == other.weapon2 && weapon3 == other.weapon3 &&
               equipment1 == other.equipment1 && equipment2 == other.equipment2 && bumper == other.bumper &&
               engine == other.engine && armour == other.armour && superWeapon == other.superWeapon &&
               superWeaponCount == other.superWeaponCount && mine == other.mine;
    }
    bool operator!=(const CPCarSettings& other) const { return !(*this == other); }
};
