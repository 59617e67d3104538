#include "platform/MusicOutput.h"

namespace platform {
namespace {

MusicOutput*& Output()
{
    static MusicOutput* output = nullptr;
    return output;
}

} // namespace

void SetMusicOutput(MusicOutput* output) { Output() = output; }
MusicOutput* GetMusicOutput() { return Output(); }

} // namespace platform
