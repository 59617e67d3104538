#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/Object.h"
#include "game/CarBase.h"
#include "physics/CarControls.h"
#include "physics/FrameListener.h"
#include "physics/Rotation.h"
#include "platform/MathTypes.h"

class CNSound;
class CPGameObject;
class CPLevel;
class PhSimulator;
class TiXmlElement;
struct PhController;
struct PhRigidBody;
struct PhSensor;

// The driving model of one car: the physics-side companion of the car's
// scene object. The car is one rigid body with no wheel bodies; each wheel
// is a downward line sensor fixed to the body, and every simulator step the
// car works out suspension, grip and drive from what the sensors detect and
// hands the body's controller one force and one torque. The wheel objects
// "w0", "w1", ... of the scene object are spun, steered and moved up and
// down to match.
//
// Body frame: z up, the nose along -y. Slots 0 and 1 are the steered front
// wheels; even slots lie on one side, odd slots on the other.
//
// Ownership: the car holds its wheel objects by reference and deletes the
// sounds made for it alone; its owner, the level and the light objects are
// raw pointers that must outlive it. The owner deletes its car (DestroyCar)
// before itself: the car then leaves its body's controller.
class CPCar : public CPCarBase, public CPCarControls, public CPFrameListener {
  public:
    static constexpr int kMaxWheels = 8;
    static constexpr int kSoundSlots = 12;
    static constexpr int kNitroSound = 0;
    static constexpr int kEngineSound = 1;
    static constexpr int kSkidSound = 9;
    static constexpr float kMaxSteering = 0.7f;
    static constexpr std::uint32_t kDebugLineColour = 0xFFFF00FF;
    // Nitro stock spent per second while the nitro burns: a full stock of
    // 100 lasts 4 seconds.
    static constexpr float kNitroDrain = 25.0f;

