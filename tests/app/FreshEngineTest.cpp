// Two games played one after the other in one process: the second starts
// as the first did, whatever the first left behind, and nothing the first
// installed outlives it.
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <lua.hpp>

#include "DynamicSky/SkyLevel.h"
#include "DynamicSky/Skyscape.h"
#include "DynamicSky/VertexObject.h"
#include "Render/CurrentCamera.h"
#include "Render/DeviceListener.h"
#include "Render/RenderPass.h"
#include "Render/RenderSettings.h"
#include "Render/VideoPlayer.h"
#include "Sound/NSound.h"
#include "Sound/SoundSettings.h"
#include "app/GameHost.h"
#include "core/Frame.h"
#include "core/GameClock.h"
#include "core/GameObjectParts.h"
#include "core/GameSettings.h"
#include "core/LiveObjects.h"
#include "core/Log.h"
#include "core/Object.h"
#include "core/PackFile.h"
#include "core/ShadowMatrix.h"
#include "core/Singletons.h"
#include "core/TextLookup.h"
#include "game/PlayerServices.h"
#include "interface/Interface.h"
#include "physics/ImpactSound.h"
#include "physics/MassDivisor.h"
#include "physics/Sparks.h"
#include "platform/Clock.h"
#include "platform/Dialog.h"
#include "platform/FileSystem.h"
#include "platform/Random.h"
#include "script/GlobalTimer.h"
#include "script/ScriptHost.h"

namespace {

// Everything a run reads that lives beyond one object, as text, so two
// starts compare field by field in one message.
std::string ProcessState()
{
    std::ostringstream out;
    const GameSettings& s = GetGameSettings();
    out << "settings " << s.temp << ' ' << s.screenWidth << 'x' << s.screenHeight << ' ' << s.videoPlayerValue
        << ' ' << s.textureValue << ' ' << s.bloom << ' ' << s.lensFlare << ' ' << s.smoke << ' '
        << s.physicsValue << ' ' << s.weather << ' ' << s.motionBlur << ' ' << s.brightness << ' '
        << s.soundVolume << ' ' << s.musicVolume << ' ' << s.mouse << ' ' << s.difficulty << ' ' << s.demo
        << ' ' << s.quadTree << ' ' << s.shadow << '\n';
    out << "render " << GetRenderSettings().anisotropy << ' ' << GetRenderSettings().viewDistance << '\n';
    out << "sound " << GetSoundSettings().channels << ' ' << GetSoundSettings().samplesPerSecond << ' '
        << GetSoundSettings().bitsPerSample << '\n';
    const GameClock& clock = GetGameClock();
    out << "clock " << clock.frameTime << ' ' << clock.gameTime << ' ' << clock.frameCount << ' '
        << clock.effectsThisFrame << '\n';
    out << "sparks " << GetSparkTimer() << '\n';
    out << "mass divisor " << GetMassDivisor() << '\n';
    out << "volumes " << CNSound::GetGlobalVolume() << ' ' << CPVideoPlayer::GetSoundVolume() << '\n';
    const Matrix4 zero;
    out << "shadow matrix zero " << (std::memcmp(&GetShadowMatrix(), &zero, sizeof zero) == 0) << '\n';
    const CPGlobalTimer* timer = GetGlobalTimer();
    out << "timer " << (timer && timer->IsRunning()) << ' ' << (timer && timer->IsKilled()) << '\n';
    out << "level " << (GetCurrentLevel() != nullptr) << ' ' << (GetSkyLevel() != nullptr) << '\n';
    const Vector3& sun = GetSunPosition();
    out << "sun " << sun.x << ' ' << sun.y << ' ' << sun.z << '\n';
    // The lists objects enter themselves in: what one game leaves there
    // the next would meet.
    out << "lists " << CNSound::GetSoundList().size() << ' ' << CPInterface::GetInterfaceList().size() << ' '
        << GetDeviceListeners().size() << ' ' << GetDeferredDeleteList().size() << ' ' << CountLiveObjects()
        << '\n';
    for (const CPRecordStatistics& counts :
         {CPRenderPass::GetStatistics(), CPDrawGroup::GetStatistics(), CPDrawEntry::GetStatistics()})
        out << "records " << counts.live << ' ' << counts.constructed << ' ' << counts.destroyed << '\n';
    const Vector3 side = GetCoreFrame().GetSide();
    out << "core frame " << side.x << ' ' << side.y << ' ' << side.z << '\n';
    const CPPlayerServices& player = GetPlayerServices();
    const CPPlayerServices defaults = DefaultPlayerServices();
    out << "player services " << (player.launchShot == defaults.launchShot) << ' '
        << (player.releaseTraffic == defaults.releaseTraffic) << '\n';
    out << "quit " << platform::IsQuitPosted() << '\n';
    out << "clock " << platform::Milliseconds() << " rand " << platform::Rand() << '\n';
    out << "files " << platform::GetDataRoot() << ' ' << GetLogFilePath() << ' '
        << GetPackFileList().GetPacks().size() << '\n';
    out << "hooks " << (GetFlameSource() != nullptr) << ' ' << (GetLevelSlot() != nullptr) << '\n';
    return out.str();
}

std::unique_ptr<GameHost> MakeHost()
{
    GameHost::Options options;
    options.frames = 120;
    options.dataRoot = std::string(RS_SOURCE_DIR) + "/data/sample";
    return std::make_unique<GameHost>(options);
}

bool RunScript(GameHost& host, const char* text)
{
    lua_State* L = host.GetScriptHost().GetState();
    return luaL_dostring(L, text) == 0;
}

} // namespace

