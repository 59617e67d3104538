#pragma once

// The physics library reports through a callback that receives one
// formatted message (ending in a newline). Every message has level 1.
using PhLogCallback = void (*)(const char* message);

constexpr int kPhMessageLevel = 1;

// Formats text into the library's one shared message buffer and returns it.
const char* PhFormatMessage(const char* text);

// The callback a new simulator starts with: the message goes to the
// program's log as one line.
void PhWriteToSystemLog(const char* message);
