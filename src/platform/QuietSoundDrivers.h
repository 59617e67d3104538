#pragma once

namespace platform {

// While it lives, looking for a sound output prints nothing on the
// terminal: a machine without one is not a fault, and the caller says
// once in the log that the game plays silently. ALSA's error messages are
// dropped meanwhile; ALSA errors met later, on a device that did open, are
// printed as usual. The sound library reads its log level once, at its
// first use: made then, this keeps that log off for the run unless the
// user asked for one (ALSOFT_LOGLEVEL).
class QuietSoundDrivers {
  public:
    QuietSoundDrivers();
    ~QuietSoundDrivers();
    QuietSoundDrivers(const QuietSoundDrivers&) = delete;
    QuietSoundDrivers& operator=(const QuietSoundDrivers&) = delete;

  private:
    bool m_setLogLevel = false;
};

} // namespace platform
