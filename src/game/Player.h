#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_set>

#include "core/GameObject.h"
#include "game/LevelCar.h"
#include "game/PlayerBonuses.h"
#include "game/PlayerState.h"
#include "game/PlayerWeapons.h"
#include "game/RaceCar.h"
#include "game/ShopItems.h"
#include "game/ShotHit.h"
#include "physics/CollisionPlayer.h"
#include "platform/MathTypes.h"

class CPPerspectiveCamera;
class CPRender;
class CPCar;
class CPLevel;
struct CPLine;

// The scene object of one car in the race, the human player's and every
// opponent's alike. On top of the driving model (its CPCar companion) it
// keeps what makes a car a combatant: the driver's inputs as the scripts
// give them, the lock and halt states, the side, the damage, the weapon,
// bonus and respawn state.
//
// Ownership: the player owns its shadow and its weapons component; the car
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
    void UpdateWeapon(const Vector3& aimPoint, CPGameObject* target) override
    {
        weapons.UpdateWeapon(aimPoint, target);
    }

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
    std::array<float, 2> combatValues{100000.0f, 100000.0f};
    bool combatFlag = false;
    // The car whose shot struck this one last; compared, never followed
    // (it may have gone with its level).
    const CPGameObject* lastHitBy = nullptr;
    // Its health has run out and not grown since: a further blow wrecks
    // nothing more.
    bool healthRanOut = false;
    std::int32_t abilities = 0;
    std::string modelName;
    std::int32_t side = 0;
    float damage = 0.0f;
    float pushCooldown = 0.0f;
    bool humanPlayer = false;
    bool wrecked = false;
    bool contact = false;
    // Set by the collision callback (1 = hit); the race code reads it.
    std::uint8_t collisionHit = 0;
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
    void DrawShadowAsSeen(CPPerspectiveCamera* camera, bool ownBoxSeen) override;
    // Deletes the shadow object, which the car owns.
    void DeleteShadow();

    void CheckBonuses() { bonuses.CheckBonuses(); }
    void UpdateState(float frameTime) override { state.UpdateState(frameTime); }

    bool IsReleasePending() const { return releasePending; }
    float GetReleaseTimer() const { return releaseTimer; }

    // Fills the mine and engine records from the game data's committed
    // configuration; items the shop tables lack leave a record empty.
    void TakeCarRecords();

  private:
    // Respawn.
    bool PlaceIsTaken(const Vector3& candidate) const;
    // The first point of the line that no other car takes, else one further
    // back along the track.
    Vector3 ChooseRespawnPoint(const CPLevel& level, const CPLine& line) const;
    float TrackHeading(CPLevel& level, CPLine*& line);
    void TellCameraHeading(CPLevel& level, float angle) const;
    bool m_spawnRefusalLogged = false;
    // The shadow's part of DrawShadow once the camera sees the car.
    void LayShadow(CPPerspectiveCamera& camera, CPRender& render);

  private:
    // The bonuses stun, halt and release the car; the state update drives
    // it and ends the stun.
    friend class CPPlayerBonuses;
    friend class CPPlayerState;

    float steering = 0.0f;
    float throttle = 0.0f;
    bool locked = false;
    bool halted = false;
    bool releasePending = false;
    float releaseTimer = 0.0f;

    // === Weapons and firing ================================================
  public:
    CPPlayerWeapons weapons{*this};
    CPPlayerBonuses bonuses{*this};
    CPPlayerState state{*this};

    void SelectWeapon() { weapons.SelectWeapon(); }
    void OnShotHit(CPShotHit& hit) override { weapons.OnShotHit(hit); }
    void EjectCartridgeCase(CPGameObject* weapon) { weapons.EjectCartridgeCase(weapon); }
};
