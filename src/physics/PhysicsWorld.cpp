#include "physics/PhysicsWorld.h"

#include <cmath>

#include "Render/PRender.h"
#include "Render/RenderObject.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/Log.h"
#include "core/Singletons.h"
#include "physics/CarControls.h"
#include "physics/PhysicData.h"
#include "physics/Rotation.h"
#include "physics/Simulator.h"
#include "physics/StepWorld.h"

namespace {

// The first value of the two materials the level sets, and the second,
// a setting of the game's that nothing changes.
constexpr float kMaterialFirstValue = 0.2f;
constexpr float kMaterialSecondValue = 0.0f;
constexpr std::int32_t kLevelResponse = 3;
constexpr float kParkingStep = 500.0f;
constexpr float kLowestParkingDepth = -100000.0f;

// A collision part's placement in its body: the rotation rows of the
// part's quaternion turned the other way, then the position row.
Matrix4 PartTransform(const CPCollisionPart& part)
{
    const Quaternion& q = part.rotation;
    const Quaternion turned = PhUnitRotation(Quaternion{-q.x, -q.y, -q.z, q.w});
    Vector4 rows[3] = {};
    PhQuaternionToRows(turned, rows);
    Matrix4 transform;
    for (int r = 0; r < 3; ++r) {
        transform.m[r][0] = rows[r].x;
        transform.m[r][1] = rows[r].y;
        transform.m[r][2] = rows[r].z;
    }
    transform.m[3][0] = part.position.x;
    transform.m[3][1] = part.position.y;
    transform.m[3][2] = part.position.z;
    transform.m[3][3] = 1.0f;
    return transform;
}

} // namespace

CPPhysicsWorld::CPPhysicsWorld() { SetPriority(kPriority); }

CPPhysicsWorld::~CPPhysicsWorld()
{
    ClearRendererMesh();
    ReleaseSimulator();
}

void CPPhysicsWorld::Step()
{
    if (m_simulator) {
        m_simulator->Step(GetFrameTime());
        PlaceMovedObjects();
    }
    m_events.clear();
}

void CPPhysicsWorld::PlaceMovedObjects()
{
    // Only awake bodies moved; a body in another object's user data (a
    // shared collision body) leaves that object where it is.
    for (PhRigidBody* body = m_simulator->GetBodyLists().rigidActive.head; body; body = body->next) {
        auto* object = static_cast<CPGameObject*>(body->userData);
        const CPPhysicData* data = object ? object->GetPhysicData() : nullptr;
        if (!data || data->GetRigidBody() != body || PhIsAsleep(*body))
            continue;
        const Vector4 p = body->GetPos();
        object->FollowBody(Vector3{p.x, p.y, p.z}, body->orientation);
        // Its matrices, boxes and mesh transform are drawn and tested this
        // frame, so they move with it now. A body that stayed where it was
        // (held, or at rest before it sleeps) left them unchanged, and the
        // update does nothing.
        object->UpdateBounds();
    }
}

// --- Level set-up --------------------------------------------------------------

PhSizeInfo CPPhysicsWorld::LevelSizes()
{
    PhSizeInfo sizes;
    sizes.rigidBodiesCount = 500;
    sizes.kinematicBodiesCount = 1000;
    sizes.rigidParticleCount = 500;
    sizes.constraintSetsCount = 50;
    sizes.overlappedPairsCount = 1500;
    sizes.geometriesCount = 5000;
    sizes.count6 = 150;
    sizes.count7 = 150;
    sizes.count8 = 10;
    sizes.sensorsCount = 1000;
    sizes.count10 = 200;
    sizes.count11 = -1;
    return sizes;
}

void CPPhysicsWorld::ReleaseSimulator()
{
    if (!m_simulator)
        return;
    m_events.clear();
    CPPhysicData::ForgetBodiesOf(m_simulator);
    PhDestroySimulator(m_simulator);
    m_simulator = nullptr;
}

