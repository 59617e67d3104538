#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Sound/NSound.h"
#include "core/GameSettings.h"
#include "platform/Clock.h"
#include "platform/Sleep.h"
#include "platform/SoundDevice.h"
#include "support/ScratchFolder.h"
#include "support/WaveFiles.h"
#include "platform/HeadlessSoundDevice.h"
#include "platform/MemorySoundBuffer.h"
#include "core/ServiceOverride.h"

// A data folder of its own, a captured log, a sound device, a clock the
// test moves and pauses that are only counted. The global sound volume
// and the volume settings start at their defaults.
class SoundTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        m_folder.UseAsDataRoot();
        CNSound::SetGlobalVolume(0.5f);
        GetGameSettings().soundVolume = 0.5f;
        GetGameSettings().musicVolume = 0.5f;
    }
    void TearDown() override
    {
        CNSound::SetGlobalVolume(0.5f);
        GetGameSettings().soundVolume = 0.5f;
        GetGameSettings().musicVolume = 0.5f;
    }

    // Writes "Data/Sounds/<name>".
    void WriteSound(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        m_folder.Write("Data/Sounds/" + name, bytes);
    }

    static std::int32_t Volume(const platform::SoundBuffer* buffer)
    {
        std::int32_t volume = 1;
        EXPECT_EQ(buffer->GetVolume(&volume), S_OK);
        return volume;
    }
    static std::uint32_t Frequency(const platform::SoundBuffer* buffer)
    {
        std::uint32_t frequency = 0;
        EXPECT_EQ(buffer->GetFrequency(&frequency), S_OK);
        return frequency;
    }
    static platform::Sound3DParameters Parameters3D(const CNSound& sound)
    {
        platform::Sound3DParameters parameters;
        EXPECT_EQ(sound.Get3DBuffer()->GetAllParameters(&parameters), S_OK);
        return parameters;
    }

    ScratchFolder m_folder;
    LogCapture m_log;
    platform::HeadlessSoundDevice m_device;
    std::uint32_t m_now = 1000;
    std::vector<std::uint32_t> m_sleeps;

  private:
    ServiceOverride<platform::GetClockSource, platform::SetClockSource> m_clock{[this] { return m_now; }};
    ServiceOverride<platform::GetSleepFunction, platform::SetSleepFunction> m_sleep{
        [this](std::uint32_t milliseconds) { m_sleeps.push_back(milliseconds); }};
};
