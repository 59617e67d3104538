#pragma once

#include <cstdint>
#include <string>

#include "core/Object.h"
#include "platform/MathTypes.h"

class CPCameraSubject;
class CPLevel;
class CPPerspectiveCamera;

// The level's game camera. In chase mode it follows a point at a smoothed
// distance, turning with the level's forward direction, leaning while the
// followed car slides and pulling in with speed; in behind view the race
// code places eye, look-at point and up vector itself. Both perspective
// cameras it owns share the view and differ only in their far plane: the
// main one draws the near scene, the far one the distant scenery.
//
// The race code and the script bindings write the public values directly
// and raise `changed`; Update runs once per frame.
class CPCamera : public CPObject {
  public:
    static constexpr float kMainFarPlane = 200.0f;
    static constexpr float kFarFarPlane = 2000.0f;
    static constexpr float kNearPlane = 1.0f;
    // Longest frame the smoothing steps over, seconds.
    static constexpr float kMaxFrameTime = 0.1f;

    // Makes the main camera the current camera of the game.
    CPCamera();
    ~CPCamera() override;
    CPCamera(const CPCamera&) = delete;
    CPCamera& operator=(const CPCamera&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPCamera); }
    std::string GetTypeName() const override { return "CPCamera"; }

    // The frame update against the current level.
    void Update();
    // The frame update against the given level; without a level the view
    // keeps the yaw it has and the level-driven steps are skipped.
    void Update(const CPLevel* level);

    // Registers a camera with the renderer's pass table; nothing without a
    // renderer.
    void SetMainCameraPass(std::int32_t pass);
    void SetFarCameraPass(std::int32_t pass);

    // The main camera with a reference added.
    CPObjectPtr GetPerspectiveCamera() const;
    CPPerspectiveCamera* GetMainCamera() const { return m_mainCamera; }
    CPPerspectiveCamera* GetFarCamera() const { return m_farCamera; }

    // The car whose slide, steering and motion the camera reads; not owned,
    // null for none.
    void SetSubject(const CPCameraSubject* subject) { m_subject = subject; }
    const CPCameraSubject* GetSubject() const { return m_subject; }

    float lean = 0.0f;
    float distance = 0.0f;
    float targetDistance = 0.0f;
    float yaw = -1.5707964f;
    float referenceYaw = 0.0f;
    float pitch = 0.0f;
    bool changed = true;
    float fov = 0.0f; // degrees
    float targetFov = 0.0f;
    Vector3 followPoint;
    bool behindView = false;
    Vector3 lookOffset;
    float sideAngle = 0.0f;
    float headingAngle = 0.0f;
    float speed = 0.0f;
    // Divides `speed` in the eye distance; 0 leaves speed out.
    float distanceDivisor = 0.0f;
    Vector3 placedTarget;
    Vector3 placedEye;
    Vector3 placedUp;
    float targetTilt = 0.0f;
    float tilt = 0.0f;
    float smoothYaw = 0.0f;

  private:
    void UpdateBehindView();
    void SmoothLensAndDistance(float dt);
    void FollowForwardDirection(const CPLevel* level, float dt);
    void SmoothYaw(float dt);
    void TrackSideAndHeading(const Vector3& forward, float dt);
    void PlaceChaseView(float spin);
    void SetView(const Vector3& eye, const Vector3& target, const Vector3& up);
    void UnregisterCamera(CPPerspectiveCamera* camera);

    CPPerspectiveCamera* m_mainCamera = nullptr;
    CPPerspectiveCamera* m_farCamera = nullptr;
    const CPCameraSubject* m_subject = nullptr;
};

// The main camera of the current level's game camera: the one the scene is
// seen through. Null without a level or a camera.
CPPerspectiveCamera* CurrentLevelCamera();
