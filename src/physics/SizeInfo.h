#pragma once

#include <cstdint>

// The counts that size the simulator's pools, fixed when it is created.
// The defaults are what a simulator holds before the caller's record is
// copied over them.
struct PhSizeInfo {
    std::int32_t rigidBodiesCount = 50;
    std::int32_t kinematicBodiesCount = 50;
    std::int32_t rigidParticleCount = 50;
    std::int32_t constraintSetsCount = 50;    // the controller pool
    std::int32_t overlappedPairsCount = 1225; // 50 * 49 / 2
    std::int32_t geometriesCount = 50;
    std::int32_t count6 = 100;
    std::int32_t count7 = 100;
    std::int32_t count8 = 2000;
    std::int32_t sensorsCount = 100;
    std::int32_t count10 = 200;
    std::int32_t count11 = -1;
};
