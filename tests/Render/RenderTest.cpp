#include "Render/PRender.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

#include "Render/BaseCamera.h"
#include "Render/PerspectiveCamera.h"
#include "Render/RenderSettings.h"
#include "core/GameSettings.h"
#include "core/Log.h"
#include "platform/HeadlessGraphicsDevice.h"

using namespace platform;

namespace {

constexpr float kPi = 3.14159265358979f;

class Renderer : public ::testing::Test {
  protected:
    void SetUp() override
    {
        GetGameSettings().screenWidth = 640;
        GetGameSettings().screenHeight = 480;
        GetRenderSettings() = CPRenderSettings{};
    }
    void TearDown() override { GetRenderSettings() = CPRenderSettings{}; }

    HeadlessGraphicsDevice device;
    CPRender render{&device};
};

// One expected state call: kind, index (stage or sampler), state, value.
struct Call {
    DeviceCall::Kind kind;
    std::uint32_t index;
    std::uint32_t state;
    std::uint32_t value;
};

Call Rs(RenderState state, std::uint32_t value)
{
    return {DeviceCall::Kind::RenderState, 0, static_cast<std::uint32_t>(state), value};
}
Call Ss(std::uint32_t sampler, SamplerState state, std::uint32_t value)
{
    return {DeviceCall::Kind::SamplerState, sampler, static_cast<std::uint32_t>(state), value};
}
Call Ts(std::uint32_t stage, StageState state, std::uint32_t value)
{
    return {DeviceCall::Kind::StageState, stage, static_cast<std::uint32_t>(state), value};
}

void ExpectCalls(const std::vector<DeviceCall>& actual, const std::vector<Call>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].kind, expected[i].kind) << "call " << i;
        if (expected[i].kind == DeviceCall::Kind::Transform || expected[i].kind == DeviceCall::Kind::Material)
            continue;
        EXPECT_EQ(actual[i].index, expected[i].index) << "call " << i;
        EXPECT_EQ(actual[i].state, expected[i].state) << "call " << i;
        EXPECT_EQ(actual[i].value, expected[i].value) << "call " << i;
    }
}

std::vector<Call> LinearFiltering()
{
    std::vector<Call> calls;
    for (std::uint32_t s = 0; s < 2; ++s)
        for (SamplerState state : {SamplerState::MagFilter, SamplerState::MinFilter, SamplerState::MipFilter})
            calls.push_back(Ss(s, state, 2));
    return calls;
}

} // namespace

