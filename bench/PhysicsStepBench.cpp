// The physics of a race: 8 cars driving on a 20,000-triangle track among
// 200 loose boxes, stepped at the fixed step through the level's physics
// world, its collision mesh and its terrain query. One iteration is one
// simulated second (60 frames); the figure to read is the CPU time per
// iteration, in milliseconds: CPU milliseconds per simulated second.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "Render/RenderObject.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/Singletons.h"
#include "game/Car.h"
#include "physics/PhysicData.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"
#include "physics/Simulator.h"
#include "platform/Random.h"

namespace {

constexpr int kCells = 100;       // 100 x 100 cells of two triangles
constexpr float kCellSize = 4.0f; // a 400 m square of rolling ground
constexpr int kCars = 8;
constexpr int kBoxes = 200;
constexpr float kFrame = 1.0f / 60.0f;

const char kHandling[] = "<car><physics><geometry><wheels length=\"0.9\" radius=\"0.4\"/></geometry><params>"
                         "<wheels spring1=\"400\" spring2=\"400\" damping=\"60\"/>"
                         "<acceleration front=\"20\" back=\"20\"/>"
                         "</params></physics></car>";

float GroundHeight(float x, float y) { return 0.6f * std::sin(x * 0.05f) + 0.4f * std::cos(y * 0.07f); }

// The level: its physics world with the track's collision mesh, the cars
// and the boxes, all as the game makes them.
class Race {
  public:
    explicit Race(int boxes)
    {
        SetPhysicsWorld(&m_world);
        GetGameClock() = GameClock();
        platform::SeedRand(7);
        BuildTrack();
        m_world.Init();
        for (int i = 0; i < kCars; ++i)
            AddCar(i);
        for (int i = 0; i < boxes; ++i)
            AddBox(i);
    }
    ~Race()
    {
        for (CPGameObject* car : m_cars) {
            DestroyCar(*car);
            CPGameObject::DeleteTree(car);
        }
        for (CPGameObject* box : m_boxes)
            CPGameObject::DeleteTree(box);
        SetPhysicsWorld(nullptr);
    }

    // One frame: every driver holds its speed with the wheel turned a
    // little, so the cars lap in wide circles on the track.
    void Frame()
    {
        GameClock& clock = GetGameClock();
        ++clock.frameCount;
        clock.frameTime = kFrame;
        for (CPGameObject* object : m_cars) {
            CPCar* car = object->GetPhysicsObject().As<CPCar>();
            car->SetControls(car->GetSpeed() < 15.0f ? 1.0f : 0.0f, 0.15f);
        }
        m_world.Step();
    }

    int AwakeBoxes() const
    {
        int awake = 0;
        for (CPGameObject* box : m_boxes)
            awake += !box->GetPhysicData()->GetRigidBody()->IsAsleep();
        return awake;
    }

  private:
    void BuildTrack()
    {
        m_terrain.SetRenderObject(CPObjectPtr(m_mesh), CPGameObject::kMeshObject);
        m_terrain.UpdateBounds();
        const float origin = -0.5f * kCells * kCellSize;
        for (int j = 0; j <= kCells; ++j) {
            for (int i = 0; i <= kCells; ++i) {
                CPMeshVertex v;
                const float x = origin + kCellSize * i, y = origin + kCellSize * j;
                v.position = Vector3{x, y, GroundHeight(x, y)};
                m_mesh->GetVertices().push_back(v);
            }
        }
        for (int j = 0; j < kCells; ++j) {
            for (int i = 0; i < kCells; ++i) {
                const auto a = static_cast<std::uint16_t>(j * (kCells + 1) + i);
                const auto b = static_cast<std::uint16_t>(a + 1);
                const auto c = static_cast<std::uint16_t>(a + kCells + 1);
                const auto d = static_cast<std::uint16_t>(c + 1);
                for (std::uint16_t index : {a, b, d, a, d, c})
                    m_mesh->GetIndices().push_back(index);
            }
        }
        m_world.BuildCollisionMesh(CPObjectPtr(m_mesh));
    }

    void AddCar(int i)
    {
        auto* owner = new CPGameObject("car" + std::to_string(i));
        auto* data = new CPPhysicData(owner);
        data->SetBox(2.0f, 4.0f, 1.0f, 10.0f);
        data->AddBoxPart({0, 0, 0}, Quaternion{}, 2, 1, 4, 10);
        owner->SetPhysicData(CPObjectPtr(data));
        const Vector3 wheels[] = {{1, -1.5f, 0}, {-1, -1.5f, 0}, {1, 1.5f, 0}, {-1, 1.5f, 0}};
        for (int w = 0; w < 4; ++w) {
            auto* wheel = new CPGameObject("w" + std::to_string(w));
            wheel->SetPosition(wheels[w]);
            owner->AddChild(CPObjectPtr(wheel));
        }
        const float x = -120.0f + 80.0f * static_cast<float>(i % 4), y = i < 4 ? -60.0f : 60.0f;
        owner->SetPosition({x, y, GroundHeight(x, y) + 0.9f});
        owner->GetDescription().Parse(kHandling);
        m_world.AddLevelObject(CPObjectPtr(owner), 1, 1);
        CreateCar(CPObjectPtr(owner), false);
        m_cars.push_back(owner);
    }

    void AddBox(int i)
    {
        auto* owner = new CPGameObject("box" + std::to_string(i));
        auto* data = new CPPhysicData(owner);
        data->SetBox(1.0f, 1.0f, 1.0f, 2.0f);
        data->AddBoxPart({0, 0, 0}, Quaternion{}, 1, 1, 1, 2);
        owner->SetPhysicData(CPObjectPtr(data));
        // Scattered over the track, some in the cars' way.
        const float x = -150.0f + 300.0f * static_cast<float>(platform::Rand()) / 32767.0f;
        const float y = -150.0f + 300.0f * static_cast<float>(platform::Rand()) / 32767.0f;
        owner->SetPosition({x, y, GroundHeight(x, y) + 1.0f + 0.01f * static_cast<float>(i % 7)});
        m_world.AddLevelObject(CPObjectPtr(owner), 1, 1);
        data->BuildBody();
        m_boxes.push_back(owner);
    }

    CPPhysicsWorld m_world;
    CPGameObject m_terrain{"track"};
    CPRenderObject* m_mesh = new CPRenderObject(&m_terrain);
    std::vector<CPGameObject*> m_cars;
    std::vector<CPGameObject*> m_boxes;
};

void BM_RaceSimulatedSecond(benchmark::State& state)
{
    Race race(static_cast<int>(state.range(0)));
    // The boxes land and settle before the clock runs.
    for (int frame = 0; frame < 3 * 60; ++frame)
        race.Frame();
    for (auto _ : state) {
        for (int frame = 0; frame < 60; ++frame)
            race.Frame();
    }
    state.counters["awake_boxes"] = race.AwakeBoxes();
}
// 200 boxes is the race; without them the figure is the cars' own share.
BENCHMARK(BM_RaceSimulatedSecond)->Arg(kBoxes)->Arg(0)->Unit(benchmark::kMillisecond);

// The same race from the drop: the boxes falling, landing and settling.
void BM_RaceFirstSecondsWithBoxesLanding(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto race = std::make_unique<Race>(kBoxes);
        state.ResumeTiming();
        for (int frame = 0; frame < 60; ++frame)
            race->Frame();
        state.PauseTiming();
        race.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RaceFirstSecondsWithBoxesLanding)->Unit(benchmark::kMillisecond);

} // namespace
