#include <algorithm>
#include <string>

#include "LevelFixture.h"
#include "Render/PRender.h"
#include "core/GameSettings.h"
#include "physics/PhysicData.h"
#include "platform/Math.h"

namespace {

class CarBindingsTest : public LevelScriptTest {
  protected:
    // The values a call returns, as "a,b,c" with numbers to three places.
    std::string Results(const std::string& call)
    {
        EXPECT_TRUE(Run("local t = {" + call +
                        "}; local s = {}; for i = 1, table.getn(t) do"
                        "  local v = t[i]; if type(v) == 'number' then v = string.format('%.3f', v) end"
                        "  if type(v) == 'userdata' then v = PointerToString(v) end"
                        "  s[i] = tostring(v) end; r = table.concat(s, ',')"))
            << call << "\n"
            << log.Text();
        return GlobalString("r");
    }

    CPRender& render = engine.services->Render();
};

} // namespace

TEST_F(CarBindingsTest, ControlsLocksAndHalts)
{
    CPPlayer* rival = AddOpponent("bmw", CPPlayer::kDarkSide, {});
    GiveCar(player)->SetNitroStock(50.0f);
    GiveCar(rival)->SetNitroStock(50.0f);
    SetGlobal("me", player);
    SetGlobal("rival", rival);
    Do("SetCarParams(me, 0.5, -0.25)");
    EXPECT_FLOAT_EQ(player->GetThrottle(), 0.5f);
    EXPECT_FLOAT_EQ(player->GetSteering(), -0.25f);

    Do("LockPlayers(true)");
    EXPECT_TRUE(player->IsLocked());
    EXPECT_TRUE(rival->IsLocked());
    Do("LockPlayer(false)");
    EXPECT_FALSE(player->IsLocked());
    EXPECT_TRUE(rival->IsLocked());
    Do("LockPlayers(nil)");
    EXPECT_FALSE(rival->IsLocked());

    Do("PlayerNitro(0.75)");
    EXPECT_EQ(Results("GetNitro(), IsNitro()"), "50.000,true");
    level->race.raceOver = true;
    Do("PlayerNitro(0)");
    EXPECT_EQ(Results("IsNitro()"), "true"); // the race is over: the nitro stays
    level->race.raceOver = false;

    rival->SetLocked(false);
    rival->SetNitro(0.5f);
    Do("PlayerNitroAI(rival)");
    EXPECT_FLOAT_EQ(rival->GetCar()->GetNitro(), 0.0f);
    EXPECT_FALSE(rival->IsHalted());
    Do("PlayerNitroAI(rival, 1)"); // a second argument halts; its value is ignored
    EXPECT_TRUE(rival->IsHalted());
    rival->GetCar()->SetNitro(0.5f);
    EXPECT_EQ(Results("GetPlayerSpeedAI(rival), GetPlayerSpeedAI(nil)"), "0.000,0.000");
}

TEST_F(CarBindingsTest, CountersAndFlagsOfCars)
{
    CPPlayer* rival = AddOpponent("uaz", CPPlayer::kLightSide, {});
    SetGlobal("rival", rival);
    Do("SetAbilitiesCount(3.9); SetAbilitiesCountAI(rival, 2); SetTimeBonus(rival)");
    EXPECT_EQ(player->abilities, 3);
    EXPECT_EQ(Results("ActivateAbilitiesAI(rival), ActivateAbilitiesAI(nil)"), "2.000,0.000");
    EXPECT_FLOAT_EQ(rival->pushCooldown, 4.0f);

    player->damage = 30.0f;
    rival->bonuses.inGloom = true;
    EXPECT_EQ(Results("GetPlayerDamage(), IsInGloom(rival), IsInGloom(nil), IsDead(), IsDamageMsg()"),
              "30.000,true,false,false,false");
    player->wrecked = true;
    player->state.gameOverSent = true;
    EXPECT_EQ(Results("IsDead(), IsDamageMsg()"), "true,true");
    EXPECT_EQ(Results("GetPlayerSlide()"), "1.000");
    level.reset();
    EXPECT_EQ(Results("IsDead(), IsDamageMsg(), GetPlayerDamage()"), "true,false");
}

