#include <cmath>

#include "CarTestWorld.h"
#include "Render/RenderObject.h"
#include "Sound/NSound.h"

namespace {

const char kHandling[] = "<car><physics><params>"
                         "<acceleration front=\"80\" back=\"40\"/>"
                         "</params></physics></car>";

struct ControlsCase {
    const char* what;
    float throttle;
    float steering;
    float rollingLocalY; // the car's velocity along its own y axis (+ is backwards)
    float throttleForce;
    float storedSteering;
    bool lightsChange; // false: lights left as they were
    bool backLit;      // when they change: whether the lit back lights show
};

} // namespace

TEST_F(CarTest, ControlsSetForceSteeringAndReversingLights)
{
    const ControlsCase cases[] = {
        {"idle", 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, true, false},
        {"full ahead, steering past the stop", 1.0f, -2.0f, 0.0f, 80.0f, -0.7f, true, false},
        {"half ahead", 0.5f, 0.5f, -3.0f, 40.0f, 0.5f, true, false},
        {"reverse rolling backwards", -1.0f, 0.7f, 2.0f, -40.0f, 0.7f, true, true},
        {"reverse standing", -0.5f, 0.0f, 0.0f, -20.0f, 0.0f, false, false},
        {"reverse rolling forwards", -1.0f, 0.0f, -2.0f, -40.0f, 0.0f, false, false},
    };
    CPCar& car = MakeCar(kHandling);
    for (const ControlsCase& c : cases) {
        SCOPED_TRACE(c.what);
        SetVelocity({0.0f, c.rollingLocalY, 0.0f});
        Step(car, 0.0f);
        // Both showing: a state SetControls never makes, so any switch shows.
        Light("backlights")->SetVisible(true);
        Light("backlights2")->SetVisible(true);
        car.SetControls(c.throttle, c.steering);
        EXPECT_FLOAT_EQ(car.GetThrottleForce(), c.throttleForce);
        EXPECT_FLOAT_EQ(car.GetSteering(), c.storedSteering);
        EXPECT_TRUE(car.HasControlsChanged());
        if (c.lightsChange) {
            EXPECT_EQ(Light("backlights")->IsVisible(), !c.backLit);
            EXPECT_EQ(Light("backlights2")->IsVisible(), c.backLit);
        } else {
            EXPECT_TRUE(Light("backlights")->IsVisible());
            EXPECT_TRUE(Light("backlights2")->IsVisible());
        }
    }
}

TEST_F(CarTest, ReversingLightsFollowTheCarsOwnAxisNotTheWorlds)
{
    CPCar& car = MakeCar();
    // Turned half round: world +y is the car's -y, so moving along world -y
    // is rolling backwards.
    Body().SetRotation(Quaternion{0.0f, 0.0f, 1.0f, 0.0f});
    SetVelocity({0.0f, -2.0f, 0.0f});
    Step(car, 0.0f);
    car.SetControls(-1.0f, 0.0f);
    EXPECT_FALSE(Light("backlights")->IsVisible());
    EXPECT_TRUE(Light("backlights2")->IsVisible());
}

TEST_F(CarTest, SetUpShowsTheUnlitLightsAndTheHandBrakeSwitchesThemOnChange)
{
    Light("stoplights")->SetVisible(false);
    Light("stoplights2")->SetVisible(true);
    CPCar& car = MakeCar();
    EXPECT_TRUE(Light("stoplights")->IsVisible());
    EXPECT_FALSE(Light("stoplights2")->IsVisible());
    EXPECT_TRUE(Light("backlights")->IsVisible());
    EXPECT_FALSE(Light("backlights2")->IsVisible());

    car.SetBrake(true);
    EXPECT_FALSE(Light("stoplights")->IsVisible());
    EXPECT_TRUE(Light("stoplights2")->IsVisible());
    // A second "on" is no change: lights someone else switched stay.
    Light("stoplights2")->SetVisible(false);
    car.SetBrake(true);
    EXPECT_FALSE(Light("stoplights2")->IsVisible());
    car.SetBrake(false);
    EXPECT_TRUE(Light("stoplights")->IsVisible());
    EXPECT_FALSE(Light("stoplights2")->IsVisible());
    EXPECT_FALSE(car.IsHandBrake());
}

TEST_F(CarTest, ACarWithoutLightsOrSetUpTakesInputs)
{
    CPCar bare(nullptr);
    bare.SetBrake(true);
    bare.SetControls(-1.0f, 3.0f);
    EXPECT_TRUE(bare.IsHandBrake());
    EXPECT_FLOAT_EQ(bare.GetSteering(), 0.7f);
    EXPECT_FLOAT_EQ(bare.GetThrottleForce(), -100.0f);
}

