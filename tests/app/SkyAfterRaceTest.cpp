// The level's sky goes with the level: once the player leaves a race, the
// menu is drawn on the menu's own background, not on the race's fog.
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "support/ScratchFolder.h"

#include "Render/PRender.h"
#include "app/GameHost.h"
#include "core/Singletons.h"
#include "platform/Dialog.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "platform/HeadlessInputDevice.h"

namespace fs = std::filesystem;

namespace {

constexpr int kEscape = 0x01;
// START of the main menu on the 640 x 480 screen.
constexpr float kStartX = 320, kStartY = 180;

class SkyAfterRace : public ::testing::Test {
  protected:
    void SetUp() override
    {
        fs::copy(std::string(RS_SOURCE_DIR) + "/data/sample", data.GetPath(), fs::copy_options::recursive);
        GameHost::Options options;
        options.frames = 1; // each Run is one frame
        options.dataRoot = data.GetPath();
        options.autopilot = true;
        options.untilQuit = true;
        host = std::make_unique<GameHost>(options);
        input = host->GetHeadlessInput();
        device = dynamic_cast<platform::HeadlessGraphicsDevice*>(&host->GetDevice());
    }
    void TearDown() override
    {
        host.reset();
        platform::ClearPostedQuit();
    }

    bool Frames(int count)
    {
        for (int i = 0; i < count; ++i)
            if (host->Run() == 0)
                return false;
        return true;
    }
    std::uint32_t ClearColour() const { return device->GetLastClear().color; }

    ScratchFolder data;
    std::unique_ptr<GameHost> host;
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
