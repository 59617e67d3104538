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

ScopedMusicOutput::ScopedMusicOutput(MusicOutput* output) : m_output(output)
{
    if (m_output)
        SetMusicOutput(m_output);
}

ScopedMusicOutput::~ScopedMusicOutput()
{
    if (m_output && GetMusicOutput() == m_output)
        SetMusicOutput(nullptr);
}

} // namespace platform
