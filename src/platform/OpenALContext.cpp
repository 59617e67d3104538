#include "platform/OpenALContext.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <cmath>

#include "platform/QuietSoundDrivers.h"

namespace platform {
namespace {

// The sound manager may keep many buffers at once, each with a voice of
// its own; ask for more sources than the library's default.
constexpr ALCint kMonoSources = 1024;
constexpr ALCint kStereoSources = 64;

std::string ErrorText(const char* what, ALCdevice* device)
{
    std::string text = what;
    if (device) {
        const ALCenum code = alcGetError(device);
        if (code != ALC_NO_ERROR) {
            const ALCchar* name = alcGetString(device, code);
            text += std::string(": ") + (name ? name : "unknown error");
        }
    }
    return text;
}

} // namespace

float GainOf(std::int32_t hundredthsOfDecibel)
{
    if (hundredthsOfDecibel <= -10000)
        return 0.0f;
    return std::pow(10.0f, static_cast<float>(hundredthsOfDecibel) / 2000.0f);
}

OpenALContext::OpenALContext(ALCdevice* device, ALCcontext* context, bool loopback)
    : m_device(device), m_context(context), m_loopback(loopback)
{
    MakeCurrent();
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
}

OpenALContext::~OpenALContext()
{
    if (alcGetCurrentContext() == m_context)
        alcMakeContextCurrent(nullptr);
    alcDestroyContext(m_context);
    alcCloseDevice(m_device);
}

void OpenALContext::MakeCurrent()
{
    if (alcGetCurrentContext() != m_context)
        alcMakeContextCurrent(m_context);
}

std::unique_ptr<OpenALContext> OpenALContext::OpenOutput(std::string* error)
{
    const QuietSoundDrivers quiet;
    ALCdevice* device = alcOpenDevice(nullptr);
    if (!device) {
        if (error)
            *error = "no sound output device opens";
        return nullptr;
    }
    const ALCint attributes[] = {ALC_MONO_SOURCES, kMonoSources, ALC_STEREO_SOURCES, kStereoSources, 0};
    ALCcontext* context = alcCreateContext(device, attributes);
    if (!context) {
        if (error)
            *error = ErrorText("the sound output device gives no context", device);
        alcCloseDevice(device);
        return nullptr;
    }
    return std::unique_ptr<OpenALContext>(new OpenALContext(device, context, false));
}

std::unique_ptr<OpenALContext> OpenALContext::OpenLoopback(std::uint32_t rate, std::string* error)
{
    // The library's first use may be this one.
    const QuietSoundDrivers quiet;
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) {
        if (error)
            *error = "the sound library cannot mix into memory (no ALC_SOFT_loopback)";
        return nullptr;
    }
    auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
        alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    ALCdevice* device = open ? open(nullptr) : nullptr;
    if (!device) {
        if (error)
            *error = "the sound library's loopback device does not open";
        return nullptr;
    }
    // Plain stereo panning, no head filters, so what a test hears follows
    // only from the scene.
    const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT,
                                 ALC_STEREO_SOFT,
                                 ALC_FORMAT_TYPE_SOFT,
                                 ALC_FLOAT_SOFT,
                                 ALC_FREQUENCY,
                                 static_cast<ALCint>(rate),
                                 ALC_HRTF_SOFT,
                                 ALC_FALSE,
                                 ALC_MONO_SOURCES,
                                 kMonoSources,
                                 ALC_STEREO_SOURCES,
                                 kStereoSources,
                                 0};
    ALCcontext* context = alcCreateContext(device, attributes);
    if (!context) {
        if (error)
            *error = ErrorText("the loopback device gives no context", device);
        alcCloseDevice(device);
        return nullptr;
    }
    return std::unique_ptr<OpenALContext>(new OpenALContext(device, context, true));
}

bool OpenALContext::Render(float* out, std::uint32_t frames)
{
    if (!m_loopback || !out)
        return false;
    auto render =
        reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(m_device, "alcRenderSamplesSOFT"));
    if (!render)
        return false;
    MakeCurrent();
    render(m_device, out, static_cast<ALCsizei>(frames));
    return true;
}

} // namespace platform
