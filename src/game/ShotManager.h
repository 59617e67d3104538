#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/Object.h"
#include "platform/MathTypes.h"

class CPRenderList;
class CPShot;

// Launches shots by kind name (GetWeaponManager). For each kind it keeps a
// prototype and a pool of idle shots: a launch reuses the last idle shot or
// clones the prototype, starts it and lists it as active; the per-frame
// update steps the active shots and puts finished ones back in their pool.
//
// Ownership: the manager deletes every shot it holds (prototypes, idle and
// active ones, and shots started directly), each with its tree.
class CPShotManager {
  public:
    // Live shots of one kind at most, so that a runaway launcher cannot
    // grow the pools without end.
    static constexpr std::size_t kDefaultPoolLimit = 256;
    // Room made at the start for shots in flight at once.
    static constexpr std::size_t kActiveRoom = 64;

    // The hash of the kinds map: h = 5h + c over the name's bytes taken as
    // signed chars.
    struct NameHash {
        std::size_t operator()(const std::string& name) const;
    };

    CPShotManager();
    ~CPShotManager();
    CPShotManager(const CPShotManager&) = delete;
    CPShotManager& operator=(const CPShotManager&) = delete;

    // --- Kinds -------------------------------------------------------------

    // Takes the shot as the prototype of the kind and names it after the
    // kind. A kind that has a prototype already, null and anything but a
    // shot are refused with a line in the log; the caller keeps what was
    // refused.
    bool AddKind(const std::string& kindName, CPObjectPtr prototype);
    // Makes a prototype of a shot class ("projectile", "effect", "flame") from the
    // parameters and adds it as the kind. False, with a line in the log,
    // for an unknown class or parameters the class refuses.
    bool CreateKind(const std::string& kindName, const std::string& className,
                    const std::vector<std::string>& params);
    // Reads kind lines "name class param1 param2 ... sound" (space
    // separated, double quotes group) from a text file; returns how many
    // kinds were made. Lines that make no kind are logged and skipped.
    int LoadKinds(const std::string& fileName);

    bool HasKind(const std::string& kindName) const;
    // Idle shots in the kind's pool (the prototype not counted).
    std::size_t GetIdleCount(const std::string& kindName) const;
    std::size_t GetKindCount() const { return m_kinds.size(); }
    void SetPoolLimit(std::size_t limit) { m_poolLimit = limit; }
    // Copies the prototypes until every kind has this many idle shots (at
    // most the pool limit), so that a race takes its shots from the pools
    // instead of making them while it runs. Returns how many were made.
    std::size_t FillPools(std::size_t idlePerKind);

    // --- Launching -----------------------------------------------------------

    // Launches one shot of the kind from the position along the direction.
    // The launch value is the shot's own (the damage of a bullet); -1.0 for
    // none. The owner is the shooting object: the shot does not hit its
    // tree's root. An unknown kind, a kind without a prototype, a full pool
    // and a position or direction that is not finite launch nothing (bad
    // input is logged).
    void Launch(const std::string& kindName, const Vector3& position, const Vector3& direction, float value,
                CPObjectPtr owner);
    // Starts a shot made directly (the lightning), which the manager takes
    // and deletes once it has finished. False, with a line in the log, for
    // anything but a shot or bad numbers; the caller keeps it then.
    bool StartShot(CPObjectPtr shot, const Vector3& position, const Vector3& direction, float value);

    // --- The frame -------------------------------------------------------------

    // Steps every shot that was active when the update began; finished
    // shots go back to their pools (shots started directly are deleted).
    void Update();
    // Puts every active shot back without stepping it (the level's stop).
    void ClearActive();
    // Deletes every shot and forgets every kind. Shots hold sounds of the
    // sound manager: they must go before it does.
    void Clear();

    // Puts every active shot into the frame's scene: a shot is nobody's
    // child, so nothing else draws it.
    void AddActiveTo(CPRenderList& list) const;

    std::size_t GetActiveCount() const { return m_active.size(); }
    // The active shots in launch order.
    std::vector<CPShot*> GetActiveShots() const;

  private:
    struct Kind {
        // The prototype first, then the idle shots.
        std::vector<CPObjectPtr> shots;
        std::size_t live = 0;
        bool fullReported = false;
    };
    struct Active {
        CPObjectPtr shot;
        Kind* kind = nullptr; // null for a shot started directly
    };

    CPShot* TakeShot(const std::string& kindName, Kind& kind);
    CPShot* CopyPrototype(const std::string& kindName, Kind& kind);
    void Finish(Active& entry);

    std::unordered_map<std::string, Kind, NameHash> m_kinds;
    // A shot's entry is made at every launch: kept in a vector that keeps
    // its room, launching takes no block once the race has warmed up.
    std::vector<Active> m_active;
    std::size_t m_poolLimit = kDefaultPoolLimit;
};
