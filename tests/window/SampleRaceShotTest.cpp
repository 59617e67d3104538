// The sample race in a window, looked at as a person would: the sky above,
// the road below, and the heads-up display where its screen file puts it.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ReadBackFrame.h"
#include "WindowFixture.h"
#include "support/ScratchFolder.h"

#include "app/GameHost.h"
#include "core/FileReader.h"
#include "platform/Dialog.h"
#include "core/GameClock.h"
#include "platform/Image.h"
#include "platform/gl/Letterbox.h"

#if RS_HAVE_WINDOW

namespace {

// Clear sky or haze: blue above red and green.
bool IsSky(const Rgb& c) { return c.b >= c.r + 24 && c.b >= c.g + 8; }

// A window of the heads-up display as its screen file gives it: where it
// stands on a 1024 x 768 screen, its picture's place in the screen texture
// and how it follows the real screen size.
struct HudWindow {
    std::string name;
    float x = 0, y = 0, w = 0, h = 0, u = 0, v = 0, tw = 0, th = 0;
    std::string anchor;
};

std::vector<HudWindow> ReadHudWindows(const std::string& path)
{
    std::ifstream file(path);
    std::vector<HudWindow> windows;
    std::string line;
    bool windowNext = false;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line == "window") {
            windowNext = true;
            continue;
        }
        if (!windowNext)
            continue;
        windowNext = false;
        HudWindow window;
        std::istringstream fields(line);
        std::string values;
        fields >> window.name >> values;
        std::replace(values.begin(), values.end(), ',', ' ');
        std::istringstream numbers(values);
        std::string visible;
        numbers >> window.x >> window.y >> window.w >> window.h >> window.u >> window.v >> window.tw >>
            window.th >> visible >> window.anchor;
        if (visible == "true")
            windows.push_back(window);
    }
    return windows;
}

// Where the window lands on a screen of the given size: stretched windows
// scale with it, anchored ones keep their size and their distance from the
// named side.
Rect Place(const HudWindow& window, int width, int height)
{
    float x = window.x, y = window.y, w = window.w, h = window.h;
    if (window.anchor == "stretch") {
        w = w * width / 1024.0f;
        h = h * height / 768.0f;
    } else {
        if (window.anchor[0] == 'r')
            x += width - 1024.0f;
        if (window.anchor.size() > 1 && window.anchor[1] == 'd')
            y += height - 768.0f;
    }
    return {static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)), static_cast<int>(w),
            static_cast<int>(h)};
}

// Mean colour and alpha of a part of a decoded picture.
void MeanOf(const platform::Image& image, const HudWindow& window, Rgb* colour, int* alpha)
{
    const platform::ImageLevel& level = image.Level(0, 0);
    long long sum[4] = {};
    int count = 0;
    for (int y = static_cast<int>(window.v); y < static_cast<int>(window.v + window.th); ++y)
        for (int x = static_cast<int>(window.u); x < static_cast<int>(window.u + window.tw); ++x, ++count)
            for (int k = 0; k < 4; ++k)
                sum[k] += (level.Pixel(x, y) >> (24 - 8 * k)) & 255;
    count = std::max(count, 1);
    *alpha = static_cast<int>(sum[0] / count);
    *colour = {static_cast<int>(sum[1] / count), static_cast<int>(sum[2] / count),
               static_cast<int>(sum[3] / count)};
}

