#include "core/Settings.h"

#include <string>

#include <gtest/gtest.h>

#include "core/GameSettings.h"
#include "support/ScratchFolder.h"

namespace {

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override { folder.UseAsDataRoot(); }

    ScratchFolder folder;
    LogCapture log;
    CPSettings settings;
};

} // namespace

TEST_F(SettingsTest, OneSettingIsOneKeyEqualsValueLine)
{
    settings.SetValue("Bloom", std::make_unique<CPTextSetting>("1"));
    ASSERT_EQ(settings.WriteSettingsFile("config.cfg"), S_OK);
    EXPECT_EQ(folder.Read("config.cfg"), "Bloom = 1\r\n");
}

TEST_F(SettingsTest, LinesComeInKeyOrderWhateverTheFillOrder)
{
    settings.SetValue("Smoke", std::make_unique<CPTextSetting>("1"));
    settings.SetValue("Motion Blur", std::make_unique<CPTextSetting>("0"));
    settings.SetValue("Bloom", std::make_unique<CPTextSetting>("1"));
    settings.SetValue("Smoke", std::make_unique<CPTextSetting>("0")); // replaces
    ASSERT_EQ(settings.WriteSettingsFile("config.cfg"), S_OK);
    EXPECT_EQ(folder.Read("config.cfg"), "Bloom = 1\r\nMotion Blur = 0\r\nSmoke = 0\r\n");
}

TEST_F(SettingsTest, RewritingReplacesTheFileAndAnEmptyStoreWritesAnEmptyFile)
{
    settings.SetValue("Bloom", std::make_unique<CPTextSetting>("1"));
    settings.SetValue("Smoke", std::make_unique<CPTextSetting>("1"));
    ASSERT_EQ(settings.WriteSettingsFile("Config.cfg"), S_OK);
    settings.Clear();
    settings.SetValue("Bloom", std::make_unique<CPTextSetting>("0"));
    ASSERT_EQ(settings.WriteSettingsFile("CONFIG.CFG"), S_OK);
    EXPECT_EQ(folder.Read("Config.cfg"), "Bloom = 0\r\n");
    settings.Clear();
    ASSERT_EQ(settings.WriteSettingsFile("config.cfg"), S_OK);
    EXPECT_TRUE(folder.Exists("Config.cfg"));
    EXPECT_EQ(folder.Read("Config.cfg"), "");
}

TEST_F(SettingsTest, LongLinesAreWrittenWhole)
{
    const std::string value(1000, 'v');
    settings.SetValue("Path", std::make_unique<CPTextSetting>(value));
    ASSERT_EQ(settings.WriteSettingsFile("config.cfg"), S_OK);
    EXPECT_EQ(folder.Read("config.cfg"), "Path = " + value + "\r\n");
}

TEST_F(SettingsTest, VariableSettingsShowTheValueAtWritingTime)
{
    std::int32_t bloom = 1;
    settings.SetValue("Bloom", std::make_unique<CPIntSetting>(bloom));
    bloom = 0;
    ASSERT_EQ(settings.WriteSettingsFile("config.cfg"), S_OK);
    EXPECT_EQ(folder.Read("config.cfg"), "Bloom = 0\r\n");
}

TEST_F(SettingsTest, AFileThatCannotBeWrittenFailsWithALogLine)
{
    settings.SetValue("Bloom", std::make_unique<CPTextSetting>("1"));
    EXPECT_EQ(settings.WriteSettingsFile("missing\\config.cfg"), E_FAIL);
    EXPECT_TRUE(log.Contains("Cannot write the file \"missing\\config.cfg\""));
}

TEST(GameSettings, DefaultsAreTheBuiltInValues)
{
    const GameSettings defaults;
    EXPECT_EQ(defaults.temp, 1.0f);
    EXPECT_EQ(defaults.screenWidth, 640);
    EXPECT_EQ(defaults.screenHeight, 480);
    EXPECT_EQ(defaults.videoPlayerValue, 16);
    EXPECT_EQ(defaults.textureValue, -1);
    EXPECT_EQ(defaults.physicsValue, 25);
    for (std::int32_t flag :
         {defaults.bloom, defaults.lensFlare, defaults.smoke, defaults.weather, defaults.motionBlur})
        EXPECT_EQ(flag, 1);
    for (float level : {defaults.brightness, defaults.soundVolume, defaults.musicVolume})
        EXPECT_EQ(level, 0.5f);
    EXPECT_EQ(defaults.mouse, 0.0f);
    for (std::int32_t off : {defaults.difficulty, defaults.demo, defaults.quadTree, defaults.shadow})
        EXPECT_EQ(off, 0);
    EXPECT_EQ(&GetGameSettings(), &GetGameSettings());
}
