// Writes the special sounds and the car sounds of the sample data as short synthesised WAVE
// files (22050 Hz, mono, 16-bit), the same bytes on every run.
//   samplesounds FOLDER
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/FileWriter.h"
#include "platform/Random.h"

namespace {

constexpr int kRate = 22050;

struct Voice {
    const char* file;
    float seconds;
    float startHz; // the pitch glides from start to end
    float endHz;
    float noise; // share of noise in the mix, 0..1
};

// One distinct voice per special sound, so each can be told apart by ear.
const Voice kVoices[] = {
    {"change_weapon.wav", 0.12f, 660.0f, 880.0f, 0.0f},
    {"undo_weapon.wav", 0.12f, 440.0f, 330.0f, 0.0f},
    {"fast.wav", 0.30f, 300.0f, 900.0f, 0.1f},
    {"bonus_plus.wav", 0.25f, 523.0f, 784.0f, 0.0f},
    {"bonus_minus.wav", 0.25f, 784.0f, 523.0f, 0.0f},
    {"bonus_slow.wav", 0.35f, 400.0f, 200.0f, 0.0f},
    {"bonus_fast.wav", 0.35f, 400.0f, 1200.0f, 0.0f},
    {"enter_sumrak.wav", 0.60f, 110.0f, 55.0f, 0.3f},
    {"chik.wav", 0.05f, 2000.0f, 2000.0f, 0.5f},
    {"slam.wav", 0.40f, 80.0f, 40.0f, 0.8f},
    // The cars: an engine hum that loops, tyres skidding and the nitro.
    {"main.wav", 1.00f, 90.0f, 90.0f, 0.15f},
    {"vizg.wav", 0.60f, 1200.0f, 1100.0f, 0.7f},
    {"nitro.wav", 0.80f, 200.0f, 600.0f, 0.6f},
};

void WriteShort(CPFileWriter& writer, std::int16_t value)
{
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value & 0xFF),
                                   static_cast<std::uint8_t>((value >> 8) & 0xFF)};
    writer.WriteBytes(bytes, 2);
}

std::vector<std::int16_t> Synthesise(const Voice& voice)
{
    const int count = static_cast<int>(voice.seconds * kRate);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(count));
    double phase = 0.0;
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / count;
        const double hz = voice.startHz + (voice.endHz - voice.startHz) * t;
        phase += 2.0 * 3.14159265358979 * hz / kRate;
        const double tone = std::sin(phase);
        const double noise = platform::Rand() / 16383.5 - 1.0;
        const double envelope = std::min(1.0, t * 50.0) * (1.0 - t);
        const double mix = ((1.0 - voice.noise) * tone + voice.noise * noise) * envelope;
        samples[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(std::lround(mix * 20000.0));
    }
    return samples;
}

bool WriteWave(const std::string& path, const std::vector<std::int16_t>& samples)
{
    const std::int32_t dataBytes = static_cast<std::int32_t>(samples.size() * 2);
    CPFileWriter writer(path, false);
    writer.WriteBytes("RIFF", 4);
    writer.WriteInt(36 + dataBytes);
    writer.WriteBytes("WAVEfmt ", 8);
    writer.WriteInt(16);
    WriteShort(writer, 1); // PCM
    WriteShort(writer, 1); // mono
    writer.WriteInt(kRate);
    writer.WriteInt(kRate * 2);
    WriteShort(writer, 2);
    WriteShort(writer, 16);
    writer.WriteBytes("data", 4);
    writer.WriteInt(dataBytes);
    for (std::int16_t sample : samples)
        WriteShort(writer, sample);
    return writer.Save() == 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C");
    if (argc != 2) {
        std::fprintf(stderr, "Usage: samplesounds FOLDER\n");
        return 2;
    }
    platform::SeedRand(1);
    for (const Voice& voice : kVoices) {
        const std::string path = std::string(argv[1]) + "/" + voice.file;
        if (!WriteWave(path, Synthesise(voice))) {
            std::fprintf(stderr, "Cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
