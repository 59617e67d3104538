#include "Sound/PMusic.h"
#include "Sound/SoundManager.h"
#include "SoundTestSupport.h"
#include "platform/MediaGraph.h"
#include "core/ServiceOverride.h"

namespace {

class SoundManagerTest : public SoundTest {
  protected:
    void SetUp() override
    {
        SoundTest::SetUp();
        m_manager = std::make_unique<CPSoundManager>(&m_device);
    }
    void TearDown() override
    {
        for (CPObjectPtr& sound : m_loaded)
            m_manager->FreeSound(sound);
        m_manager.reset();
        SoundTest::TearDown();
    }

    // Loads through the manager; the fixture gives loaded sounds back.
    CNSound* Load(const std::string& name, std::int32_t is3D, bool forceNew)
    {
        CPObjectPtr sound;
        const bool loaded = m_manager->LoadSound(sound, name, is3D, forceNew);
        EXPECT_EQ(loaded, static_cast<bool>(sound)) << name;
        m_loaded.push_back(sound);
        return sound.As<CNSound>();
    }

    void WriteMono(const std::string& name, std::size_t bytes = 64)
    {
        WriteSound(name, MakeWave(1, 22050, 8, RampBytes(bytes)));
    }

    std::unique_ptr<CPSoundManager> m_manager;
    std::vector<CPObjectPtr> m_loaded;
};

} // namespace

TEST_F(SoundManagerTest, LoadsFromTheSoundFolderAnewUnlessTheLibraryHoldsTheName)
{
    WriteMono("nitro.wav");
    CNSound* first = Load("nitro.wav", 0, false);
    CNSound* second = Load("nitro.wav", 0, false);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second); // loading does not fill the library
    EXPECT_EQ(first->GetPath(), "Data\\Sounds\\nitro.wav");
    EXPECT_TRUE(m_manager->GetLibrary()->GetEntries().empty());

    auto* shared = new CNSound(&m_device, "Data\\Sounds\\nitro.wav", 0);
    m_manager->GetLibrary()->AddEntry("nitro.wav", shared);
    EXPECT_EQ(Load("nitro.wav", 0, false), shared);
    CNSound* forced = Load("nitro.wav", 0, true);
    ASSERT_NE(forced, nullptr);
    EXPECT_NE(forced, shared);
    EXPECT_EQ(m_manager->GetLibrary()->Find("NITRO.WAV"), CPObjectPtr()); // names match byte for byte
}

TEST_F(SoundManagerTest, ThreeDSoundsGetTheirDistancesFlatOnesHaveNone)
{
    WriteMono("shot.wav");
    CNSound* placed = Load("shot.wav", 1, false);
    ASSERT_NE(placed, nullptr);
    ASSERT_NE(placed->Get3DBuffer(), nullptr);
    const platform::Sound3DParameters parameters = Parameters3D(*placed);
    EXPECT_FLOAT_EQ(parameters.minDistance, 1.0f);
    EXPECT_FLOAT_EQ(parameters.maxDistance, 1000.0f);
    EXPECT_FLOAT_EQ(placed->Get3DParameters().maxDistance, 1000.0f);

    CNSound* flat = Load("shot.wav", 0, false);
    ASSERT_NE(flat, nullptr);
    EXPECT_EQ(flat->Get3DBuffer(), nullptr);
}

TEST_F(SoundManagerTest, AFailedLoadGivesNothingAndKeepsNothing)
{
    WriteSound("broken.wav", {'R', 'I', 'F', 'F', 1, 2});
    EXPECT_EQ(Load("missing.wav", 0, false), nullptr);
    EXPECT_EQ(Load("broken.wav", 1, true), nullptr);
    EXPECT_TRUE(CNSound::GetSoundList().empty());
    EXPECT_EQ(m_device.GetBufferCount(), 0u);
    EXPECT_TRUE(m_log.Contains("WAVE file \"Data\\Sounds\\missing.wav\" cannot be read"));
}

TEST_F(SoundManagerTest, PositionsAndDistancesChangeOnlyThreeDSounds)
{
    WriteMono("bonus.wav");
    CNSound* placed = Load("bonus.wav", 1, false);
    CNSound* flat = Load("bonus.wav", 0, false);
    ASSERT_NE(placed, nullptr);
    ASSERT_NE(flat, nullptr);

    SetSound3DPosition(CPObjectPtr(placed), {1.0f, 2.0f, 3.0f}, {0.0f, 0.0f, -4.0f});
    SetSound3DDistances(CPObjectPtr(placed), 0.0f, 200.0f);
    const platform::Sound3DParameters parameters = Parameters3D(*placed);
    EXPECT_FLOAT_EQ(parameters.position.y, 2.0f);
    EXPECT_FLOAT_EQ(parameters.velocity.z, -4.0f);
    EXPECT_FLOAT_EQ(parameters.minDistance, 0.0f);
    EXPECT_FLOAT_EQ(parameters.maxDistance, 200.0f);
    EXPECT_EQ(platform::AsMemory(placed->GetBuffer())->GetLast3DApply(), platform::kApplyImmediate);

    // Nothing to place: a flat sound, an empty pointer.
    SetSound3DPosition(CPObjectPtr(flat), {1.0f, 2.0f, 3.0f}, {});
    SetSound3DPosition(CPObjectPtr(), {1.0f, 2.0f, 3.0f}, {});
    EXPECT_EQ(flat->Get3DBuffer(), nullptr);

    // Values the device refuses leave the sound where it was, with a line.
    SetSound3DDistances(CPObjectPtr(placed), 10.0f, 5.0f);
    EXPECT_FLOAT_EQ(Parameters3D(*placed).maxDistance, 200.0f);
    EXPECT_TRUE(m_log.Contains("its 3D parameters cannot be set: E_INVALIDARG"));
}

