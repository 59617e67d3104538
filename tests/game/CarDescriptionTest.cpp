#include "CarTestWorld.h"
#include "core/PackFile.h"
#include "core/PackWriter.h"
#include "support/PackFixtures.h"

namespace {

const char kFullDescription[] = R"(<car>
  <physics debug="true">
    <geometry><wheels count="6" x="0.2" y="0.4" length="1.2" radius="0.45" front_min_radius="0.1"
                      back_min_radius="0.15" width="0.3" fixed="Min"/></geometry>
    <params>
      <wheels spring1="120" spring2="130" damping="90"/>
      <speed max_front_speed="40" max_rear_speed="12" angle="30"/>
      <acceleration front="70" back="35" brake="60" accel_front="10.5" accel_back="4"
                    speed_front="1.25" speed_back="-0.5"/>
      <friction front="110" back="250" slide="0.8"/>
      <inertion yaw="0.3" pitch="0.2"/>
    </params>
  </physics>
  <camera fov_div="2"/>
  <render><shadow name="jeep_shadow.dds"/></render>
</car>)";

std::string Wheels(const std::string& attributes)
{
    return "<car><physics><geometry><wheels " + attributes + "/></geometry></physics></car>";
}

} // namespace

TEST_F(CarTest, AFullDescriptionFillsEveryFieldAndTellsTheScripts)
{
    CPCar& car = MakeCar(kFullDescription, true);
    EXPECT_EQ(car.GetWheelCount(), 6);
    EXPECT_FLOAT_EQ(car.GetSensorInset(), 0.2f);
    EXPECT_FLOAT_EQ(car.GetSensorHeight(), 0.4f);
    EXPECT_FLOAT_EQ(car.GetSensorLength(), 1.2f);
    EXPECT_FLOAT_EQ(car.GetWheelRadius(), 0.45f);
    EXPECT_FLOAT_EQ(car.GetFrontMinRadius(), 0.1f);
    EXPECT_FLOAT_EQ(car.GetBackMinRadius(), 0.15f);
    EXPECT_FLOAT_EQ(car.GetWidth(), 0.3f);
    EXPECT_TRUE(car.IsFixedMin());
    EXPECT_FALSE(car.IsFixedMax());
    EXPECT_TRUE(car.IsDebug());
    EXPECT_FLOAT_EQ(car.GetSpringFront(), 120.0f);
    EXPECT_FLOAT_EQ(car.GetSpringRear(), 130.0f);
    EXPECT_FLOAT_EQ(car.GetDamping(), 90.0f);
    EXPECT_FLOAT_EQ(car.GetMaxFrontSpeed(), 40.0f);
    EXPECT_FLOAT_EQ(car.GetMaxRearSpeed(), 12.0f);
    EXPECT_FLOAT_EQ(car.GetAccelFront(), 70.0f);
    EXPECT_FLOAT_EQ(car.GetAccelBack(), 35.0f);
    EXPECT_FLOAT_EQ(car.GetBrake(), 60.0f);
    EXPECT_FLOAT_EQ(car.GetFrictionFront(), 110.0f);
    EXPECT_FLOAT_EQ(car.GetFrictionBack(), 250.0f);
    EXPECT_FLOAT_EQ(car.GetSlideFriction(), 0.8f);
    EXPECT_FLOAT_EQ(car.GetYawInertion(), 0.3f);
    EXPECT_FLOAT_EQ(car.GetPitchInertion(), 0.2f);
    EXPECT_EQ(car.GetShadowName(), "jeep_shadow.dds");
    EXPECT_EQ(JeepCommands(), (std::vector<std::string>{"set_car_params(30.00|2.00|10.50|4.00)",
                                                        "set_car_params2(1.25|-0.50)"}));
}