TEST_F(Renderer, InitDeviceStateSendsTheDefaultsInOrder)
{
    GetRenderSettings().viewDistance = 200;
    render.SetFogColor(0xFF336699u);
    render.SetAmbient(0xFF202020u, 0.125f, 0.125f, 0.125f);
    device.SetCallLogging(true);
    render.InitDeviceState();

    const Call transform{DeviceCall::Kind::Transform, 0, 0, 0};
    std::vector<Call> expected = {
        transform,
        transform,
        Rs(RenderState::SpecularEnable, 0),
        Rs(RenderState::Lighting, 1),
        Rs(RenderState::AlphaBlendEnable, 0),
        Rs(RenderState::ZEnable, 1),
        Rs(RenderState::ZWriteEnable, 1),
        Rs(RenderState::SrcBlend, 5),
        Rs(RenderState::DestBlend, 6),
    };
    for (const Call& call : LinearFiltering())
        expected.push_back(call);
    const std::vector<Call> rest = {
        Ts(0, StageState::ColorOp, 4),
        Ts(0, StageState::ColorArg1, 2),
        Ts(0, StageState::ColorArg2, 0),
        Ss(0, SamplerState::AddressU, 1),
        Ss(0, SamplerState::AddressV, 1),
        Ts(0, StageState::AlphaOp, 1),
        Ts(0, StageState::AlphaArg1, 2),
        Ts(0, StageState::AlphaArg2, 0),
        Rs(RenderState::ZFunc, 4),
        Rs(RenderState::DitherEnable, 1),
        Rs(RenderState::Clipping, 1),
        Rs(RenderState::CullMode, 3),
        Rs(RenderState::Ambient, 0xFF202020u),
        {DeviceCall::Kind::VertexFormat, 0, 0, 0x2D2},
        Ts(1, StageState::ColorOp, 1),
        Ts(1, StageState::AlphaOp, 1),
        Ts(1, StageState::ColorArg1, 2),
        Ts(1, StageState::ColorArg2, 1),
        Ts(1, StageState::AlphaArg1, 2),
        Ts(1, StageState::AlphaArg2, 1),
        Ss(1, SamplerState::AddressU, 3),
        Ss(1, SamplerState::AddressV, 3),
        Ts(2, StageState::ColorOp, 1),
        Ts(2, StageState::AlphaOp, 1),
        {DeviceCall::Kind::Material, 0, 0, 0},
        Rs(RenderState::DiffuseMaterialSource, 0),
        Rs(RenderState::SpecularMaterialSource, 0),
        Rs(RenderState::AmbientMaterialSource, 0),
        Rs(RenderState::FogEnable, 0),
        Rs(RenderState::FogVertexMode, 3),
        Rs(RenderState::RangeFogEnable, 0),
        Rs(RenderState::FogStart, 0x42480000u), // 50.0
        Rs(RenderState::FogEnd, 0x43340000u),   // 180.0 = 200 - 0.1 x 200
        Rs(RenderState::FogColor, 0xFF336699u),
    };
    expected.insert(expected.end(), rest.begin(), rest.end());
    ExpectCalls(device.GetCallLog(), expected);

    Material material;
    ASSERT_EQ(device.GetMaterial(&material), S_OK);
    EXPECT_EQ(material.diffuse.r, 1.0f);
    EXPECT_EQ(material.specular.g, 0.3f);
    EXPECT_EQ(material.specular.a, 1.0f);
    EXPECT_EQ(material.emissive.a, 0.0f);
    EXPECT_EQ(material.power, 10.0f);

    // The view looks straight down the up axis, so only its depth row and
    // the eye's distance survive; the projection is 63 degrees at 4:3.
    Matrix4 view;
    device.GetTransform(TransformState::View, &view);
    EXPECT_FLOAT_EQ(view.m[2][2], -1.0f);
    EXPECT_FLOAT_EQ(view.m[3][2], 14.5f);
    EXPECT_FLOAT_EQ(view.m[3][3], 1.0f);
    Matrix4 projection;
    device.GetTransform(TransformState::Projection, &projection);
    const float yScale = 1.0f / std::tan(1.0995574f / 2.0f);
    EXPECT_NEAR(projection.m[1][1], yScale, 1e-5f);
    EXPECT_NEAR(projection.m[0][0], yScale / 1.3333334f, 1e-5f);
    EXPECT_NEAR(projection.m[2][2], 1000.0f / 999.9f, 1e-6f);
    EXPECT_NEAR(projection.m[3][2], -0.1f * 1000.0f / 999.9f, 1e-6f);

    // Pass 195: pixels to the unit square, y downwards; projection identity.
    const CPRenderPass& screen = render.GetPasses().at(195);
    auto* camera = screen.GetCamera().As<CPBaseCamera>();
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->GetTypeName(), "CPBaseCamera");
    const Matrix4& ortho = camera->GetView();
    const float expectedOrtho[4][4] = {
        {2.0f / 640.0f, 0, 0, 0}, {0, -2.0f / 480.0f, 0, 0}, {0, 0, 1, 0}, {-1, 1, 0, 1}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(ortho.m[r][c], expectedOrtho[r][c], 1e-7f) << r << "," << c;
    const Matrix4& identity = camera->GetProjection();
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(identity.m[r][c], r == c ? 1.0f : 0.0f);

    // Running it again replaces the screen camera in the same record.
    render.InitDeviceState();
    EXPECT_EQ(render.GetPasses().size(), 1u);
    EXPECT_EQ(render.GetPasses().at(195).GetChangeCount(), 2);
}

