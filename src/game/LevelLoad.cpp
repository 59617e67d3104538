// Loading a level: the level file's objects and splines, the level scene,
// terrain and road collision, the branch tree and the physics world. The
// cars come from LevelLoadCars.cpp.
#include <algorithm>
#include <cmath>

#include "Render/AnimationRequest.h"
#include "Render/Material.h"
#include "Render/MaterialLibrary.h"
#include "Render/PRender.h"
#include "Render/QuadTreeNode.h"
#include "Render/RenderObject.h"
#include "Render/RenderObjectLoader.h"
#include "core/GameObject.h"
#include "core/GameSettings.h"
#include "core/Log.h"
#include "core/ShadowMatrix.h"
#include "core/Singletons.h"
#include "game/LoadedObject.h"
#include "game/AIManager.h"
#include "game/Camera.h"
#include "game/EnemyObject.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/LevelBranch.h"
#include "game/LevelFile.h"
#include "game/LevelLoadSteps.h"
#include "game/LevelObjectName.h"
#include "game/Spline.h"
#include "physics/PhysicData.h"
#include "physics/PhysicsWorld.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Math.h"
#include "platform/MatrixMath.h"
#include "platform/Random.h"

namespace {

// More traffic drivers than this are not made, whatever the game data says.
constexpr std::int32_t kMaxTraffic = 100;
constexpr std::uint32_t kAmbientColour = 0xFF7F7F7F;

CPObjectPtr LoadScene(const std::string& fileName, int option)
{
    CPRenderObjectLoader* loader = GetRenderObjectLoader();
    if (!loader)
        return CPObjectPtr();
    return loader->LoadRenderObject(fileName, option);
}

bool IsGameObject(const CPObjectPtr& object) { return object.As<CPGameObject>() != nullptr; }

// Scales the object's geometry, its boxes and the placement of its parts.
void ScaleTree(CPGameObject& root, const Vector3& scale)
{
    const Matrix4 scaling = ScalingMatrix(scale.x, scale.y, scale.z);
    std::vector<CPObjectPtr> tree;
    root.CollectObjects(tree);
    for (const CPObjectPtr& entry : tree) {
        auto* object = entry.As<CPGameObject>();
        if (!object)
            continue;
        if (auto* mesh = object->GetRenderObject().As<CPRenderObject>())
            mesh->TransformVertices(scaling);
        CPBoundingBox box = object->GetBoundingBox();
        box.centre = {box.centre.x * scale.x, box.centre.y * scale.y, box.centre.z * scale.z};
        box.halfExtents = {box.halfExtents.x * scale.x, box.halfExtents.y * scale.y,
                           box.halfExtents.z * scale.z};
        object->SetBoundingBox(box);
        for (CPBoundingBox& part : object->GetPartBoxes()) {
            part.centre = {part.centre.x * scale.x, part.centre.y * scale.y, part.centre.z * scale.z};
            part.halfExtents = {part.halfExtents.x * scale.x, part.halfExtents.y * scale.y,
                                part.halfExtents.z * scale.z};
            part.localMatrix.m[3][0] *= scale.x;
            part.localMatrix.m[3][1] *= scale.y;
            part.localMatrix.m[3][2] *= scale.z;
        }
        if (object != &root) {
            const Vector3& p = object->GetPosition();
            object->SetPosition({p.x * scale.x, p.y * scale.y, p.z * scale.z});
        }
    }
}

bool IsUnitScale(const Vector3& scale) { return scale.x == 1.0f && scale.y == 1.0f && scale.z == 1.0f; }

void StartIdleAnimation(CPGameObject& object)
{
    if (object.GetRenderKind() != CPGameObject::kAnimatedObject)
        return;
    CPAnimationRequest request;
    request.name = "idle";
    const float fraction = static_cast<float>(platform::Rand()) / 32767.0f;
    request.speed = 1.0f + fraction * 0.4f - 0.2f;
    object.StartAnimation(request, false);
}

// The first mesh render object of the tree, depth first.
CPObjectPtr FindMesh(CPGameObject& root)
{
    std::vector<CPObjectPtr> tree;
    root.CollectObjects(tree);
    for (const CPObjectPtr& entry : tree) {
        auto* object = entry.As<CPGameObject>();
        if (object && object->GetRenderObject().As<CPRenderObject>())
            return object->GetRenderObject();
    }
    return CPObjectPtr();
}

// The drivers of the level: five opponents and the traffic.
void PrepareDrivers(CPLevel& level)
{
    const CPGameData* data = GetGameData();
    level.transportCount = data ? data->transportCount : 0;
    CPAIManager* manager = GetAIManager();
    if (!manager)
        return;
    // The manager keeps the count for the end of the gloom, which lets the
    // traffic go only when there is some.
    manager->SetTrafficCount(level.transportCount);
    manager->SetTrafficOn(level.transportCount != 0);
    manager->ClearDrivers();
    for (std::size_t i = 0; i < CPAIManager::kOpponentCount; ++i)
        manager->AddOpponent();
    std::int32_t traffic = std::max<std::int32_t>(0, level.transportCount);
    if (traffic > kMaxTraffic) {
        LogLine("CPLevel: " + std::to_string(traffic) + " traffic cars asked for; " +
                std::to_string(kMaxTraffic) + " are made");
        traffic = kMaxTraffic;
    }
    for (std::int32_t i = 0; i < traffic; ++i)
        manager->AddTraffic();
}

void SetUpLightAndRenderer(CPLevel& level)
{
    level.ResetLight();
    level.ambientColour = kAmbientColour;
    CPRender* render = GetRender();
    if (!render)
        return;
    render->SetAmbient(kAmbientColour, 127.0f / 255.0f, 127.0f / 255.0f, 127.0f / 255.0f);
    render->MaterialColor() = ColorValue{0.5f, 0.5f, 0.5f, 1.0f};
    render->InitDeviceState();
    const Vector3& direction = level.GetSunLight().direction;
    SetShadowMatrix(
        ShadowMatrix(Vector4{direction.x, direction.y, direction.z, 0.0f}, Plane{0.0f, 0.0f, -1.0f, 0.5f}));
}

} // namespace