bool CPPhysicsWorld::Init()
{
    ReleaseSimulator();
    const Vector4 gravity{0.0f, 0.0f, -9.8f, 0.0f};
    m_simulator = PhCreateSimulator(LevelSizes(), nullptr, &gravity);
    if (!m_simulator) {
        LogLine("CPPhysicsWorld::Init: the level's simulator could not be created");
        return false;
    }
    m_simulator->SetMaterial(1, kMaterialFirstValue, kMaterialSecondValue);
    m_simulator->SetMaterial(0, kMaterialFirstValue, kMaterialSecondValue);
    m_simulator->SetCollisionCallback(&CPPhysicsWorld::OnCollision);
    PhResponseTable& responses = m_simulator->GetResponseTable();
    responses.Set(0, -1, kLevelResponse);
    responses.Set(0, 0, kLevelResponse);
    m_simulator->SetTerrainQueryCallback(&CPPhysicsWorld::QueryTerrainTriangles);
    // The collision mesh is built before Init: its triangles' tables are
    // made now, not in the race's first step.
    m_simulator->PrepareTerrain(m_collisionMesh.GetVertices(), m_collisionMesh.GetTriangleCount());
    return true;
}

void CPPhysicsWorld::BuildParts(CPPhysicData& data, PhBody& body, std::int32_t materialIndex)
{
    for (CPCollisionPart& part : data.GetParts()) {
        PhGeometry* geometry = body.AddGeometry();
        part.geometry = geometry;
        if (!geometry)
            continue; // the pool has said so in the simulator's log
        if (part.kind == kCollisionBox)
            geometry->SetBoxSize(part.sizes[0], part.sizes[2], part.sizes[1]);
        else if (part.kind == kCollisionCylinder)
            geometry->SetCylinder(part.sizes[3], part.sizes[1]);
        geometry->SetTransform(PartTransform(part));
        geometry->SetMaterialIndex(materialIndex);
    }
    body.UpdateBoundingInfo();
}

bool CPPhysicsWorld::AddLevelObject(CPObjectPtr object, std::int32_t collisionFlag,
                                    std::int32_t materialIndex)
{
    CPGameObject* gameObject = object.As<CPGameObject>();
    if (!gameObject) {
        LogLine("CPPhysicsWorld::AddLevelObject: not a game object");
        return false;
    }
    CPPhysicData* data = gameObject->GetPhysicData();
    if (!data)
        return false;
    const std::string name = gameObject->GetName();
    if (!m_simulator) {
        LogLine("CPPhysicsWorld::AddLevelObject: no simulator for \"" + name + "\"; Init comes first");
        return false;
    }
    if (data->GetRigidBody() || data->GetKinematicBody()) {
        LogLine("CPPhysicsWorld::AddLevelObject: \"" + name + "\" is in the world already");
        return false;
    }
    const float mass = data->GetMass();
    if (std::isnan(mass)) {
        LogLine("CPPhysicsWorld::AddLevelObject: \"" + name + "\" has a mass that is not a number");
        return false;
    }

    if (mass >= 0.0f) {
        PhRigidBody* body =
            data->GetParticleFlag() ? m_simulator->CreateRigidParticle() : m_simulator->CreateRigidBody();
        data->SetRigidBody(body);
        if (!body)
            return false;
        BuildParts(*data, *body, materialIndex);
        data->SetCollisionFlag(collisionFlag != 0);
        body->SetUserData(gameObject);
        return true;
    }

    PhKinematicBody* body = m_simulator->CreateKinematicBody();
    data->SetKinematicBody(body);
    if (!body) {
        LogLine("CPPhysicsWorld::AddLevelObject: no kinematic body left for \"" + name +
                "\"; raise kinematicBodiesCount");
        return false;
    }
    BuildParts(*data, *body, materialIndex);
    const Vector3& position = gameObject->GetPosition();
    body->SetPos(Vector4{position.x, position.y, position.z, 1.0f});
    body->SetRotation(PhUnitRotation(gameObject->GetRotation()));
    body->userData = gameObject;
    return true;
}

bool CPPhysicsWorld::RemoveObject(CPObjectPtr physicData)
{
    CPPhysicData* data = physicData.As<CPPhysicData>();
    if (!data) {
        LogLine("CPPhysicsWorld::RemoveObject: not a physics data");
        return false;
    }
    const Vector4 parking{0.0f, 0.0f, m_parkingDepth, 1.0f};
    if (PhRigidBody* body = data->GetRigidBody()) {
        m_events.push_back(Event{body, nullptr, kEventRemoved});
        body->SetPos(parking);
        body->SetActive(0, 0);
        data->ForgetBody(body);
    } else if (PhKinematicBody* body = data->GetKinematicBody()) {
        m_events.push_back(Event{nullptr, body, kEventRemoved});
        body->SetPos(parking);
        body->SetActive(0, 0);
        data->ForgetBody(body);
    }
    m_parkingDepth -= kParkingStep;
    if (m_parkingDepth < kLowestParkingDepth)
        m_parkingDepth = kFirstParkingDepth;
    return true;
}

