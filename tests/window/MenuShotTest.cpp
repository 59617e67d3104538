// The main menu, a race frame with the opponents in view, one with the
// player's shots in flight, and the race's results in a 1280 x 720
// window, looked at
// as a player would: panels and buttons where the interface files put
// them, each button's label drawn on it.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "WindowFixture.h"
#include "support/ScratchFolder.h"

#include "app/GameHost.h"
#include "Render/PRender.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/Singletons.h"
#include "game/Level.h"
#include "game/ProjectileShot.h"
#include "game/ShotManager.h"
#include "platform/Dialog.h"
#include "platform/HeadlessInputDevice.h"
#include "platform/PngWriter.h"
#include "script/ScriptHost.h"

#if RS_HAVE_WINDOW

namespace {

constexpr int kWidth = 1280, kHeight = 720;

struct Rgb {
    int r = 0, g = 0, b = 0;
};

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
};

struct Frame {
    std::vector<std::uint8_t> rgb;
    std::uint32_t width = 0, height = 0;

    Rgb At(int x, int y) const
    {
        const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)) * 3];
        return {p[0], p[1], p[2]};
    }
    template <typename Test> double Share(const Rect& r, Test test) const
    {
        int passed = 0, total = 0;
        for (int y = r.top; y < r.top + r.height; ++y)
            for (int x = r.left; x < r.left + r.width; ++x, ++total)
                passed += test(At(x, y)) ? 1 : 0;
        return total ? static_cast<double>(passed) / total : 0.0;
    }
    Rgb Mean(const Rect& r) const
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
};

int Distance(const Rgb& a, const Rgb& b)
{
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

// A rectangle of the 1024 x 768 screen the interface files are made for,
// on the window: centred windows keep their size and stay centred.
Rect Centred(int x, int y, int w, int h) { return {x + (kWidth - 1024) / 2, y + (kHeight - 768) / 2, w, h}; }

// Kept in the test's working folder for a person to look at.
void SaveShot(const Frame& frame, const std::string& name)
{
    std::string error;
    EXPECT_TRUE(
        platform::WritePngRgb(name + "-1280x720.png", frame.rgb.data(), frame.width, frame.height, &error))
        << error;
}

// A button of the interface file (its 1024 x 768 place) stands out from
// the panel behind it, and its label's row shows another colour than the
// button around it.
void ExpectButton(const Frame& frame, int x, int y, const Rgb& panelColour, const char* name)
{
    const Rect button = Centred(x + 4, y + 4, 256 - 8, 48 - 8);
    const Rgb buttonColour = frame.Mean(button);
    EXPECT_GT(Distance(buttonColour, panelColour), 12) << "no " << name << " button";
    const Rect label = Centred(x + 16, y + 14, 256 - 32, 20);
    EXPECT_GT(frame.Share(label, [&](const Rgb& c) { return Distance(c, buttonColour) > 40; }), 0.03)
        << "the " << name << " button has no label";
}

bool Black(const Rgb& c) { return std::max({c.r, c.g, c.b}) <= 8; }

// The sample data with the window's size in its config.cfg.
void PrepareData(ScratchFolder& data)
{
    std::filesystem::copy(RS_SOURCE_DIR "/data/sample", data.GetPath(),
                          std::filesystem::copy_options::recursive);
    std::ofstream(data.Path("config.cfg"), std::ios::binary)
        << "Fullscreen = 0\r\nScreenHeight = " << kHeight << "\r\nScreenWidth = " << kWidth << "\r\n";
}

} // namespace

TEST(MenuShot, ShowsThePanelItsButtonsAndTheirLabelsOnBlack)
{
    PreferOffscreenVideo();
    IgnoreDriverLeaks ignoreLeaks;
    ScratchFolder data;
    std::filesystem::copy(RS_SOURCE_DIR "/data/sample", data.GetPath(),
                          std::filesystem::copy_options::recursive);
    std::ofstream(data.Path("config.cfg"), std::ios::binary)
        << "Fullscreen = 0\r\nScreenHeight = " << kHeight << "\r\nScreenWidth = " << kWidth << "\r\n";
    GameHost::Options options;
    options.frames = 20;
    options.dataRoot = data.GetPath();
    options.window = true;
    options.realClock = [] { return GetGameClock().frameCount / 60.0; };
    GameHost host(options);
    if (!host.HasWindow())
        GTEST_SKIP() << "no OpenGL 3.3 window can be had here: " << host.GetDeviceError();
    auto* device = static_cast<platform::GlGraphicsDevice*>(&host.GetDevice());
    ASSERT_EQ(host.Run(), options.frames);
    Frame frame;
    ASSERT_TRUE(device->ReadFrame(&frame.rgb, &frame.width, &frame.height));
    ASSERT_EQ(frame.width, static_cast<std::uint32_t>(kWidth));
    ASSERT_EQ(frame.height, static_cast<std::uint32_t>(kHeight));

    // Around the panel the menu stands on black.
    const auto black = Black;
    const Rect panel = Centred(312, 164, 400, 460);
    EXPECT_GT(frame.Share({0, 0, panel.left - 4, kHeight}, black), 0.98) << "left of the panel is not black";
    EXPECT_GT(
        frame.Share({panel.left + panel.width + 4, 0, kWidth - panel.left - panel.width - 4, kHeight}, black),
        0.98)
        << "right of the panel is not black";
    // The panel itself is drawn: a strip of it above the title.
    const Rect panelStrip{panel.left + 8, panel.top + 4, panel.width - 16, 20};
    EXPECT_LT(frame.Share(panelStrip, black), 0.1) << "the panel is not drawn";
    const Rgb panelColour = frame.Mean(panelStrip);

    // Each button stands out from the panel, and its label's row shows
    // pixels of another colour than the button around it.
    ExpectButton(frame, 384, 300, panelColour, "START");
    ExpectButton(frame, 384, 360, panelColour, "PROFILE");
    ExpectButton(frame, 384, 420, panelColour, "SHOP");
    ExpectButton(frame, 384, 480, panelColour, "EXIT");
    SaveShot(frame, "menu");
    platform::ClearPostedQuit();
}