TEST_F(CarTest, AFullNitroStockLastsFourSecondsOfFrames)
{
    CPCar& car = MakeCar();
    StartLevel();
    car.SetNitro(1.0f);
    for (int frame = 1; frame <= 39; ++frame) {
        NextFrame(0.1f);
        // Several simulator steps in one frame drain once.
        Step(car, 0.02f);
        Step(car, 0.02f);
    }
    EXPECT_FLOAT_EQ(car.GetNitroStock(), 2.5f);
    EXPECT_FLOAT_EQ(car.GetNitro(), 1.0f);
    NextFrame(0.1f);
    Step(car, 0.02f);
    EXPECT_FLOAT_EQ(car.GetNitroStock(), 0.0f);
    EXPECT_FLOAT_EQ(car.GetNitro(), 0.0f);
}

TEST_F(CarTest, NothingRunsOnceAFrameBeforeTheLevelStarts)
{
    CPCar& car = MakeCar("<physics/>", true);
    car.SetNitro(1.0f);
    for (int frame = 0; frame < 5; ++frame) {
        NextFrame(0.1f);
        Step(car, 0.02f);
    }
    EXPECT_FLOAT_EQ(car.GetNitroStock(), 100.0f);
    EXPECT_FALSE(car.GetSound(CPCar::kEngineSound)->IsPlaying());
    EXPECT_FLOAT_EQ(car.GetEnginePitch(), 0.0f);
}

TEST_F(CarTest, EnginePitchApproachesItsTargetAndTheEngineLoops)
{
    struct Case {
        float speed;
        float pitch;
    } cases[] = {{0.0f, 0.5f}, {20.0f, 1.5f}, {50.0f, 3.0f}, {200.0f, 3.0f}};
    CPCar& car = MakeCar("<physics/>", true);
    StartLevel();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speed);
        SetVelocity({0.0f, -c.speed, 0.0f});
        for (int frame = 0; frame < 300; ++frame) {
            NextFrame(0.02f);
            Step(car, 0.02f);
        }
        EXPECT_NEAR(car.GetEnginePitch(), c.pitch, 1e-3f);
        EXPECT_TRUE(car.GetSound(CPCar::kEngineSound)->IsPlaying());
    }
}

TEST_F(CarTest, ThePlayersCarLoadsItsThreeSoundsAndOpponentsNone)
{
    CPCar& car = MakeCar("<physics/>", true);
    EXPECT_TRUE(car.HasSounds());
    for (int slot = 0; slot < CPCar::kSoundSlots; ++slot) {
        const bool filled =
            slot == CPCar::kNitroSound || slot == CPCar::kEngineSound || slot == CPCar::kSkidSound;
        EXPECT_EQ(car.GetSound(slot) != nullptr, filled) << slot;
    }
    EXPECT_NE(car.GetSound(CPCar::kEngineSound)->GetPath().find("main.wav"), std::string::npos);
    EXPECT_NE(car.GetSound(CPCar::kSkidSound)->GetPath().find("vizg.wav"), std::string::npos);
    EXPECT_NE(car.GetSound(CPCar::kNitroSound)->GetPath().find("nitro.wav"), std::string::npos);
    // The engine and the skid are the car's own, never the library's.
    EXPECT_FALSE(m_sounds->GetLibrary()->Holds(car.GetSound(CPCar::kEngineSound)));
    EXPECT_FALSE(m_sounds->GetLibrary()->Holds(car.GetSound(CPCar::kSkidSound)));

    DestroyCar(*m_owner);
    CPCar& opponent = MakeCar("<physics/>", false);
    EXPECT_FALSE(opponent.HasSounds());
    for (int slot = 0; slot < CPCar::kSoundSlots; ++slot)
        EXPECT_EQ(opponent.GetSound(slot), nullptr) << slot;
    EXPECT_TRUE(CNSound::GetSoundList().empty()) << "the player's sounds went with its car";
}

