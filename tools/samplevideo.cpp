// Writes an uncompressed video file of frames of plain colours, for tests
// and sample data, optionally with a sine tone as its sound:
// samplevideo [--tone HZ] OUT.avi WIDTH HEIGHT FPS RRGGBB [RRGGBB...]
#include <clocale>
#include <cmath>
#include <cstring>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutU16(Bytes& bytes, std::uint32_t value)
{
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(Bytes& bytes, std::uint32_t value)
{
    PutU16(bytes, value & 0xFFFFu);
    PutU16(bytes, value >> 16);
}

void PutTag(Bytes& bytes, const char* tag) { bytes.insert(bytes.end(), tag, tag + 4); }

void PutChunk(Bytes& bytes, const char* tag, const Bytes& data)
{
    PutTag(bytes, tag);
    PutU32(bytes, static_cast<std::uint32_t>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
    if (data.size() & 1u)
        bytes.push_back(0);
}

void PutList(Bytes& bytes, const char* type, const Bytes& data)
{
    Bytes body;
    PutTag(body, type);
    body.insert(body.end(), data.begin(), data.end());
    PutChunk(bytes, "LIST", body);
}

struct Video {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t fps = 0;
    std::vector<std::uint32_t> colours; // 0xRRGGBB per frame
    std::uint32_t toneHz = 0;           // 0: no sound
};

// The sound is 16-bit mono at this rate.
constexpr std::uint32_t kSoundRate = 22050;

// The tone's samples that go with one frame, half of full scale.
Bytes Sound(const Video& video, std::uint32_t frame)
{
    const std::uint32_t first = frame * kSoundRate / video.fps;
    const std::uint32_t end = (frame + 1) * kSoundRate / video.fps;
    Bytes samples;
    for (std::uint32_t i = first; i < end; ++i) {
        const double value = 16384.0 * std::sin(2.0 * 3.141592653589793 * video.toneHz * i / kSoundRate);
        PutU16(samples, static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(value))));
    }
    return samples;
}

Bytes SoundStreamList(const Video& video)
{
    const auto samples = static_cast<std::uint32_t>(video.colours.size() * kSoundRate / video.fps);
    Bytes stream;
    PutTag(stream, "auds");
    PutU32(stream, 0); // no handler
    PutU32(stream, 0); // flags
    PutU32(stream, 0); // priority and language
    PutU32(stream, 0); // initial frames
    PutU32(stream, 1); // scale
    PutU32(stream, kSoundRate);
    PutU32(stream, 0); // start
    PutU32(stream, samples);
    PutU32(stream, kSoundRate * 2 / video.fps + 2);
    PutU32(stream, 0xFFFFFFFFu); // quality
    PutU32(stream, 2);           // sample size
    stream.resize(56, 0);

    Bytes format;
    PutU16(format, 1); // PCM
    PutU16(format, 1); // mono
    PutU32(format, kSoundRate);
    PutU32(format, kSoundRate * 2);
    PutU16(format, 2);
    PutU16(format, 16);
    PutU16(format, 0);

    Bytes list;
    PutChunk(list, "strh", stream);
    PutChunk(list, "strf", format);
    return list;
}

std::uint32_t RowBytes(const Video& video) { return (video.width * 3 + 3) & ~3u; }

// One bottom-up 24-bit frame of a single colour.
Bytes Frame(const Video& video, std::uint32_t colour)
{
    Bytes frame(static_cast<std::size_t>(RowBytes(video)) * video.height, 0);
    for (std::uint32_t y = 0; y < video.height; ++y)
        for (std::uint32_t x = 0; x < video.width; ++x) {
            std::uint8_t* pixel = &frame[y * RowBytes(video) + x * 3];
            pixel[0] = static_cast<std::uint8_t>(colour);
            pixel[1] = static_cast<std::uint8_t>(colour >> 8);
            pixel[2] = static_cast<std::uint8_t>(colour >> 16);
        }
    return frame;
}

