// A player's run of the sample game: it goes on until the player quits
// (the menu's EXIT, Escape on the menu, closing the window), the results
// wait for CONTINUE, and a click or key made between two frames counts.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "support/SampleHost.h"

#include "app/GameHost.h"
#include "game/Level.h"
#include "interface/Button.h"
#include "interface/Interface.h"
#include "platform/Dialog.h"
#include "platform/HeadlessInputDevice.h"

namespace {

// Scan code of the Escape key.
constexpr int kEscape = 0x01;
// On the 640 x 480 screen: the main menu's START, PROFILE and EXIT and the
// results' CONTINUE.
constexpr float kStartX = 320, kStartY = 180;
constexpr float kProfileX = 320, kProfileY = 240;
constexpr float kExitX = 320, kExitY = 360;
constexpr float kContinueX = 186, kContinueY = 450;

// The active screen that has a button of that name, if any.
const CPInterface* ActiveScreenWith(const std::string& button)
{
    for (const CPInterface* screen : CPInterface::GetInterfaceList()) {
        if (!screen->IsScreenActive())
            continue;
        for (const CPButton* candidate : screen->GetButtons())
            if (candidate->GetName() == button)
                return screen;
    }
    return nullptr;
}

class PlayUntilQuit : public SampleHostTest {
  protected:
    void SetUp() override
    {
        SampleHostTest::SetUp();
        GameHost::Options options = FrameOptions();
        options.untilQuit = true;
        MakeHost(options);
        input = host->GetHeadlessInput();
    }

    // A click pressed and let go before the next frame looks.
    void Click(float x, float y)
    {
        input->MoveMouseTo(x, y);
        input->SetButton(0, true);
        input->SetButton(0, false);
    }
    void TapKey(int scanCode)
    {
        input->SetKey(scanCode, true);
        input->SetKey(scanCode, false);
    }
    // From the menu into the race.
    void StartRace()
    {
        ASSERT_TRUE(Frames(5));
        ASSERT_NE(ActiveScreenWith("start"), nullptr) << "the main menu is not shown";
        Click(kStartX, kStartY);
        ASSERT_TRUE(Frames(2));
        ASSERT_NE(host->GetLevel(), nullptr) << "a click between two frames did not start the race";
    }

    platform::HeadlessInputDevice* input = nullptr;
};

} // namespace

TEST_F(PlayUntilQuit, TheResultsWaitForContinueLongAfterTheFinish)
{
    StartRace();
    int frames = 0;
    while (!ActiveScreenWith("continue") && frames < GameHost::kRaceFrames) {
        ASSERT_TRUE(Frames(1));
        ++frames;
    }
    ASSERT_NE(ActiveScreenWith("continue"), nullptr) << "the race never showed its results";
    // Half a minute of game time on the results, with the race long over:
    // the run goes on and the results stay.
    ASSERT_TRUE(Frames(30 * 60)) << "the run ended by itself after the race";
    // The game has decided the race; the table may still wait for a
    // straggler, which is no reason for the results to go.
    ASSERT_NE(host->GetLevel(), nullptr);
    EXPECT_TRUE(host->GetLevel()->race.raceDecided);
    EXPECT_NE(ActiveScreenWith("continue"), nullptr) << "the results went away by themselves";
    EXPECT_FALSE(host->IsQuitAsked());

    Click(kContinueX, kContinueY);
    ASSERT_TRUE(Frames(2));
    EXPECT_EQ(ActiveScreenWith("continue"), nullptr);
    EXPECT_NE(host->GetLevel(), nullptr) << "CONTINUE did not go on to the next circuit";
    EXPECT_FALSE(host->GetRaceWatch().IsOver()) << "the next race did not start";
    EXPECT_TRUE(Frames(60)) << "the next race does not end the run either";
}

TEST_F(PlayUntilQuit, EscapeInTheRaceGoesBackToTheMenu)
{
    StartRace();
    ASSERT_TRUE(Frames(120));
    TapKey(kEscape);
    ASSERT_TRUE(Frames(2));
    EXPECT_EQ(host->GetLevel(), nullptr) << "Escape did not leave the race";
    EXPECT_NE(ActiveScreenWith("start"), nullptr);
    EXPECT_FALSE(host->IsQuitAsked());
    EXPECT_TRUE(Frames(60));
}

TEST_F(PlayUntilQuit, EscapeOnTheProfilesGoesBackToTheMenu)
{
    ASSERT_TRUE(Frames(5));
    Click(kProfileX, kProfileY);
    ASSERT_TRUE(Frames(2));
    ASSERT_NE(ActiveScreenWith("slot1"), nullptr) << "the profiles are not shown";
    TapKey(kEscape);
    ASSERT_TRUE(Frames(2)) << "Escape on the profiles ended the run";
    EXPECT_EQ(ActiveScreenWith("slot1"), nullptr);
    EXPECT_NE(ActiveScreenWith("start"), nullptr) << "Escape did not lead back to the main menu";
}

TEST_F(PlayUntilQuit, EscapeOnTheMainMenuEndsTheRun)
{
    ASSERT_TRUE(Frames(5));
    ASSERT_NE(ActiveScreenWith("start"), nullptr);
    // Pressed and let go between two frames: the state never shows it held.
    TapKey(kEscape);
    EXPECT_FALSE(Frames(3)) << "Escape on the main menu did not end the run";
    EXPECT_TRUE(host->IsQuitAsked());
}

TEST_F(PlayUntilQuit, TheMenusExitEndsTheRun)
{
    ASSERT_TRUE(Frames(5));
    Click(kExitX, kExitY);
    EXPECT_FALSE(Frames(3)) << "EXIT did not end the run";
    EXPECT_TRUE(host->IsQuitAsked());
}
