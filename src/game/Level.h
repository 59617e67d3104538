#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "DynamicSky/SkyLevel.h"
#include "core/Object.h"
#include "core/RayQuery.h"
#include "game/CarCameraSubject.h"
#include "game/CheckpointPointer.h"
#include "game/LevelQueries.h"
#include "game/LevelView.h"
#include "game/RaceProgress.h"
#include "game/TrackPointIndex.h"
#include "platform/Light.h"
#include "platform/MathTypes.h"
#include "platform/Result.h"

class CPEnemyObject;
class CPGameObject;
class CPLevelIndex;
class CPQuadTreeNode;
class CPSpline;
struct CPLine;

// The race in progress: everything a loaded track needs (scene, terrain,
// splines, camera, light, the cars, checkpoints, speed zones, track
// points) and the state of the race. Exactly one level is current at a
// time; the constructor makes the new level current.
//
// Ownership: the level deletes what it holds in its owning slots (the
// record ghost, the owned objects, the lens flare, the splines, the level
// scene, the road collision object, the terrain, the spatial index, the
// camera, the player car and the opponent cars), each exactly once, so an
// object must sit in only one of them. The object lists, the grid cells,
// the speed zones, the checkpoints and the numbered objects only refer to
// objects owned elsewhere.
class CPLevel : public CPSkyLevel {
  public:
    // Side length of a grid cell, and how far around the player car the
    // level's own object lists are searched.
    static constexpr float kCellSize = 10.0f;
    static constexpr float kNearMargin = 10.0f;
    static constexpr float kLevelSize = 3000.0f;
    static constexpr std::size_t kMaxOpponentSlots = CPRaceProgress::kMaxOpponentSlots;

    struct Checkpoint {
        CPObjectPtr object;
        float grantedTime = 0.0f;
    };
    struct NumberedObject {
        CPObjectPtr object;
        std::int32_t number = 0;
    };
    // One strip of the flat ground that continues the terrain to the edge
    // of the level area: north, south, east and west of the terrain's box,
    // at the ground height of kTerrainEdgeHeight.
    struct TerrainEdge {
        Vector3 minimum;
        Vector3 maximum;
    };
    static constexpr float kTerrainEdgeHeight = -0.6f;
    using RecordSample = CPRaceProgress::RecordSample;

    CPLevel();
    virtual ~CPLevel();
    CPLevel(const CPLevel&) = delete;
    CPLevel& operator=(const CPLevel&) = delete;

    virtual std::string GetTypeName() const { return "CPLevel"; }
    // "%.3f" of the value.
    virtual std::string FormatFloat(float value) const;

    // 1 to 10 for exactly "level1" to "level10", else 0.
    static std::int32_t LevelNumberFromName(const std::string& name);

    // --- Light -----------------------------------------------------------

    // The fixed directional light every level uses: straight down, nearly
    // white, no ambient part, range 10000.
    void ResetLight();
    // Appends the level light to the renderer's light table; a full table
    // (30 lights), or no renderer, leaves it as it is.
    void RegisterLight() override;
    platform::Light& GetSunLight() override { return m_light; }

    // --- Spatial questions (LevelQueries.cpp) ----------------------------

    CPLevelQueries queries{*this};

    void AddToGrid(CPObjectPtr object) { queries.AddToGrid(object); }
    bool IntersectRay(RayQuery& ray) { return queries.IntersectRay(ray); }
    bool IntersectRayAll(RayQuery& ray) { return queries.IntersectRayAll(ray); }
    bool IntersectCars(RayQuery& ray) { return queries.IntersectCars(ray); }
    void CollectNearObjects(const Vector3& position, float radius, std::vector<CPObjectPtr>& result)
    {
        queries.CollectNearObjects(position, radius, result);
    }
    void CollectBranchItems(std::vector<CPObjectPtr>& result) { queries.CollectBranchItems(result); }

    // --- Owned objects ---------------------------------------------------

    void SetPlayer(CPObjectPtr player);
    CPGameObject* GetPlayer() const;
    // The opponent cars in creation order; their index is their identity in
    // the race places.
    void AddOpponent(CPObjectPtr car);
    const std::vector<CPGameObject*>& GetOpponents() const { return m_opponents; }
    // The car the camera follows (not owned).
    CPGameObject* cameraTarget = nullptr;

    void SetCamera(CPObjectPtr camera);
    // The game camera with a reference added; empty before loading.
    CPObjectPtr GetCamera() const { return m_camera; }

    // The splines named "c_path", "left" and "right".
    void SetSplines(CPObjectPtr path, CPObjectPtr left, CPObjectPtr right);
    // The path spline with a reference added.
    CPObjectPtr GetSpline() const { return m_pathSpline; }
    CPSpline* GetPathSpline() const;
    CPSpline* GetLeftBorder() const;
    CPSpline* GetRightBorder() const;