TEST_F(CarBindingsTest, DeathAndDamageByTheScriptsModelNames)
{
    AddOpponent("uaz", CPPlayer::kLightSide, {}, 40.0f);
    AddOpponent("bmw", CPPlayer::kDarkSide, {}, 100.0f);
    AddOpponent("odd_model", 0, {}, 12.0f);
    player->damage = 100.0f;
    player->modelName = "zil_130_";
    EXPECT_EQ(Results("GetAIDamage('uaz_469'), GetAIDamage('bmw_i745'), GetAIDamage('odd_model'),"
                      " GetAIDamage('uaz'), GetAIDamage('audi_tt')"),
              "40.000,100.000,12.000,40.000,0.000");
    // No opponent drives the truck: the followed car answers for it.
    EXPECT_EQ(
        Results("IsPlayerDead(), IsPlayerDead('uaz_469'), IsPlayerDead('bmw_i745'), IsPlayerDead('zil_130')"),
        "true,false,true,true");
    level->cameraTarget = nullptr;
    EXPECT_EQ(Results("IsPlayerDead('zil_130')"), "false");
}

TEST_F(CarBindingsTest, SidesLeftLookAtTheFirstFiveOpponentsOnly)
{
    for (int i = 0; i < 5; ++i)
        AddOpponent("bmw", CPPlayer::kDarkSide, {}, i == 0 ? 100.0f : 0.0f);
    AddOpponent("uaz", CPPlayer::kLightSide, {});
    EXPECT_EQ(Results("IsLightLeft(), IsDarkLeft()"), "0.000,1.000");
    level.reset();
    EXPECT_EQ(Results("IsLightLeft(), IsDarkLeft()"), "0.000,0.000");
}

TEST_F(CarBindingsTest, NearestCarOfASide)
{
    CPPlayer* near = AddOpponent("uaz", CPPlayer::kLightSide, {10, 0, 0});
    AddOpponent("uaz", CPPlayer::kLightSide, {1, 0, 0}, 100.0f); // nearest, but wrecked
    CPPlayer* dark = AddOpponent("bmw", CPPlayer::kDarkSide, {3, 0, 0});
    player->SetPosition(Vector3{0, 50, 0});
    const std::string nearText = std::to_string(reinterpret_cast<std::uintptr_t>(near));
    const std::string darkText = std::to_string(reinterpret_cast<std::uintptr_t>(dark));
    EXPECT_EQ(Results("GetNearestSollaryPlayer(0, 0, 0)"), "10.000,0.000,0.000," + nearText + ",10.000");
    // Wide: the dark side's cars count too, wrecked or not.
    EXPECT_EQ(Results("GetNearestSollaryPlayer(0, 0, 0, true)"), "3.000,0.000,0.000," + darkText + ",3.000");
    // The dark side's search takes no notice of damage.
    dark->damage = 100.0f;
    EXPECT_EQ(Results("GetNearestCorvanePlayer(0, 0, 0)"), "3.000,0.000,0.000," + darkText + ",3.000");
    // The player's car of the side wins only when strictly nearer.
    player->side = CPPlayer::kLightSide;
    player->SetPosition(Vector3{0, 10, 0});
    EXPECT_EQ(Results("GetNearestSollaryPlayer(0, 0, 0)"), "10.000,0.000,0.000," + nearText + ",10.000");
    player->SetPosition(Vector3{0, 9, 0});
    const std::string playerText = std::to_string(reinterpret_cast<std::uintptr_t>(player));
    EXPECT_EQ(Results("GetNearestSollaryPlayer(0, 0, 0)"), "0.000,9.000,0.000," + playerText + ",9.000");
    EXPECT_EQ(Results("GetNearestCorvanePlayer(20000, 0, 0)"), "");
    level.reset();
    EXPECT_EQ(Results("GetNearestSollaryPlayer(0, 0, 0)"), "");
}

