#pragma once

class CPPerspectiveCamera;

// What the race and the level's tear-down ask of the root of the level
// branches beyond the queries of CPLevelIndex: the frame's walk that hands
// what the camera sees to the render list, and the deactivation of the
// plain scene objects when the level stops.
class CPSceneBranches {
  public:
    virtual void CollectVisible(CPPerspectiveCamera* camera) = 0;
    virtual void DeactivatePlainObjects() = 0;

  protected:
    ~CPSceneBranches() = default;
};
