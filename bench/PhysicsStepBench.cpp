// The physics of a race, stepped at the fixed step through the level's
// physics world, its collision mesh and its terrain query. One iteration is
// one simulated second (60 frames); the figure to read is the CPU time per
// iteration, in milliseconds: CPU milliseconds per simulated second.
//   BM_RaceSimulatedSecond/B:   8 cars driving in wide circles on a
//                               20,000-triangle field of rolling ground
//                               among B loose boxes (200 is the race).
//   BM_CarsSimulatedSecond/N:   the same with N cars and the 200 boxes.
//   BM_RaceFirstSecondsWithBoxesLanding: the first second of the field
//                               race, the boxes falling, landing, settling.
//   BM_SampleTrackSimulatedSecond: the sample level's own track (its road,
//                               walls and props, as the game loads them)
//                               with its eight cars each following the
//                               track's points at speed.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "Render/RenderObject.h"
#include "app/GameHost.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/ServiceOverride.h"
#include "core/Singletons.h"
#include "game/Car.h"
#include "game/Level.h"
#include "game/Spline.h"
#include "physics/PhysicData.h"
#include "platform/VectorMath.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"
#include "physics/Simulator.h"
#include "platform/Random.h"

namespace fs = std::filesystem;

namespace {

constexpr int kCells = 100;       // 100 x 100 cells of two triangles
constexpr float kCellSize = 4.0f; // a 400 m square of rolling ground
constexpr int kRaceCars = 8;
constexpr int kBoxes = 200;
constexpr int kFramesPerSecond = 60;
constexpr float kFrame = 1.0f / kFramesPerSecond;
constexpr int kSettleSeconds = 3;

// The game clock of a new frame, as the host sets it.
void NextFrame()
{
    GameClock& clock = GetGameClock();
    ++clock.frameCount;
    clock.frameTime = kFrame;
}

// Runs a race a few simulated seconds untimed (the boxes land and settle,
// the cars get going), then one simulated second an iteration.
template <class AnyRace> void TimeSimulatedSeconds(benchmark::State& state, AnyRace& race)
{
    for (int frame = 0; frame < kSettleSeconds * kFramesPerSecond; ++frame)
        race.Frame();
    for (auto _ : state) {
        for (int frame = 0; frame < kFramesPerSecond; ++frame)
            race.Frame();
    }
}

const char kHandling[] = "<car><physics><geometry><wheels length=\"0.9\" radius=\"0.4\"/></geometry><params>"
                         "<wheels spring1=\"400\" spring2=\"400\" damping=\"60\"/>"
                         "<acceleration front=\"20\" back=\"20\"/>"
                         "</params></physics></car>";

float GroundHeight(float x, float y) { return 0.6f * std::sin(x * 0.05f) + 0.4f * std::cos(y * 0.07f); }

// The level: its physics world with the track's collision mesh, the cars
// and the boxes, all as the game makes them.
class Race {
  public:
    explicit Race(int boxes, int cars = kRaceCars)
    {
        GetGameClock() = GameClock();
        platform::SeedRand(7);
        BuildTrack();
        m_world.Init();
        for (int i = 0; i < cars; ++i)
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
    }

    // One frame: every driver holds its speed with the wheel turned a
    // little, so the cars lap in wide circles on the track.
    void Frame()
    {
        NextFrame();
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
        // Rows of four cars 40 m apart, the first two rows where the race
        // has them.
        const float x = -120.0f + 80.0f * static_cast<float>(i % 4);
        const float y = (i / 4) % 2 == 0 ? -60.0f - 40.0f * static_cast<float>(i / 8)
                                         : 60.0f + 40.0f * static_cast<float>(i / 8);
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
    ServiceOverride<GetPhysicsWorld, SetPhysicsWorld> m_installed{&m_world};
    CPGameObject m_terrain{"track"};
    CPRenderObject* m_mesh = new CPRenderObject(&m_terrain);
    std::vector<CPGameObject*> m_cars;
    std::vector<CPGameObject*> m_boxes;
};

void BM_RaceSimulatedSecond(benchmark::State& state)
{
    Race race(static_cast<int>(state.range(0)));
    TimeSimulatedSeconds(state, race);
    state.counters["awake_boxes"] = race.AwakeBoxes();
}
// 200 boxes is the race; without them the figure is the cars' own share.
BENCHMARK(BM_RaceSimulatedSecond)->Arg(kBoxes)->Arg(0)->Unit(benchmark::kMillisecond);

// More cars on the same field, among the race's boxes.
void BM_CarsSimulatedSecond(benchmark::State& state)
{
    Race race(kBoxes, static_cast<int>(state.range(0)));
    TimeSimulatedSeconds(state, race);
    state.counters["awake_boxes"] = race.AwakeBoxes();
}
BENCHMARK(BM_CarsSimulatedSecond)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);

// The same race from the drop: the boxes falling, landing and settling.
void BM_RaceFirstSecondsWithBoxesLanding(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto race = std::make_unique<Race>(kBoxes);
        state.ResumeTiming();
        for (int frame = 0; frame < kFramesPerSecond; ++frame)
            race->Frame();
        state.PauseTiming();
        race.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RaceFirstSecondsWithBoxesLanding)->Unit(benchmark::kMillisecond);

// A copy of the sample data: starting a level may write into it.
class SampleData {
  public:
    SampleData() : m_path(fs::temp_directory_path() / ("physicsbench-" + std::to_string(::getpid())))
    {
        fs::remove_all(m_path);
        fs::copy(fs::path(RS_SOURCE_DIR) / "data" / "sample", m_path, fs::copy_options::recursive);
    }
    ~SampleData()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    std::string Path() const { return m_path.string(); }

