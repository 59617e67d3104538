// The main menu, a race frame with the opponents in view, one with the
// player's shots in flight, and the race's results in a 1280 x 720
// window, looked at
// as a player would: panels and buttons where the interface files put
// them, each button's label drawn on it.
#include <memory>
#include <string>

#include "ReadBackFrame.h"
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
#include "platform/VectorMath.h"
#include "script/ScriptHost.h"

#if RS_HAVE_WINDOW

namespace {

constexpr int kWidth = 1280, kHeight = 720;

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

// The tracer's warm yellow, lit or in shade: red over green well over blue,
// which neither the grey road, the grass nor the sky shows.
bool IsTracer(const Rgb& c) { return c.r >= 90 && c.g >= c.r * 3 / 5 && c.r - c.b >= 40 && c.g - c.b >= 25; }

// The sample game in a 1280 x 720 window, stepped one frame a Run at 1/60
// s, with the mouse and keys played into the window's input.
class MenuShot : public ::testing::Test {
  protected:
    void SetUp() override
    {
        PreferOffscreenVideo();
        ignoreLeaks = std::make_unique<IgnoreDriverLeaks>();
        PrepareSampleData(data, kWidth, kHeight, false);
        GameHost::Options options;
        options.frames = 1;
        options.dataRoot = data.GetPath();
        options.window = true;
        options.realClock = [] { return GetGameClock().frameCount / 60.0; };
        host = std::make_unique<GameHost>(options);
        if (!host->HasWindow())
            GTEST_SKIP() << "no OpenGL 3.3 window can be had here: " << host->GetDeviceError();
        device = static_cast<platform::GlGraphicsDevice*>(&host->GetDevice());
        input = host->GetHeadlessInput();
        ASSERT_NE(input, nullptr);
    }
    void TearDown() override
    {
        platform::ClearPostedQuit();
        host.reset();
        ignoreLeaks.reset();
    }

    void RunFrames(int count)
    {
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(host->Run(), 1);
    }
    // START stands 60 pixels above the middle of the menu.
    void ClickStart()
    {
        input->MoveMouseTo(kWidth / 2.0f, kHeight / 2.0f - 60);
        input->SetButton(0, true);
        input->SetButton(0, false);
    }
    // Ten frames of the menu, START, and `frames` more: the race has begun.
    void StartRace(int frames)
    {
        ASSERT_NO_FATAL_FAILURE(RunFrames(10));
        ClickStart();
        ASSERT_NO_FATAL_FAILURE(RunFrames(frames));
        ASSERT_NE(host->GetLevel(), nullptr) << "the race did not start from the menu";
    }
    Frame Read()
    {
        Frame frame;
        EXPECT_TRUE(device->ReadFrame(&frame.rgb, &frame.width, &frame.height));
        return frame;
    }

    ScratchFolder data;
    std::unique_ptr<IgnoreDriverLeaks> ignoreLeaks;
    std::unique_ptr<GameHost> host;
    platform::GlGraphicsDevice* device = nullptr;
    platform::HeadlessInputDevice* input = nullptr;
};

} // namespace

TEST_F(MenuShot, ShowsThePanelItsButtonsAndTheirLabelsOnBlack)
{
    ASSERT_NO_FATAL_FAILURE(RunFrames(20));
    const Frame frame = Read();
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
}

// The race is started from the menu's START and ended by the game's own
// end-of-race command a second in; the results show their panel with
// CONTINUE and MENU.
TEST_F(MenuShot, ResultsShowTheirPanelWithContinueAndMenu)
{
    ASSERT_NO_FATAL_FAILURE(StartRace(60));
    ASSERT_TRUE(host->GetScriptHost().RunText("SendCommandByName('jeep', 'game_over', '')", "end"));
    ASSERT_NO_FATAL_FAILURE(RunFrames(20));
    const Frame frame = Read();
    SaveShot(frame, "results");

    const Rect panel = Centred(212, 150, 600, 470);
    const Rect panelStrip{panel.left + 8, panel.top + 44, panel.width - 16, 20};
    EXPECT_LT(frame.Share(panelStrip, Black), 0.1) << "the results panel is not drawn";
    const Rgb panelColour = frame.Mean(panelStrip);
    ExpectButton(frame, 250, 570, panelColour, "CONTINUE");
    ExpectButton(frame, 540, 570, panelColour, "MENU");
}

