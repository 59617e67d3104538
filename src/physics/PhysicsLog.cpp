#include "physics/PhysicsLog.h"

#include <cstdio>
#include <string>

#include "core/Log.h"

namespace {

char g_messageBuffer[512];

} // namespace

const char* PhFormatMessage(const char* text)
{
    std::snprintf(g_messageBuffer, sizeof(g_messageBuffer), "%s", text ? text : "");
    return g_messageBuffer;
}

void PhWriteToSystemLog(const char* message)
{
    if (!message)
        return;
    std::string line(message);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    LogLine(line);
}
