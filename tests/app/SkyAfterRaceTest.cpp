// The level's sky goes with the level: once the player leaves a race, the
// menu is drawn on the menu's own background, not on the race's fog.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "support/SampleHost.h"

#include "Render/PRender.h"
#include "app/GameHost.h"
#include "core/Singletons.h"
#include "platform/Dialog.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "platform/HeadlessInputDevice.h"

namespace {

constexpr int kEscape = 0x01;
// START of the main menu on the 640 x 480 screen.
constexpr float kStartX = 320, kStartY = 180;

class SkyAfterRace : public SampleHostTest {
  protected:
    void SetUp() override
    {
        SampleHostTest::SetUp();
        GameHost::Options options = FrameOptions();
        options.untilQuit = true;
        MakeHost(options);
        input = host->GetHeadlessInput();
        device = dynamic_cast<platform::HeadlessGraphicsDevice*>(&host->GetDevice());
    }

    std::uint32_t ClearColour() const { return device->GetLastClear().color; }

    platform::HeadlessInputDevice* input = nullptr;
    platform::HeadlessGraphicsDevice* device = nullptr;
};

} // namespace

TEST_F(SkyAfterRace, EscapeLeavesTheMenuOnItsOwnBackgroundWithoutTheSky)
{
    ASSERT_NE(device, nullptr);
    ASSERT_TRUE(Frames(5));
    const std::uint32_t menuClear = ClearColour();

    input->MoveMouseTo(kStartX, kStartY);
    input->SetButton(0, true);
    input->SetButton(0, false);
    ASSERT_TRUE(Frames(60));
    ASSERT_NE(host->GetLevel(), nullptr) << "the race did not start";
    ASSERT_NE(GetRender()->GetSky(), nullptr) << "the sample level has no sky to lose";
    // The race is cleared to its fog, so the menu's colour coming back
    // below is the sky's leaving, not chance.
    ASSERT_NE(ClearColour(), menuClear);

    input->SetKey(kEscape, true);
    input->SetKey(kEscape, false);
    ASSERT_TRUE(Frames(3));
    ASSERT_EQ(host->GetLevel(), nullptr) << "Escape did not leave the race";
    EXPECT_EQ(GetRender()->GetSky(), nullptr) << "the sky outlived its level";
    EXPECT_EQ(ClearColour(), menuClear) << "the menu is cleared to the race's fog";
}
