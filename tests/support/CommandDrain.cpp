#include "support/CommandDrain.h"

#include "core/ScriptObject.h"

std::vector<std::string> DrainCommands(CPScriptObject& script)
{
    std::vector<std::string> seen;
    while (script.SetNextCommand()) {
        std::string entry = script.GetCurrentCommandName() + "(";
        const std::vector<std::string>* params = script.GetCurrentParams();
        for (std::size_t i = 0; params && i < params->size(); ++i)
            entry += (i ? "|" : "") + (*params)[i];
        seen.push_back(entry + ")");
    }
    return seen;
}
