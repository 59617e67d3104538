#include "ReadBackFrame.h"

#include <filesystem>
#include <fstream>

#include "support/ScratchFolder.h"

Rgb Frame::Mean(const Rect& r) const
{
    long long sum[3] = {};
    int count = 0;
    for (int y = r.top; y < r.top + r.height; ++y)
        for (int x = r.left; x < r.left + r.width; ++x, ++count) {
            const Rgb c = At(x, y);
            sum[0] += c.r;
            sum[1] += c.g;
            sum[2] += c.b;
        }
    count = std::max(count, 1);
    return {static_cast<int>(sum[0] / count), static_cast<int>(sum[1] / count),
            static_cast<int>(sum[2] / count)};
}

void PrepareSampleData(ScratchFolder& data, int width, int height, bool fullscreen)
{
    std::filesystem::copy(RS_SOURCE_DIR "/data/sample", data.GetPath(),
                          std::filesystem::copy_options::recursive);
    std::ofstream(data.Path("config.cfg"), std::ios::binary)
        << "Fullscreen = " << (fullscreen ? 1 : 0) << "\r\nScreenHeight = " << height
        << "\r\nScreenWidth = " << width << "\r\n";
}
