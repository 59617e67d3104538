#include "platform/ImageFitting.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform {
namespace {

struct Tap {
    int index;
    float weight;
};

// For each destination position along one axis, the source positions and
// weights of a tent filter centred on it.
std::vector<std::vector<Tap>> AxisTaps(int sourceSize, int targetSize)
{
    std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(targetSize));
    float scale = static_cast<float>(sourceSize) / static_cast<float>(targetSize);
    float radius = std::max(1.0f, scale);
    for (int d = 0; d < targetSize; ++d) {
        float centre = (static_cast<float>(d) + 0.5f) * scale - 0.5f;
        int low = static_cast<int>(std::ceil(centre - radius));
        int high = static_cast<int>(std::floor(centre + radius));
        float total = 0.0f;
        for (int s = low; s <= high; ++s) {
            float weight = 1.0f - std::fabs(static_cast<float>(s) - centre) / radius;
            if (weight <= 0.0f)
                continue;
            taps[d].push_back({std::clamp(s, 0, sourceSize - 1), weight});
            total += weight;
        }
        for (Tap& tap : taps[d])
            tap.weight /= total;
    }
    return taps;
}

std::uint8_t ToByte(float value) { return static_cast<std::uint8_t>(std::clamp(value + 0.5f, 0.0f, 255.0f)); }

bool SameSizeLevel(const Image& image, int face, int mip, int width, int height)
{
    if (mip >= image.mipLevels)
        return false;
    const ImageLevel& level = image.Level(face, mip);
    return level.width == width && level.height == height;
}

bool FitCompressed(const Image& source, const TextureShape& shape, Image& fitted, std::string& error)
{
    if (shape.width != source.width || shape.height != source.height) {
        error = std::string("a ") + ImageFormatName(source.format) + " picture of " +
                std::to_string(source.width) + " x " + std::to_string(source.height) +
                " cannot be scaled to " + std::to_string(shape.width) + " x " + std::to_string(shape.height);
        return false;
    }
    fitted.mipLevels = std::min(shape.mipLevels, source.mipLevels);
    for (int face = 0; face < source.faces; ++face)
        for (int mip = 0; mip < fitted.mipLevels; ++mip)
            fitted.levels.push_back(source.Level(face, mip));
    return true;
}

} // namespace

ImageLevel ResampleLevel(const ImageLevel& source, int width, int height)
{
    ImageLevel target;
    target.width = width;
    target.height = height;
    target.bytes.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    if (width == source.width && height == source.height) {
        target.bytes = source.bytes;
        return target;
    }
    auto columns = AxisTaps(source.width, width);
    auto rows = AxisTaps(source.height, height);
    // Rows first into floats, then columns into bytes.
    std::vector<float> across(static_cast<std::size_t>(source.height) * static_cast<std::size_t>(width) * 4,
                              0.0f);
    for (int y = 0; y < source.height; ++y) {
        const std::uint8_t* in = &source.bytes[static_cast<std::size_t>(y) * source.width * 4];
        float* out = &across[static_cast<std::size_t>(y) * width * 4];
        for (int x = 0; x < width; ++x)
            for (const Tap& tap : columns[x])
                for (int c = 0; c < 4; ++c)
                    out[x * 4 + c] += tap.weight * in[tap.index * 4 + c];
    }
    for (int y = 0; y < height; ++y) {
        std::uint8_t* out = &target.bytes[static_cast<std::size_t>(y) * width * 4];
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c) {
                float sum = 0.0f;
                for (const Tap& tap : rows[y])
                    sum += tap.weight * across[(static_cast<std::size_t>(tap.index) * width + x) * 4 + c];
                out[x * 4 + c] = ToByte(sum);
            }
    }
    return target;
}

bool FitImageToShape(const Image& source, const TextureShape& shape, Image& fitted, std::string* error)
{
    fitted = Image();
    fitted.format = source.format;
    fitted.width = shape.width;
    fitted.height = shape.height;
    fitted.faces = source.faces;
    std::string message;
    bool ok = true;
    if (source.levels.empty() || shape.width < 1 || shape.height < 1 || shape.mipLevels < 1) {
        message = "nothing to fit: empty picture or empty shape";
        ok = false;
    } else if (IsBlockCompressed(source.format)) {
        ok = FitCompressed(source, shape, fitted, message);
    } else {
        fitted.mipLevels = shape.mipLevels;
        for (int face = 0; face < source.faces; ++face) {
            for (int mip = 0; mip < shape.mipLevels; ++mip) {
                int w = std::max(1, shape.width >> mip);
                int h = std::max(1, shape.height >> mip);
                if (SameSizeLevel(source, face, mip, w, h))
                    fitted.levels.push_back(source.Level(face, mip));
                else if (mip == 0)
                    fitted.levels.push_back(ResampleLevel(source.Level(face, 0), w, h));
                else
                    fitted.levels.push_back(ResampleLevel(fitted.levels.back(), w, h));
            }
        }
    }
    if (!ok) {
        fitted = Image();
        if (error)
            *error = message;
    }
    return ok;
}

} // namespace platform
