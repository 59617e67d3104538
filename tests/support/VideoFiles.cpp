#include "support/VideoFiles.h"

#include <cstring>
#include <string>

namespace videofiles {
namespace {

void PutU32(std::vector<std::uint8_t>& bytes, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutTag(std::vector<std::uint8_t>& bytes, const char* tag) { bytes.insert(bytes.end(), tag, tag + 4); }

} // namespace

std::vector<std::uint8_t> Avi(std::uint32_t width, std::uint32_t height, std::uint32_t frames,
                              std::uint32_t microsecondsPerFrame)
{
    std::vector<std::uint8_t> header;
    PutU32(header, microsecondsPerFrame);
    PutU32(header, 0); // bytes per second
    PutU32(header, 0); // padding
    PutU32(header, 0); // flags
    PutU32(header, frames);
    PutU32(header, 0); // initial frames
    PutU32(header, 1); // streams
    PutU32(header, 0); // buffer size
    PutU32(header, width);
    PutU32(header, height);
    header.resize(56, 0); // reserved words

    std::vector<std::uint8_t> body;
    PutTag(body, "AVI ");
    PutTag(body, "LIST");
    PutU32(body, 4 + 8 + 56);
    PutTag(body, "hdrl");
    PutTag(body, "avih");
    PutU32(body, 56);
    body.insert(body.end(), header.begin(), header.end());
    PutTag(body, "LIST");
    PutU32(body, 4);
    PutTag(body, "movi");

    std::vector<std::uint8_t> file;
    PutTag(file, "RIFF");
    PutU32(file, static_cast<std::uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

} // namespace videofiles