TEST_F(CarTest, AnEmptyDescriptionKeepsEveryDefaultAndTellsNoOne)
{
    CPCar& car = MakeCar("<car/>", true);
    EXPECT_EQ(car.GetWheelCount(), 4);
    EXPECT_FLOAT_EQ(car.GetSensorInset(), 0.0f);
    EXPECT_FLOAT_EQ(car.GetSensorHeight(), 0.0f);
    EXPECT_FLOAT_EQ(car.GetSensorLength(), 1.5f);
    EXPECT_FLOAT_EQ(car.GetWheelRadius(), 0.5f);
    EXPECT_FLOAT_EQ(car.GetFrontMinRadius(), 0.0f);
    EXPECT_FLOAT_EQ(car.GetBackMinRadius(), 0.0f);
    EXPECT_FALSE(car.IsFixedMin());
    EXPECT_FALSE(car.IsFixedMax());
    EXPECT_FALSE(car.IsDebug());
    EXPECT_FLOAT_EQ(car.GetSpringFront(), 140.0f);
    EXPECT_FLOAT_EQ(car.GetSpringRear(), 150.0f);
    EXPECT_FLOAT_EQ(car.GetDamping(), 150.0f);
    EXPECT_FLOAT_EQ(car.GetMaxFrontSpeed(), 30.0f);
    EXPECT_FLOAT_EQ(car.GetMaxRearSpeed(), 15.0f);
    EXPECT_FLOAT_EQ(car.GetAccelFront(), 100.0f);
    EXPECT_FLOAT_EQ(car.GetAccelBack(), 100.0f);
    EXPECT_FLOAT_EQ(car.GetBrake(), 100.0f);
    EXPECT_FLOAT_EQ(car.GetFrictionFront(), 100.0f);
    EXPECT_FLOAT_EQ(car.GetFrictionBack(), 240.0f);
    EXPECT_FLOAT_EQ(car.GetSlideFriction(), 0.9f);
    EXPECT_FLOAT_EQ(car.GetYawInertion(), 0.0f);
    EXPECT_FLOAT_EQ(car.GetPitchInertion(), 0.1f);
    EXPECT_EQ(car.GetShadowName(), "");
    EXPECT_TRUE(JeepCommands().empty());
}

TEST_F(CarTest, WheelAttributesAreReadAsTheirRulesSay)
{
    struct Case {
        const char* attributes;
        int count;
        bool fixedMin;
        bool fixedMax;
        float radius;
    } cases[] = {
        {"fixed=\"MAX\"", 4, false, true, 0.5f},
        {"fixed=\"min\"", 4, true, false, 0.5f},
        {"fixed=\"both\"", 4, false, false, 0.5f},
        {"count=\"3.9\"", 3, false, false, 0.5f},
        {"count=\"12\"", 8, false, false, 0.5f},
        {"count=\"1e300\"", 8, false, false, 0.5f},
        {"count=\"-1e300\"", 0, false, false, 0.5f},
        {"count=\"-2\"", 0, false, false, 0.5f},
        {"count=\"two\" radius=\"0.5x\"", 4, false, false, 0.5f},
        {"radius=\" 0.75 \"", 4, false, false, 0.75f},
        {"radius=\"1e400\"", 4, false, false, 0.5f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attributes);
        CPCar& car = MakeCar(Wheels(c.attributes));
        EXPECT_EQ(car.GetWheelCount(), c.count);
        EXPECT_EQ(car.IsFixedMin(), c.fixedMin);
        EXPECT_EQ(car.IsFixedMax(), c.fixedMax);
        EXPECT_FLOAT_EQ(car.GetWheelRadius(), c.radius);
        DestroyCar(*m_owner);
    }
    EXPECT_TRUE(m_log.Contains("asks for 12 wheels"));
    // A count beyond every integer is told as it was written, not as the
    // garbage of an overflowed conversion.
    EXPECT_TRUE(m_log.Contains("asks for 1e+300 wheels"));
    EXPECT_TRUE(m_log.Contains("asks for -1e+300 wheels"));
}

TEST_F(CarTest, DebugIsOnlyTheExactWordTrue)
{
    for (const char* value : {"True", "TRUE", "1", "yes", ""}) {
        SCOPED_TRACE(value);
        CPCar& car = MakeCar(std::string("<car><physics debug=\"") + value + "\"/></car>");
        EXPECT_FALSE(car.IsDebug());
        DestroyCar(*m_owner);
    }
}