// --- Placing scene objects ----------------------------------------------------

std::vector<CPLevel::TerrainEdge> TerrainEdges(const Vector3& terrainHalf, float levelHalfWidth,
                                               float levelHalfDepth)
{
    // A terrain wider than the level leaves strips of no width; the four
    // records are kept all the same, so a level always has them.
    const float hx = std::max(levelHalfWidth, 0.0f);
    const float hy = std::max(levelHalfDepth, 0.0f);
    const float tx = std::clamp(terrainHalf.x, 0.0f, hx);
    const float ty = std::clamp(terrainHalf.y, 0.0f, hy);
    const float z = CPLevel::kTerrainEdgeHeight;
    return {
        {{-hx, ty, z}, {hx, hy, z}},   // north
        {{-hx, -hy, z}, {hx, -ty, z}}, // south
        {{tx, -ty, z}, {hx, ty, z}},   // east
        {{-hx, -ty, z}, {-tx, ty, z}}, // west
    };
}

void PlaceLevelObject(CPGameObject& object, const CPLevelObjectRecord& record, bool scaled)
{
    if (scaled && !object.GetPhysicData() && !IsUnitScale(record.scale))
        ScaleTree(object, record.scale);
    object.SetPosition(record.position);
    object.SetRotation(
        Quaternion{-record.rotation.x, -record.rotation.y, -record.rotation.z, record.rotation.w});
    object.UpdateBounds();
    StartIdleAnimation(object);
}

namespace {

CPGameObject* LoadSceneObject(CPLevel& level, const std::string& model, const CPLevelObjectRecord& record,
                              float seconds)
{
    const std::string fileName = model + ".rdf";
    CPObjectPtr loaded = LoadScene(fileName, 0);
    auto* object = loaded.As<CPGameObject>();
    if (!object) {
        LogLine("CPLevel: the object \"" + record.name + "\" has no scene \"" + fileName +
                "\"; it is left out");
        DeleteLoaded(loaded);
        return nullptr;
    }
    PlaceLevelObject(*object, record, true);
    level.AddOwnedObject(loaded);
    level.firstObjects.push_back(loaded);
    if (fileName == "arrow_blue.rdf" || fileName == "arrow_blue_b.rdf")
        level.speedZones.push_back(loaded);
    if (fileName == "checkpoint.rdf" || fileName == "checkpoint_a.rdf")
        level.checkpoints.push_back({loaded, seconds + 9.0f});
    return object;
}

} // namespace