TEST_F(Renderer, TextureFilteringFollowsTheAnisotropySetting)
{
    struct Case {
        float setting;
        std::uint32_t deviceMaximum;
        std::uint32_t anisotropy; // 0: linear filtering throughout
    } cases[] = {{0.0f, 16, 0}, {-1.0f, 16, 0}, {0.5f, 16, 8}, {0.01f, 16, 1}, {2.0f, 16, 16}, {0.3f, 4, 2}};
    for (const Case& c : cases) {
        DeviceCaps caps;
        caps.maxAnisotropy = c.deviceMaximum;
        HeadlessGraphicsDevice local({}, caps);
        CPRender localRender(&local);
        GetRenderSettings().anisotropy = c.setting;
        local.SetCallLogging(true);
        localRender.SetTextureFiltering();
        if (c.anisotropy == 0) {
            ExpectCalls(local.GetCallLog(), LinearFiltering());
            continue;
        }
        ExpectCalls(local.GetCallLog(),
                    {Ss(0, SamplerState::MagFilter, 3), Ss(0, SamplerState::MinFilter, 3),
                     Ss(0, SamplerState::MipFilter, 2), Ss(0, SamplerState::MaxAnisotropy, c.anisotropy),
                     Ss(1, SamplerState::MagFilter, 2), Ss(1, SamplerState::MinFilter, 2),
                     Ss(1, SamplerState::MipFilter, 2)});
    }
}

TEST_F(Renderer, FadeIsClampedToTheMaximum)
{
    struct Case {
        std::int32_t maximum;
        float level;
        float fade;
    } cases[] = {{255, -0.5f, 0.0f}, {255, 2.0f, 255.0f}, {255, 0.5f, 127.5f}, {255, 1.0f, 255.0f},
                 {1, 0.25f, 0.25f},  {0, 0.5f, 0.0f},     {-10, 0.5f, 0.0f}};
    for (const Case& c : cases) {
        render.SetFadeMaximum(c.maximum);
        render.SetFade(c.level);
        EXPECT_EQ(render.GetFade(), c.fade) << c.maximum << " x " << c.level;
    }

    // A level that is no number leaves the fade as it was.
    render.SetFadeMaximum(255);
    render.SetFade(0.5f);
    render.SetFade(std::nanf(""));
    EXPECT_EQ(render.GetFade(), 127.5f);
}

TEST_F(Renderer, AmbientReachesTheDevice)
{
    EXPECT_EQ(render.SetAmbient(0xFF804020u, 0.5f, 0.25f, 0.125f), S_OK);
    EXPECT_EQ(render.GetAmbient(), 0xFF804020u);
    EXPECT_EQ(device.GetRenderState(RenderState::Ambient), 0xFF804020u);
    CPRender headless(nullptr);
    EXPECT_EQ(headless.SetAmbient(1, 0, 0, 0), E_FAIL);
}

TEST_F(Renderer, DebugLinesKeepPositionsAndColour)
{
    EXPECT_FALSE(render.HasDebugLines());
    render.AddDebugLine(0xFFFF0000u, {1, 2, 3}, {4, 5, 6});
    render.AddDebugLine(0xFF00FF00u, {7, 8, 9}, {0, 0, 0});
    ASSERT_TRUE(render.HasDebugLines());
    const auto& lines = render.GetDebugLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].position.z, 6.0f);
    EXPECT_EQ(lines[1].diffuse, 0xFFFF0000u);
    EXPECT_EQ(lines[2].position.x, 7.0f);
    EXPECT_EQ(lines[3].diffuse, 0xFF00FF00u);
    EXPECT_EQ(lines[3].normal.z, 0.0f);
}