// The race is started from the menu's START and ended by the game's own
// end-of-race command a second in; the results show their panel with
// CONTINUE and MENU.
TEST(MenuShot, ResultsShowTheirPanelWithContinueAndMenu)
{
    PreferOffscreenVideo();
    IgnoreDriverLeaks ignoreLeaks;
    ScratchFolder data;
    PrepareData(data);
    GameHost::Options options;
    options.frames = 1; // each Run is one frame
    options.dataRoot = data.GetPath();
    options.window = true;
    options.realClock = [] { return GetGameClock().frameCount / 60.0; };
    GameHost host(options);
    if (!host.HasWindow())
        GTEST_SKIP() << "no OpenGL 3.3 window can be had here: " << host.GetDeviceError();
    auto* device = static_cast<platform::GlGraphicsDevice*>(&host.GetDevice());
    platform::HeadlessInputDevice* input = host.GetHeadlessInput();
    ASSERT_NE(input, nullptr);
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(host.Run(), 1);
    // START stands 60 pixels above the middle.
    input->MoveMouseTo(kWidth / 2.0f, kHeight / 2.0f - 60);
    input->SetButton(0, true);
    input->SetButton(0, false);
    for (int i = 0; i < 60; ++i)
        ASSERT_EQ(host.Run(), 1);
    ASSERT_NE(host.GetLevel(), nullptr) << "the race did not start from the menu";
    ASSERT_TRUE(host.GetScriptHost().RunText("SendCommandByName('jeep', 'game_over', '')", "end"));
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(host.Run(), 1);
        for (const CPShot* shot : GetWeaponManager()->GetActiveShots()) {
            const auto* projectile = dynamic_cast<const CPProjectileShot*>(shot);
            const Vector3 a = GetRender()->WorldToScreen(shot->GetPosition());
            std::printf("DBG%d %s player %d trav %.1f at %.0f %.0f\n", i, shot->GetKindName().c_str(),
                        shot->GetShooter() == host.GetLevel()->GetPlayer(),
                        projectile ? projectile->GetTravelled() : -1.f, a.x, a.y);
        }
    }
    Frame frame;
    ASSERT_TRUE(device->ReadFrame(&frame.rgb, &frame.width, &frame.height));
    SaveShot(frame, "results");

    const Rect panel = Centred(212, 134, 600, 500);
    const Rect panelStrip{panel.left + 8, panel.top + 60, panel.width - 16, 20};
    EXPECT_LT(frame.Share(panelStrip, Black), 0.1) << "the results panel is not drawn";
    const Rgb panelColour = frame.Mean(panelStrip);
    ExpectButton(frame, 250, 570, panelColour, "CONTINUE");
    ExpectButton(frame, 540, 570, panelColour, "MENU");
    platform::ClearPostedQuit();
}

