#pragma once

#include <cstdint>

#include "platform/MathTypes.h"
#include "platform/Result.h"

// Records, flags and result codes of the sound device.
namespace platform {

constexpr HResult kSoundBufferLost = static_cast<HResult>(0x88780096u);
constexpr HResult kSoundInvalidCall = static_cast<HResult>(0x88780032u);
constexpr HResult kSoundBadFormat = static_cast<HResult>(0x88780064u);
constexpr HResult kSoundControlUnavailable = static_cast<HResult>(0x8878001Eu);

// What a buffer can be controlled by; only the named controls work on it.
constexpr std::uint32_t kBufferControl3D = 0x10;
constexpr std::uint32_t kBufferControlFrequency = 0x20;
constexpr std::uint32_t kBufferControlPan = 0x40;
constexpr std::uint32_t kBufferControlVolume = 0x80;

constexpr std::uint32_t kPlayLooping = 1;

constexpr std::uint32_t kStatusPlaying = 1;
constexpr std::uint32_t kStatusBufferLost = 2;
constexpr std::uint32_t kStatusLooping = 4;

// Volume in hundredths of a decibel: 0 is full volume, -10000 silence.
constexpr std::int32_t kVolumeMin = -10000;
constexpr std::int32_t kVolumeMax = 0;
constexpr std::int32_t kPanLeft = -10000;
constexpr std::int32_t kPanRight = 10000;
// Samples per second a buffer may play at; 0 asks for the format's own.
constexpr std::uint32_t kFrequencyMin = 100;
constexpr std::uint32_t kFrequencyMax = 200000;
constexpr std::uint32_t kFrequencyOriginal = 0;
constexpr std::uint32_t kBufferBytesMin = 4;
constexpr std::uint32_t kBufferBytesMax = 0x0FFFFFFF;

constexpr std::uint16_t kWaveFormatPcm = 1;
constexpr std::uint16_t kWaveFormatFloat = 3;

// The layout of a sample stream: what a WAVE file's "fmt " chunk holds.
struct WaveFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSecond = 0;
    std::uint32_t averageBytesPerSecond = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t extraSize = 0; // bytes of format-specific data after the record
};

// How a 3D buffer's position is turned into what the listener hears.
enum class Spatial3DAlgorithm : std::uint8_t { Default, NoVirtualization, HrtfFull, HrtfLight };

struct SoundBufferDesc {
    std::uint32_t flags = 0;
    std::uint32_t bufferBytes = 0;
    const WaveFormat* format = nullptr;
    Spatial3DAlgorithm algorithm = Spatial3DAlgorithm::Default;
};

constexpr std::uint32_t kApplyImmediate = 0;
constexpr std::uint32_t kApplyDeferred = 1;

constexpr std::uint32_t kMode3DNormal = 0;
constexpr std::uint32_t kMode3DHeadRelative = 1;
constexpr std::uint32_t kMode3DDisabled = 2;

// Everything a 3D buffer is placed by, with the device's defaults.
struct Sound3DParameters {
    Vector3 position;
    Vector3 velocity;
    std::uint32_t insideConeAngle = 360;
    std::uint32_t outsideConeAngle = 360;
    Vector3 coneOrientation{0.0f, 0.0f, 1.0f};
    std::int32_t coneOutsideVolume = 0;
    float minDistance = 1.0f;
    float maxDistance = 1.0e9f;
    std::uint32_t mode = kMode3DNormal;
};

// Where the one listener stands and faces.
struct ListenerParameters {
    Vector3 position;
    Vector3 velocity;
    Vector3 front{0.0f, 0.0f, 1.0f};
    Vector3 top{0.0f, 1.0f, 0.0f};
    float distanceFactor = 1.0f;
    float rolloffFactor = 1.0f;
    float dopplerFactor = 1.0f;
};

} // namespace platform
