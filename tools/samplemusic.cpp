// Writes the music of the sample data: a calm loop for the menus and a
// quicker one for the race, synthesised as WAVE files (11025 Hz, mono,
// 16-bit), the same bytes on every run. The scripts play them from
// "Data\Music".
//   samplemusic FOLDER
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "SampleFiles.h"

namespace {

constexpr int kRate = 11025;
constexpr int kRest = -100;

// A note: semitones from A3 (220 Hz), or a rest, held for eighths of a beat.
struct Note {
    int semitone;
    int eighths;
};

struct Track {
    const char* file;
    int beatsPerMinute;
    std::vector<Note> notes;
    double overtone; // share of the octave above, for a brighter sound
};

const Track kTracks[] = {
    {"menu.wav", 100, {{0, 2}, {3, 2}, {7, 2}, {12, 2}, {5, 2}, {8, 2}, {12, 2}, {8, 2}}, 0.15},
    {"race.wav",
     140,
     {{0, 1},
      {0, 1},
      {12, 1},
      {0, 1},
      {10, 1},
      {0, 1},
      {7, 1},
      {kRest, 1},
      {5, 1},
      {5, 1},
      {17, 1},
      {5, 1},
      {15, 1},
      {5, 1},
      {12, 1},
      {kRest, 1}},
     0.4},
};

double Frequency(int semitone) { return 220.0 * std::pow(2.0, semitone / 12.0); }

// Each note starts softly and fades, so the notes stay apart and the loop
// joins without a click.
std::vector<std::int16_t> Synthesise(const Track& track)
{
    const int eighth = kRate * 60 / track.beatsPerMinute / 2;
    std::vector<std::int16_t> samples;
    for (const Note& note : track.notes) {
        const int count = eighth * note.eighths;
        const double hz = note.semitone == kRest ? 0.0 : Frequency(note.semitone);
        for (int i = 0; i < count; ++i) {
            const double t = static_cast<double>(i) / count;
            const double envelope = std::min(1.0, t * 40.0) * (1.0 - t);
            const double phase = 2.0 * 3.14159265358979 * hz * i / kRate;
            const double tone =
                (1.0 - track.overtone) * std::sin(phase) + track.overtone * std::sin(2.0 * phase);
            samples.push_back(static_cast<std::int16_t>(std::lround(tone * envelope * 12000.0)));
        }
    }
    return samples;
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C");
    if (argc != 2) {
        std::fprintf(stderr, "Usage: samplemusic FOLDER\n");
        return 2;
    }
    for (const Track& track : kTracks)
        if (!sample::WriteFile(std::string(argv[1]) + "/" + track.file,
                               sample::WaveBytes(kRate, Synthesise(track))))
            return 1;
    return 0;
}
