#pragma once

#include <cstdint>

#include "core/Object.h"

// One bonus of the running race: the bonus object with the number the
// scripts placed it with. It is the object pointer itself, so the code that
// walks the bonus list for pick-ups reads it as one.
struct CPBonusEntry : CPObjectPtr {
    CPBonusEntry(CPObjectPtr object = CPObjectPtr(), std::int32_t number = 0)
        : CPObjectPtr(object), value(number)
    {
    }
    using CPObjectPtr::operator=;

    std::int32_t value = 0;
};
