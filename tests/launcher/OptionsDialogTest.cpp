#include "LauncherTestSupport.h"

#include "launcher/OptionsDialog.h"
#include "core/ServiceOverride.h"

using namespace platform;

namespace {

struct BoxState {
    int motionBlurChecked;
    bool motionBlurEnabled;
    int bloomChecked;
    int lensFlareChecked;
    int smokeChecked;
    bool operator==(const BoxState& o) const
    {
        return motionBlurChecked == o.motionBlurChecked && motionBlurEnabled == o.motionBlurEnabled &&
               bloomChecked == o.bloomChecked && lensFlareChecked == o.lensFlareChecked &&
               smokeChecked == o.smokeChecked;
    }
};

BoxState BoxesOf(const Dialog& dialog)
{
    return BoxState{dialog.IsButtonChecked(kMotionBlurBox), dialog.GetItem(kMotionBlurBox)->IsEnabled(),
                    dialog.IsButtonChecked(kBloomBox), dialog.IsButtonChecked(kLensFlareBox),
                    dialog.IsButtonChecked(kSmokeBox)};
}

class OptionsFixture : public LauncherFixture {
  protected:
    int RunOptions() { return RunModalDialog(kOptionsDialogId, nullptr, OptionsDialogProc); }
    void SetVideo(int bloom, int motionBlur)
    {
        GetGameSettings().bloom = bloom;
        GetGameSettings().motionBlur = motionBlur;
    }
};

} // namespace

TEST_F(OptionsFixture, OpensWithTheBoxesOfTheSettings)
{
    struct Case {
        int bloom, motionBlur, lensFlare, smoke;
        BoxState boxes;
    } cases[] = {
        {1, 1, 1, 1, {1, true, 1, 1, 1}},  {0, 1, 0, 0, {1, false, 0, 0, 0}},
        {1, 0, 1, 0, {0, true, 1, 1, 0}},  {2, 0, 0, 5, {0, true, 1, 0, 1}}, // any value but 0 is on
        {0, 0, 0, 0, {0, false, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        GameSettings& settings = GetGameSettings();
        settings.bloom = c.bloom;
        settings.motionBlur = c.motionBlur;
        settings.lensFlare = c.lensFlare;
        settings.smoke = c.smoke;
        BoxState seen{};
        ScriptedFrontEnd user;
        user.Inspect([&](Dialog& d) { seen = BoxesOf(d); }).Choose("Cancel");
        ServiceOverride<GetDialogFrontEnd, SetDialogFrontEnd> installedUser(&user);
        EXPECT_EQ(RunOptions(), kCancelButton);
        EXPECT_TRUE(seen == c.boxes) << c.bloom << c.motionBlur << c.lensFlare << c.smoke;
        EXPECT_FALSE(user.HasFailed());
    }
}

TEST_F(OptionsFixture, OkAtOnceKeepsBothOnAndWritesConfig)
{
    script.Choose("OK");
    EXPECT_EQ(RunOptions(), kOkButton);
    EXPECT_EQ(GetGameSettings().bloom, 1);
    EXPECT_EQ(GetGameSettings().motionBlur, 1);
    std::string config = ReadFile("config.cfg");
    EXPECT_NE(config.find("Bloom = 1\r\n"), std::string::npos) << config;
    EXPECT_NE(config.find("MotionBlur = 1\r\n"), std::string::npos) << config;
}

TEST_F(OptionsFixture, BloomOffDisablesMotionBlurWithoutChangingIt)
{
    BoxState afterBloomOff{};
    script.Choose("Bloom").Inspect([&](Dialog& d) { afterBloomOff = BoxesOf(d); }).Choose("OK");
    EXPECT_EQ(RunOptions(), kOkButton);
    EXPECT_TRUE(afterBloomOff == (BoxState{1, false, 0, 1, 1}));
    EXPECT_EQ(GetGameSettings().bloom, 0);
    EXPECT_EQ(GetGameSettings().motionBlur, 1);
    std::string config = ReadFile("config.cfg");
    EXPECT_NE(config.find("Bloom = 0\r\n"), std::string::npos) << config;
    EXPECT_NE(config.find("MotionBlur = 1\r\n"), std::string::npos) << config;
}

TEST_F(OptionsFixture, MotionBlurFollowsItsBoxOnlyWhileBloomIsOn)
{
    // Motion Blur off, Bloom off and on again, OK: Motion Blur stays off.
    script.Choose("Motion Blur").Choose("Bloom").Press(kMotionBlurBox).Choose("Bloom").Choose("OK");
    EXPECT_EQ(RunOptions(), kOkButton);
    EXPECT_EQ(GetGameSettings().bloom, 1);
    EXPECT_EQ(GetGameSettings().motionBlur, 0);

    // With Bloom off from the start the box cannot be pressed.
    SetVideo(0, 1);
    ScriptedFrontEnd user;
    user.Choose("Motion Blur");
    ServiceOverride<GetDialogFrontEnd, SetDialogFrontEnd> installedUser(&user);
    EXPECT_EQ(RunOptions(), kExitButton); // the failed choice ends the input, which closes
    EXPECT_TRUE(user.HasFailed());
    EXPECT_EQ(GetGameSettings().motionBlur, 1);
}

TEST_F(OptionsFixture, AThirdCheckStateChangesNothing)
{
    BoxState after{};
    script
        .Inspect([&](Dialog& d) {
            d.CheckButton(kBloomBox, kIndeterminate);
            d.Send(DialogMessage::Command, CommandParam(kBloomBox));
            d.CheckButton(kMotionBlurBox, kIndeterminate);
            d.Send(DialogMessage::Command, CommandParam(kMotionBlurBox));
            after = BoxesOf(d);
        })
        .Choose("OK");
    SetVideo(0, 0);
    EXPECT_EQ(RunOptions(), kOkButton);
    EXPECT_FALSE(after.motionBlurEnabled);
    EXPECT_EQ(GetGameSettings().bloom, 0);
    EXPECT_EQ(GetGameSettings().motionBlur, 0);
}

TEST_F(OptionsFixture, CancelAndCloseChangeAndWriteNothing)
{
    struct Case {
        const char* name;
        bool close;
        int result;
    } cases[] = {{"Cancel", false, kCancelButton}, {"close", true, kExitButton}};
    for (const Case& c : cases) {
        ScriptedFrontEnd user;
        user.Choose("Motion Blur").Choose("Bloom");
        if (c.close)
            user.Close();
        else
            user.Choose("Cancel");
        ServiceOverride<GetDialogFrontEnd, SetDialogFrontEnd> installedUser(&user);
        EXPECT_EQ(RunOptions(), c.result) << c.name;
        EXPECT_EQ(GetGameSettings().bloom, 1) << c.name;
        EXPECT_EQ(GetGameSettings().motionBlur, 1) << c.name;
        EXPECT_FALSE(FileExists("config.cfg")) << c.name;
    }
}

TEST_F(OptionsFixture, IsCentredOnTheScreen)
{
    SetScreenSize(800, 600);
    Rect placed;
    script.Inspect([&](Dialog& d) { placed = d.GetWindowRect(); }).Choose("Cancel");
    RunOptions();
    // 186 by 80 dialog units are 279 by 130 pixels.
    EXPECT_EQ(placed, (Rect{260, 235, 260 + 279, 235 + 130}));
}