TEST(FreshEngine, TwoGamesOneAfterTheOtherStartEqual)
{
    const std::string rootBefore = platform::GetDataRoot();
    const std::string logBefore = GetLogFilePath();
    auto first = MakeHost();
    const std::string start = ProcessState();
    EXPECT_EQ(GetSkyDevice(), &first->GetDevice());
    EXPECT_NE(GetImpactSound(), nullptr);

    // The first game races and leaves its marks on what outlives it.
    ASSERT_TRUE(first->StartLevel("level1"));
    first->Run();
    ASSERT_TRUE(RunScript(*first, "SetSoundVolume(0.1); SetMusicVolume(0.2); SetBrightness(0.9); "
                                  "StartGlobalTimer()"));
    GetCoreFrame().SetSide(1.0f, 2.0f, 3.0f);
    GetPlayerServices() = CPPlayerServices();
    platform::PostQuit(0);
    GetGameSettings().quadTree = 1;
    GetRenderSettings().viewDistance = 50;
    GetSoundSettings().bitsPerSample = 16;
    ASSERT_TRUE(SetMassDivisor(4));
    AdvanceSparkTimer();
    const std::string after = ProcessState();
    ASSERT_NE(after, start);
    first.reset();

    // Nothing of it reaches below once it is gone.
    EXPECT_EQ(GetSkyDevice(), nullptr);
    EXPECT_EQ(GetImpactSound(), nullptr);
    EXPECT_EQ(GetGlobalTimer(), nullptr);
    EXPECT_EQ(GetCurrentLevel(), nullptr);
    EXPECT_EQ(LookupText("loading"), "");
    EXPECT_EQ(GetFlameSource(), nullptr);
    EXPECT_EQ(GetCurrentCamera(), nullptr);
    EXPECT_EQ(GetLevelSlot(), nullptr);
    EXPECT_EQ(GetSkyLevel(), nullptr);
    EXPECT_EQ(platform::GetDataRoot(), rootBefore);
    EXPECT_EQ(GetLogFilePath(), logBefore);
    EXPECT_TRUE(GetPackFileList().IsEmpty());
    EXPECT_TRUE(CNSound::GetSoundList().empty());
    EXPECT_TRUE(CPInterface::GetInterfaceList().empty());
    EXPECT_TRUE(GetDeferredDeleteList().empty());

    auto second = MakeHost();
    EXPECT_EQ(ProcessState(), start);
    EXPECT_EQ(GetSkyDevice(), &second->GetDevice());
}
