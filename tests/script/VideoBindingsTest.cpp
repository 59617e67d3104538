#include <string>

#include <optional>

#include "Render/PAVIPlayer.h"
#include "Render/PAVIPlayer1.h"
#include "Render/PRender.h"
#include "Render/TextureLibrary.h"
#include "ScriptTestSupport.h"
#include "platform/Clock.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "platform/MediaStream.h"
#include "support/VideoFiles.h"
#include "platform/HeadlessMedia.h"
#include "core/ServiceOverride.h"

namespace {

// The script functions over the two video players, a renderer to show
// them and the video "intro.avi" (320 x 240, 25 frames of 40 ms).
class VideoScriptTest : public ScriptTest {
  protected:
    void SetUp() override
    {
        folder.UseAsDataRoot();
        folder.Write("Data/Video/intro.avi", videofiles::Avi(320, 240, 25, 40000));
        m_clock.emplace([this] { return now; });
    }
    void TearDown() override
    {
        kernel.RemoveTask(&first);
        kernel.RemoveTask(&second);
        m_clock.reset();
        platform::ClearVideoFailures();
    }

    bool Listed(const CPTask* player) const
    {
        for (const CPObjectPtr& task : kernel.GetTasks())
            if (task.Get() == player)
                return true;
        return false;
    }

    ScratchFolder folder;
    std::uint32_t now = 5000;
    platform::HeadlessGraphicsDevice& device = engine.device;
    CPRender& render = engine.services->Render();
    CPTextureLibrary& library = engine.services->Textures();
    CPAVIPlayer& first = engine.services->VideoPlayer();
    CPAVIPlayer1& second = engine.services->VideoPlayer1();

  private:
    std::optional<ServiceOverride<platform::GetClockSource, platform::SetClockSource>> m_clock;
};

} // namespace

TEST_F(VideoScriptTest, PlayVideoStartsTheFirstPlayerWithOrWithoutSoundAndItsOption)
{
    struct Case {
        const char* call;
        bool noSound;
        bool option;
    };
    const Case cases[] = {
        {"PlayVideo('intro.avi')", false, false},
        {"PlayVideo('intro.avi', true)", false, true},
        {"PlayVideo('intro.avi', 0)", false, true}, // 0 is true in the scripts
        {"PlayVideo('intro.avi', false)", false, false},
        {"PlayVideoNoSound('intro.avi')", true, false},
        {"PlayVideoNoSound('intro.avi', true)", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        first.End();
        kernel.RemoveTask(&first);
        first.SetOption(false);

        ASSERT_TRUE(Run(c.call)) << log.Text();
        EXPECT_EQ(first.IsNoSound(), c.noSound);
        EXPECT_EQ(first.HasOption(), c.option);
        EXPECT_EQ(first.GetPriority(), 400);
        EXPECT_TRUE(first.IsRunning());
        EXPECT_TRUE(Listed(&first));
        EXPECT_EQ(first.GetVideoWidth(), 320);
        EXPECT_FALSE(Listed(&second));
    }
}

TEST_F(VideoScriptTest, PlayingAgainWhileAVideoRunsListsThePlayerOnce)
{
    ASSERT_TRUE(Run("PlayVideo('intro.avi'); PlayVideo('intro.avi')")) << log.Text();
    int listed = 0;
    for (const CPObjectPtr& task : kernel.GetTasks())
        listed += task.Get() == &first ? 1 : 0;
    EXPECT_EQ(listed, 1);
}

TEST_F(VideoScriptTest, PlayVideo1StartsTheSecondPlayerWithItsOptionSet)
{
    ASSERT_TRUE(Run("PlayVideo1('intro.avi')")) << log.Text();
    EXPECT_TRUE(second.HasOption());
    EXPECT_EQ(second.GetPriority(), 400);
    EXPECT_TRUE(second.IsRunning());
    EXPECT_TRUE(Listed(&second));
    EXPECT_FALSE(Listed(&first));

    const std::string message = Error("PlayVideo1()");
    EXPECT_NE(message.find("bad argument #1"), std::string::npos) << message;
}

TEST_F(VideoScriptTest, StopVideoEndsOnlyARunningPlayer)
{
    // Idle players are left alone: End would mark them killed.
    ASSERT_TRUE(Run("StopVideo(); StopVideo1()"));
    EXPECT_FALSE(first.IsKilled());
    EXPECT_FALSE(second.IsKilled());

    ASSERT_TRUE(Run("PlayVideo('intro.avi'); PlayVideo1('intro.avi'); StopVideo()")) << log.Text();
    EXPECT_FALSE(first.IsRunning());
    EXPECT_TRUE(first.IsKilled());
    EXPECT_TRUE(second.IsRunning());
    ASSERT_TRUE(Run("StopVideo1()"));
    EXPECT_FALSE(second.IsRunning());
    EXPECT_TRUE(second.IsKilled());
}

TEST_F(VideoScriptTest, AMissingVideoOrPlayerIsNoScriptError)
{
    ASSERT_TRUE(Run("PlayVideo('none.avi', true)"));
    EXPECT_NE(log.Text().find("none.avi"), std::string::npos) << log.Text();

    ServiceOverride<GetAVIPlayer, SetAVIPlayer> noAVIPlayer(nullptr);
    ServiceOverride<GetAVIPlayer1, SetAVIPlayer1> noAVIPlayer1(nullptr);
    first.End();
    kernel.RemoveTask(&first);
    ASSERT_TRUE(Run("PlayVideo('intro.avi'); PlayVideoNoSound('intro.avi'); PlayVideo1('intro.avi')\n"
                    "StopVideo(); StopVideo1()"));
    EXPECT_FALSE(Listed(&first));
    EXPECT_FALSE(Listed(&second));
}
