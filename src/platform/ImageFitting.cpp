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
// weights of a tent filter centred on it: position d's taps are
// taps[first[d]] up to taps[first[d + 1]].
struct AxisTaps {
    std::vector<Tap> taps;
    std::vector<std::size_t> first;

    AxisTaps(int sourceSize, int targetSize);
    const Tap* Begin(int d) const { return taps.data() + first[static_cast<std::size_t>(d)]; }
    const Tap* End(int d) const { return taps.data() + first[static_cast<std::size_t>(d) + 1]; }
};

AxisTaps::AxisTaps(int sourceSize, int targetSize)
{
    first.reserve(static_cast<std::size_t>(targetSize) + 1);
    first.push_back(0);
    float scale = static_cast<float>(sourceSize) / static_cast<float>(targetSize);
    float radius = std::max(1.0f, scale);
    for (int d = 0; d < targetSize; ++d) {
        float centre = (static_cast<float>(d) + 0.5f) * scale - 0.5f;
        int low = static_cast<int>(std::ceil(centre - radius));
        int high = static_cast<int>(std::floor(centre + radius));
        const std::size_t start = taps.size();
        float total = 0.0f;
        for (int s = low; s <= high; ++s) {
            float weight = 1.0f - std::fabs(static_cast<float>(s) - centre) / radius;
            if (weight <= 0.0f)
                continue;
            taps.push_back({std::clamp(s, 0, sourceSize - 1), weight});
            total += weight;
        }
        for (std::size_t i = start; i < taps.size(); ++i)
            taps[i].weight /= total;
        first.push_back(taps.size());
    }
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
    if (width == source.width && height == source.height) {
        target.bytes = source.bytes;
        return target;
    }
    target.bytes.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    const AxisTaps columns(source.width, width);
    const AxisTaps rows(source.height, height);
    // Rows first into floats, then columns into bytes. Every sum starts at
    // zero and takes its taps in order, so each channel comes out the same
    // whichever way the loops run.
    const std::size_t rowFloats = static_cast<std::size_t>(width) * 4;
    std::vector<float> across(static_cast<std::size_t>(source.height) * rowFloats);
    // Each source row is turned into floats once (exactly), not once for
    // every tap that reads a pixel.
    const std::size_t sourceRowBytes = static_cast<std::size_t>(source.width) * 4;
    std::vector<float> line(sourceRowBytes);
    for (int y = 0; y < source.height; ++y) {
        const std::uint8_t* in = &source.bytes[static_cast<std::size_t>(y) * sourceRowBytes];
        std::copy(in, in + sourceRowBytes, line.begin());
        float* out = &across[static_cast<std::size_t>(y) * rowFloats];
        for (int x = 0; x < width; ++x) {
            float sum[4] = {0.0f, 0.0f, 0.0f, 0.0f};
            for (const Tap* tap = columns.Begin(x); tap != columns.End(x); ++tap) {
                const float* pixel = &line[static_cast<std::size_t>(tap->index) * 4];
                for (int c = 0; c < 4; ++c)
                    sum[c] += tap->weight * pixel[c];
            }
            for (int c = 0; c < 4; ++c)
                out[x * 4 + c] = sum[c];
        }
    }
    std::vector<float> sums(rowFloats);
    for (int y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0.0f);
        for (const Tap* tap = rows.Begin(y); tap != rows.End(y); ++tap) {
            const float* row = &across[static_cast<std::size_t>(tap->index) * rowFloats];
            for (std::size_t i = 0; i < rowFloats; ++i)
                sums[i] += tap->weight * row[i];
        }
        std::uint8_t* out = &target.bytes[static_cast<std::size_t>(y) * rowFloats];
        for (std::size_t i = 0; i < rowFloats; ++i)
            out[i] = ToByte(sums[i]);
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
