#pragma once

#include <string>

#include "Render/VideoPlayer.h"

// The first video player: its frames are shown through the texture
// "VIDEO"; the sound of the video can be left out.
class CPAVIPlayer : public CPVideoPlayer {
  public:
    static constexpr const char* kSourceName = "Render\\PAVIPlayer";

    CPAVIPlayer();

    HResult Play(const std::string& name, bool noSound);

    std::uint32_t GetObjectSize() const override { return sizeof(CPAVIPlayer); }
    std::string GetTypeName() const override { return "CPAVIPlayer"; }
};

// The program's first video player; null until the start-up code stores one.
CPAVIPlayer* GetAVIPlayer();
void SetAVIPlayer(CPAVIPlayer* player);
