#pragma once

class CPPerspectiveCamera;

// What the race asks of every car it steps each frame, beyond being a
// scene object: the car's own state update with a frame time, and its
// per-frame draw work (shadow, respawn fade) against the game camera.
// A car object that does not answer these is placed and driven but not
// updated.
class CPRaceCar {
  public:
    virtual void UpdateState(float frameTime) = 0;
    virtual void DrawShadow(CPPerspectiveCamera* camera) = 0;
    // As DrawShadow, for a car whose own box the race has just asked the
    // same camera about: `ownBoxSeen` is that answer, not asked again.
    virtual void DrawShadowAsSeen(CPPerspectiveCamera* camera, bool ownBoxSeen)
    {
        (void)ownBoxSeen;
        DrawShadow(camera);
    }

  protected:
    ~CPRaceCar() = default;
};
