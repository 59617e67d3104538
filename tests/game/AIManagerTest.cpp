#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/FileReader.h"
#include "core/PackFile.h"
#include "game/AIManager.h"
#include "game/AIVehicle.h"
#include "game/DriverControls.h"
#include "game/Spline.h"
#include "support/ScratchFolder.h"

namespace {

// A car object that records the controls it is given.
class FakeDrivenCar : public CPObject, public CPDriverControls {
  public:
    std::uint32_t GetObjectSize() const override { return sizeof(*this); }
    std::string GetTypeName() const override { return "FakeDrivenCar"; }
    void SetControls(float throttle, float steering) override
    {
        this->throttle = throttle;
        this->steering = steering;
        ++calls;
    }
    void SetBrake(bool on) override { brake = on; }
    float throttle = -9.0f;
    float steering = -9.0f;
    bool brake = false;
    int calls = 0;
};

class Plain : public CPObject {
  public:
    std::uint32_t GetObjectSize() const override { return sizeof(*this); }
    std::string GetTypeName() const override { return "Plain"; }
};

void Append(std::string& data, const void* p, std::size_t n) { data.append(static_cast<const char*>(p), n); }
void Int(std::string& data, std::int32_t v) { Append(data, &v, 4); }
void Point(std::string& data, const Vector3& p) { Append(data, &p, 12); }

// One straight spline record from (0, 0, 0) to (200, 0, 0); its control
// points sit at thirds so it runs at an even pace. The driving direction of
// a spline runs from each line to its previous one: here towards -x.
std::string StraightSpline()
{
    std::string data;
    const std::string name = "c_path";
    Int(data, static_cast<std::int32_t>(name.size()));
    data += name;
    Int(data, 0);
    Int(data, 1);
    Point(data, {0, 0, 0});
    Point(data, {200, 0, 0});
    Point(data, {200.0f / 3, 0, 0});
    Point(data, {400.0f / 3, 0, 0});
    return data;
}

class AIManagerTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        GetPackFileList().Clear();
        folder.UseAsDataRoot();
        folder.Write("spline.bin", StraightSpline());
        CPFileReader reader("spline.bin", false);
        ASSERT_EQ(reader.Load(), S_OK);
        ASSERT_TRUE(spline.Load(reader));
    }

    // A driver on the spline at the position, travelling along heading.
    AI_Vehicle& Driver(const Vector3& position, const Vector3& heading, float speed, bool reversed = false)
    {
        driver.pathSpline = &spline;
        driver.position = position;
        driver.heading = heading;
        driver.speed = speed;
        driver.reversed = reversed;
        return driver;
    }

    ScratchFolder folder;
    LogCapture log;
    CPSpline spline;
    AI_Vehicle driver;
};

} // namespace