    explicit CPCar(CPGameObject* owner);
    ~CPCar() override;
    CPCar(const CPCar&) = delete;
    CPCar& operator=(const CPCar&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPCar); }
    std::string GetTypeName() const override { return "CPCar"; }

    // --- Set-up ----------------------------------------------------------

    // Reads the description (notifying the scripts when withSounds is
    // set), takes the current level, the wheel objects, a line sensor per
    // wheel, a controller on the owner's rigid body, builds the body and
    // finds the lights. False, with a line in the log, when the owner has
    // no rigid body: the car then has no sensors and is never stepped.
    bool SetupPhysics(PhSimulator* simulator, bool withSounds);

    // Copies the handling values of the owner's XML description into the
    // car; absent or unreadable values keep their defaults. With notify set
    // and a speed angle given, tells the script object "jeep"
    // "set_car_params" and "set_car_params2". False, with a line in the
    // log, when the owner has no description (the defaults stay).
    bool ReadDescription(bool notify);

    // --- Driver's inputs -------------------------------------------------

    // Throttle in -1..1 (reverse below 0), steering clamped to +-0.7;
    // switches the reversing lights.
    void SetControls(float throttle, float steering) override;
    // The hand brake; the stop lights switch when it changes.
    void SetBrake(bool on);

    // --- The step ----------------------------------------------------------

    // The simulator's call for the body's controller. The once-a-frame work
    // at its end (nitro, glass glow, engine sound) waits for the game
    // data's level-started flag; without game data it does not run.
    void OnFrame(PhController* controller, float stepTime) override { OnStep(controller, stepTime); }
    void OnStep(PhController* controller, float dt);
    // Adds wheel i's forces at its contact point to the world force and
    // torque sums; returns the contact-point velocity along the car's y
    // axis (0 when airborne).
    float UpdateWheelForces(int i, Vector3& forceSum, Vector3& torqueSum);
    // Spins, steers and places wheel i's object, raises dust and plays the
    // skid sound.
    void UpdateWheel(int i, float dt);

    // --- What the car object reads and sets -----------------------------

    CPGameObject* GetOwner() const { return m_owner; }
    CPLevel* GetLevel() const { return m_level; }
    bool HasSounds() const { return m_hasSounds; }
    void SetHasSounds(bool hasSounds) { m_hasSounds = hasSounds; }
    CNSound* GetSound(int slot) const;
    // Loads the nitro, engine and skid sounds through the sound manager;
    // a sound that does not load leaves its slot empty. False when any
    // failed or there is no sound manager.
    bool LoadSounds();

    const std::string& GetShadowName() const { return m_shadowName; }
    float GetSlide() const { return m_slide; }
    float GetSteering() const { return m_steering; }
    float GetThrottleForce() const { return m_throttleForce; }
    bool IsHandBrake() const { return m_handBrake; }
    bool HasControlsChanged() const { return m_controlsChanged; }
    float GetSpeed() const { return m_speed; }
    const Vector3& GetVelocity() const { return m_velocity; }
    float GetNitroStock() const { return m_nitroStock; }
    void SetNitroStock(float stock) { m_nitroStock = stock; }
    float GetNitro() const { return m_nitro; }
    void SetNitro(float nitro) { m_nitro = nitro; }
    bool IsAlternateDrive() const { return m_alternateDrive; }
    void SetAlternateDrive(bool on) { m_alternateDrive = on; }
    float GetEnginePitch() const { return m_enginePitch; }
    const Matrix4& GetTransform() const { return m_transform; }
    // The inverse of the last step's transform, worked out when asked for.
    Matrix4 GetInverseTransform() const;
    const Vector3& GetFrontHeading() const { return m_frontHeading; }
    const Vector3& GetMeanContactPoint() const { return m_meanContactPoint; }
    const Vector3& GetNitroDirection() const { return m_nitroDirection; }
    // The steering angle of the last step: the input, less at speed.
    float GetSteeringAngle() const { return m_steeringAngle; }

    // --- Handling (from the description) ----------------------------------

    int GetWheelCount() const { return m_wheelCount; }
    float GetSensorLength() const { return m_sensorLength; }
    float GetSensorInset() const { return m_sensorInset; }
    float GetSensorHeight() const { return m_sensorHeight; }
    float GetWheelRadius() const { return m_wheelRadius; }
    float GetFrontMinRadius() const { return m_frontMinRadius; }
    float GetBackMinRadius() const { return m_backMinRadius; }
    float GetWidth() const { return m_width; }
    bool IsFixedMin() const { return m_fixedMin; }
    bool IsFixedMax() const { return m_fixedMax; }
    bool IsDebug() const { return m_debug; }
    float GetSpringFront() const { return m_springFront; }
    float GetSpringRear() const { return m_springRear; }
    float GetDamping() const { return m_damping; }
    float GetMaxFrontSpeed() const { return m_maxFrontSpeed; }
    float GetMaxRearSpeed() const { return m_maxRearSpeed; }
    float GetFrictionFront() const { return m_frictionFront; }
    float GetFrictionBack() const { return m_frictionBack; }
    float GetSlideFriction() const { return m_slideFriction; }
    float GetAccelFront() const { return m_accelFront; }
    float GetAccelBack() const { return m_accelBack; }
    float GetBrake() const { return m_brake; }
    float GetYawInertion() const { return m_yawInertion; }
    float GetPitchInertion() const { return m_pitchInertion; }
    // The handling values a tester may nudge while driving, by number:
    // sensor inset, sensor height, sensor length, wheel radius, front and
    // back min radius, front and rear spring, damping, max front and rear
    // speed, front and back friction, slide friction, front and back
    // acceleration, brake, yaw and pitch inertion. Null past the last.
    static constexpr std::int32_t kTuningCount = 19;
    float* TuningField(std::int32_t index);

    // --- Pushes from the race ------------------------------------------------

    // Applies the impulse at the world point to the owner's rigid body;
    // nothing without one.
    void ApplyOwnerImpulse(const Vector3& point, const Vector3& impulse);

    // --- Wheels --------------------------------------------------------------

    // Per-wheel state; the tables are fixed at eight slots.
    struct Wheel {
        PhSensor* sensor = nullptr;
        float dustPuffs = 0.0f;
        Vector3 lastDustPoint;
        bool airborne = true;
        float spin = 0.0f; // radians
        float rollingSpeed = 0.0f;
        Vector3 contactPoint;
        Vector3 restPosition;
        float suspensionOffset = 0.0f;
        bool inContact = false;
        CPObjectPtr object;
        // The object as a game object, cast once at set-up: the object is
        // held for the car's life and its class never changes.
        CPGameObject* gameObject = nullptr;
    };
    const Wheel& GetWheel(int i) const { return m_wheels[i]; }

  private:
    // What the wheels of one step share: the car's axes and place, whether
    // and how the wheels drive, the sums they add to, and the last wheel's
    // sensor direction and ground (neighbouring wheels mostly sense the
    // same), so that each is worked out once a step rather than per wheel.
    // The vectors the wheels read on SSE lanes are kept with w = 0.
    struct WheelStep {
        Vector3 side;
        Vector4 carY;
        Vector4 origin;
        Vector4 frontHeading;
        Vector4 forceSum;
        Vector4 torqueSum;
        bool drives = false;
        Vector4 frontDrive;
        bool hasSensorAxis = false;
        Vector3 sensorUnit;
        Vector4 sensorAxis;
        bool hasGround = false;
        Vector3 groundNormal;
        Vector4 rearDrive;
        float rearSlope = 0.0f;
        // Whether the wheels take their contact points' velocity from the
        // body being stepped (its velocity and spin, w = 0; none for a body
        // that is not dynamic) or, outside a step, the car's velocity.
        bool atPoint = false;
        bool bodyMoves = false;
        Vector4 bodyVelocity;
        Vector4 bodySpin;
    };
    WheelStep BeginWheelStep() const;
    float AddWheelForces(int i, WheelStep& step);
    // UpdateWheel, with the object's turn and place left as they were
    // unless place is set.
    void TurnWheel(int i, float dt, bool place);
    // TurnWheel's part before the object: the spin, the dust and the skid.
    void SpinWheel(int i, float dt);
    // TurnWheel's part that turns and moves the object.
    void PlaceWheel(int i, CPGameObject& object);
    const Vector4& SensorAxis(const Vector4& unit, WheelStep& step) const;
    void RearDrive(const Vector3& n, WheelStep& step) const;
    void ReadGeometry(const TiXmlElement* physics);
    void ReadParams(const TiXmlElement* physics, const TiXmlElement* camera, bool notify);
    void FindLights();
    void ShowLight(CPGameObject* light, bool visible);
    void DetachFromBody();
    void FrameHousekeeping();
    void UpdateGlow();
    void UpdateEngineSound(float frameTime);
    void PlayNitroSound();
    void RaiseDust(Wheel& wheel);
    Vector3 CarAxis(int row) const;
    Vector3 ToWorldPoint(const Vector4& local) const;
    Vector3 ToWorldDirection(const Vector4& local) const;

    std::string m_shadowName;
    bool m_hasSounds = false;
    float m_frontMinRadius = 0.0f;
    float m_backMinRadius = 0.0f;
    float m_accelFront = 100.0f;
    float m_accelBack = 100.0f;
    float m_yawInertion = 0.0f;
    float m_pitchInertion = 0.1f;
    bool m_fixedMin = false;
    bool m_fixedMax = false;
    bool m_handBrake = false;
    float m_brake = 100.0f;
    float m_sensorLength = 1.5f;
    float m_sensorInset = 0.0f;
    float m_sensorHeight = 0.0f;
    CPGameObject* m_owner; // not counted
    CPLevel* m_level = nullptr;
    std::array<Wheel, kMaxWheels> m_wheels{};
    bool m_debug = false;
    float m_slide = 0.0f;
    std::uint32_t m_frameStamp = 0;
    std::array<CPObjectPtr, kSoundSlots> m_sounds{};
    // Sounds made for this car alone, which it deletes; shared ones stay.
    std::array<bool, kSoundSlots> m_ownsSound{};
    Matrix4 m_transform;
    float m_nitroStock = 100.0f;
    float m_nitro = 0.0f;
    int m_wheelCount = 4;
    float m_throttleForce = 0.0f;
    float m_steering = 0.0f;
    float m_slideFriction = 0.9f;
    Vector3 m_frontHeading;
    float m_speed = 0.0f;
    float m_wheelRadius = 0.5f;
    float m_springFront = 140.0f;
    float m_springRear = 150.0f;
    float m_damping = 150.0f;
    float m_maxFrontSpeed = 30.0f;
    float m_maxRearSpeed = 15.0f;
    float m_frictionFront = 100.0f;
    float m_frictionBack = 240.0f;
    Vector3 m_velocity;
    Vector3 m_nitroDirection;
    float m_width = 0.0f;
    CPGameObject* m_stopLights = nullptr;
    CPGameObject* m_litStopLights = nullptr;
    CPGameObject* m_backLights = nullptr;
    CPGameObject* m_litBackLights = nullptr;
    CPGameObject* m_glass = nullptr;
    bool m_controlsChanged = false;
    bool m_alternateDrive = false;
    Vector3 m_meanContactPoint;
    float m_enginePitch = 0.0f;
    float m_steeringAngle = 0.0f;
    // The body being stepped, for the length of one OnStep.
    PhRigidBody* m_stepBody = nullptr;
    // The steered wheels' turn, kept from step to step with the steering.
    PhTurnZ m_wheelTurn;
};

// Makes the car of a scene object and puts it in the object's companion
// slot (a car already there is deleted first), sets it up and, with
// withSounds (the human player's car), loads its sounds. False, with a line
// in the log, for anything but a game object, and when the set-up or a
// sound failed; the car stays in the slot in the latter cases.
bool CreateCar(CPObjectPtr object, bool withSounds);
// Deletes the car in the object's companion slot and empties the slot.
void DestroyCar(CPGameObject& object);
