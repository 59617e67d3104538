#pragma once

#include <cstdint>
#include <memory>
#include <string>

typedef struct ALCdevice_struct ALCdevice;
typedef struct ALCcontext_struct ALCcontext;

namespace platform {

// One OpenAL device with its context, made current while it lives.
class OpenALContext {
  public:
    static std::unique_ptr<OpenALContext> OpenOutput(std::string* error);
    static std::unique_ptr<OpenALContext> OpenLoopback(std::uint32_t rate, std::string* error);
    ~OpenALContext();
    OpenALContext(const OpenALContext&) = delete;
    OpenALContext& operator=(const OpenALContext&) = delete;

    // Makes this context the one OpenAL calls go to.
    void MakeCurrent();
    bool IsLoopback() const { return m_loopback; }
    bool Render(float* out, std::uint32_t frames);

  private:
    OpenALContext(ALCdevice* device, ALCcontext* context, bool loopback);

    ALCdevice* m_device;
    ALCcontext* m_context;
    bool m_loopback;
};

// Decibel hundredths (-10000..0) as an amplitude factor.
float GainOf(std::int32_t hundredthsOfDecibel);

} // namespace platform
