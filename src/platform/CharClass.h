#pragma once

namespace platform {

// Whether a single-byte character is a letter or a digit of the game's
// character set (plain ASCII: A-Z, a-z, 0-9).
bool IsCharAlphaNumeric(char c);

} // namespace platform