void CPLevel::LoadNumberedObject(const std::string& name, const Vector3& position, const Quaternion& rotation)
{
    const CPLevelObjectName parsed = ClassifyLevelObject(name);
    const std::string fileName = parsed.model + ".rdf";
    CPObjectPtr loaded = LoadScene(fileName, 0);
    auto* object = loaded.As<CPGameObject>();
    if (!object) {
        LogLine("CPLevel: the numbered object \"" + name + "\" has no scene \"" + fileName + "\"");
        DeleteLoaded(loaded);
        return;
    }
    CPLevelObjectRecord record;
    record.name = name;
    record.position = position;
    record.rotation = rotation;
    PlaceLevelObject(*object, record, false);
    AddOwnedObject(loaded);
    numberedObjects.push_back({loaded, parsed.number});
    // No other list holds them: the grid lets the nearby-object query find
    // them around the player's car.
    AddToGrid(loaded);
}

// --- The load ---------------------------------------------------------------------

void CPLevel::DiscardContents()
{
    m_quadTreeRoot.reset();
    SetBranchRoot(CPObjectPtr());
    firstObjects.clear();
    secondObjects.clear();
    speedZones.clear();
    checkpoints.clear();
    numberedObjects.clear();
    enemySources.clear();
    terrainEdges.clear();
    shadowObject = CPObjectPtr();
    trackPoints.clear();
    opponentModels.clear();
    queries.EmptyCells();
    cameraTarget = nullptr;
    DeleteEnemies();
    DeleteOwnedObjects();
}

HResult CPLevel::Load(const std::string& name, bool noCheckpoints, bool recordMode)
{
    // Most of the level's files come from packs; each is first looked for
    // on disk, which would list the same folders again for every one.
    const platform::FolderListingScope listings;
    race.raceClock = 0.0f;
    race.lastSampleTime = 0.0f;
    race.ghostSampleIndex = 0;
    this->recordMode = recordMode;
    this->noCheckpoints = noCheckpoints;
    PrepareDrivers(*this);
    platform::SeedRand(platform::Milliseconds());
    levelNumber = LevelNumberFromName(name);
    if (CPRender* render = GetRender())
        render->LoadSkyscape(levelNumber);
    demoMode = GetGameSettings().demo != 0;
    race.levelFailedSent = false;

    DiscardContents();
    CPLevelLoadState state(*this, name);
    bool built = state.ReadFile() && state.TakeSplines();
    if (built) {
        state.PlaceObjects();
        built = state.LoadLevelScene() && state.LoadPlayerModel();
    }
    if (built) {
        state.BuildWorld();
        state.CreateOpponents();
        state.CreatePlayer();
    } else {
        LogLine("CPLevel: the level \"" + name + "\" is not loaded");
        state.ForgetObjects();
        DiscardContents();
    }
    state.FinishRaceState();
    return built ? S_OK : E_FAIL;
}

// --- Steps --------------------------------------------------------------------------

CPLevelLoadState::CPLevelLoadState(CPLevel& level, const std::string& name)
    : m_level(level), m_name(name), m_fileName("Data\\Levels\\" + name + ".lvl")
{
}

CPLevelLoadState::~CPLevelLoadState()
{
    for (auto& entry : m_extraSplines)
        entry.reset();
    DeleteLoaded(m_playerPrototype);
}

void CPLevelLoadState::ForgetObjects() { m_staticObjects.clear(); }

bool CPLevelLoadState::ReadFile()
{
    if (!m_file.Read(m_fileName))
        return false;
    m_level.enemySources.clear();
    SetUpLightAndRenderer(m_level);
    // The header's half width has no lasting effect: every level area is
    // the same square.
    m_level.levelWidth = CPLevel::kLevelSize;
    m_level.levelDepth = CPLevel::kLevelSize;
    m_level.queries.AllocateGrid();
    if (CPRenderObjectLoader* loader = GetRenderObjectLoader())
        loader->SetVertexColour(0xFFFFFFFF);
    return true;
}

void CPLevelLoadState::PlaceObjects()
{
    for (const CPLevelObjectRecord& record : m_file.objects)
        PlaceObject(record);
}

