#pragma once

#include "platform/Image.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The per-format readers behind DecodeImage. Each fills `image` and returns
// true, or returns false with `error` set; none allocates more than the
// header's size allows after checking it against the data at hand.
namespace platform::detail {

bool ReadJpeg(const std::uint8_t* data, std::size_t size, Image& image, std::string& error);
bool ReadPng(const std::uint8_t* data, std::size_t size, Image& image, std::string& error);
bool ReadTga(const std::uint8_t* data, std::size_t size, Image& image, std::string& error);
bool ReadBmp(const std::uint8_t* data, std::size_t size, Image& image, std::string& error);
bool ReadDds(const std::uint8_t* data, std::size_t size, Image& image, std::string& error);

// Checks an edge pair from a header; sets `error` when out of range.
bool CheckImageEdges(const char* kind, long long width, long long height, std::string& error);

// Bits of `value` selected by `mask`, scaled to 0..255 (0 when the mask is 0).
std::uint8_t ExtractChannel(std::uint32_t value, std::uint32_t mask);

} // namespace platform::detail
