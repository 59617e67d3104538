#pragma once

#include <string>

// Scripts know engine objects by their address, written as text into the
// parameters of commands. The address is written in full as an unsigned
// decimal number (an exact Lua number on every platform we build for), so
// it reads back to the same object.
std::string FormatObjectHandle(const void* object);

// The object whose handle the text holds; null when the text is not a
// handle (empty, signed, not all digits, or too large for an address).
void* ParseObjectHandle(const std::string& text);
