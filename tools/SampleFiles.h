// Small helpers the sample-data generators share: files written whole
// (folders made on the way), numbers printed the same way on every run and
// in every locale, plain TGA pictures and mono 16-bit WAVE sounds.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace sample {

inline bool WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (out.good())
        return true;
    std::fprintf(stderr, "Cannot write \"%s\"\n", path.string().c_str());
    return false;
}

// A number with three decimals; "-0.000" is printed as "0.000" so that a
// rounding sign does not change the bytes between machines.
inline std::string Num(double value)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%.3f", value);
    std::string result(text);
    if (result == "-0.000")
        result = "0.000";
    return result;
}

// An uncompressed 32-bit TGA, top row first; pixels are 0xAARRGGBB.
inline std::string TgaBytes(int width, int height, const std::vector<std::uint32_t>& pixels)
{
    std::string bytes(18, '\0');
    bytes[2] = 2; // true colour
    bytes[12] = static_cast<char>(width & 0xFF);
    bytes[13] = static_cast<char>(width >> 8);
    bytes[14] = static_cast<char>(height & 0xFF);
    bytes[15] = static_cast<char>(height >> 8);
    bytes[16] = 32;
    bytes[17] = 0x28; // 8 alpha bits, top-left origin
    for (std::uint32_t pixel : pixels) {
        bytes += static_cast<char>(pixel & 0xFF);
        bytes += static_cast<char>((pixel >> 8) & 0xFF);
        bytes += static_cast<char>((pixel >> 16) & 0xFF);
        bytes += static_cast<char>((pixel >> 24) & 0xFF);
    }
    return bytes;
}

// A PCM WAVE file of one channel of 16-bit samples.
inline std::string WaveBytes(int rate, const std::vector<std::int16_t>& samples)
{
    auto add = [](std::string& bytes, std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i)
            bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string bytes = "RIFF";
    add(bytes, 36 + dataBytes, 4);
    bytes += "WAVEfmt ";
    add(bytes, 16, 4);
    add(bytes, 1, 2); // PCM
    add(bytes, 1, 2); // mono
    add(bytes, static_cast<std::uint32_t>(rate), 4);
    add(bytes, static_cast<std::uint32_t>(rate) * 2, 4);
    add(bytes, 2, 2);
    add(bytes, 16, 2);
    bytes += "data";
    add(bytes, dataBytes, 4);
    for (std::int16_t sample : samples)
        add(bytes, static_cast<std::uint16_t>(sample), 2);
    return bytes;
}

} // namespace sample
