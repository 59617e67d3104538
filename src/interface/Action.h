#pragma once

#include <cstdint>
#include <string>

// One key binding. In the action map the action text is the label the
// options menu shows; in the code tables it is the action's name.
struct CPAction {
    // Keyboard scan code, or the numeric code of a numeric binding.
    std::uint8_t code = 0;
    // The key's name, or the numeric code in decimal.
    std::string keyText;
    std::string actionText;
    // Filled from the bindings file or unbound on purpose; clear in a
    // record that was never set.
    bool defined = false;
    bool numeric = false;
};