// The surface shows the picture scaled into the box that keeps its aspect,
// centred, black around it.
void ExpectPictureFills(const Frame& picture, const Frame& surface)
{
    const platform::Letterbox box = platform::Letterbox::Fit(
        picture.width, picture.height, static_cast<int>(surface.width), static_cast<int>(surface.height));
    ASSERT_GT(box.width, 0);
    EXPECT_TRUE(box.width == static_cast<int>(surface.width) ||
                box.height == static_cast<int>(surface.height))
        << "the picture does not fill the surface one way";
    EXPECT_NEAR(static_cast<double>(box.width) / box.height,
                static_cast<double>(picture.width) / picture.height, 0.01);
    int samples = 0, matching = 0, bars = 0, black = 0;
    for (int sy = 2; sy < static_cast<int>(surface.height) - 2; sy += 7)
        for (int sx = 2; sx < static_cast<int>(surface.width) - 2; sx += 7) {
            const Rgb seen = surface.At(sx, sy);
            const bool inside =
                sx >= box.x && sx < box.x + box.width && sy >= box.y && sy < box.y + box.height;
            if (!inside) {
                ++bars;
                black += Luminance(seen) <= 2 ? 1 : 0;
                continue;
            }
            const int px = (sx - box.x) * static_cast<int>(picture.width) / box.width;
            const int py = (sy - box.y) * static_cast<int>(picture.height) / box.height;
            const Rgb drawn = picture.At(px, py);
            ++samples;
            matching += std::abs(seen.r - drawn.r) <= 40 && std::abs(seen.g - drawn.g) <= 40 &&
                                std::abs(seen.b - drawn.b) <= 40
                            ? 1
                            : 0;
        }
    EXPECT_EQ(black, bars) << "the bars are not black";
    EXPECT_GT(matching, samples * 9 / 10) << "the surface does not show the picture the screenshot holds";
}

// What a player must see of the sample race on a screen of that size: the
// sky above, the road under the car, and each window of the heads-up
// display where its screen file and its anchor put it.
void ExpectRaceSeen(const Frame& frame, const std::string& dataRoot)
{
    const int width = static_cast<int>(frame.width), height = static_cast<int>(frame.height);
    const std::vector<HudWindow> hud = ReadHudWindows(dataRoot + "/Data/Interface/hud1024.int");
    ASSERT_FALSE(hud.empty());
    int panelBottom = 0;
    for (const HudWindow& window : hud)
        if (window.anchor == "stretch")
            panelBottom =
                std::max(panelBottom, Place(window, width, height).top + Place(window, width, height).height);

    // The sky fills the rows between the display's top panel and the
    // horizon, haze included.
    const Rect sky{0, panelBottom + 4, width, height / 6};
    EXPECT_GT(frame.Share(sky, IsSky), 0.9) << "upper rows are not sky-coloured";

    // The car drives on the road: the band of the picture around and below
    // it, above the display's bars, is largely asphalt, whose texture shows
    // as grain, not as one flat colour.
    const Rect road{0, height * 2 / 3, width, height * 7 / 32};
    EXPECT_GT(frame.Share(road, IsAsphalt), 0.25) << "the road is not under the car";
    double sum = 0, squares = 0;
    int count = 0;
    for (int y = road.top; y < road.top + road.height; ++y)
        for (int x = road.left; x < road.left + road.width; ++x) {
            const Rgb c = frame.At(x, y);
            if (!IsAsphalt(c))
                continue;
            const double l = Luminance(c);
            sum += l;
            squares += l * l;
            ++count;
        }
    const double mean = count ? sum / count : 0.0;
    EXPECT_GT(count ? std::sqrt(squares / count - mean * mean) : 0.0, 1.5) << "the road shows no texture";

    // Each window of the display shows its own picture, blended by its
    // alpha over whatever is behind it.
    CPFileReader reader("Data\\Textures\\screen.tga", false);
    ASSERT_EQ(reader.Load(), S_OK);
    platform::Image picture;
    ASSERT_TRUE(platform::DecodeImage(reader.GetData(), reader.GetDataSize(), picture));
    for (const HudWindow& window : hud) {
        Rgb colour;
        int alpha = 0;
        MeanOf(picture, window, &colour, &alpha);
        Rect r = Place(window, width, height);
        r = {r.left + 2, r.top + 2, r.width - 4, r.height - 4}; // off the edges, which filtering softens
        auto shows = [&](const Rgb& c) {
            auto within = [alpha](int seen, int own) {
                const int least = own * alpha / 255, most = least + (255 - alpha);
                return seen >= least - 12 && seen <= most + 12;
            };
            return within(c.r, colour.r) && within(c.g, colour.g) && within(c.b, colour.b);
        };
        // Texts stand on the panel, so a share of its pixels is theirs.
        EXPECT_GT(frame.Share(r, shows), 0.75) << window.name << " is not where the screen file puts it";
    }
}

