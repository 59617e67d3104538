// Loading a level's cars: the opponents with their drivers, the player's
// car, and the camera presets of the cars' descriptions.
#include <cmath>
#include <vector>
#include <limits>
#include <optional>

#include <tinyxml.h>

#include "Render/RenderObject.h"
#include "Render/RenderObjectLoader.h"
#include "core/GameObject.h"
#include "core/GameSettings.h"
#include "core/Log.h"
#include "core/Singletons.h"
#include "core/StringUtils.h"
#include "game/AIManager.h"
#include "game/AIVehicle.h"
#include "game/Camera.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/LevelLoadSteps.h"
#include "game/LevelObjectName.h"
#include "game/LoadedObject.h"
#include "game/Player.h"
#include "game/Spline.h"
#include "game/XmlNumber.h"
#include "physics/PhysicsWorld.h"
#include "platform/QuaternionMath.h"

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
// Opponents start this much above their marks and fall onto the road.
constexpr float kOpponentLift = 2.0f;

// The presets' slots in the level's arrays.
constexpr std::size_t kCamera2 = 0;
constexpr std::size_t kCamera = 1;
constexpr std::size_t kCamera3 = 2;

// A top-level element of a description: a child of the document or of its
// one root element.
const TiXmlElement* TopElement(const TiXmlDocument& document, const char* name)
{
    if (const TiXmlElement* element = document.FirstChildElement(name))
        return element;
    const TiXmlElement* root = document.RootElement();
    return root ? root->FirstChildElement(name) : nullptr;
}

// A number attribute as a float; absent, malformed or infinite values
// count as none.
std::optional<float> Number(const TiXmlElement* element, const char* attribute)
{
    const auto number = XmlNumber(element, attribute);
    if (!number || std::fabs(*number) > std::numeric_limits<float>::max())
        return std::nullopt;
    return static_cast<float>(*number);
}

void Read(const TiXmlElement* element, const char* attribute, float& field)
{
    if (const auto number = Number(element, attribute))
        field = *number;
}

// "min" or "max", truncated; out of range values stop at the int32 ends.
void ReadWhole(const TiXmlElement* element, const char* attribute, std::int32_t& field)
{
    const auto number = Number(element, attribute);
    if (!number)
        return;
    const double value = std::trunc(*number);
    field = value >= 2147483647.0    ? 2147483647
            : value <= -2147483648.0 ? -2147483647 - 1
                                     : static_cast<std::int32_t>(value);
}

// The "camera" and "camera2" presets of the player's car.
void ReadChasePreset(CPLevel& level, const TiXmlElement* element, std::size_t slot, float& angle, float& fov)
{
    if (!element)
        return;
    Read(element, "distance", level.view.presetDistance[slot]);
    Read(element, "height", level.view.presetHeight[slot]);
    Read(element, "angle", angle);
    Read(element, "angle_div", level.view.presetAngleDivisor[slot == kCamera ? 1 : 0]);
    Read(element, "distance_div", level.view.presetDistanceDivisor[slot == kCamera ? 1 : 0]);
    Read(element, "blur", level.view.presetBlur[slot]);
    Read(element, "fov", fov);
}

void ReadPlayerPresets(CPLevel& level, const TiXmlDocument& description)
{
    ReadChasePreset(level, TopElement(description, "camera"), kCamera, level.view.camera1Angle,
                    level.view.camera1Fov);
    ReadChasePreset(level, TopElement(description, "camera2"), kCamera2, level.view.camera2Angle,
                    level.view.camera2Fov);
    if (const TiXmlElement* element = TopElement(description, "camera3")) {
        Read(element, "distance", level.view.presetDistance[kCamera3]);
        Read(element, "height", level.view.presetHeight[kCamera3]);
        Read(element, "blur", level.view.presetBlur[kCamera3]);
    }
}

// Preset 0 as the race starts: the "camera" values, handed to the camera.
void ApplyFirstPreset(CPLevel& level, CPCamera* camera)
{
    level.view.cameraPreset = 0;
    level.view.cameraDistance = level.view.presetDistance[kCamera];
    level.view.cameraHeight = level.view.presetHeight[kCamera];
    level.view.angleDivisor = level.view.presetAngleDivisor[1];
    level.view.distanceDivisor = level.view.presetDistanceDivisor[1];
    level.view.currentAngle = level.view.camera1Angle;
    if (!camera)
        return;
    camera->distance = camera->targetDistance = level.view.cameraDistance;
    camera->pitch = level.view.camera1Angle * kDegreesToRadians;
    camera->distanceDivisor = level.view.distanceDivisor;
    camera->fov = camera->targetFov = level.view.camera1Fov;
}

// The heading of a car turned by the rotation: the angle of its nose
// (local -y) from +x, negative on the -y side.
float StartHeading(const Quaternion& rotation)
{
    const Vector3 forward = Rotate(Vector3{0.0f, -1.0f, 0.0f}, rotation);
    const float angle = static_cast<float>(ClampedAcos(forward.x));
    return forward.y < 0.0f ? -angle : angle;
}

CPObjectPtr LoadModel(const std::string& fileName)
{
    CPRenderObjectLoader* loader = GetRenderObjectLoader();
    return loader ? loader->LoadRenderObject(fileName, 0) : CPObjectPtr();
}

// The parts of a model that light the road.
std::vector<const char*> LightNames(const std::string& model)
{
    if (model == "uaz")
        return {"light"};
    if (model == "volswagen_toureg")
        return {"halo", "halo_blend"};
    return {};
}