  private:
    fs::path m_path;
};

// The sample level as the game loads it; its cars are driven here, frame
// by frame, and only its physics world is stepped.
class SampleTrackRace {
  public:
    explicit SampleTrackRace(const SampleData& data)
    {
        GameHost::Options options;
        options.frames = 1;
        options.dataRoot = data.Path();
        options.seed = 5;
        m_host = std::make_unique<GameHost>(options);
        if (!m_host->StartLevel("level1") || !m_host->GetLevel())
            return;
        CPLevel& level = *m_host->GetLevel();
        if (CPGameObject* player = level.GetPlayer())
            m_cars.push_back({player, 0});
        for (CPGameObject* opponent : level.GetOpponents())
            m_cars.push_back({opponent, 0});
        for (Driven& car : m_cars)
            car.point = Nearest(level, *car.object, 0, static_cast<int>(level.trackPoints.size()));
    }
    bool IsReady() const { return !m_cars.empty() && GetPhysicsWorld() && m_host->GetLevel(); }
    int CarCount() const { return static_cast<int>(m_cars.size()); }
    int PointsPassed() const { return m_passed; }

    void Frame()
    {
        NextFrame();
        const CPLevel& level = *m_host->GetLevel();
        for (Driven& car : m_cars)
            Steer(level, car);
        GetPhysicsWorld()->Step();
    }

  private:
    struct Driven {
        CPGameObject* object;
        int point;
    };

    // The track point nearest the car among count points from first on.
    static int Nearest(const CPLevel& level, const CPGameObject& car, int first, int count)
    {
        const int points = static_cast<int>(level.trackPoints.size());
        const Vector3 at = car.GetPosition();
        int best = first;
        float bestDistance = 1e30f;
        for (int k = 0; k < count && points > 0; ++k) {
            const int i = (first + k) % points;
            const Vector3 d = level.trackPoints[static_cast<std::size_t>(i)]->centre - at;
            const float distance = d.x * d.x + d.y * d.y;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = i;
            }
        }
        return best;
    }

    // Towards the point a few ahead of the nearest, at up to 20 m/s: the
    // wheel turns by the side the point lies on, in the car's own frame.
    void Steer(const CPLevel& level, Driven& car)
    {
        const int points = static_cast<int>(level.trackPoints.size());
        CPCar* physics = car.object->GetPhysicsObject().As<CPCar>();
        if (!physics || points == 0)
            return;
        const int nearest = Nearest(level, *car.object, car.point, 8);
        m_passed += (nearest - car.point + points) % points;
        car.point = nearest;
        const Vector3 target = level.trackPoints[static_cast<std::size_t>((nearest + 3) % points)]->centre;
        const Matrix4& world = car.object->GetWorldMatrix();
        const Vector3 to = target - car.object->GetPosition();
        const float length = std::sqrt(to.x * to.x + to.y * to.y);
        // A point on the side the car's first axis points to wants the
        // wheel turned the negative way.
        const float side = length > 1e-3f ? (to.x * world.m[0][0] + to.y * world.m[0][1]) / length : 0.0f;
        physics->SetBrake(false); // the start's countdown holds the cars
        physics->SetControls(physics->GetSpeed() < 20.0f ? 1.0f : 0.0f,
                             std::clamp(-2.0f * side, -1.0f, 1.0f));
    }

    std::unique_ptr<GameHost> m_host;
    std::vector<Driven> m_cars;
    int m_passed = 0;
};

void BM_SampleTrackSimulatedSecond(benchmark::State& state)
{
    SampleData data;
    SampleTrackRace race(data);
    if (!race.IsReady()) {
        state.SkipWithError("the sample level does not load");
        return;
    }
    TimeSimulatedSeconds(state, race);
    state.counters["cars"] = race.CarCount();
    // Track points the cars went past, a second: that they drive.
    state.counters["points_per_s"] =
        benchmark::Counter(race.PointsPassed(), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SampleTrackSimulatedSecond)->Unit(benchmark::kMillisecond);

} // namespace
