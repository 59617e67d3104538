#pragma once

class CPGameObject;
class CPLevel;

// The camera and view work of the race step (LevelRaceCamera.cpp).
namespace race {

// Every 1.5 s of the demo, a new preset or a new view at random.
void UpdateDemoCamera(CPLevel& level, float dt);
// What the camera follows: the car's tilt, the level's angle, the follow
// point and distances of the view in use, and the car's speed.
void FeedCamera(CPLevel& level, const CPGameObject& car);
// The view's yaw (or the placed behind view), the level's forward
// direction and reference heading, then the camera's update.
void UpdateCameraView(CPLevel& level, const CPGameObject& car);
// Hands what the game camera sees to the frame.
void CullScene(CPLevel& level);
// Places or hides the sun's lens flare.
void UpdateSunFlare(CPLevel& level);

} // namespace race
