#include <cmath>

#include "CarStateTestWorld.h"
#include "Render/PerspectiveCamera.h"
#include "Render/RenderObject.h"
#include "Render/TerrainMesh.h"
#include "platform/Math.h"

namespace {

// One ground triangle under the car, 4 units on each side.
class GroundTriangle : public CPTerrainMesh {
  public:
    std::int32_t GetVertexCount() const override { return 3; }
    Vector3 GetVertex(std::int32_t index) const override
    {
        const Vector3 v[] = {{-4, -4, 0}, {4, -4, 0}, {-4, 4, 0}};
        return v[index];
    }
    std::int32_t GetTriangleCount() const override { return 1; }
    bool GetTriangle(std::int32_t index, std::int32_t vertices[3]) const override
    {
        if (index != 0)
            return false;
        vertices[0] = 0;
        vertices[1] = 1;
        vertices[2] = 2;
        return true;
    }
};

class ShadowTest : public CarRaceTest {
  protected:
    void SetUp() override
    {
        CarRaceTest::SetUp();
        m_render.SetTerrainMesh(&m_ground);
        auto* shadow = new CPGameObject("shadow");
        shadow->SetBoundingBox(CPBoundingBox({}, {1.0f, 2.0f, 0.1f}));
        m_quad = new CPRenderObject(shadow);
        shadow->SetRenderObject(m_quad, CPGameObject::kMeshObject);
        m_player->shadow = CPObjectPtr(shadow);
        CPPhysicData* data = m_player->GetPhysicData();
        data->GetTerrainTriangles()[0] = 0;
        data->SetTerrainTriangleCount(1);
    }
    void TearDown() override
    {
        // The player deletes its shadow.
        m_render.SetTerrainMesh(nullptr);
        CarRaceTest::TearDown();
    }

    // A camera at the eye looking at the target.
    void Look(const Vector3& eye, const Vector3& target)
    {
        m_camera.Eye() = eye;
        m_camera.Target() = target;
        m_camera.Up() = Vector3{0, 0, 1};
        m_camera.FieldOfView() = 1.0f;
        m_camera.NearPlane() = 1.0f;
        m_camera.FarPlane() = 1000.0f;
        m_camera.SetViewChanged();
        m_camera.SetProjectionChanged();
        m_camera.Update();
    }

