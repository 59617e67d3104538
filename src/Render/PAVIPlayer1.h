#pragma once

#include <string>

#include "Render/VideoPlayer.h"

// The second video player: its frames are shown through the texture
// "VIDEO1", always with the video's sound.
class CPAVIPlayer1 : public CPVideoPlayer {
  public:
    static constexpr const char* kSourceName = "Render\\PAVIPlayer1";

    CPAVIPlayer1();

    HResult Play(const std::string& name);

    std::uint32_t GetObjectSize() const override { return sizeof(CPAVIPlayer1); }
    std::string GetTypeName() const override { return "CPAVIPlayer1"; }
};

// The program's second video player; null until the start-up code stores one.
CPAVIPlayer1* GetAVIPlayer1();
void SetAVIPlayer1(CPAVIPlayer1* player);
