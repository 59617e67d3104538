#include <string>
#include <vector>

#include "LevelFixture.h"
#include "Render/PRender.h"
#include "platform/RecordingShell.h"
#include "core/ServiceOverride.h"

namespace {

// A true-colour picture file of the given size, 32 bits a pixel.
std::string TgaPicture(int width, int height)
{
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = static_cast<char>(width);
    bytes[14] = static_cast<char>(height);
    bytes[16] = 32;
    bytes.append(static_cast<std::size_t>(width * height * 4), '\x7f');
    return bytes;
}

class SystemBindingsTest : public LevelScriptTest {
  protected:
    SystemBindingsTest() { car = GiveCar(player); }

    bool Answer(const std::string& call)
    {
        EXPECT_TRUE(Run("a = " + call)) << call << "\n" << log.Text();
        lua_getglobal(L, "a");
        const bool answer = lua_toboolean(L, -1) != 0;
        lua_pop(L, 1);
        return answer;
    }

    CPRender& render = engine.services->Render();
    platform::RecordingShell shell;
    ServiceOverride<platform::GetInstalledShell, platform::SetShell> m_installedShell{&shell};
    CPCar* car = nullptr;
};

} // namespace

TEST_F(SystemBindingsTest, FilesExistOnlyWhenTheyOpenForReading)
{
    folder.Write("Data/Docs/Manual.txt", "read me");
    EXPECT_TRUE(Answer("IsFileExists('data\\\\docs\\\\manual.TXT')"));
    EXPECT_FALSE(Answer("IsFileExists('Data\\\\Docs')")); // a folder
    EXPECT_FALSE(Answer("IsFileExists('Data\\\\Docs\\\\missing.txt')"));
    EXPECT_FALSE(Answer("IsFileExists('')"));
    EXPECT_FALSE(Answer("IsFileExists(nil)"));
}

TEST_F(SystemBindingsTest, AddressesAndExistingDocumentsGoToTheDesktop)
{
    folder.Write("Data/Docs/Manual.txt", "read me");
    Do("GoURLlink('http://example.test/stats'); GoURL('Data\\\\Docs\\\\Manual.txt'); "
       "GoURL('Data\\\\nothing.txt')");
    const std::vector<std::string> expected = {"open http://example.test/stats",
                                               "open Data\\Docs\\Manual.txt"};
    EXPECT_EQ(shell.GetRequests(), expected);
    shell.FailRequests(true);
    Do("GoURLlink('http://example.test/')");
    EXPECT_TRUE(log.Contains("Cannot open \"http://example.test/\""));
}

TEST_F(SystemBindingsTest, PictureSizeIsItsOwnNotRoundedAndZeroWhenUnreadable)
{
    folder.Write("Data/Textures/odd.tga", TgaPicture(3, 5));
    folder.Write("Data/Textures/broken.tga", "not a picture");
    Do("w, h = GetTextureSize('Data\\\\Textures\\\\odd.tga')");
    EXPECT_EQ(GlobalNumber("w"), 3.0);
    EXPECT_EQ(GlobalNumber("h"), 5.0);
    for (const char* name : {"'Data\\\\Textures\\\\broken.tga'", "'missing.tga'", "nil"}) {
        Do(std::string("w, h = GetTextureSize(") + name + ")");
        EXPECT_EQ(GlobalNumber("w"), 0.0) << name;
        EXPECT_EQ(GlobalNumber("h"), 0.0) << name;
    }
}

TEST_F(SystemBindingsTest, TuningIndexStaysWithinTheNineteenValues)
{
    Do("Pup()");
    EXPECT_EQ(render.TuningIndex(), 0);
    Do("for i = 1, 30 do Pdown() end");
    EXPECT_EQ(render.TuningIndex(), 18);
    Do("Pup()");
    EXPECT_EQ(render.TuningIndex(), 17);
}

TEST_F(SystemBindingsTest, EachTuningIndexMovesItsOwnValueByItsStep)
{
    using Getter = float (CPCar::*)() const;
    const struct {
        Getter get;
        float step;
    } fields[] = {
        {&CPCar::GetSensorInset, 0.01f},    {&CPCar::GetSensorHeight, 0.01f},
        {&CPCar::GetSensorLength, 0.01f},   {&CPCar::GetWheelRadius, 0.01f},
        {&CPCar::GetFrontMinRadius, 0.01f}, {&CPCar::GetBackMinRadius, 0.01f},
        {&CPCar::GetSpringFront, 1.0f},     {&CPCar::GetSpringRear, 1.0f},
        {&CPCar::GetDamping, 10.0f},        {&CPCar::GetMaxFrontSpeed, 1.0f},
        {&CPCar::GetMaxRearSpeed, 1.0f},    {&CPCar::GetFrictionFront, 1.0f},
        {&CPCar::GetFrictionBack, 1.0f},    {&CPCar::GetSlideFriction, 0.05f},
        {&CPCar::GetAccelFront, 1.0f},      {&CPCar::GetAccelBack, 1.0f},
        {&CPCar::GetBrake, 0.1f},           {&CPCar::GetYawInertion, 0.05f},
        {&CPCar::GetPitchInertion, 0.05f},
    };
    for (int index = 0; index < 19; ++index) {
        render.TuningIndex() = index;
        std::vector<float> before;
        for (const auto& f : fields)
            before.push_back((car->*f.get)());
        Do("Pright()");
        for (int other = 0; other < 19; ++other) {
            const float moved = (car->*fields[other].get)() - before[static_cast<std::size_t>(other)];
            EXPECT_NEAR(moved, other == index ? fields[other].step : 0.0f, 1e-4f)
                << index << " moved " << other;
        }
        Do("Pleft()");
        EXPECT_NEAR((car->*fields[index].get)(), before[static_cast<std::size_t>(index)], 1e-4f) << index;
    }
    // No level, or an index past the table: nothing to tune.
    render.TuningIndex() = 25;
    Do("Pright(); Pleft()");
    level.reset();
    render.TuningIndex() = 8;
    Do("Pright(); Pleft()");
}
