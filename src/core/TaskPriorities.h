#pragma once

// Where each kind of task steps in the kernel's frame: lower numbers step
// earlier. The race reads what the drivers decided and the bodies moved,
// so the AI manager comes first, then the physics world (and the video
// players beside it), then the race progress, then everything else.
namespace taskpriority {

constexpr int kAIManager = 100;
constexpr int kPhysicsWorld = 400;
constexpr int kVideoPlayer = 400;
constexpr int kRaceProgress = 500;
constexpr int kDefault = 5000;

} // namespace taskpriority
