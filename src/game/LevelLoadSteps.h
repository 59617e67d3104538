#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/Object.h"
#include "game/Level.h"
#include "game/LevelFile.h"
#include "platform/MathTypes.h"

class CPGameObject;
class CPLevel;
class CPPlayer;
class CPSpline;

// The work of one CPLevel::Load, step by step. The steps that can fail
// (reading the file, the splines, the level scene, the player's model) come
// before anything reaches the physics world, so that a failed load can be
// taken back whole. What the level does not take is deleted with the state.
class CPLevelLoadState {
  public:
    CPLevelLoadState(CPLevel& level, const std::string& name);
    ~CPLevelLoadState();
    CPLevelLoadState(const CPLevelLoadState&) = delete;
    CPLevelLoadState& operator=(const CPLevelLoadState&) = delete;

    // Steps that may fail, and the placing of the objects between them, in
    // this order.
    bool ReadFile();
    bool TakeSplines();
    void PlaceObjects();
    bool LoadLevelScene();
    bool LoadPlayerModel();

    // Steps of a load that has all it needs.
    void BuildWorld();
    void CreateOpponents();
    void CreatePlayer();
    // Lets go of the level's objects before a failed load deletes them.
    void ForgetObjects();
    // Runs in every case.
    void FinishRaceState();

  private:
    struct EnemyStart {
        std::string slot; // the start's name after "enemy", without digits
        CPLevelObjectRecord record;
    };

    void PlaceObject(const CPLevelObjectRecord& record);
    void AddStatic(CPGameObject* object);
    void LoadRecordGhost();
    void BuildTerrain();
    void AddTerrainEdges(const Vector3& terrainHalf);
    // The renderer's shadow object, when the shadow switch is set.
    void TakeShadowObject();
    void BuildRoadCollision();
    void AddBodies();
    void BuildIndex();
    void CreateOpponent(const EnemyStart& start, std::int32_t number);
    // Builds a car object from its model and puts it in the physics world.
    CPPlayer* MakeCar(CPObjectPtr& prototype, const std::string& model);
    // The car's lights as its model has them, and its ground shadow.
    void FinishCar(CPPlayer& car, const std::string& model);

    CPLevel& m_level;
    std::string m_name;
    std::string m_fileName;
    CPLevelFile m_file;
    std::vector<std::unique_ptr<CPSpline>> m_extraSplines;
    std::vector<EnemyStart> m_enemies;
    std::vector<CPObjectPtr> m_staticObjects;
    CPLevelObjectRecord m_playerStart;
    bool m_hasPlayerStart = false;
    Vector3 m_leftPost;
    Vector3 m_rightPost;
    bool m_hasLeftPost = false;
    bool m_hasRightPost = false;
    bool m_hasCollisionMesh = false;
    // Loaded before the world is built, so that a missing model fails the
    // load while it can still be taken back.
    CPObjectPtr m_playerPrototype;
};

// Places a loaded object at the record: scaled by it (unless it has a
// body or scaled is false), moved, turned by the conjugate of the stored
// rotation, with its bounds updated and its idle animation started.
void PlaceLevelObject(CPGameObject& object, const CPLevelObjectRecord& record, bool scaled);
// The four strips of ground between the terrain's box (its half size about
// the level's centre) and the edge of the level area.
std::vector<CPLevel::TerrainEdge> TerrainEdges(const Vector3& terrainHalf, float levelHalfWidth,
                                               float levelHalfDepth);