TEST_F(Renderer, WorldToScreenProjectsThroughTheDefaultCamera)
{
    CPPerspectiveCamera* camera = render.SetDefaultCamera();
    render.SetViewProjection(camera->GetViewProjection());
    const float xScale = 1.0f / std::tan(35.0f * kPi / 180.0f) * 0.75f;
    const float yScale = 1.0f / std::tan(35.0f * kPi / 180.0f);
    struct Case {
        Vector3 point;
        float x, y;
    } cases[] = {
        {{10, 0, 0}, 320.0f, 240.0f},                                                // on the view axis
        {{10, 5, 2}, (0.5f * xScale + 1) * 320.0f, 240.0f - 0.2f * yScale * 240.0f}, // right and up
        {{-10, 5, 0}, (-0.5f * xScale + 1) * 320.0f, 240.0f},                        // behind: mirrored
        {{0, 5, 0}, CPRender::kOffScreen, CPRender::kOffScreen},                     // in the eye's plane
    };
    for (const Case& c : cases) {
        const Vector3 screen = render.WorldToScreen(c.point);
        EXPECT_NEAR(screen.x, c.x, 1e-3f);
        EXPECT_NEAR(screen.y, c.y, 1e-3f);
        EXPECT_EQ(screen.z, 0.0f);
        EXPECT_TRUE(std::isfinite(screen.x) && std::isfinite(screen.y));
    }
}

TEST_F(Renderer, StaticMeshesAreSharedByLowerCasedName)
{
    std::vector<CPMeshVertex> vertices(4);
    for (int i = 0; i < 4; ++i) {
        vertices[i].position = {static_cast<float>(i), 0.0f, 1.0f};
        vertices[i].diffuse = 0xFF000000u + i;
        vertices[i].uv2 = {0.5f, static_cast<float>(i)};
    }
    const std::vector<std::uint16_t> indices = {0, 1, 2, 2, 1, 3, 0, 3};
    CPStaticMesh* mesh = render.RegisterStaticMesh("Road\\Bridge", vertices.data(), indices.data(), 4, 8);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->vertexCount, 4);
    EXPECT_EQ(mesh->triangleCount, 2); // 8 indices: two whole triangles
    ASSERT_NE(mesh->vertexBuffer, nullptr);
    ASSERT_EQ(mesh->vertexBuffer->GetLength(), 4u * 48u);
    EXPECT_EQ(std::memcmp(AsMemory(mesh->vertexBuffer)->GetBytes(), vertices.data(), 4 * 48), 0);
    ASSERT_EQ(mesh->indexBuffer->GetLength(), 16u);
    EXPECT_EQ(std::memcmp(AsMemory(mesh->indexBuffer)->GetBytes(), indices.data(), 16), 0);
    EXPECT_EQ(mesh->indexBuffer->GetFormat(), IndexFormat::Index16);
    EXPECT_EQ(mesh->vertexBuffer->GetFormat(), 0x2D2u);
    EXPECT_EQ(mesh->vertexBuffer->GetPool(), ResourcePool::Managed);
    EXPECT_EQ(mesh->vertexBuffer->GetUsage(), usage::kWriteOnly);
    EXPECT_FALSE(mesh->vertexBuffer->IsLocked());
    EXPECT_FALSE(mesh->indexBuffer->IsLocked());
    EXPECT_EQ(mesh->vertices[3].uv2.y, 3.0f);
    EXPECT_EQ(mesh->indices, indices);

    // The same name in other cases finds the first mesh and ignores new data.
    std::vector<CPMeshVertex> other(2);
    const std::uint16_t otherIndices[] = {0, 1, 1};
    EXPECT_EQ(render.RegisterStaticMesh("road\\bridge", other.data(), otherIndices, 2, 3), mesh);
    EXPECT_EQ(render.RegisterStaticMesh("ROAD\\BRIDGE", other.data(), otherIndices, 2, 3), mesh);
    EXPECT_EQ(render.GetStaticMeshCount(), 1u);
    EXPECT_EQ(mesh->vertexCount, 4);
    EXPECT_EQ(render.FindStaticMesh("rOaD\\bRiDgE"), mesh);

    EXPECT_EQ(device.GetLiveResourceCount(), 2u);
    render.ReleaseStaticMeshes();
    EXPECT_EQ(render.GetStaticMeshCount(), 0u);
    EXPECT_EQ(device.GetLiveResourceCount(), 0u);
}