// The cars' search of the guns: from (0, 0) heading along +x, the sights
// cosine 0.9 and the reach 50. Holes and false are skipped, anything but a
// live game object stands at the origin (and is never picked there), and of
// two cars as near the first in the list wins.
TEST_F(CarBindingsTest, NearestInSightsPicksTheNearestCarAheadWithinTheSights)
{
    CPPlayer* ahead = AddOpponent("uaz", CPPlayer::kLightSide, {30, 2, 1});
    CPPlayer* nearer = AddOpponent("uaz", CPPlayer::kLightSide, {20, -1, 0});
    CPPlayer* same = AddOpponent("bmw", CPPlayer::kDarkSide, {20, 1, 0});   // as near as nearer
    CPPlayer* wide = AddOpponent("bmw", CPPlayer::kDarkSide, {5, 5, 0});    // 45 degrees off
    CPPlayer* behind = AddOpponent("bmw", CPPlayer::kDarkSide, {-4, 0, 0}); // nearest of all
    CPPlayer* far = AddOpponent("bmw", CPPlayer::kDarkSide, {60, 0, 0});    // out of reach
    for (auto [name, car] : {std::pair{"ahead", ahead},
                             {"nearer", nearer},
                             {"same", same},
                             {"wide", wide},
                             {"behind", behind},
                             {"far", far}})
        SetGlobal(name, car);
    const auto text = [](const CPPlayer* car) {
        return std::to_string(reinterpret_cast<std::uintptr_t>(car));
    };
    const std::string search = "NearestInSights(0, 0, 1, 0, 50, 0.9, cars, ";
    struct Case {
        const char* cars;
        const char* count;
        std::string expected;
    } cases[] = {
        {"{ahead}", "1", "30.067,30.000,2.000,1.000," + text(ahead)},
        {"{behind, wide, far, ahead}", "4", "30.067,30.000,2.000,1.000," + text(ahead)},
        {"{ahead, same, nearer}", "3", "20.025,20.000,1.000,0.000," + text(same)},
        {"{ahead, nearer, same}", "3", "20.025,20.000,-1.000,0.000," + text(nearer)},
        // Past the count, a hole, false, a number and a dead handle.
        {"{ahead, nearer}", "1", "30.067,30.000,2.000,1.000," + text(ahead)},
        {"{nil, false, 7, StringToPointer('0x10'), ahead}", "5", "30.067,30.000,2.000,1.000," + text(ahead)},
        {"{behind, wide, far}", "3", ""},
        {"{}", "7", ""},
    };
    for (const Case& c : cases) {
        Do(std::string("cars = ") + c.cars);
        EXPECT_EQ(Results(search + c.count + ")"), c.expected) << c.cars;
    }
    // The reach is the script's: a shorter one leaves the car at 30 out.
    Do("cars = {ahead}");
    EXPECT_EQ(Results("NearestInSights(0, 0, 1, 0, 30, 0.9, cars, 1)"), "");
    EXPECT_EQ(Results("NearestInSights(0, 0, 1, 0, 50, 0.9, nil, 1)"), "");
}

TEST_F(CarBindingsTest, PlacementBoxAndDirectionOfObjects)
{
    auto* box = new CPGameObject("crate");
    TreeOwner owner{box};
    box->SetBoundingBox(CPBoundingBox(Vector3{}, Vector3{1, 2, 3}));
    SetGlobal("box", box);
    Do("SetPosition(box, 5, 6, 7)");
    EXPECT_EQ(Results("GetPosition(box)"), "5.000,6.000,7.000");
    EXPECT_EQ(Results("GetBBoxInfo(box)"), "5.000,6.000,7.000,4.000,4.000,4.000,6.000,8.000,10.000");
    Do("SetRotation(box, 0, 0, 1.5707964)");
    EXPECT_EQ(Results("GetBBoxInfo(box)"), "5.000,6.000,7.000,3.000,5.000,4.000,7.000,7.000,10.000");
    EXPECT_EQ(Results("GetObjectSpeed(box), GetObjectSpeed(nil), GetPosition(nil)"),
              "0.000,0.000,0.000,0.000,0.000");
    EXPECT_EQ(Results("GetBBoxInfo(nil)"), "");

    player->SetRotation(QuaternionFromAxisAngle(Vector3{0, 0, 1}, 1.5707964f));
    SetGlobal("me", player);
    EXPECT_EQ(Results("GetPlayerDirection()"), "1.000,-0.000,0.000");
    EXPECT_EQ(Results("GetPlayerDirectionAI(me)"), "1.000,-0.000,0.000");
    EXPECT_EQ(Results("GetPlayerDirectionAI(nil)"), "");
}