TEST_F(AIManagerTest, DecisionsFollowThePath)
{
    struct Case {
        const char* what;
        Vector3 position;
        Vector3 heading;
        float speed;
        bool reversed;
        // Expected, within 0.05; a half turn may go either way, so only
        // its size is checked.
        float steering;
        float throttle;
        bool brake;
    } cases[] = {
        // On the path and facing along it: straight on, throttle by the
        // missing speed (cruise 40, full throttle 10 below it).
        {"standing", {100, 0, 0}, {-1, 0, 0}, 0.0f, false, 0.0f, 1.0f, false},
        {"below cruise", {100, 0, 0}, {-1, 0, 0}, 35.0f, false, 0.0f, 0.5f, false},
        {"at cruise", {100, 0, 0}, {-1, 0, 0}, 40.0f, false, 0.0f, 0.0f, false},
        {"too fast", {100, 0, 0}, {-1, 0, 0}, 46.0f, false, 0.0f, 0.0f, true},
        // Facing the wrong way: full lock and, at speed, the brake (the
        // target speed falls to 40 * 0.4 = 16).
        {"turned round, slow", {100, 0, 0}, {1, 0, 0}, 10.0f, false, 0.7f, 0.6f, false},
        {"turned round, fast", {100, 0, 0}, {1, 0, 0}, 30.0f, false, 0.7f, 0.0f, true},
        // On a reversed level the path is driven towards +x.
        {"reversed", {100, 0, 0}, {1, 0, 0}, 0.0f, true, 0.0f, 1.0f, false},
        // Sideways to the path: a quarter turn to the left is wanted, so
        // full lock left; the target speed is 16, far above standing.
        {"sideways", {100, 0, 0}, {0, 1, 0}, 0.0f, false, -0.7f, 1.0f, false},
    };
    for (const Case& c : cases) {
        AI_Vehicle& d = Driver(c.position, c.heading, c.speed, c.reversed);
        d.pathLine = nullptr;
        const CPDriverCommand command = CPAIManager::Decide(d);
        EXPECT_NEAR(std::fabs(command.steering), std::fabs(c.steering), 0.05f) << c.what;
        const bool halfTurn = c.heading.x > 0.0f && !c.reversed;
        if (c.steering != 0.0f && !halfTurn) {
            EXPECT_EQ(command.steering > 0.0f, c.steering > 0.0f) << c.what;
        }
        EXPECT_NEAR(command.throttle, c.throttle, 0.02f) << c.what;
        EXPECT_EQ(command.brake, c.brake) << c.what;
        EXPECT_NE(d.pathLine, nullptr) << c.what;
    }
}

TEST_F(AIManagerTest, OffTheLineSteersBackTowardsIt)
{
    // Travelling towards -x, +y lies on the right: the car steers left
    // (negative) to come back, and right from the other side. The aim is
    // about 31.5 ahead (3 lines of 10.5), so the turn wanted is about
    // atan(5 / 31.5) = 0.157 rad, times the gain of 1.5.
    const float expected = 1.5f * std::atan(5.0f / 31.5f);
    const CPDriverCommand fromRight = CPAIManager::Decide(Driver({100, 5, 0}, {-1, 0, 0}, 0.0f));
    EXPECT_NEAR(fromRight.steering, -expected, 0.05f);
    driver.pathLine = nullptr;
    const CPDriverCommand fromLeft = CPAIManager::Decide(Driver({100, -5, 0}, {-1, 0, 0}, 0.0f));
    EXPECT_NEAR(fromLeft.steering, expected, 0.05f);
}

// A faster car closing on a slower one just ahead moves its aim to the
// slower car's other side; a car behind, a faster one ahead or one well
// off its line changes nothing. Travelling towards -x, +y lies on the
// right: the slower car sits a little to the left of the passer (at
// y = 0 against 0.5), so the passer aims right (positive steering).
TEST_F(AIManagerTest, ASlowerCarCloseAheadIsPassedOnItsOtherSide)
{
    // The cars outlive the manager, whose drivers let them go as it goes.
    FakeDrivenCar passerCar, otherCar;
    CPAIManager manager;
    AI_Vehicle* passer = manager.AddOpponent();
    AI_Vehicle* other = manager.AddOpponent();
    for (AI_Vehicle* d : {passer, other})
        d->pathSpline = &spline;
    passer->Update(nullptr, {-1, 0, 0}, 25.0f, CPObjectPtr(&passerCar), 0, 0);
    passer->position = {100, 0.5f, 0};
    other->Update(nullptr, {-1, 0, 0}, 20.0f, CPObjectPtr(&otherCar), 0, 0);

    const CPDriverCommand alone = CPAIManager::Decide(*passer);
    EXPECT_LT(alone.steering, 0.0f); // back towards the line
    const struct {
        const char* what;
        Vector3 position;
        float speed;
        bool passes;
    } cases[] = {
        {"slower, 10 ahead", {90, 0, 0}, 20.0f, true},
        {"slower, 19 ahead", {81, 0, 0}, 20.0f, true},
        {"slower, 25 ahead", {75, 0, 0}, 20.0f, false},
        {"slower, behind", {110, 0, 0}, 20.0f, false},
        {"faster, ahead", {90, 0, 0}, 30.0f, false},
        {"slower, 4 to the side", {90, 4.6f, 0}, 20.0f, false},
    };
    for (const auto& c : cases) {
        other->position = c.position;
        other->speed = c.speed;
        const Vector3 shift = manager.PassingShift(*passer);
        const CPDriverCommand command = CPAIManager::Decide(*passer, &manager);
        if (c.passes) {
            EXPECT_FLOAT_EQ(shift.y, CPAIManager::kPassShift) << c.what;
            EXPECT_GT(command.steering, 0.0f) << c.what;
        } else {
            EXPECT_EQ(shift.x, 0.0f) << c.what;
            EXPECT_EQ(shift.y, 0.0f) << c.what;
            EXPECT_NEAR(command.steering, alone.steering, 1e-5f) << c.what;
        }
    }
}

