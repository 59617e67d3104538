#pragma once

#include <string>
#include <string_view>

#include "core/ObjectRegistry.h"
#include "core/Singletons.h"

// Sends a command to the script object of that name; nothing without a
// registry.
inline void SendToScript(const std::string& object, std::string_view command, const std::string& params = "")
{
    if (CPObjectRegistry* registry = GetObjectRegistry())
        registry->SendCommandByName(object, command, params);
}