AI_Vehicle* DriverOf(std::size_t index)
{
    CPAIManager* manager = GetAIManager();
    if (!manager)
        return nullptr;
    if (index < CPAIManager::kOpponentCount)
        return manager->GetOpponent(index);
    const std::size_t traffic = index - CPAIManager::kOpponentCount;
    return traffic < manager->GetTraffic().size() ? manager->GetTraffic()[traffic] : nullptr;
}

} // namespace

bool CPLevelLoadState::LoadPlayerModel()
{
    const std::string fileName = m_level.playerModel + (m_level.demoMode ? "_enemy.rdf" : ".rdf");
    m_playerPrototype = LoadModel(fileName);
    if (!m_playerPrototype.As<CPGameObject>()) {
        LogLine("CPLevel: the player's car \"" + fileName + "\" cannot be loaded");
        DeleteLoaded(m_playerPrototype);
        return false;
    }
    if (!m_hasPlayerStart)
        LogLine("Level file \"" + m_fileName + "\": no \"player\" start; the player's car starts at 0, 0, 0");
    return true;
}

void CPLevelLoadState::FinishCar(CPPlayer& car, const std::string& model)
{
    car.lights.clear();
    for (const char* name : LightNames(model)) {
        if (auto* light = car.FindObjectInTree(name).As<CPGameObject>())
            car.lights.push_back(light);
        else
            LogLine("CPLevel: the car \"" + model + "\" has no light \"" + name + "\"");
    }
    // The shadow takes its texture from the car's description, which the
    // car read as it was created.
    car.CreateShadow();
}

CPPlayer* CPLevelLoadState::MakeCar(CPObjectPtr& prototype, const std::string& model)
{
    auto* car = new CPPlayer;
    car->Build(prototype);
    DeleteLoaded(prototype);
    car->modelName = model;
    return car;
}

void CPLevelLoadState::CreateOpponent(const EnemyStart& start, std::int32_t number)
{
    std::string model = ChooseOpponentModel(start.slot, m_level.playerModel);
    const std::string levelModel = LevelOpponentModel(m_name);
    if (!m_level.noCheckpoints && !levelModel.empty())
        model = levelModel;
    const std::string carName = model + std::to_string(number);
    m_level.opponentModels.push_back(carName);
    CPObjectPtr prototype = LoadModel(carName + "_enemy.rdf");
    if (!prototype.As<CPGameObject>()) {
        LogLine("CPLevel: the opponent \"" + carName + "_enemy.rdf\" cannot be loaded; it does not race");
        DeleteLoaded(prototype);
        return;
    }
    CPPlayer* car = MakeCar(prototype, model);
    CPObjectPtr carPointer(car);
    m_level.AddOpponent(carPointer);
    car->side = CPPlayer::SideOfModel(model);
    CPLevelObjectRecord record = start.record;
    record.position.z += kOpponentLift;
    PlaceLevelObject(*car, record, false);
    // Dropped from the lift, the car reaches the speed of a falling one
    // before it lands; the respawn's own cooldown lets it land first.
    car->respawnCooldown = CPPlayer::kRespawnCooldown;
    if (CPPhysicsWorld* world = GetPhysicsWorld())
        world->AddLevelObject(carPointer, 1, 1);
    car->CreateCar(false);
    FinishCar(*car, model);
    if (auto* mesh = car->GetRenderObject().As<CPRenderObject>())
        mesh->PrepareDeformation();

    // The opponent's "camera" sets the second preset until the player's
    // own description overrides it.
    const TiXmlElement* camera = TopElement(car->GetDescription(), "camera");
    Read(camera, "distance", m_level.view.presetDistance[kCamera2]);
    Read(camera, "height", m_level.view.presetHeight[kCamera2]);
    Read(camera, "angle", m_level.view.camera2Angle);
    // The car keeps its range: the race hands it to the driver every frame.
    ReadWhole(camera, "min", car->rangeMin);
    ReadWhole(camera, "max", car->rangeMax);
    AI_Vehicle* driver = DriverOf(m_level.GetOpponents().size() - 1);
    if (!driver)
        return;
    driver->rangeMin = car->rangeMin;
    driver->rangeMax = car->rangeMax;
    CPSpline* left = m_level.GetLeftBorder();
    CPSpline* right = m_level.GetRightBorder();
    driver->SetLine(AI_Vehicle::kPathLine, m_level.GetPathSpline()->GetFirstLine());
    driver->SetLine(AI_Vehicle::kLeftLine, left ? left->GetFirstLine() : nullptr);
    driver->SetLine(AI_Vehicle::kRightLine, right ? right->GetFirstLine() : nullptr);
}

void CPLevelLoadState::CreateOpponents()
{
    std::int32_t number = 1;
    for (const EnemyStart& start : m_enemies)
        CreateOpponent(start, number++);
}

void CPLevelLoadState::CreatePlayer()
{
    m_level.recordName = m_level.playerModel;
    CPPlayer* car = MakeCar(m_playerPrototype, m_level.playerModel);
    CPObjectPtr carPointer(car);
    m_level.SetPlayer(carPointer);
    car->humanPlayer = true;
    if (const CPGameData* data = GetGameData())
        car->side = data->playerType;
    PlaceLevelObject(*car, m_playerStart, false);
    ReadPlayerPresets(m_level, car->GetDescription());

    auto* camera = m_level.GetCamera().As<CPCamera>();
    const float heading = StartHeading(car->GetRotation());
    m_level.view.referenceHeading = heading;
    if (camera) {
        camera->yaw = heading;
        camera->changed = true;
    }
    if (CPPhysicsWorld* world = GetPhysicsWorld())
        world->AddLevelObject(carPointer, 1, 1);
    car->CreateCar(true);
    FinishCar(*car, m_level.playerModel);
    ApplyFirstPreset(m_level, camera);
}