TEST_F(SoundManagerTest, SpecialSoundsLoadFromTheTableAndUnknownNamesStayEmpty)
{
    WriteMono("slam.wav");
    WriteMono("chik.wav");
    EXPECT_EQ(m_manager->LoadSpecialSounds(), 2u);
    CPObjectPtr slam = m_manager->GetSound("slam");
    CPObjectPtr chik = m_manager->GetSound("chik");
    ASSERT_TRUE(slam);
    ASSERT_TRUE(chik);
    EXPECT_EQ(slam.As<CNSound>()->Get3DBuffer(), nullptr);
    ASSERT_NE(chik.As<CNSound>()->Get3DBuffer(), nullptr); // pick-up sounds are placed
    EXPECT_FLOAT_EQ(Parameters3D(*chik.As<CNSound>()).maxDistance, 1000.0f);
    EXPECT_EQ(m_manager->GetLibrary()->Find("slam.wav"), slam);
    EXPECT_TRUE(m_log.Contains("Special sound \"enter_sumrak\" is missing"));
    EXPECT_EQ(m_manager->GetSpecialSounds().size(), 2u);

    EXPECT_FALSE(m_manager->GetSound("no_such_sound"));
    ASSERT_EQ(m_manager->GetSpecialSounds().count("no_such_sound"), 1u);
    EXPECT_FALSE(m_manager->GetSpecialSounds().at("no_such_sound"));

    // Giving back a library sound keeps it.
    m_manager->FreeSound(slam);
    EXPECT_FALSE(slam);
    EXPECT_EQ(CNSound::GetSoundList().size(), 2u);
}

TEST_F(SoundManagerTest, FreeSoundDeletesWhatLoadSoundMadeAnew)
{
    WriteMono("main.wav");
    CPObjectPtr engine;
    ASSERT_TRUE(m_manager->LoadSound(engine, "main.wav", 0, true));
    EXPECT_EQ(CNSound::GetSoundList().size(), 1u);
    m_manager->FreeSound(engine);
    EXPECT_FALSE(engine);
    EXPECT_TRUE(CNSound::GetSoundList().empty());
    EXPECT_EQ(m_device.GetBufferCount(), 0u);
}

TEST_F(SoundManagerTest, GlobalSoundVolumeIsStoredAndSilencesEverySound)
{
    WriteMono("a.wav");
    WriteMono("slam.wav");
    ASSERT_EQ(m_manager->LoadSpecialSounds(), 1u);
    CNSound* loaded = Load("a.wav", 1, false);
    ASSERT_NE(loaded, nullptr);
    SetGlobalSoundVolume(0.0f);
    EXPECT_FLOAT_EQ(GetGameSettings().soundVolume, 0.0f);
    EXPECT_FLOAT_EQ(CNSound::GetGlobalVolume(), 0.0f);
    EXPECT_EQ(Volume(loaded->GetBuffer()), -7000);
    EXPECT_EQ(Volume(m_manager->GetSound("slam").As<CNSound>()->GetBuffer()), -7000);
}

TEST_F(SoundManagerTest, GlobalMusicVolumeIsStoredAndReachesThePlayer)
{
    SetGlobalMusicVolume(0.25f); // no player yet: only the setting
    EXPECT_FLOAT_EQ(GetGameSettings().musicVolume, 0.25f);

    m_folder.Write("Data/Music/theme.wav", MakeWave(1, 22050, 8, RampBytes(100)));
    CPMusic music;
    ServiceOverride<GetMusicPlayer, SetMusicPlayer> installedMusicPlayer(&music);
    EXPECT_FLOAT_EQ(music.GetVolume(), 0.25f); // starts at the setting
    ASSERT_EQ(music.Play("theme.wav", true), S_OK);
    SetGlobalMusicVolume(1.0f);
    EXPECT_FLOAT_EQ(music.GetVolume(), 1.0f);
    std::int32_t volume = 1;
    ASSERT_EQ(music.GetAudio()->GetVolume(&volume), S_OK);
    EXPECT_EQ(volume, 0);
}

TEST_F(SoundManagerTest, MixFormatComesFromTheSoundSettings)
{
    const platform::WaveFormat& mix = m_device.GetPrimaryFormat();
    EXPECT_EQ(mix.channels, 2);
    EXPECT_EQ(mix.samplesPerSecond, 22050u);
    EXPECT_EQ(mix.bitsPerSample, 8);
    EXPECT_EQ(mix.blockAlign, 2);
}