TEST_F(Renderer, AStaticMeshThatCannotBeFilledIsReportedAndNotKept)
{
    const std::string logPath = ::testing::TempDir() + "render_mesh_log.txt";
    std::remove(logPath.c_str());
    SetLogFilePath(logPath);

    std::vector<CPMeshVertex> vertices(3);
    const std::uint16_t indices[] = {0, 1, 2};
    const DeviceFailure failures[] = {DeviceFailure::CreateVertexBuffer, DeviceFailure::CreateIndexBuffer,
                                      DeviceFailure::Lock};
    for (DeviceFailure failure : failures) {
        device.FailNext(failure);
        EXPECT_EQ(render.RegisterStaticMesh("tree", vertices.data(), indices, 3, 3), nullptr);
        EXPECT_EQ(render.GetStaticMeshCount(), 0u);
        EXPECT_EQ(device.GetLiveResourceCount(), 0u); // nothing half made is left behind
    }
    // A failure on the second lock leaves the first buffer unlocked and
    // both released.
    device.FailNext(DeviceFailure::Lock, 1, 1);
    EXPECT_EQ(render.RegisterStaticMesh("tree", vertices.data(), indices, 3, 3), nullptr);
    EXPECT_EQ(device.GetLiveResourceCount(), 0u);
    EXPECT_EQ(render.RegisterStaticMesh("tree", vertices.data(), nullptr, 3, 3), nullptr);
    EXPECT_EQ(render.RegisterStaticMesh("tree", vertices.data(), indices, 0, 3), nullptr);
    EXPECT_EQ(render.RegisterStaticMesh("tree", vertices.data(), indices, 3, -3), nullptr);

    // The name is not spoiled: a later registration succeeds.
    EXPECT_NE(render.RegisterStaticMesh("tree", vertices.data(), indices, 3, 3), nullptr);

    SetLogFilePath(::testing::TempDir() + "render_other_log.txt");
    std::ifstream file(logPath);
    std::stringstream text;
    text << file.rdbuf();
    const std::string log = text.str();
    std::size_t reports = 0;
    for (std::size_t at = log.find("DXError if Render\\PRender on line"); at != std::string::npos;
         at = log.find("DXError if Render\\PRender on line", at + 1))
        ++reports;
    EXPECT_EQ(reports, 4u);
    EXPECT_NE(log.find("no usable geometry"), std::string::npos);
}

TEST_F(Renderer, ApplyLightsSetsTheTableAndEmptiesIt)
{
    device.SetCallLogging(true);
    render.ApplyLights(); // empty: all thirty off
    for (std::uint32_t i = 0; i < 30; ++i)
        EXPECT_FALSE(device.IsLightEnabled(i));
    ASSERT_EQ(device.GetCallLog().size(), 30u);
    EXPECT_EQ(device.GetCallLog()[0].kind, DeviceCall::Kind::LightEnable);
    EXPECT_EQ(device.GetCallLog()[29].index, 29u);
    device.ClearCallLog();

    for (int i = 0; i < 30; ++i) {
        Light light;
        light.type = (i == 4 || i == 20) ? LightType::Directional : LightType::Point;
        light.range = static_cast<float>(i);
        EXPECT_TRUE(render.AddLight(light));
    }
    EXPECT_FALSE(render.AddLight(Light{})); // the 31st is dropped
    EXPECT_EQ(render.GetLightCount(), 30);
    render.ApplyLights();
    EXPECT_EQ(device.GetCallLog().size(), 60u); // set and enable each, nothing disabled
    for (std::uint32_t i = 0; i < 30; ++i) {
        EXPECT_TRUE(device.IsLightEnabled(i));
        Light light;
        ASSERT_EQ(device.GetLight(i, &light), S_OK);
        EXPECT_EQ(light.range, static_cast<float>(i));
    }
    EXPECT_EQ(render.GetMainLight().range, 20.0f); // the last directional light
    EXPECT_EQ(render.GetLightCount(), 0);

    render.ApplyLights();
    EXPECT_FALSE(device.IsLightEnabled(0));
    EXPECT_EQ(render.GetMainLight().range, 20.0f);
}