TEST_F(CarTest, TheScriptsHearOnlyFromThePlayersCarWithASpeedAngle)
{
    struct Case {
        const char* what;
        const char* xml;
        bool notify;
        std::vector<std::string> commands;
    } cases[] = {
        {"an opponent", kFullDescription, false, {}},
        {"no angle",
         "<car><physics><params><speed max_front_speed=\"40\"/>"
         "<acceleration accel_front=\"10.5\"/></params></physics><camera fov_div=\"2\"/></car>",
         true,
         {}},
        {"an angle that is no number",
         "<car><physics><params><speed angle=\"wide\"/></params></physics></car>",
         true,
         {}},
        // What the description leaves out goes as 0.
        {"an angle alone",
         "<car><physics><params><speed angle=\"12.345\"/></params></physics></car>",
         true,
         {"set_car_params(12.35|0.00|0.00|0.00)", "set_car_params2(0.00|0.00)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MakeCar(c.xml, c.notify);
        EXPECT_EQ(JeepCommands(), c.commands);
        DestroyCar(*m_owner);
    }
}

TEST_F(CarTest, ElementsMayStandAtTheTopOfTheDocument)
{
    CPCar& car = MakeCar("<physics><params><friction slide=\"0.5\"/></params></physics>"
                         "<render><shadow name=\"s.dds\"/></render>");
    EXPECT_FLOAT_EQ(car.GetSlideFriction(), 0.5f);
    EXPECT_EQ(car.GetShadowName(), "s.dds");
}

TEST_F(CarTest, ANamedDescriptionIsReadFromAPackWhenTheCarIsMade)
{
    GetPackFileList().Clear();
    const std::string xml = "<car><physics><params><acceleration front=\"55\"/></params></physics></car>";
    ASSERT_TRUE(WriteTextPack("cars.pak", {{"Data\\Descriptions\\Jeep.xml", xml}}));
    ASSERT_EQ(GetPackFileList().AddPack("cars.pak"), S_OK);
    m_owner->SetDescriptionFile("JEEP.XML");
    ASSERT_TRUE(m_world.AddLevelObject(CPObjectPtr(m_owner), 1, 1));
    EXPECT_TRUE(CreateCar(CPObjectPtr(m_owner), false));
    EXPECT_FLOAT_EQ(m_owner->GetPhysicsObject().As<CPCar>()->GetAccelFront(), 55.0f);
    GetPackFileList().Clear();
}

TEST_F(CarTest, AMissingOrBrokenDescriptionIsLoggedAndTheCarKeepsItsDefaults)
{
    m_folder.Write("Data/Descriptions/broken.xml", std::string("<car><physics><params></car>"));
    for (const char* file : {"missing.xml", "broken.xml", ""}) {
        SCOPED_TRACE(file);
        m_owner->SetDescriptionFile(file);
        m_owner->GetDescription().Clear();
        if (!m_owner->GetPhysicData()->GetRigidBody()) {
            ASSERT_TRUE(m_world.AddLevelObject(CPObjectPtr(m_owner), 1, 1));
        }
        EXPECT_FALSE(CreateCar(CPObjectPtr(m_owner), true));
        CPCar* car = m_owner->GetPhysicsObject().As<CPCar>();
        ASSERT_NE(car, nullptr);
        EXPECT_FLOAT_EQ(car->GetAccelFront(), 100.0f);
        EXPECT_EQ(car->GetWheelCount(), 4);
        EXPECT_NE(car->GetWheel(3).sensor, nullptr) << "the car still drives on its defaults";
        DestroyCar(*m_owner);
    }
    EXPECT_TRUE(m_log.Contains("PLAYER has no description"));
    EXPECT_TRUE(m_log.Contains("not well-formed XML"));
    EXPECT_TRUE(JeepCommands().empty());
}