struct ScreenCase {
    std::int32_t width, height;
    bool fullscreen;
};

std::string CaseName(const ::testing::TestParamInfo<ScreenCase>& info)
{
    return std::to_string(info.param.width) + "x" + std::to_string(info.param.height) +
           (info.param.fullscreen ? "FullScreen" : "Window");
}

class SampleRaceShot : public ::testing::TestWithParam<ScreenCase> {};

} // namespace

// A few seconds of the sample race at each screen size: the main menu's
// Start is clicked where it stands at that size (played into the window's
// mouse), a computer driver steers, and the last frame is read. The game
// steps 1/60 s a frame here, so the frames shown do not follow the speed of
// the machine.
TEST_P(SampleRaceShot, ShowsSkyAboveRoadBelowAndTheHeadsUpDisplay)
{
    const ScreenCase screen = GetParam();
    PreferOffscreenVideo();
    IgnoreDriverLeaks ignoreLeaks;
    ScratchFolder data;
    // The size comes from config.cfg, as the launcher writes it.
    PrepareSampleData(data, screen.width, screen.height, screen.fullscreen);
    GameHost::Options options;
    options.frames = 240;
    // The menu's buttons stand centred: Start is 60 pixels above the middle.
    std::ostringstream clicks;
    clicks << "20 move " << screen.width / 2 << " " << screen.height / 2 - 60
           << "\n30 press 0\n32 release 0\n";
    std::string error;
    ASSERT_TRUE(options.input.Parse(clicks.str(), error)) << error;
    options.dataRoot = data.GetPath();
    options.window = true;
    options.autopilot = true;
    options.realClock = [] { return GetGameClock().frameCount / 60.0; };
    GameHost host(options);
    if (!host.HasWindow())
        GTEST_SKIP() << "no OpenGL 3.3 window can be had here: " << host.GetDeviceError();
    auto* device = static_cast<platform::GlGraphicsDevice*>(&host.GetDevice());
    device->KeepPresentedSurface(screen.fullscreen);
    ASSERT_EQ(device->GetPresentParameters().backBufferWidth, static_cast<std::uint32_t>(screen.width));
    ASSERT_EQ(device->GetPresentParameters().backBufferHeight, static_cast<std::uint32_t>(screen.height));
    ASSERT_EQ(host.Run(), options.frames);
    ASSERT_TRUE(host.GetRaceWatch().IsWatching()) << "the race did not start from the menu";

    Frame frame;
    ASSERT_TRUE(device->ReadFrame(&frame.rgb, &frame.width, &frame.height));
    ASSERT_EQ(frame.width, static_cast<std::uint32_t>(screen.width));
    ASSERT_EQ(frame.height, static_cast<std::uint32_t>(screen.height));
    ExpectRaceSeen(frame, data.GetPath());

    // The frame read back is what a screenshot writes; in full screen the
    // display shows it whole at its own aspect, filling the display but for
    // black bars where the aspects differ.
    if (screen.fullscreen) {
        Frame surface;
        ASSERT_TRUE(device->ReadPresentedSurface(&surface.rgb, &surface.width, &surface.height));
        ExpectPictureFills(frame, surface);
    }
    platform::ClearPostedQuit();
}

INSTANTIATE_TEST_SUITE_P(Sizes, SampleRaceShot,
                         ::testing::Values(ScreenCase{640, 480, false}, ScreenCase{1280, 720, false},
                                           ScreenCase{1920, 1080, false}, ScreenCase{1280, 720, true}),
                         CaseName);

#endif