Bytes Headers(const Video& video)
{
    const std::uint32_t frameBytes = RowBytes(video) * video.height;
    const auto frames = static_cast<std::uint32_t>(video.colours.size());
    Bytes main;
    PutU32(main, 1000000 / video.fps);
    PutU32(main, frameBytes * video.fps);
    PutU32(main, 0);
    PutU32(main, 0x10); // has an index
    PutU32(main, frames);
    PutU32(main, 0);
    PutU32(main, video.toneHz ? 2 : 1); // streams
    PutU32(main, frameBytes);
    PutU32(main, video.width);
    PutU32(main, video.height);
    main.resize(56, 0);

    Bytes stream;
    PutTag(stream, "vids");
    PutTag(stream, "DIB ");
    PutU32(stream, 0); // flags
    PutU32(stream, 0); // priority and language
    PutU32(stream, 0); // initial frames
    PutU32(stream, 1); // scale
    PutU32(stream, video.fps);
    PutU32(stream, 0); // start
    PutU32(stream, frames);
    PutU32(stream, frameBytes);
    PutU32(stream, 0xFFFFFFFFu); // quality
    PutU32(stream, 0);           // sample size
    PutU16(stream, 0);
    PutU16(stream, 0);
    PutU16(stream, video.width);
    PutU16(stream, video.height);

    Bytes format;
    PutU32(format, 40);
    PutU32(format, video.width);
    PutU32(format, video.height); // positive: bottom-up rows
    PutU16(format, 1);
    PutU16(format, 24);
    PutU32(format, 0); // uncompressed
    PutU32(format, frameBytes);
    format.resize(40, 0);

    Bytes streamList;
    PutChunk(streamList, "strh", stream);
    PutChunk(streamList, "strf", format);
    Bytes headerList;
    PutChunk(headerList, "avih", main);
    PutList(headerList, "strl", streamList);
    if (video.toneHz)
        PutList(headerList, "strl", SoundStreamList(video));
    Bytes out;
    PutList(out, "hdrl", headerList);
    return out;
}

Bytes File(const Video& video)
{
    Bytes movie;
    Bytes index;
    auto put = [&](const char* tag, const Bytes& data) {
        PutTag(index, tag);
        PutU32(index, 0x10); // key frame
        PutU32(index, static_cast<std::uint32_t>(movie.size() + 4));
        PutU32(index, static_cast<std::uint32_t>(data.size()));
        PutChunk(movie, tag, data);
    };
    for (std::uint32_t frame = 0; frame < video.colours.size(); ++frame) {
        put("00db", Frame(video, video.colours[frame]));
        if (video.toneHz)
            put("01wb", Sound(video, frame));
    }
    Bytes body;
    PutTag(body, "AVI ");
    const Bytes headers = Headers(video);
    body.insert(body.end(), headers.begin(), headers.end());
    PutList(body, "movi", movie);
    PutChunk(body, "idx1", index);
    Bytes file;
    PutChunk(file, "RIFF", body);
    return file;
}

bool ParseNumber(const char* text, std::uint32_t low, std::uint32_t high, std::uint32_t& out)
{
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (end == text || *end != '\0' || value < low || value > high)
        return false;
    out = static_cast<std::uint32_t>(value);
    return true;
}

bool ParseColour(const std::string& text, std::uint32_t& out)
{
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    out = static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 16));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C");
    Video video;
    const char* program = argv[0];
    if (argc > 2 && std::strcmp(argv[1], "--tone") == 0) {
        if (!ParseNumber(argv[2], 20, 10000, video.toneHz)) {
            std::fprintf(stderr, "--tone needs a frequency of 20 to 10000 Hz\n");
            return 2;
        }
        argc -= 2;
        argv += 2;
    }
    if (argc < 6) {
        std::fprintf(stderr, "Usage: %s [--tone HZ] OUT.avi WIDTH HEIGHT FPS RRGGBB [RRGGBB...]\n", program);
        return 2;
    }
    if (!ParseNumber(argv[2], 1, 4096, video.width) || !ParseNumber(argv[3], 1, 4096, video.height) ||
        !ParseNumber(argv[4], 1, 1000, video.fps)) {
        std::fprintf(stderr, "Width and height must be 1 to 4096, frames a second 1 to 1000\n");
        return 2;
    }
    for (int i = 5; i < argc; ++i) {
        std::uint32_t colour = 0;
        if (!ParseColour(argv[i], colour)) {
            std::fprintf(stderr, "\"%s\" is not a colour written RRGGBB\n", argv[i]);
            return 2;
        }
        video.colours.push_back(colour);
    }
    const Bytes file = File(video);
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::fprintf(stderr, "Cannot write \"%s\"\n", argv[1]);
        return 1;
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "Writing \"%s\" failed\n", argv[1]);
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
