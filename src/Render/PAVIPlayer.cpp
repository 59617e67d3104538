#include "Render/PAVIPlayer.h"

namespace {

const VideoPlayerSite kSite = {CPAVIPlayer::kSourceName, "video", "VIDEO",
                               // Play
                               63, 82, 84, 86, 90, 96, 105, 136, 140, 142, 144, 148, 152, 156,
                               // InitStreams
                               172, 173, 175, 177, 180, 182};

CPAVIPlayer* g_player = nullptr;

} // namespace

CPAVIPlayer::CPAVIPlayer() : CPVideoPlayer(kSite) {}

HResult CPAVIPlayer::Play(const std::string& name, bool noSound) { return PlayFile(name, noSound); }

CPAVIPlayer* GetAVIPlayer() { return g_player; }

void SetAVIPlayer(CPAVIPlayer* player) { g_player = player; }
