#pragma once

#include <string>

// The names of the keyboard's keys by scan code, 0x00 to 0xD3. They are the
// names the bindings file stores and the options menu shows; scan codes
// without a key of their own read "undefined key".
class KeyNameTable {
  public:
    static constexpr int kCount = 212;
    static constexpr const char* kUndefinedKey = "undefined key";

    // The name of a scan code; "undefined key" for codes without a name and
    // for codes past the table.
    static const std::string& GetName(int scanCode);

    // The first scan code, from 0 upward, whose name equals the text byte
    // for byte; false when no key has that name. "undefined key" gives 0.
    static bool Find(const std::string& name, int& scanCode);
};