    void SetLevelScene(CPObjectPtr scene);
    CPObjectPtr GetLevelScene() const { return m_levelScene; }
    void SetRoadCollision(CPObjectPtr object);
    CPObjectPtr GetRoadCollision() const { return m_roadCollision; }
    void SetTerrain(CPObjectPtr terrain);
    CPObjectPtr GetTerrain() const { return m_terrain; }
    void SetRecordGhost(CPObjectPtr ghost);
    CPObjectPtr GetRecordGhost() const { return m_recordGhost; }
    void SetLensFlare(CPObjectPtr lensFlare);
    CPObjectPtr GetLensFlare() const { return m_lensFlare; }
    void AddOwnedObject(CPObjectPtr object);
    const std::vector<CPObjectPtr>& GetOwnedObjects() const { return m_ownedObjects; }

    // The root of the level branches; it must implement CPLevelIndex.
    void SetBranchRoot(CPObjectPtr root);
    CPObjectPtr GetBranchRoot() const { return m_branchRoot; }
    // The quad-tree root (built instead of the branches when the quad-tree
    // switch is set); the level deletes it.
    void SetQuadTreeRoot(std::unique_ptr<CPQuadTreeNode> root);
    CPQuadTreeNode* GetQuadTreeRoot() const { return m_quadTreeRoot.get(); }

    // The player car's weapon step; nothing without a player car (or one
    // that has no weapons).
    void SetWeaponPos(const Vector3& aimPoint, CPGameObject* target);

    // --- Loading (LevelLoad.cpp, LevelLoadCars.cpp) ---------------------------

    // Builds the level from "Data\Levels\<name>.lvl": the objects it lists,
    // its splines, the level scene, terrain and road collision, the branch
    // tree, the physics world, the opponents with their drivers and the
    // player's car. Without checkpoints the gates and the level's own
    // opponent model are left out; in record mode the opponents are. S_OK;
    // E_FAIL, with a line in the log naming the file and the fault, when
    // the file is missing, cut short or malformed, a spline is broken, there
    // is no "c_path" spline, or the level scene or the player's car cannot
    // be loaded: the level then holds nothing of the file. A level loaded
    // before is replaced.
    HResult Load(const std::string& name, bool noCheckpoints, bool recordMode);
    // A "chk" record: "chk", a number, one separator and a model. Loads the
    // model's scene file, places it and lists it with its number.
    void LoadNumberedObject(const std::string& name, const Vector3& position, const Quaternion& rotation);
    // Deletes what a load built (objects, lists, splines, scene, terrain,
    // road collision, spatial index, camera and cars), leaving the level
    // empty.
    void DiscardContents();

    // --- Enemies (LevelEnemies.cpp) --------------------------------------

    // At each enemy source of the mission (the game data's, which the
    // mission list filled), one enemy of a kind drawn from the source's
    // choices; once per load. The race start calls it.
    void SpawnEnemies();
    // An enemy of the kind at the position: the scene "<kind>.rdf" with the
    // "enemy" element of its description (or, for an animated scene, of
    // "<kind>.xml"). Null, with a line in the log, when there is none.
    CPEnemyObject* CreateEnemy(const std::string& kind, const Vector3& position);
    const std::vector<std::unique_ptr<CPEnemyObject>>& GetEnemies() const { return m_enemies; }
    // Steps every enemy, and puts those near the player's car into the
    // frame's scene, which moves their animations on.
    void UpdateEnemies(float dt);

    // --- Lists the loader fills and the race reads -----------------------

    std::list<CPObjectPtr> firstObjects;
    std::list<CPObjectPtr> secondObjects;
    std::list<CPObjectPtr> speedZones;
    std::vector<Checkpoint> checkpoints;
    std::list<NumberedObject> numberedObjects;
    std::unordered_map<std::string, Vector3> enemySources{100};
    // Four strips around the terrain, when the level has one.
    std::vector<TerrainEdge> terrainEdges;
    // The renderer's shadow object, handed over at load when the shadow
    // switch is set; the renderer owns it.
    CPObjectPtr shadowObject;
    // The path spline's lines in driving order.
    std::vector<CPLine*> trackPoints;
    std::string playerModel = "zil_130_";
    std::vector<std::string> opponentModels;
    std::string recordName;
    // The race-progress task and two further task slots; ended and
    // released by the level shutdown.
    std::array<CPObjectPtr, 3> tasks;

    // --- Race state --------------------------------------------------------

    // Where the race stands, and how it is watched.
    CPRaceProgress race;
    CPLevelView view;
    std::int32_t transportCount = 0;
    bool demoMode = true;
    float levelWidth = 10.0f;
    float levelDepth = 10.0f;
    std::uint32_t ambientColour = 0;
    std::int32_t levelNumber = 0;
    bool allOpponents = true;
    bool recordMode = false;
    bool noCheckpoints = false;
    bool stopped = false;

    // ====================================================================
    // Race: start, progress, camera presets and tear-down
    // (LevelStart.cpp, LevelRace.cpp, LevelLaps.cpp, LevelRaceCamera.cpp,
    // LevelShutdown.cpp). The race updater in the first task slot is the
    // level's own: it leaves the kernel and is deleted with the level.
    // ====================================================================

    // The player's entry in the race places.
    static constexpr std::int32_t kPlayerPlace = 10;
    // Opponents counted for laps and places, and updated while the
    // traffic is held.
    static constexpr std::size_t kCountedOpponents = 5;
    // The player's state update runs at 60 steps a second.
    static constexpr float kFixedStep = 0.016666668f;
    static constexpr float kLevelTimeLimit = 600.0f;

