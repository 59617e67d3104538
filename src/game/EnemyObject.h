#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "core/Object.h"
#include "core/Enemy.h"
#include "platform/MathTypes.h"

class CPGameObject;

// Hears an enemy choose its next attack.
class CPEnemyListener {
  public:
    virtual ~CPEnemyListener() = default;
    // After a melee animation was chosen and after "fire" was restarted.
    virtual void OnAttackChosen() = 0;
};

// An enemy: an animated scene object that strikes the player's car at
// close range or fires guns at it, takes damage, and dies with a reward,
// blood or oil, gibs and a message to the scripts. Its attack animations
// chain through PlayAttackAnimation: "melee1"/"melee2" pick the next melee
// blow at random, "fire_in" opens the "fire" loop, which repeats while
// firing, "fire_out" returns to idle.
//
// Ownership: whoever makes the enemy owns it and deletes it before its
// scene object; the enemy attaches itself to the scene object (which only
// points to it) and detaches in its destructor. Sounds the sound manager
// made anew for the enemy are given back by the destructor, which must run
// while the sound manager exists. The listener and the scene object are
// not owned.
class CPEnemyObject : public CPEnemy {
  public:
    static constexpr std::uint32_t kIdleState = 1;
    static constexpr std::uint32_t kDeathState = 4;
    static constexpr int kAttackRecords = 3;

    // One attack: the animation's speed parameter, the attack ray (the
    // muzzle offset for record 3) and the point struck, both in the
    // enemy's frame, the push and the damage of the blow.
    struct AttackRecord {
        float parameter = 1.0f;
        Vector3 reach;
        Vector3 strikeOffset;
        float impulse = 0.0f;
        float damage = 0.0f;
    };

    // Attaches itself as the scene object's enemy behaviour.
    explicit CPEnemyObject(CPGameObject* owner);
    ~CPEnemyObject() override;
    CPEnemyObject(const CPEnemyObject&) = delete;
    CPEnemyObject& operator=(const CPEnemyObject&) = delete;

    // Enters the idle state: the enemy stands and waits for the player's
    // car.
    void Start();
    // The enemy's step in a race frame: it turns to the player's car within
    // its reach or its gun's range and opens an attack there (a melee blow,
    // or the "fire_in" that opens the gun's bursts); a car that leaves
    // breaks the blows off and ends the bursts with "fire_out". Nothing once
    // it is dead.
    void Update(float dt);
    // How far the first blow reaches along the ground; 0 without blows.
    float GetMeleeReach() const;
    bool HasGun() const;

    void PlayAttackAnimation() override;
    void Strike() override;
    void TakeDamage(const Vector3& source, const Vector3& hitPosition, float damage, bool noHitEffect,
                    bool oilOnly) override;

    // Starts the named animation (once: its end is what chains the attacks)
    // unless it is the one playing and restart is clear; the speed is the
    // parameter when useParameter is set, else 1.0.
    void PlayAnimation(const std::string& name, bool useParameter, bool restart, float parameter);
    // Loads a sound of the enemy's own table through the sound manager;
    // false, with a line in the log, when it does not load.
    bool LoadSound(const std::string& name, const std::string& file);
    // Reads the "enemy" element of the scene object's description (see
    // EnemyObject.cpp for the attributes); false, with a line in the log,
    // when there is none. Values it lacks keep their defaults.
    bool ReadDescription();

    CPGameObject* GetOwner() const { return m_owner; }

    CPEnemyListener* listener = nullptr;
    std::string currentStateAnimation;
    float stateTime = 0.0f;
    std::unordered_map<std::uint32_t, std::string> stateTable;
    Vector3 baseFacing{0.0f, -1.0f, 0.0f};
    float health = 100.0f;
    // "explosion", "hmgun", "rocket", "plasma", "mgun", "lgun", "shotgun".
    std::string weapon;
    std::int32_t meleeCount = 0;
    float gibHeight = 0.0f;
    std::string currentAnimation;
    // "blood1" or "oil1".
    std::string hitEffectKind = "blood1";
    bool hit = false;
    std::string meleeName;
    std::array<AttackRecord, kAttackRecords> attacks{};
    std::int32_t firing = 0;
    bool ignoreDamage = false;
    bool gibsEnabled = false;
    std::string name;
    bool busy = false;
    std::int32_t reward = 0;
    std::int32_t volleyCounter = 0;
    bool dead = false;
    bool deathSuppressed = false;
    bool deathReported = false;
    std::unordered_map<std::string, CPObjectPtr> sounds;
    // Frames at which an animation reports its blow or shot; animations
    // without an entry report nothing.
    std::unordered_map<std::string, std::int32_t> reportFrames;
    // How near the player's car must come for a gun to open fire; 0 never.
    float fireRange = 0.0f;

  private:
    Matrix4 EnemyFrame() const;
    void Melee(int record, const char* sound, const Matrix4& frame);
    void Fire(const Matrix4& frame);
    void LaunchGibs();
    void EnterState(std::uint32_t state);
    void ReportDeath();
    void PlaySound(const std::string& soundName);
    void Face(const Vector3& offset);
    void StartAttack(const std::string& animation, float parameter);

    // "name,x,y,z", the scripts' news of the enemy's death.
    static constexpr std::size_t kPositionTextRoom = 128;
    std::string m_deathReport;

    CPGameObject* m_owner; // not counted
    std::uint32_t m_state = 0;
};