TEST_F(CarTest, ACarSoundThatDoesNotLoadLeavesItsSlotEmptyAndIsSkipped)
{
    std::remove(m_folder.Path("Data/Sounds/vizg.wav").c_str());
    m_owner->GetDescription().Parse("<physics/>");
    ASSERT_TRUE(m_world.AddLevelObject(CPObjectPtr(m_owner), 1, 1));
    EXPECT_FALSE(CreateCar(CPObjectPtr(m_owner), true));
    EXPECT_TRUE(m_log.Contains("vizg.wav"));
    CPCar& car = *m_owner->GetPhysicsObject().As<CPCar>();
    EXPECT_EQ(car.GetSound(CPCar::kSkidSound), nullptr);
    EXPECT_NE(car.GetSound(CPCar::kEngineSound), nullptr);
    // Sliding fast over the ground would play the skid: nothing to play.
    StartLevel();
    car.SetBrake(true);
    SetVelocity({0.0f, -20.0f, 0.0f});
    OnGround(car, 0.5f);
    NextFrame(0.02f);
    Step(car, 0.02f);
    EXPECT_TRUE(car.GetSound(CPCar::kEngineSound)->IsPlaying());
}

TEST_F(CarTest, OpponentsPlayNoSoundAndTheNitroSoundPlaysOnceForThePlayer)
{
    CPCar& opponent = MakeCar("<physics/>", false);
    StartLevel();
    opponent.SetNitro(1.0f);
    opponent.SetBrake(true);
    SetVelocity({0.0f, -20.0f, 0.0f});
    OnGround(opponent, 0.5f);
    NextFrame(0.02f);
    Step(opponent, 0.02f);
    EXPECT_TRUE(CNSound::GetSoundList().empty());

    DestroyCar(*m_owner);
    CPCar& player = MakeCar("<physics/>", true);
    player.SetNitro(1.0f);
    player.SetBrake(true);
    OnGround(player, 0.5f);
    NextFrame(0.02f);
    Step(player, 0.02f);
    EXPECT_TRUE(player.GetSound(CPCar::kNitroSound)->IsPlaying());
    EXPECT_TRUE(player.GetSound(CPCar::kSkidSound)->IsPlaying());
    EXPECT_TRUE(player.GetSound(CPCar::kEngineSound)->IsPlaying());
}

TEST_F(CarTest, TheGlassGlowsWithTheNitro)
{
    CPGameObject& glass = Child("glass");
    auto* pane = new CPGameObject("pane");
    glass.AddChild(CPObjectPtr(pane));
    auto* mesh = new CPRenderObject(pane);
    pane->SetRenderObject(CPObjectPtr(mesh), CPGameObject::kMeshObject);
    auto* frame = new CPGameObject("frame"); // no render object: skipped
    glass.AddChild(CPObjectPtr(frame));

    CPCar& car = MakeCar();
    StartLevel();
    car.SetNitro(2.0f);
    platform::SeedRand(7);
    const float r = static_cast<float>(platform::Rand()) / 32767.0f;
    platform::SeedRand(7);
    NextFrame(0.1f);
    Step(car, 0.0f);
    // The stock has drained to 97.5 when the glow is worked out.
    const float v = (97.5f * 0.01f * r + 1.0f) * 0.455f;
    EXPECT_FLOAT_EQ(mesh->GetGlow().x, 0.0f);
    EXPECT_FLOAT_EQ(mesh->GetGlow().y, 0.0f);
    EXPECT_FLOAT_EQ(mesh->GetGlow().z, 0.0f);
    EXPECT_NEAR(mesh->GetGlow().w, -(v * 2.0f) - 0.09f, 1e-5f);

    car.SetNitro(0.0f);
    NextFrame(0.1f);
    Step(car, 0.0f);
    EXPECT_NEAR(mesh->GetGlow().w, -0.09f, 1e-6f);
}

TEST_F(CarTest, CreateCarRefusesWhatIsNotAGameObjectAndReplacesAnEarlierCar)
{
    CPCar stranger(nullptr);
    EXPECT_FALSE(CreateCar(CPObjectPtr(&stranger), false));
    EXPECT_TRUE(m_log.Contains("CreateCar: not a game object"));

    CPCar& first = MakeCar();
    PhController* firstController = Controller();
    ASSERT_NE(firstController, nullptr);
    EXPECT_EQ(first.GetTypeName(), "CPCar");
    ASSERT_TRUE(CreateCar(CPObjectPtr(m_owner), false));
    CPCar* second = m_owner->GetPhysicsObject().As<CPCar>();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(firstController->listener, nullptr) << "the simulator must not call the deleted car";
    EXPECT_EQ(Controller()->listener, second);

    PhController* last = Controller();
    DestroyCar(*m_owner);
    EXPECT_FALSE(m_owner->GetPhysicsObject());
    EXPECT_EQ(last->listener, nullptr);
}
