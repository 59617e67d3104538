#include "platform/QuietSoundDrivers.h"

#include <cstdlib>

#if RS_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif

namespace platform {
namespace {

// The sound library reads its log level once, when it first starts up;
// "0" is no log at all.
constexpr const char* kLogLevelVariable = "ALSOFT_LOGLEVEL";

#if RS_HAVE_ALSA
void DropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}
#endif

} // namespace

QuietSoundDrivers::QuietSoundDrivers()
{
    if (!std::getenv(kLogLevelVariable))
        m_setLogLevel = ::setenv(kLogLevelVariable, "0", 0) == 0;
#if RS_HAVE_ALSA
    snd_lib_error_set_handler(DropAlsaMessage);
#endif
}

QuietSoundDrivers::~QuietSoundDrivers()
{
#if RS_HAVE_ALSA
    // Back to ALSA's own handler, which prints.
    snd_lib_error_set_handler(nullptr);
#endif
    // Programs the game starts see the environment it was given.
    if (m_setLogLevel)
        ::unsetenv(kLogLevelVariable);
}

} // namespace platform