TEST_F(CarBindingsTest, SpawnPutsAnUprightCarOnTheGroundBackOnTheTrack)
{
    // The path runs along +x and back; the car stands upright on the ground
    // beside it, where only a forced respawn moves it.
    AddPathSpline({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}});
    auto* physics = new CPPhysicData(player);
    player->SetPhysicData(CPObjectPtr(physics));
    physics->SetTerrainTriangleCount(2);
    SetGlobal("me", player);
    // Upright on the ground: the per-frame check leaves the car be.
    player->SetPosition(Vector3{30.0f, 3.0f, 0.0f});
    EXPECT_FALSE(player->Spawn(false));
    struct Case {
        const char* call;
        bool moved;
        float cooldown;
    } cases[] = {
        {"Spawn(nil)", false, 0.0f}, {"Spawn(5)", false, 0.0f},  {"Spawn()", false, 0.0f},
        {"Spawn(me)", true, 1.0f},   {"Spawn(me)", false, 1.0f}, // within the second of cooldown
    };
    for (const Case& c : cases) {
        player->SetPosition(Vector3{30.0f, 3.0f, 0.0f});
        Do(c.call);
        // Moved onto the path (y 0), raised by 2.
        const Vector3 at = player->GetPosition();
        EXPECT_EQ(at.z == 2.0f && at.y == 0.0f, c.moved)
            << c.call << " " << at.x << "," << at.y << "," << at.z;
        EXPECT_FLOAT_EQ(player->respawnCooldown, c.cooldown) << c.call;
    }
}

TEST_F(CarBindingsTest, MassOfTheGivenObjectOrOfThePlayersCar)
{
    auto* physics = new CPPhysicData(player);
    physics->SetBox(2.0f, 4.0f, 1.0f, 10.0f);
    player->SetPhysicData(CPObjectPtr(physics));
    const std::string mass = Results("GetPlayerMass()");
    EXPECT_NE(mass, "0.000");
    SetGlobal("me", player);
    EXPECT_EQ(Results("GetPlayerMass(me)"), mass);
    EXPECT_EQ(Results("GetPlayerMass(nil)"), "0.000");
    level.reset();
    EXPECT_EQ(Results("GetPlayerMass()"), "");
}

TEST_F(CarBindingsTest, RendererValuesAndTheTempSetting)
{
    Do("SetMotionBlur(0.4); SetLightCoeff(1.5); SetRadialBlur(0.2); SetTemp(3)");
    EXPECT_EQ(render.MotionBlurOn(), 1);
    EXPECT_FLOAT_EQ(render.MotionBlurAmount(), 0.4f);
    EXPECT_FLOAT_EQ(render.LightCoefficient(), 1.5f);
    EXPECT_FLOAT_EQ(render.RadialBlur(), 0.2f);
    EXPECT_EQ(Results("GetTemp()"), "3.000");
    Do("SetMotionBlur(0)");
    EXPECT_EQ(render.MotionBlurOn(), 0);
    EXPECT_FLOAT_EQ(render.MotionBlurAmount(), 0.0f);
    Do("DrawLine(0, 0, 0, 1, 2, 3)");
    ASSERT_EQ(render.GetDebugLines().size(), 2u);
    EXPECT_EQ(render.GetDebugLines()[1].position.z, 3.0f);
    EXPECT_EQ(render.GetDebugLines()[0].diffuse, 0xFFFF0000u);
    GetGameSettings().temp = 1.0f;
}

TEST_F(CarBindingsTest, PlayerRayAnswersWhetherNothingWasHit)
{
    EXPECT_EQ(Results("CrossPlayerRay(0, 0, 0, 0, 3, 4)"), "true,0.000,3.000,4.000");
    EXPECT_EQ(Results("CrossPlayerRay(0, 0, 0, 0, 0, 0)"), "true,0.000,0.000,0.000");
    level.reset();
    EXPECT_EQ(Results("CrossPlayerRay(0, 0, 0, 0, 3, 4)"), "false,0.000,0.600,0.800");
}

TEST_F(CarBindingsTest, CloneCopiesTheSourcesName)
{
    auto* source = new CPGameObject("barrel");
    TreeOwner owner{source};
    SetGlobal("source", source);
    Do("copy = Clone(source); empty = Clone(nil)");
    auto* copy = static_cast<CPGameObject*>(static_cast<CPObject*>(GlobalPointer("copy")));
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, source);
    EXPECT_EQ(copy->GetName(), "barrel");
    EXPECT_EQ(GlobalPointer("empty"), nullptr);
    // The race's copy is the level's, which deletes it.
    const auto& owned = level->GetOwnedObjects();
    EXPECT_NE(std::find(owned.begin(), owned.end(), CPObjectPtr(copy)), owned.end());
}