// A second into the race, with the opponents on the grid ahead.
TEST(MenuShot, RaceShowsTheOpponentsWhereTheCameraProjectsThem)
{
    PreferOffscreenVideo();
    IgnoreDriverLeaks ignoreLeaks;
    ScratchFolder data;
    PrepareData(data);
    GameHost::Options options;
    options.frames = 1; // each Run is one frame
    options.dataRoot = data.GetPath();
    options.window = true;
    options.realClock = [] { return GetGameClock().frameCount / 60.0; };
    GameHost host(options);
    if (!host.HasWindow())
        GTEST_SKIP() << "no OpenGL 3.3 window can be had here: " << host.GetDeviceError();
    auto* device = static_cast<platform::GlGraphicsDevice*>(&host.GetDevice());
    platform::HeadlessInputDevice* input = host.GetHeadlessInput();
    ASSERT_NE(input, nullptr);
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(host.Run(), 1);
    input->MoveMouseTo(kWidth / 2.0f, kHeight / 2.0f - 60);
    input->SetButton(0, true);
    input->SetButton(0, false);
    for (int i = 0; i < 60; ++i)
        ASSERT_EQ(host.Run(), 1);
    ASSERT_NE(host.GetLevel(), nullptr) << "the race did not start from the menu";
    for (int i = 0; i < 12; ++i)
        ASSERT_EQ(host.Run(), 1);
    Frame frame;
    ASSERT_TRUE(device->ReadFrame(&frame.rgb, &frame.width, &frame.height));
    SaveShot(frame, "race");

    // The opponents ahead are drawn where the camera projects them: the
    // road just above each one's place on the ground is hidden by its
    // body, whose colours are not the asphalt's grey.
    const auto asphalt = [](const Rgb& c) {
        const int spread = std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b});
        const int luminance = (c.r * 30 + c.g * 59 + c.b * 11) / 100;
        return spread <= 12 && luminance >= 20 && luminance <= 110;
    };
    int seen = 0;
    for (const CPGameObject* opponent : host.GetLevel()->GetOpponents()) {
        const Vector3 at = GetRender()->WorldToScreen(opponent->GetPosition());
        const int x = static_cast<int>(at.x), y = static_cast<int>(at.y);
        if (x < 8 || y < 64 || x >= kWidth - 8 || y >= kHeight - 8)
            continue;
        const double road = frame.Share({x - 5, y - 24, 11, 20}, asphalt);
        EXPECT_LT(road, 0.7) << "the opponent projected at " << x << "," << y << " is not drawn there";
        ++seen;
    }
    EXPECT_GE(seen, 3) << "the opponents on the grid are not ahead of the camera";
    platform::ClearPostedQuit();
}

// The player holds the fire key on the grid: the gun's tracers fly down
// the road and are drawn where the camera projects them, over what the
// frame before the first shot showed there.
TEST(MenuShot, RaceShowsThePlayersShotsInFlight)
{
    constexpr int kFireKey = 0x1D; // LCtrl, the sample's fire key
    PreferOffscreenVideo();
    IgnoreDriverLeaks ignoreLeaks;
    ScratchFolder data;
    PrepareData(data);
    GameHost::Options options;
    options.frames = 1; // each Run is one frame
    options.dataRoot = data.GetPath();
    options.window = true;
    options.realClock = [] { return GetGameClock().frameCount / 60.0; };
    GameHost host(options);
    if (!host.HasWindow())
        GTEST_SKIP() << "no OpenGL 3.3 window can be had here: " << host.GetDeviceError();
    auto* device = static_cast<platform::GlGraphicsDevice*>(&host.GetDevice());
    platform::HeadlessInputDevice* input = host.GetHeadlessInput();
    ASSERT_NE(input, nullptr);
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(host.Run(), 1);
    input->MoveMouseTo(kWidth / 2.0f, kHeight / 2.0f - 60);
    input->SetButton(0, true);
    input->SetButton(0, false);
    for (int i = 0; i < 72; ++i)
        ASSERT_EQ(host.Run(), 1);
    ASSERT_NE(host.GetLevel(), nullptr) << "the race did not start from the menu";
    Frame before;
    ASSERT_TRUE(device->ReadFrame(&before.rgb, &before.width, &before.height));

    // The gun fires ten times a second and each shot meets the road or a
    // car within a few frames: the frame is read as soon as one of the
    // player's shots is in flight, well away from the gun (whose muzzle
    // flash is drawn whether or not a shot ever is).
    input->SetKey(kFireKey, true);
    const CPGameObject* player = host.GetLevel()->GetPlayer();
    const CPProjectileShot* inFlight = nullptr;
    for (int i = 0; i < 30 && !inFlight; ++i) {
        ASSERT_EQ(host.Run(), 1);
        for (const CPShot* shot : GetWeaponManager()->GetActiveShots()) {
            const auto* projectile = dynamic_cast<const CPProjectileShot*>(shot);
            if (projectile && shot->GetShooter() == player && projectile->GetTravelled() >= 5.0f)
                inFlight = projectile;
        }
    }
    input->SetKey(kFireKey, false);
    ASSERT_NE(inFlight, nullptr) << "none of the player's shots flew";
    Frame frame;
    ASSERT_TRUE(device->ReadFrame(&frame.rgb, &frame.width, &frame.height));
    SaveShot(frame, "race-fire");

    // Shots fly forward from the car the camera follows: none is behind the eye.
    const Vector3 at = GetRender()->WorldToScreen(inFlight->GetHead());
    const int x = static_cast<int>(at.x), y = static_cast<int>(at.y);
    ASSERT_TRUE(x >= 8 && y >= 8 && x < kWidth - 8 && y < kHeight - 8)
        << "the shot in flight is projected out of view, at " << x << "," << y;
    const Rect around{x - 3, y - 3, 7, 7};
    EXPECT_GT(Distance(frame.Mean(around), before.Mean(around)), 20)
        << "the shot projected at " << x << "," << y << " is not drawn there";
    platform::ClearPostedQuit();
}
#endif