// A second into the race, with the opponents on the grid ahead.
TEST_F(MenuShot, RaceShowsTheOpponentsWhereTheCameraProjectsThem)
{
    ASSERT_NO_FATAL_FAILURE(StartRace(72));
    const Frame frame = Read();
    SaveShot(frame, "race");

    // The opponents ahead are drawn where the camera projects them: the
    // road just above each one's place on the ground is hidden by its
    // body, whose colours are not the asphalt's grey.
    int seen = 0;
    for (const CPGameObject* opponent : host->GetLevel()->GetOpponents()) {
        const Vector3 at = GetRender()->WorldToScreen(opponent->GetPosition());
        const int x = static_cast<int>(at.x), y = static_cast<int>(at.y);
        if (x < 8 || y < 64 || x >= kWidth - 8 || y >= kHeight - 8)
            continue;
        const double road = frame.Share({x - 5, y - 24, 11, 20}, IsAsphalt);
        EXPECT_LT(road, 0.7) << "the opponent projected at " << x << "," << y << " is not drawn there";
        ++seen;
    }
    EXPECT_GE(seen, 3) << "the opponents on the grid are not ahead of the camera";
}

// The player holds the fire key on the grid: the gun's tracers fly down
// the road and are drawn where the camera projects them, over what the
// frame before the first shot showed there.
TEST_F(MenuShot, RaceShowsThePlayersShotsInFlight)
{
    constexpr int kFireKey = 0x1D; // LCtrl, the sample's fire key
    ASSERT_NO_FATAL_FAILURE(StartRace(72));
    const Frame before = Read();

    // The gun fires ten times a second and each shot meets the road or a
    // car within a few frames: the frame is read as soon as one of the
    // player's shots is in flight, well away from the gun (whose muzzle
    // flash is drawn whether or not a shot ever is).
    input->SetKey(kFireKey, true);
    const CPGameObject* player = host->GetLevel()->GetPlayer();
    const CPProjectileShot* inFlight = nullptr;
    for (int i = 0; i < 30 && !inFlight; ++i) {
        ASSERT_EQ(host->Run(), 1);
        for (const CPShot* shot : GetWeaponManager()->GetActiveShots()) {
            const auto* projectile = dynamic_cast<const CPProjectileShot*>(shot);
            if (projectile && shot->GetShooter() == player && projectile->GetTravelled() >= 5.0f)
                inFlight = projectile;
        }
    }
    input->SetKey(kFireKey, false);
    ASSERT_NE(inFlight, nullptr) << "none of the player's shots flew";
    const Frame frame = Read();
    SaveShot(frame, "race-fire");

    // Shots fly forward from the car the camera follows: none is behind the eye.
    const Vector3 at = GetRender()->WorldToScreen(inFlight->GetHead());
    const int x = static_cast<int>(at.x), y = static_cast<int>(at.y);
    ASSERT_TRUE(x >= 8 && y >= 8 && x < kWidth - 8 && y < kHeight - 8)
        << "the shot in flight is projected out of view, at " << x << "," << y;
    const Rect around{x - 3, y - 3, 7, 7};
    EXPECT_GT(Distance(frame.Mean(around), before.Mean(around)), 20)
        << "the shot projected at " << x << "," << y << " is not drawn there";

    // Along the tracer's streak, from its head back over its three metres,
    // pixels of the tracer's own warm yellow show over the grey road, where
    // the frame before the first shot had none.
    const Vector3 back = inFlight->GetHead() - Normalize(inFlight->GetDirection()) * 3.0f;
    const Vector3 tail = GetRender()->WorldToScreen(back);
    const auto tracerPixels = [&](const Frame& f) {
        int count = 0;
        for (int step = 0; step <= 20; ++step) {
            const float t = step / 20.0f;
            const int px = static_cast<int>(at.x + (tail.x - at.x) * t);
            const int py = static_cast<int>(at.y + (tail.y - at.y) * t);
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    const int sx = px + dx, sy = py + dy;
                    if (sx < 0 || sy < 0 || sx >= kWidth || sy >= kHeight)
                        continue;
                    count += IsTracer(f.At(sx, sy)) ? 1 : 0;
                }
        }
        return count;
    };
    const int seen = tracerPixels(frame);
    EXPECT_GE(seen, 4) << "no tracer-coloured pixels between " << x << "," << y << " and " << tail.x << ","
                       << tail.y;
    EXPECT_GT(seen, tracerPixels(before) + 3) << "the tracer's colour was there before the shot";
}
#endif