    GroundTriangle m_ground;
    CPRenderObject* m_quad = nullptr;
    CPPerspectiveCamera m_camera;
};

TEST_F(ShadowTest, TheShadowIsLaidOnlyUnderACarInSightWithinAHundredUnits)
{
    const struct {
        const char* what;
        Vector3 eye;
        Vector3 target;
        bool laid;
    } cases[] = {
        {"near and in sight", {0, 20, 5}, {0, 0, 0}, true},
        {"99 units off", {0, 99, 0}, {0, 0, 0}, true},
        {"101 units off", {0, 101, 0}, {0, 0, 0}, false},
        {"looking away", {0, 20, 5}, {0, 40, 5}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_quad->GetVertices().clear();
        Look(c.eye, c.target);
        m_player->DrawShadow(&m_camera);
        EXPECT_EQ(m_quad->GetVertices().size(), c.laid ? 3u : 0u);
        // Told the camera's answer for the car's box, as the race does for
        // an opponent it has just drawn, the car lays the same shadow.
        m_quad->GetVertices().clear();
        const AxisBox& box = m_player->GetOwnBox();
        m_player->DrawShadowAsSeen(&m_camera, m_camera.IsBoxVisible(box.minimum, box.maximum));
        EXPECT_EQ(m_quad->GetVertices().size(), c.laid ? 3u : 0u);
    }
    // Without a camera nothing is laid, and nothing breaks.
    m_quad->GetVertices().clear();
    m_player->DrawShadow(nullptr);
    EXPECT_TRUE(m_quad->GetVertices().empty());
}

TEST_F(ShadowTest, DrawingTheShadowRunsTheRespawnFade)
{
    m_player->humanPlayer = true;
    m_player->StartRespawnFade();
    SetFrameTime(0.05f);
    m_player->DrawShadow(nullptr);
    // (0.1 - 0.05) * 10 of the full fade.
    EXPECT_NEAR(m_render.GetFade(), 0.5f * static_cast<float>(m_render.GetFadeMaximum()), 1e-3f);
    SetFrameTime(0.0f);
}

TEST_F(ShadowTest, CreatingTheShadowClearsTheWreckAndLogsAMissingShadowObject)
{
    m_player->wrecked = true;
    m_player->combatFlag = true;
    m_player->CreateShadow();
    EXPECT_FALSE(m_player->wrecked);
    EXPECT_FALSE(m_player->combatFlag);
    EXPECT_FALSE(m_player->shadow);
    EXPECT_TRUE(m_log.Contains("shadow.rdf"));
    m_player->DrawShadow(nullptr);
}

TEST_F(CarRaceTest, ACartridgeCaseFliesBackAndUpFromTheWeapon)
{
    platform::SeedRand(7);
    CPGameObject weapon("mgun");
    // Turned a quarter about z: local -x points along world -y.
    weapon.SetRotation(QuaternionFromAxisAngle({0, 0, 1}, 1.5707964f));
    Place(weapon, {5, 6, 7});
    m_player->EjectCartridgeCase(&weapon);
    m_player->EjectCartridgeCase(nullptr);

    platform::SeedRand(7);
    const float r1 = static_cast<float>(platform::Rand()) / 32767.0f;
    const float r2 = static_cast<float>(platform::Rand()) / 32767.0f;
    const auto& cases = effects["gilze"]->spawns;
    ASSERT_EQ(cases.size(), 1u);
    const auto& spawned = cases[0];
    EXPECT_FLOAT_EQ(spawned.position.x, 5.0f);
    EXPECT_FLOAT_EQ(spawned.position.z, 7.0f);
    EXPECT_NEAR(spawned.velocity.x, 0.0f, 1e-4f);
    EXPECT_NEAR(spawned.velocity.y, -(4.0f + r1), 1e-4f);
    EXPECT_NEAR(spawned.velocity.z, 2.0f * (4.0f + r1), 1e-4f);
    EXPECT_FLOAT_EQ(spawned.vectorC.z, -24.8f);
    EXPECT_FLOAT_EQ(spawned.word1, 0.2f);
    EXPECT_FLOAT_EQ(spawned.word2, 0.0f);
    EXPECT_FLOAT_EQ(spawned.word3, 1.0f + r2);
}

TEST_F(CarRaceTest, TheWeaponStepRunsTheCooldownOnlyWithAWeaponAndNotForAWreck)
{
    SetFrameTime(0.1f);
    m_player->weapons.fireCooldown = 0.5f;
    m_player->UpdateWeapon({1, 2, 3}, nullptr);
    EXPECT_FLOAT_EQ(m_player->weapons.aim.z, 3.0f);
    EXPECT_FLOAT_EQ(m_player->weapons.fireCooldown, 0.5f);

    auto* weapon = new CPGameObject("mgun");
    m_player->AddChild(CPObjectPtr(weapon));
    m_player->weapons.weaponObject = CPObjectPtr(weapon);
    m_player->UpdateWeapon({4, 5, 6}, nullptr);
    EXPECT_FLOAT_EQ(m_player->weapons.fireCooldown, 0.4f);

    m_player->wrecked = true;
    m_player->UpdateWeapon({7, 8, 9}, nullptr);
    EXPECT_FLOAT_EQ(m_player->weapons.aim.z, 6.0f);
    EXPECT_FLOAT_EQ(m_player->weapons.fireCooldown, 0.4f);
    m_player->weapons.weaponObject = CPObjectPtr();
    SetFrameTime(0.0f);
}

TEST_F(CarRaceTest, TheCarPushesItsOwnersBody)
{
    const Vector4 centre = Body().GetPos();
    // Off the centre: the push also turns the body.
    Car().ApplyOwnerImpulse({centre.x + 1.0f, centre.y, centre.z}, {0.0f, 10.0f, 0.0f});
    EXPECT_NEAR(Body().GetVelocity().y, 10.0f / Body().mass, 1e-5f);
    EXPECT_NEAR(Body().angularMomentum.z, 10.0f, 1e-5f);

    CPCar orphan(nullptr);
    orphan.ApplyOwnerImpulse({0, 0, 0}, {1, 1, 1});
}

} // namespace
