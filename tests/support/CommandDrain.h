#pragma once

#include <string>
#include <vector>

class CPScriptObject;

// Every command queued on a script object, oldest first, as
// "name(p1|p2)"; the queue is left empty.
std::vector<std::string> DrainCommands(CPScriptObject& script);