void CPLevelLoadState::PlaceObject(const CPLevelObjectRecord& record)
{
    const CPLevelObjectName parsed = ClassifyLevelObject(record.name);
    switch (parsed.kind) {
    case CPLevelObjectKind::kPlayer:
        m_playerStart = record;
        m_hasPlayerStart = true;
        break;
    case CPLevelObjectKind::kEnemy:
        if (!m_level.recordMode)
            m_enemies.push_back({parsed.model, record});
        break;
    case CPLevelObjectKind::kCheckpointGate:
        if (!m_level.noCheckpoints)
            AddStatic(LoadSceneObject(m_level, parsed.model, record, parsed.seconds));
        break;
    case CPLevelObjectKind::kNumbered:
        m_level.LoadNumberedObject(record.name, record.position, record.rotation);
        break;
    case CPLevelObjectKind::kEnemySource:
        m_level.enemySources[parsed.source] = record.position;
        break;
    case CPLevelObjectKind::kStartPostLeft:
        m_leftPost = record.position;
        m_hasLeftPost = true;
        break;
    case CPLevelObjectKind::kStartPostRight:
        m_rightPost = record.position;
        m_hasRightPost = true;
        break;
    case CPLevelObjectKind::kScene:
        AddStatic(LoadSceneObject(m_level, parsed.model, record, 0.0f));
        break;
    }
}

void CPLevelLoadState::AddStatic(CPGameObject* object)
{
    if (!object)
        return;
    // Objects with a body of their own may move; the branch tree holds
    // only what stays put.
    if (!object->GetPhysicData())
        m_staticObjects.push_back(CPObjectPtr(object));
}

bool CPLevelLoadState::TakeSplines()
{
    CPObjectPtr path;
    CPObjectPtr left;
    CPObjectPtr right;
    for (auto& spline : m_file.splines) {
        const std::string& splineName = spline->GetSplineName();
        CPObjectPtr* role = splineName == "c_path"  ? &path
                            : splineName == "left"  ? &left
                            : splineName == "right" ? &right
                                                    : nullptr;
        if (!role || *role) {
            m_extraSplines.push_back(std::move(spline));
            continue;
        }
        *role = CPObjectPtr(spline.release());
    }
    m_file.splines.clear();
    m_level.SetSplines(path, left, right);
    CPSpline* pathSpline = m_level.GetPathSpline();
    if (!pathSpline || !pathSpline->GetFirstLine()) {
        LogLine("Level file \"" + m_fileName +
                "\": " + (pathSpline ? "the \"c_path\" spline has no lines" : "has no \"c_path\" spline"));
        return false;
    }
    return true;
}

bool CPLevelLoadState::LoadLevelScene()
{
    const std::string fileName = m_name + ".rdf";
    CPObjectPtr scene = LoadScene(fileName, 0);
    if (!IsGameObject(scene)) {
        LogLine("CPLevel: the level scene \"" + fileName + "\" cannot be loaded");
        DeleteLoaded(scene);
        return false;
    }
    m_level.SetLevelScene(scene);
    auto* root = scene.As<CPGameObject>();
    root->UpdateBounds();
    if (root->GetChildren().empty())
        m_staticObjects.push_back(scene);
    for (const CPObjectPtr& child : root->GetChildren())
        m_staticObjects.push_back(child);
    return true;
}

void CPLevelLoadState::BuildTerrain()
{
    if (GetGameSettings().brightness == 0.0f)
        return;
    CPObjectPtr terrain = LoadScene("land.rdf", 0);
    auto* object = terrain.As<CPGameObject>();
    if (!object) {
        LogLine("CPLevel: no terrain \"land.rdf\"");
        DeleteLoaded(terrain);
        return;
    }
    CPMaterialLibrary* materials = GetMaterialLibrary();
    auto* mesh = object->GetRenderObject().As<CPRenderObject>();
    if (materials && mesh)
        mesh->SetMaterial(
            CPObjectPtr(materials->GetMaterial("terrain2.fx", {"color.dds", "detail1.dds"}, 0)));
    // The terrain is modelled around the level's centre.
    object->SetPosition(Vector3{0.0f, 0.0f, 0.0f});
    object->SetRotation(Quaternion{0.0f, 0.0f, 0.0f, 1.0f});
    object->UpdateBounds();
    m_level.SetTerrain(terrain);
    AddTerrainEdges(object->GetTreeBox().halfSize);
}

void CPLevelLoadState::AddTerrainEdges(const Vector3& terrainHalf)
{
    m_level.terrainEdges = TerrainEdges(terrainHalf, m_level.levelWidth * 0.5f, m_level.levelDepth * 0.5f);
}

