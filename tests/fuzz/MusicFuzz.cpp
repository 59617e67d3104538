// Music tracks (WAVE, FLAC, Ogg Vorbis and whatever else libsndfile takes),
// opened as the music player opens them and decoded through, with a seek
// back as a loop makes.
#include "FuzzSupport.h"

#include <sndfile.h>

#include <fstream>
#include <iterator>

#include "platform/PcmSource.h"

namespace {

// A short stereo ramp in the container and encoding, as libsndfile writes it.
std::string Track(int format)
{
    const std::string path = FuzzRoot() + "/seed-track";
    SF_INFO info{};
    info.samplerate = 8000;
    info.channels = 2;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return {};
    std::vector<short> samples(2 * 400);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<short>((i * 97) % 20000 - 10000);
    sf_writef_short(file, samples.data(), 400);
    sf_close(file);
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace

std::vector<std::string> FuzzSeeds()
{
    return {Track(SF_FORMAT_WAV | SF_FORMAT_PCM_16), Track(SF_FORMAT_FLAC | SF_FORMAT_PCM_16),
            Track(SF_FORMAT_OGG | SF_FORMAT_VORBIS)};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    WriteFuzzFile("Data/Music/track", data, size);
    std::unique_ptr<platform::PcmSource> source =
        platform::OpenSoundFile(FuzzRoot() + "/Data/Music/track", nullptr);
    if (!source)
        return 0;
    std::vector<std::int16_t> frames(2 * 1024);
    // A bound on the frames read keeps a file that claims hours short.
    for (int reads = 0; reads < 256 && source->Read(frames.data(), 1024) > 0; ++reads) {
    }
    if (source->Seek(0))
        source->Read(frames.data(), 1024);
    return 0;
}