bool CPPhysicsWorld::SetCarControls(CPObjectPtr carObject, float throttle, float steering)
{
    CPGameObject* gameObject = carObject.As<CPGameObject>();
    if (!gameObject) {
        LogLine("CPPhysicsWorld::SetCarControls: not a game object");
        return false;
    }
    CPCarControls* car = gameObject->GetPhysicsObject().As<CPCarControls>();
    if (!car) {
        LogLine("CPPhysicsWorld::SetCarControls: \"" + gameObject->GetName() + "\" has no car");
        return false;
    }
    car->SetControls(throttle, steering);
    return true;
}

// --- Collision mesh and terrain ------------------------------------------------------

void CPPhysicsWorld::ClearRendererMesh()
{
    CPRender* render = GetRender();
    if (render && render->GetTerrainMesh() == &m_collisionMesh)
        render->SetTerrainMesh(nullptr);
}

bool CPPhysicsWorld::BuildCollisionMesh(CPObjectPtr mesh)
{
    // The renderer must not read the mesh while it is rebuilt, nor keep an
    // old one when the new one fails.
    ClearRendererMesh();
    m_collisionMesh.Clear();
    const CPRenderObject* renderObject = mesh.As<CPRenderObject>();
    if (!renderObject) {
        LogLine("CPPhysicsWorld::BuildCollisionMesh: the terrain is not a mesh render object");
        return false;
    }
    const CPGameObject* owner = renderObject->GetOwner();
    if (!owner) {
        LogLine("CPPhysicsWorld::BuildCollisionMesh: the terrain mesh has no owner to place it");
        return false;
    }
    const std::vector<CPMeshVertex>& vertices = renderObject->GetVertices();
    const std::vector<std::uint16_t>& indices = renderObject->GetIndices();
    if (!m_collisionMesh.Build(vertices.data(), static_cast<std::int32_t>(vertices.size()), indices.data(),
                               static_cast<std::int32_t>(indices.size()), owner->GetWorldMatrix()))
        return false;
    if (CPRender* render = GetRender())
        render->SetTerrainMesh(&m_collisionMesh);
    return true;
}

float CPPhysicsWorld::GetNearestVertexHeight(const Vector3& point) const
{
    return m_collisionMesh.GetNearestVertexHeight(point);
}

void CPPhysicsWorld::QueryTerrainTriangles(const Vector4& a, const Vector4& b, const std::int32_t** indices,
                                           const PhTerrainTriangle** triangles, const Vector4** vertices,
                                           std::int32_t* indexCount, std::int32_t* triangleCount,
                                           PhBody* body)
{
    const CPPhysicsWorld* world = GetPhysicsWorld();
    const bool ours = world && body && body->simulator && body->simulator == world->m_simulator;
    const CPCollisionMesh* mesh = ours ? &world->m_collisionMesh : nullptr;
    auto* owner = static_cast<CPGameObject*>(body ? body->userData : nullptr);
    CPPhysicData* data = (ours && owner) ? owner->GetPhysicData() : nullptr;

    std::int32_t count = 0;
    if (data) {
        // A body that moved on within the cells of its last query has their
        // list already: most steps' queries are of that kind.
        CPMeshCells cells;
        mesh->SampleCells(a, b, cells);
        if (cells.SameAs(data->GetTerrainCells())) {
            count = data->GetTerrainTriangleCount();
        } else {
            count = mesh->Query(cells, data->GetTerrainTriangles(), CPPhysicData::kTerrainQuerySize);
            data->SetTerrainTriangleCount(count);
            data->SetTerrainCells(cells);
        }
    }
    if (indices)
        *indices = data ? static_cast<const CPPhysicData*>(data)->GetTerrainTriangles() : nullptr;
    if (indexCount)
        *indexCount = count;
    if (triangles)
        *triangles = mesh ? mesh->GetTriangles() : nullptr;
    if (vertices)
        *vertices = mesh ? mesh->GetVertices() : nullptr;
    if (triangleCount)
        *triangleCount = mesh ? mesh->GetTriangleCount() : 0;
}
