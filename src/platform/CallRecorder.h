#pragma once

#include <string>
#include <vector>

namespace platform {

// The stand-ins for the windowing and component runtime note the calls that
// have no visible effect here (runtime start and end, browser close, shell
// requests) so that tests can check their order. Nothing is noted until a
// recorder is attached.
void SetCallRecorder(std::vector<std::string>* calls);
std::vector<std::string>* GetCallRecorder();
void RecordCall(const std::string& call);

} // namespace platform