TEST_F(Renderer, LoadSkyscapeReplacesTheSkyThroughTheInstalledFactory)
{
    struct Sky : CPRenderSky {
        explicit Sky(std::vector<std::string>* log) : log(log) {}
        ~Sky() override { log->push_back("deleted " + file); }
        HResult Load(const std::string& name) override
        {
            file = name;
            return S_OK;
        }
        HResult Render(float) override { return S_OK; }
        std::vector<std::string>* log;
        std::string file;
    };
    std::vector<std::string> log;
    render.LoadSkyscape(3); // no sky subsystem: no sky
    EXPECT_EQ(render.GetSky(), nullptr);
    render.SetSkyFactory([&log] { return new Sky(&log); });
    render.LoadSkyscape(3);
    ASSERT_NE(render.GetSky(), nullptr);
    EXPECT_EQ(static_cast<Sky*>(render.GetSky())->file, "skyscape3.txt");
    render.LoadSkyscape(12);
    EXPECT_EQ(log, std::vector<std::string>{"deleted skyscape3.txt"});
    EXPECT_EQ(static_cast<Sky*>(render.GetSky())->file, "skyscape12.txt");
    render.SetSkyFactory(nullptr);
    render.LoadSkyscape(1);
    EXPECT_EQ(render.GetSky(), nullptr);
    EXPECT_EQ(log.back(), "deleted skyscape12.txt");
}

TEST_F(Renderer, TintFollowsItsStrength)
{
    EXPECT_FALSE(render.IsTintOn());
    EXPECT_EQ(render.GetTintAlpha(), 255);
    render.SetTintStrength(0.3f);
    render.SetTintAlpha(150);
    EXPECT_TRUE(render.IsTintOn());
    EXPECT_EQ(render.GetTintStrength(), 0.3f);
    EXPECT_EQ(render.GetTintAlpha(), 150);
    render.SetTintStrength(0.0f);
    EXPECT_FALSE(render.IsTintOn());
}

TEST_F(Renderer, MotionBlurStartsOffAndKeepsWhatTheGameWrites)
{
    EXPECT_EQ(render.MotionBlurOn(), 0);
    EXPECT_EQ(render.MotionBlurAmount(), 0.0f);
    render.MotionBlurOn() = 1;
    render.MotionBlurAmount() = 0.6f;
    EXPECT_EQ(render.MotionBlurOn(), 1);
    EXPECT_EQ(render.MotionBlurAmount(), 0.6f);
}

TEST_F(Renderer, RadialBlurDirectionsPointAwayFromTheCentreOnlyWithMotionBlur)
{
    CPBlurGrid& grid = render.GetBlurGrid();
    grid.Resize(2, 2, 640.0f, 480.0f); // points at x 0, 320, 640 and y 0, 240, 480
    ASSERT_EQ(grid.GetPoints().size(), 9u);

    GetGameSettings().motionBlur = 0;
    render.SetRadialBlurCenter(0.0f);
    EXPECT_EQ(grid.GetDirections()[0].x, 0.0f); // untouched

    GetGameSettings().motionBlur = 1;
    render.SetRadialBlurCenter(-0.5f); // centre (320, 120)
    const auto& d = grid.GetDirections();
    EXPECT_NEAR(d[1].x, 0.0f, 1e-6f); // (320, 0): straight up
    EXPECT_NEAR(d[1].y, -1.0f, 1e-6f);
    EXPECT_NEAR(d[4].y, 1.0f, 1e-6f); // (320, 240): straight down
    EXPECT_NEAR(d[8].x, 320.0f / std::sqrt(320.0f * 320.0f + 360.0f * 360.0f), 1e-6f); // (640, 480)
    EXPECT_NEAR(d[8].y, 360.0f / std::sqrt(320.0f * 320.0f + 360.0f * 360.0f), 1e-6f);
}
