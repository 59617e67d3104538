#include "platform/ErrorText.h"

#include <cstdint>
#include <cstdio>

namespace platform {
namespace {

struct ErrorText {
    std::uint32_t code;
    const char* name;
    const char* description;
};

// Generic codes first, then those of the graphics, video and sound
// stand-ins.
constexpr ErrorText kErrorTexts[] = {
    {0x00000000u, "S_OK", "The operation succeeded."},
    {0x00000001u, "S_FALSE", "The operation succeeded without doing anything."},
    {0x80004005u, "E_FAIL", "The operation failed for an unspecified reason."},
    {0x80070057u, "E_INVALIDARG", "An argument was not valid."},
    {0x8007000Eu, "E_OUTOFMEMORY", "There was not enough memory to finish the operation."},
    {0x80004001u, "E_NOTIMPL", "The operation is not implemented."},
    {0x80004002u, "E_NOINTERFACE", "The object does not offer the requested interface."},
    {0x88760868u, "DEVICE_LOST", "The graphics device was lost and cannot be used until it is reset."},
    {0x88760869u, "DEVICE_NOT_RESET", "The graphics device was lost and can now be reset."},
    {0x8876086Au, "NOT_AVAILABLE", "The device does not offer the requested format or feature."},
    {0x8876086Cu, "INVALID_CALL", "The call was not valid: an argument or the device state is wrong."},
    {0x88760B59u, "INVALID_DATA", "The file could not be read as a picture of a kind the loader knows."},
    {0x8876017Cu, "OUT_OF_VIDEO_MEMORY", "There is not enough video memory to finish the operation."},
    {0x88780096u, "BUFFER_LOST", "The sound buffer lost its memory and must be restored."},
    {0x8878000Au, "SOUND_ALLOCATED", "The sound device is in use by another program."},
    {0x88780032u, "SOUND_INVALID_PARAM", "A sound call was given an argument that is not valid."},
    {0x88780064u, "SOUND_BAD_FORMAT", "The sound device cannot play samples of this format."},
    {0x8878001Eu, "SOUND_CONTROL_UNAVAILABLE",
     "The sound buffer was not made with the control the call needs."},
    {0x80070002u, "FILE_NOT_FOUND", "The file cannot be found."},
    {0x8004022Fu, "MEDIA_INVALID_FILE", "The media file is empty or its format is not valid."},
    {0x80004004u, "E_ABORT", "The operation was aborted or has nothing to give."},
    {0x800401F0u, "NOT_INITIALIZED", "The object was used before it was opened or started."},
    {0x00040003u, "STREAM_ENDED", "The stream has given its last frame."},
    {0x80040411u, "NO_SUCH_STREAM", "The multimedia stream holds no stream of that purpose."},
    {0x80040413u, "STREAM_NOT_RUNNING", "The stream is stopped, so no frame can be read."},
};

const ErrorText* Find(HResult code)
{
    const std::uint32_t bits = static_cast<std::uint32_t>(code);
    for (const ErrorText& text : kErrorTexts) {
        if (text.code == bits)
            return &text;
    }
    return nullptr;
}

std::string Hex(HResult code)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(static_cast<std::uint32_t>(code)));
    return text;
}

} // namespace

std::string GetErrorName(HResult code)
{
    const ErrorText* text = Find(code);
    return text ? text->name : "UNKNOWN_ERROR " + Hex(code);
}

std::string GetErrorDescription(HResult code)
{
    const ErrorText* text = Find(code);
    return text ? text->description : "The result code " + Hex(code) + " is not known.";
}

} // namespace platform