    // Starts the race: resets the race state, adds the AI manager (100),
    // the physics world (400) and the race updater (500) to the kernel,
    // registers the camera passes, activates the player car and the scene,
    // tells "gamemenu" the money, readies the round time and lap records,
    // and builds the track points.
    void Start();
    // The track points in driving order and where the cars stand on them.
    void InitRaceTrack();
    // One race frame (the race updater's step).
    void UpdateRace();
    // Lap counting and finishing places of the player and the first five
    // opponents.
    void UpdateLaps();
    // Preset 0 and 2 follow with the "camera" values, 1 with "camera2";
    // 2 is the behind view. Any other number is only stored.
    void SetCameraPreset(std::int32_t preset);
    // The track point nearest in x and y within about 316 units, the later
    // of equals; -1 when none is that near.
    std::int32_t FindNearestTrackPoint(const Vector3& position) const;
    // The same for a car of the race where it stands now: the point the lap
    // count found for it this frame while it has not moved since.
    std::int32_t NearestTrackPointOf(const CPGameObject& car) const;

    // Stops the level: cars, drivers, tasks, grid, effects and sounds go
    // out of play. The objects stay allocated until the level is deleted.
    void Shutdown();
    // Only the first five opponents are updated.
    void HoldTraffic();
    // Every opponent is updated, and the traffic cars (from the sixth on)
    // are put back on the road at height 3 with their motion cleared.
    void ReleaseTraffic();
    // Whether the followed car faces more than about a quarter turn away
    // from the track's direction.
    bool IsMovingBackwards() const;
    // Takes the level out of play for good: stopped when it was not, and no
    // longer current. Its objects stay allocated for whatever the frame
    // still draws or steps; QueueLevelForDelete deletes it afterwards.
    void Retire();

    // What the game camera reads of the player car.
    CPCarCameraSubject cameraSubject;

    // ===== Checkpoint display and script marks (LevelCheckpoint.cpp) =====

    // Shows the checkpoint at currentCheckpoint to the player: it becomes
    // the shown checkpoint, is made visible, "say_show" goes to the
    // category "main" and the checkpoint pointer aims at it. Past the last
    // checkpoint the shown checkpoint is let go and the pointer has no
    // target. The race, not this, moves currentCheckpoint on.
    void ShowCheckPoint();
    // Refer to objects the level owns; let go before they are deleted.
    CPObjectPtr shownCheckpoint;
    CPCheckpointPointer checkpointPointer;
    // The scripts mark that the player has fired.
    bool playerFired = false;

  private:
    friend class CPLevelQueries;

    CPLevelIndex* GetIndex() const;
    void DeleteOwnedObjects();

    platform::Light m_light;

    CPObjectPtr m_recordGhost;
    std::vector<CPObjectPtr> m_ownedObjects;
    CPObjectPtr m_lensFlare;
    CPObjectPtr m_pathSpline;
    CPObjectPtr m_leftBorder;
    CPObjectPtr m_rightBorder;
    CPObjectPtr m_levelScene;
    CPObjectPtr m_roadCollision;
    CPObjectPtr m_terrain;
    CPObjectPtr m_branchRoot;
    std::unique_ptr<CPQuadTreeNode> m_quadTreeRoot;
    CPObjectPtr m_camera;
    CPObjectPtr m_player;
    std::vector<CPGameObject*> m_opponents;
    // The track points gridded for FindNearestTrackPoint.
    mutable CPTrackPointIndex m_trackPointIndex;
    // Each leaves its scene object (owned among the owned objects) as it
    // goes, so they go first.
    std::vector<std::unique_ptr<CPEnemyObject>> m_enemies;
    bool m_enemiesSpawned = false;
    void DeleteEnemies();

    // ===== Race (LevelStart.cpp, LevelShutdown.cpp) =====================
    // Ends the level's tasks and takes them out of the kernel; they are
    // deleted at once, or with the frame's deferred deletes while a frame
    // may still be stepping them.
    void DeleteTasks(bool deferred);
    // The computer drivers let go of their cars, which the level deletes.
    void ReleaseDriverCars();
    // Empties the game data's bonus list, which holds the race's objects.
    void DropBonuses();
    // Takes the level out of the level slot: no longer current, and, while
    // it is the sky's, the sky's tie to it ends and the sky with it.
    void LeaveLevelSlot();
    // Keeps an object the level owns alive, out of its slot, until the
    // level is deleted.
    void RetireObject(CPObjectPtr& slot);
};

// Makes `level` the current level and the sky's, through the level slot
// of the engine's services; without services it stays out of play.
void MakeCurrentLevel(CPLevel* level);
// Leaves no level current (the level itself stays as it is).
void ClearCurrentLevel();

// Retires the level now and deletes it at the next deferred-delete step
// (DeleteQueuedObjects), once nothing of the frame uses it any more: how
// scripts and the game drop a level, whenever they do. Null is ignored.
void QueueLevelForDelete(CPLevel* level);
