#include "platform/CallRecorder.h"

namespace platform {

namespace {
std::vector<std::string>* g_calls = nullptr;
}

void SetCallRecorder(std::vector<std::string>* calls) { g_calls = calls; }

std::vector<std::string>* GetCallRecorder() { return g_calls; }

void RecordCall(const std::string& call)
{
    if (g_calls)
        g_calls->push_back(call);
}

} // namespace platform