void CPLevelLoadState::BuildRoadCollision()
{
    CPPhysicsWorld* world = GetPhysicsWorld();
    const std::string fileName = "road_phys" + std::to_string(m_level.levelNumber) + ".rdf";
    CPObjectPtr road = LoadScene(fileName, 0);
    auto* object = road.As<CPGameObject>();
    CPObjectPtr mesh = object ? FindMesh(*object) : CPObjectPtr();
    if (!mesh) {
        LogLine("CPLevel: no road collision mesh in \"" + fileName + "\"");
        DeleteLoaded(road);
    } else {
        object->UpdateBounds();
        m_level.SetRoadCollision(road);
        if (world && !world->BuildCollisionMesh(mesh))
            LogLine("CPLevel: the road collision of \"" + fileName + "\" gives no collision mesh");
    }
    if (world && !world->Init())
        LogLine("CPLevel: the physics world cannot be set up for \"" + m_name + "\"");
    m_hasCollisionMesh = mesh && world;
}

void CPLevelLoadState::AddBodies()
{
    CPPhysicsWorld* world = GetPhysicsWorld();
    if (!world || !world->GetSimulator())
        return;
    std::vector<CPObjectPtr> tree;
    for (const CPObjectPtr& owned : m_level.GetOwnedObjects()) {
        if (auto* object = owned.As<CPGameObject>())
            object->CollectObjects(tree);
    }
    if (auto* scene = m_level.GetLevelScene().As<CPGameObject>())
        scene->CollectObjects(tree);
    for (const CPObjectPtr& entry : tree) {
        auto* object = entry.As<CPGameObject>();
        if (object && object->GetPhysicData())
            world->AddLevelObject(entry, 1, 1);
    }
}

void CPLevelLoadState::BuildIndex()
{
    if (GetGameSettings().quadTree != 0) {
        m_level.SetQuadTreeRoot(
            CPQuadTreeNode::MakeRoot(m_staticObjects, m_level.levelWidth, m_level.levelDepth));
        return;
    }
    auto* root = new CPLevelBranch;
    root->Build(m_staticObjects);
    root->Split();
    m_level.SetBranchRoot(CPObjectPtr(root));
}

void CPLevelLoadState::BuildWorld()
{
    auto* camera = new CPCamera;
    camera->distance = camera->targetDistance = 7.0f;
    m_level.SetCamera(CPObjectPtr(camera));
    LoadRecordGhost();
    BuildTerrain();
    BuildRoadCollision();
    if (m_hasCollisionMesh) {
        for (CPSpline* spline :
             {m_level.GetPathSpline(), m_level.GetLeftBorder(), m_level.GetRightBorder()}) {
            if (spline)
                spline->DropToGround();
        }
    }
    AddBodies();
    TakeShadowObject();
    BuildIndex();
}

void CPLevelLoadState::TakeShadowObject()
{
    CPRender* render = GetRender();
    if (GetGameSettings().shadow != 0 && render)
        m_level.shadowObject = render->GetDefaultShadowMaterial();
}

void CPLevelLoadState::LoadRecordGhost()
{
    const CPGameData* data = GetGameData();
    const std::int32_t number = m_level.levelNumber;
    if (!m_level.recordMode || !data || number < 1 ||
        number > static_cast<std::int32_t>(data->progress.size()))
        return;
    const std::string& recordName = data->progress[static_cast<std::size_t>(number - 1)].name;
    if (recordName.empty())
        return;
    CPObjectPtr ghost = LoadScene(recordName + "_.rdf", 0);
    if (IsGameObject(ghost))
        m_level.SetRecordGhost(ghost);
    else
        DeleteLoaded(ghost);
}

void CPLevelLoadState::FinishRaceState()
{
    m_level.cameraTarget = m_level.GetPlayer();
    if (CPGameData* data = GetGameData()) {
        data->SetRoundTime(0.0f);
        data->currentRound = 1;
    }
    // The start line runs between the two posts.
    m_level.race.finishLineDirection = m_rightPost - m_leftPost;
    m_level.race.startPosition = (m_leftPost + m_rightPost) * 0.5f;
    if (m_level.GetPlayer() && !(m_hasLeftPost && m_hasRightPost))
        LogLine("Level file \"" + m_fileName +
                "\": a start post is missing; the start line runs through 0, 0, 0");
    m_level.race.lastCheckpoint = -1;
    m_level.race.timeLeft = 0.0f;
    m_level.race.checkpointsPassed = 0;
}
