#pragma once

#include <cstdint>
#include <string>

// One line of the bindings file "Actions.cfg": the action's name, the text
// the options menu shows for it, its key, and whether that key is a
// numeric code rather than a key name. Fields are separated by ";"; a field
// that holds ";" or a double quote is written in double quotes, with its
// quotes doubled, so the key ";" survives being written and read back.
struct ActionLine {
    std::string name;
    std::string text;
    std::string key;
    bool numeric = false;
    // The numeric code (0..255) of a numeric line; 0 otherwise.
    std::uint8_t code = 0;

    // Cuts one line into its fields; fields left out are empty, and a
    // fourth field other than exactly "true" makes the key a key name.
    // False, with the reason in `error`, for a line that is no binding: an
    // empty name, or a numeric key that is not a whole number from 0 to
    // 255. Fields past the fourth are ignored, but for the five fields
    // "name;text;;;false" that a writer which did not quote left for the
    // key ";".
    static bool Parse(const std::string& line, ActionLine& out, std::string& error);

    // The line as stored, ending in "\r\n".
    std::string Format() const;
};
