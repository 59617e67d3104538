#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_set>

#include "core/GameObject.h"
#include "game/LevelCar.h"
#include "game/RaceCar.h"
#include "game/ShopItems.h"
#include "game/ShotHit.h"
#include "physics/CollisionPlayer.h"
#include "platform/MathTypes.h"

class CPPerspectiveCamera;
class CPCar;
class CPLevel;
struct CPLine;

// The scene object of one car in the race, the human player's and every
// opponent's alike. On top of the driving model (its CPCar companion) it
// keeps what makes a car a combatant: the driver's inputs as the scripts
// give them, the lock and halt states, the side, the damage, the weapon,
// bonus and respawn state.
//
// Ownership: the player owns its shadow, weapon object and flares; the car
// sits in the companion slot and is deleted with DestroyCar when the player
// goes.
class CPPlayer : public CPGameObject,
                 public CPCollisionPlayer,
                 public CPLevelCar,
                 public CPShotHitHandler,
                 public CPRaceCar {
  public:
    // Side bits.
    static constexpr std::int32_t kLightSide = 1;
    static constexpr std::int32_t kDarkSide = 2;
    static constexpr std::int32_t kBothSides = 4;
    static constexpr std::int32_t kOwnCar = 8;
    // Damage at which the car is wrecked.
    static constexpr float kWreckDamage = 100.0f;

    CPPlayer();
    ~CPPlayer() override;

    std::uint32_t GetObjectSize() const override { return sizeof(CPPlayer); }

    // The side an opponent of the model belongs to: 1 for the light side's
    // models, 2 for the dark side's, 0 for any other.
    static std::int32_t SideOfModel(const std::string& model);

    // The companion driving model; null before CreateCar.
    CPCar* GetCar() const;
    // Makes the car's driving model and makes this object the user data of
    // the car's rigid body. False, with a line in the log, when the set-up
    // failed.
    bool CreateCar(bool withSounds);

    // --- Driver's inputs -------------------------------------------------

    // Ignored while locked; while halted the throttle is stored as 0.
    void SetControls(float throttle, float steering);
    // On: the car's throttle goes to 0 and its alternate drive is set; off:
    // the alternate drive is cleared.
    void SetLocked(bool locked);
    // Forces the throttle to 0 from now on (the stored throttle changes only
    // when the car is not locked).
    void Halt();
    // The car's nitro: 0 while locked or when the nitro stock is spent; a
    // nitro of 0 silences the nitro sound of a car with sounds.
    void SetNitro(float power);
    // Nothing while locked; while slowed the rear flares show the brake,
    // otherwise the car's stop lights do.
    void SetBrakeLights(bool on);
    // Engine, skid and nitro sound volume (0..1) of a car with sounds.
    void SetCarSoundVolume(float volume);
    // The car's velocity; zeros without a car.
    Vector4 GetCarVelocity() const;
    // Applies the impulse at the point to the car's rigid body; nothing
    // without one.
    void ApplyBodyImpulse(const Vector3& point, const Vector3& impulse);
    void SetPushCooldown(float seconds) { pushCooldown = seconds; }

    // --- Respawn fade (the human player's car only) ---------------------

    // Starts the fade: 0.1 s to black, then 0.4 s back to full brightness.
    void StartRespawnFade();
    // Advances the fade by the frame time and sets the screen brightness.
    void UpdateRespawnFade(float frameTime);

    // --- Seams of the collision callback and the level --------------------

    // A hit is also the contact the per-frame update hears.
    void SetCollisionHit(std::uint8_t hit) override
    {
        collisionHit = hit;
        if (hit)
            contact = true;
    }
    void GetCarRotation(Quaternion& rotation) const override;
    bool IsLevelPlayer() const override;
    // The per-frame weapon step: burns what the flame reached, turns the
    // weapon to the aim point (at the target's centre height when the
    // target has a body) and fires while the trigger is held.
    void UpdateWeapon(const Vector3& aimPoint, CPGameObject* target) override;

    // --- State -----------------------------------------------------------

    bool IsLocked() const { return locked; }
    bool IsHalted() const { return halted; }
    float GetThrottle() const { return throttle; }
    float GetSteering() const { return steering; }
    // Damage of 100 or more.
    bool IsDead() const { return damage >= kWreckDamage; }
    bool IsOwnCar() const { return (side & kOwnCar) != 0; }

    CPObjectPtr shadow;
    // Parts of the car's own tree that its model lights the road with
    // ("light" of the uaz, "halo" and "halo_blend" of the volswagen_toureg);
    // the tree owns them.
    std::vector<CPGameObject*> lights;
    float respawnCooldown = 0.0f;
    bool fadeInRunning = false;
    bool fadeOutRunning = false;
    float fadeTimer = 0.0f;
    float flameTimer = 0.0f;
    float barrelAngle = 0.0f;
    std::int32_t weaponSlot = 0;
    std::string weaponName;
    bool weaponDisabled = false;
    float engineTemperature = 0.0f;
    CPObjectPtr weaponObject;
    std::array<CPObjectPtr, 4> flares{};
    std::int32_t flareIndex = 0;
    float flareTime = 0.0f;
    bool flareShown = false;
    std::int32_t arrowDirection = 0;
    float driftTime = 0.0f;
    Vector3 aim;
    std::array<float, 3> ammunition{1.0f, 1.0f, 1.0f};
    // The mine key was pressed (one mine a press) and the car has mines
    // left to lay.
    bool mineShot = false;
    bool mineReady = false;
    // The committed mine item: its name is the shot kind that is laid.
    std::string mineName;
    bool firePressed = false;
    std::int32_t weaponKind = 0;
    float fireCooldown = 0.0f;
    std::array<float, 2> combatValues{100000.0f, 100000.0f};
    // Objects the flame thrower reached this frame (not counted).
    std::unordered_set<CPObject*> hitSet{100};
    float ammunitionUseFactor = 1.0f;
    float fireRateFactor = 1.0f;
    bool combatFlag = false;
    std::int32_t abilities = 0;
    float defeatTimer = 0.0f;
    bool gameOverSent = false;
    std::int32_t repelCount = 0;
    double repelWindowStart = 0.0;
    Vector3 repelDirection;
    double haloTime = 0.0;
    std::string modelName;
    float damageBonusTimer = 0.0f;
    bool damageBonus = false;
    std::int32_t side = 0;
    float damage = 0.0f;
    float smokeTimer = 0.0f;
    bool inGloom = false;
    float gloomTimer = 0.0f;
    bool slowed = false;
    float slowTimer = 0.0f;
    float pushCooldown = 0.0f;
    float slamTimer = 0.0f;
    bool humanPlayer = false;
    bool wrecked = false;
    bool contact = false;
    // Set by the collision callback (1 = hit); the race code reads it.
    std::uint8_t collisionHit = 0;
    // The target of the last weapon step (not counted).
    CPGameObject* aimTarget = nullptr;
    // The "min" and "max" of the car's "camera" description, handed to its
    // computer driver every frame.
    std::int32_t rangeMin = 0;
    std::int32_t rangeMax = 0;

    // ===== Combat state: respawn, shadow, bonuses, barriers, gloom and the
    // per-frame state update =============================================

    // Stun length of a light barrier, and how long the state timers run.
    static constexpr float kStunTime = 4.0f;
    static constexpr float kGloomTime = 15.0f;
    static constexpr float kSlowTime = 4.0f;
    static constexpr float kPushCooldown = 4.0f;
    // Time after a respawn (and after the start's drop) before the next.
    static constexpr float kRespawnCooldown = 1.0f;
    // Engine temperature at which the scripts hear of an overheated engine.
    static constexpr float kHotEngine = 0.8f;

    // Respawns the car onto the track when it is not locked, its respawn
    // cooldown is over and it lies off the ground, falls, leans over more
    // than 70 degrees, or force is set. True when the car was moved. A car
    // off any usable track (no level, no spline ring, a position that is
    // not finite) stays where it is, with a line in the log.
    bool Spawn(bool force);
    // Clears the wreck and combat flags and loads the shadow object named
    // by the car's description.
    void CreateShadow();
    // Places the shadow under a car the camera sees within 100 units and
    // submits it; runs the respawn fade of the human player's car.
    void DrawShadow(CPPerspectiveCamera* camera) override;
    // Deletes the shadow object, which the car owns.
    void DeleteShadow();

    // Tests the car against every object of the game data's bonus list
    // while the race runs: pick-ups act and leave the list, barriers act on
    // the cars of their side.
    void CheckBonuses();
    // The per-frame state of the car (frame time in seconds).
    void UpdateState(float frameTime) override;

    bool IsReleasePending() const { return releasePending; }
    float GetReleaseTimer() const { return releaseTimer; }

    // Copies of the committed configuration's records: the car's mine and
    // engine (the engine's fourth value is the heat rate, its fifth the
    // cool rate, per second); the selected weapon's is weaponParameters.
    CPMineInfo mineParameters;
    CPEngineInfo engineParameters;
    // Fills the mine and engine records from the game data's committed
    // configuration; items the shop tables lack leave a record empty.
    void TakeCarRecords();
    // Lays one mine behind the car when the mine key asked for one and the
    // car has mines left; the mine count of the record goes down by one.
    void LayMine();

  private:
    // Pick-ups and barriers.
    bool ApplyBonus(CPGameObject& bonus);
    void RepairBonus(CPGameObject& bonus);
    void FastBonus(CPGameObject& bonus);
    void SlowBonus(CPGameObject& bonus);
    void AbilityBonus(CPGameObject& bonus, int change);
    void GloomBonus(CPGameObject& bonus);
    void RepelFromSphere(CPGameObject& barrier);
    void LiftByVBii();
    void StunByLight();
    void PushFromHalo(CPGameObject& halo);
    void TellPlayer(const char* text) const;
    // Per-frame steps.
    void UpdateWreck(float dt);
    void UpdateDefeat(float dt);
    void UpdateDriftAndArrows();
    void UpdateCountdowns(float dt);
    void UpdateGloom(float dt);
    void UpdateSlow(float dt);
    void UpdateEngineTemperature(float dt);
    void UpdateStunRelease(float dt);
    void UpdateCollisionSound(float dt);
    void GiveOffGloomSparks();
    bool RearFlareHidden();
    // Respawn.
    bool PlaceIsTaken(const Vector3& candidate) const;
    // The first point of the line that no other car takes, else one further
    // back along the track.
    Vector3 ChooseRespawnPoint(const CPLevel& level, const CPLine& line) const;
    float TrackHeading(CPLevel& level, CPLine*& line);
    void TellCameraHeading(CPLevel& level, float angle) const;
    bool m_spawnRefusalLogged = false;

  private:
    float steering = 0.0f;
    float throttle = 0.0f;
    bool locked = false;
    bool halted = false;
    bool releasePending = false;
    float releaseTimer = 0.0f;

    // === Weapons and firing ================================================
  public:
    // Shows the weapon of the selected slot of the committed car
    // configuration, takes its record from the game data's weapon table,
    // finds and hides its four muzzle flashes and sets its kind; a slot
    // with negative ammunition is disabled. Then runs the weapon step.
    // Nothing for a wrecked car; a negative slot shows no weapon.
    void SelectWeapon();
    // The trigger: held only when pressed, a slot is selected and the
    // weapon is not disabled; pressing the flame thrower restarts its
    // damage clock.
    void SetFirePressed(bool pressed);
    // A flame particle's step: what it met first (not this car) joins the
    // hit set and the particle is spent.
    void OnShotHit(CPShotHit& hit) override;
    // Throws one "gilze" cartridge case out of the weapon.
    void EjectCartridgeCase(CPGameObject* weapon);

    // Copy of the selected weapon's record.
    CPWeaponInfo weaponParameters;

    // The values of the weapon record the firing reads.
    std::int32_t GetPellets() const { return weaponParameters.value1; }
    float GetShotDamage() const { return weaponParameters.groupA3; }
    std::int32_t GetShotsPerUnit() const { return weaponParameters.groupB2; }
    float GetFireRate() const { return weaponParameters.groupB3; }

  private:
    void BurnHitSet(float dt);
    void SpinBarrel(float dt);
    void AimWeapon();
    void FireWeapon();
    // Shows the next muzzle flash and answers where the shot starts.
    Vector3 AdvanceFlare();
    void LaunchByKind(const Vector3& start, const Vector3& direction);
    void SpawnFlame(const Vector3& start, const Vector3& direction);
};
