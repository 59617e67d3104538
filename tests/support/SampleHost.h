#pragma once

#include <memory>

#include <gtest/gtest.h>

#include "app/GameHost.h"
#include "support/ScratchFolder.h"

// The game host on a copy of the sample data, stepped frame by frame as a
// test asks: the fixture of the tests that play the real game. Saves are
// left out of the copy, so every test starts on an empty profile list.
class SampleHostTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // One frame a Run, on the copy, the autopilot driving.
    GameHost::Options FrameOptions() const;
    void MakeHost(const GameHost::Options& options);
    // Runs frames; false once a quit has ended the run.
    bool Frames(int count);

    ScratchFolder data;
    std::unique_ptr<GameHost> host;
};