TEST_F(AIManagerTest, DriverWithoutPathStops)
{
    AI_Vehicle lost;
    lost.heading = {1, 0, 0};
    lost.speed = 20.0f;
    const CPDriverCommand noSpline = CPAIManager::Decide(lost);
    EXPECT_EQ(noSpline.throttle, 0.0f);
    EXPECT_EQ(noSpline.steering, 0.0f);
    EXPECT_TRUE(noSpline.brake);

    CPSpline empty; // never loaded: no ring
    lost.pathSpline = &empty;
    EXPECT_TRUE(CPAIManager::Decide(lost).brake);
}

TEST_F(AIManagerTest, UnknownHeadingDrivesStraightAtTheAim)
{
    const CPDriverCommand command = CPAIManager::Decide(Driver({100, 0, 0}, {0, 0, 0}, 0.0f));
    EXPECT_EQ(command.steering, 0.0f);
    EXPECT_FLOAT_EQ(command.throttle, 1.0f);
}

TEST_F(AIManagerTest, StepDrivesEveryReportedCarWhileEnabled)
{
    CPAIManager manager;
    EXPECT_EQ(manager.GetPriority(), 100);
    FakeDrivenCar opponentCar, trafficCar;
    Plain notACar;
    AI_Vehicle* opponent = manager.AddOpponent();
    AI_Vehicle* traffic = manager.AddTraffic();
    AI_Vehicle* silent = manager.AddOpponent(); // never reported: no car
    AI_Vehicle* odd = manager.AddOpponent();
    for (AI_Vehicle* d : {opponent, traffic, silent, odd}) {
        d->pathSpline = &spline;
        d->position = {100, 0, 0};
    }
    opponent->Update(nullptr, {-1, 0, 0}, 0.0f, CPObjectPtr(&opponentCar), 0, 0);
    traffic->Update(nullptr, {-1, 0, 0}, 50.0f, CPObjectPtr(&trafficCar), 0, 0);
    odd->Update(nullptr, {-1, 0, 0}, 0.0f, CPObjectPtr(&notACar), 0, 0);

    manager.Step();
    EXPECT_EQ(opponentCar.calls, 1);
    EXPECT_FLOAT_EQ(opponentCar.throttle, 1.0f);
    EXPECT_FALSE(opponentCar.brake);
    EXPECT_EQ(trafficCar.calls, 1);
    EXPECT_TRUE(trafficCar.brake);
    EXPECT_FALSE(CPAIManager::Apply(CPDriverCommand(), &notACar));
    EXPECT_FALSE(CPAIManager::Apply(CPDriverCommand(), nullptr));

    manager.SetEnabled(false);
    manager.Step();
    EXPECT_EQ(opponentCar.calls, 1);

    EXPECT_EQ(manager.GetOpponent(0), opponent);
    EXPECT_EQ(manager.GetOpponent(3), nullptr);
    manager.ClearDrivers();
    EXPECT_TRUE(manager.GetOpponents().empty());
    EXPECT_TRUE(manager.GetTraffic().empty());
}
