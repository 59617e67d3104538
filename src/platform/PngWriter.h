#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Writes rows of 8-bit RGB pixels, top row first, as a PNG file. The file
// is written beside its name and renamed into place, so a failure never
// leaves half a picture. False, with the reason in *error, on failure.
bool WritePngRgb(const std::string& path, const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height,
                 std::string* error);

} // namespace platform
