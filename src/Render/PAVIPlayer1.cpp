#include "Render/PAVIPlayer1.h"

namespace {

const VideoPlayerSite kSite = {CPAVIPlayer1::kSourceName, "video1", "VIDEO1",
                               // Play
                               62, 78, 79, 80, 83, 88, 96, 125, 128, 129, 130, 131, 134, 136,
                               // InitStreams
                               150, 151, 153, 155, 156, 157};

CPAVIPlayer1* g_player = nullptr;

} // namespace

CPAVIPlayer1::CPAVIPlayer1() : CPVideoPlayer(kSite) {}

HResult CPAVIPlayer1::Play(const std::string& name) { return PlayFile(name, false); }

CPAVIPlayer1* GetAVIPlayer1() { return g_player; }

void SetAVIPlayer1(CPAVIPlayer1* player) { g_player = player; }
