#include <cmath>

#include "CarStateTestWorld.h"
#include "Sound/NSound.h"
#include "game/Bonus.h"
#include "platform/Math.h"

namespace {

using Kind = CPBonus::Kind;

TEST(Bonus, KindsAreRecognisedByNameOrByAChildAnywhereInTheTree)
{
    const struct {
        const char* name;
        const char* child;
        Kind kind;
    } cases[] = {
        {"bonus_remont", "", CPBonus::kRepair},
        {"b", "glow3", CPBonus::kFast},
        {"b", "glow2", CPBonus::kSlow},
        {"b", "glow6", CPBonus::kAbilityMinus},
        {"b", "glow4", CPBonus::kAbilityPlus},
        {"b", "sphera", CPBonus::kSphera},
        {"b", "portal_a", CPBonus::kGloomPortal},
        {"b", "v_bii", CPBonus::kVBii},
        {"light", "", CPBonus::kLight},
        {"halo", "", CPBonus::kHalo},
        // The first kind of the order wins.
        {"bonus_remont", "glow3", CPBonus::kRepair},
        {"light", "sphera", CPBonus::kSphera},
        {"halo", "glow2", CPBonus::kSlow},
        {"box", "", CPBonus::kNone},
        {"glow3", "", CPBonus::kNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "/" + c.child);
        auto* root = new CPGameObject(c.name);
        if (*c.child) {
            // Two levels down: found in the tree, not only among the children.
            auto* middle = new CPGameObject("part");
            middle->AddChild(CPObjectPtr(new CPGameObject(c.child)));
            root->AddChild(CPObjectPtr(middle));
        }
        EXPECT_EQ(CPBonus::Classify(*root), c.kind);
        CPGameObject::DeleteTree(root);
    }
}

TEST(Bonus, PickUpsSpareCarsOfBothSidesAndBarriersHitTheirOwnSides)
{
    // Sides: none, light, dark, both, the human player's light car.
    const std::int32_t sides[] = {0, 1, 2, 4, 9};
    const struct {
        Kind kind;
        bool acts[5];
        bool consumed;
    } cases[] = {
        {CPBonus::kRepair, {true, true, true, false, true}, true},
        {CPBonus::kFast, {true, true, true, false, true}, true},
        {CPBonus::kSlow, {true, true, true, false, true}, true},
        {CPBonus::kAbilityMinus, {true, true, true, false, true}, true},
        {CPBonus::kAbilityPlus, {true, true, true, false, true}, true},
        {CPBonus::kGloomPortal, {true, true, true, false, true}, true},
        {CPBonus::kSphera, {false, false, true, true, false}, false},
        {CPBonus::kLight, {false, false, true, true, false}, false},
        {CPBonus::kVBii, {false, true, false, true, true}, false},
        {CPBonus::kHalo, {false, true, false, true, true}, false},
        {CPBonus::kNone, {false, false, false, false, false}, false},
    };
    for (const auto& c : cases) {
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(CPBonus::ActsOn(c.kind, sides[i]), c.acts[i])
                << "kind " << c.kind << " side " << sides[i];
        EXPECT_EQ(CPBonus::IsConsumed(c.kind), c.consumed) << "kind " << c.kind;
    }
}

AxisBox Box(const Vector3& centre, const Vector3& half)
{
    AxisBox box;
    box.centre = centre;
    box.halfSize = half;
    box.minimum = centre - half;
    box.maximum = centre + half;
    return box;
}

TEST(Bonus, BoxesTouchWhenTheCentresLieWithinTheHalfSizesOverTheDivisor)
{
    const AxisBox car = Box({0, 0, 0}, {1, 2, 0.5f});
    const struct {
        Vector3 centre;
        float divisor;
        bool touch;
    } cases[] = {
        // Half-sizes 1 + 1 on x: 2 / 3.3 = 0.606.
        {{0.6f, 0, 0}, 3.3f, true},   {{0.62f, 0, 0}, 3.3f, false},         {{2.0f, 0, 0}, 1.0f, true},
        {{2.01f, 0, 0}, 1.0f, false}, {{0, 0, 0.9f}, 1.0f, true},           {{0, 0, 0.9f}, 2.0f, false},
        {{0, 3.0f, 0}, 1.0f, true},   {{std::nanf(""), 0, 0}, 1.0f, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CPBonus::BoxesTouch(Box(c.centre, {1, 1, 1}), car, c.divisor), c.touch)
            << c.centre.x << "," << c.centre.y << "," << c.centre.z << " / " << c.divisor;
}

class BonusTest : public CarRaceTest {};

TEST_F(BonusTest, ContactUsesEachKindsDivisorAndBox)
{
    // The car's box: half-sizes (1, 2, 0.5) at the origin. Each bonus has
    // half-sizes (1, 1, 1) unless said.
    const struct {
        const char* name;
        const char* child;
        float x;
        bool touch;
    } cases[] = {
        {"bonus_remont", "", 0.6f, true}, // (1 + 1) / 3.3 = 0.606
        {"bonus_remont", "", 0.65f, false},
        {"fake", "", 1.95f, true},  // divisor 1
        {"light", "", 0.95f, true}, // divisor 2
        {"light", "", 1.05f, false},
        {"halo", "", 1.3f, true}, // a third of the width: (1/3 + 1) / 1
        {"halo", "", 1.4f, false},
        {"b", "sphera", 1.35f, true}, // half-size 3.5: (3.5 + 1) / 3.3 = 1.36
        {"b", "sphera", 1.4f, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(c.x));
        CPGameObject& bonus = AddBonus(c.name, c.child, {c.x, 0, 0});
        EXPECT_EQ(CPBonus::Touches(bonus, *m_player), c.touch);
    }
}

TEST_F(BonusTest, TheUazPicksUpByItsPartsBoxAndEmptyGatesByTheirVBiiChild)
{
    // A part box far smaller than the car's own box.
    m_player->GetPartBoxes().push_back(CPBoundingBox({}, {0.1f, 0.1f, 0.1f}));
    Place(*m_player, {0, 0, 0});
    CPGameObject& bonus = AddBonus("bonus_remont", "", {0.5f, 0, 0});
    EXPECT_TRUE(CPBonus::Touches(bonus, *m_player));
    m_player->modelName = "uaz";
    // (1 + 0.1) / 3.3 = 0.33 < 0.5.
    EXPECT_FALSE(CPBonus::Touches(bonus, *m_player));

    // "empty" takes its "v_bii" child's box, with the divisor 0.8.
    m_player->modelName = "bmw";
    CPGameObject& gate = AddBonus("empty", "", {10.0f, 0, 0});
    auto* vbii = new CPGameObject("v_bii");
    vbii->SetBoundingBox(CPBoundingBox({}, {1, 1, 1}));
    vbii->SetPosition({-8.0f, 0, 0}); // at x = 2 in the world
    gate.AddChild(CPObjectPtr(vbii));
    Place(gate, {10.0f, 0, 0});
    EXPECT_TRUE(CPBonus::Touches(gate, *m_player)); // 2 <= (1 + 1) / 0.8
}

// What one pick-up does to the human player's car.
struct PickUpCase {
    const char* what;
    const char* name;
    const char* child;
    const char* shot;
    const char* sound;
    const char* message;
    const char* report;
};

const PickUpCase kPickUps[] = {
    {"repair", "bonus_remont", "", "sparks4_remont", "chik", "remont!", "repair"},
    {"fast", "b", "glow3", "sparks4", "bonus_fast", "uskorenie!", "axel"},
    {"slow", "b", "glow2", "sparks4red", "bonus_slow", "zamedlenie!", "brake"},
    {"ability minus", "b", "glow6", "sparks4red", "bonus_minus", "sposobnost-1!", "minus"},
    {"ability plus", "b", "glow4", "sparks4", "bonus_plus", "sposobnost+1!", "plus"},
    {"gloom", "b", "portal_a", "sparks4_gloom", "enter_sumrak", "uron_x2!", "gloom"},
};

TEST_F(BonusTest, EachPickUpSparksSoundsTellsReportsAndLeavesTheList)
{
    MakeLevelPlayer();
    for (const PickUpCase& c : kPickUps) {
        SCOPED_TRACE(c.what);
        Shots().clear();
        AddBonus(c.name, c.child, {0, 0, 0});
        CPGameObject& untouched = AddBonus("bonus_remont", "", {50, 0, 0});
        m_player->CheckBonuses();
        EXPECT_EQ(Shots(), std::vector<std::string>{c.shot});
        CNSound* sound = m_sounds->GetSound(c.sound).As<CNSound>();
        ASSERT_NE(sound, nullptr);
        EXPECT_TRUE(sound->IsPlaying());
        EXPECT_FLOAT_EQ(sound->Get3DParameters().maxDistance, 200.0f);
        sound->StopPlaying();
        const std::vector<std::string> told = Commands(m_interface);
        EXPECT_NE(std::find(told.begin(), told.end(), std::string("show_message(") + c.message + ")"),
                  told.end());
        EXPECT_EQ(Commands(m_main),
                  std::vector<std::string>{std::string("update_bonus_list(") + c.report + ")"});
        // The taken bonus left the list; the one out of reach stayed.
        ASSERT_EQ(m_gameData.bonuses.size(), 1u);
        EXPECT_EQ(m_gameData.bonuses.front().Get(), &untouched);
        m_gameData.bonuses.clear();
    }
}

TEST_F(BonusTest, PickUpEffectsOnTheCar)
{
    MakeLevelPlayer();
    m_gameData.maxAbilityCount = 3;

    // Repair: 20 off, never below 0.
    m_player->damage = 30.0f;
    AddBonus("bonus_remont", "", {0, 0, 0});
    m_player->CheckBonuses();
    EXPECT_FLOAT_EQ(m_player->damage, 10.0f);
    AddBonus("bonus_remont", "", {0, 0, 0});
    m_player->CheckBonuses();
    EXPECT_FLOAT_EQ(m_player->damage, 0.0f);

    // Fast: no drive for the next two seconds, steering kept.
    m_player->SetControls(1.0f, 0.3f);
    AddBonus("b", "glow3", {0, 0, 0});
    m_player->CheckBonuses();
    EXPECT_TRUE(m_player->IsHalted());
    EXPECT_FLOAT_EQ(m_player->GetThrottle(), 0.0f);
    EXPECT_FLOAT_EQ(m_player->GetSteering(), 0.3f);
    EXPECT_TRUE(m_player->IsReleasePending());
    EXPECT_FLOAT_EQ(m_player->GetReleaseTimer(), 2.0f);
    m_player->SetControls(1.0f, 0.2f);
    EXPECT_FLOAT_EQ(m_player->GetThrottle(), 0.0f);

    // Slow: the brake, and the right rear flare follows a hidden left one.
    Flare("lflarerear").SetVisible(false);
    AddBonus("b", "glow2", {0, 0, 0});
    m_player->CheckBonuses();
    EXPECT_TRUE(Car().IsHandBrake());
    EXPECT_TRUE(m_player->bonuses.slowed);
    EXPECT_FALSE(Flare("rflarerear").IsVisible());

    Commands(m_interface);
    // Abilities: down from 0 stays 0; up stops at the game data's count.
    const struct {
        const char* child;
        std::int32_t before;
        std::int32_t after;
        bool redraw;
    } abilities[] = {
        {"glow6", 0, 0, false}, {"glow6", 2, 1, true}, {"glow4", 2, 3, true}, {"glow4", 3, 3, false}};
    for (const auto& a : abilities) {
        SCOPED_TRACE(std::string(a.child) + " from " + std::to_string(a.before));
        m_player->abilities = a.before;
        AddBonus("b", a.child, {0, 0, 0});
        m_player->CheckBonuses();
        EXPECT_EQ(m_player->abilities, a.after);
        const std::vector<std::string> told = Commands(m_interface);
        EXPECT_EQ(std::count(told.begin(), told.end(), "redraw_abilities()"), a.redraw ? 1 : 0);
        EXPECT_EQ(told.size(), a.redraw ? 2u : 1u); // the message always comes
    }
}

TEST_F(BonusTest, APickUpActsEvenWhenItsSoundIsMissing)
{
    DropSounds();
    m_player->damage = 50.0f;
    m_player->SetControls(1.0f, 0.0f);
    AddBonus("bonus_remont", "", {0, 0, 0});
    AddBonus("b", "glow3", {0, 0, 0});
    AddBonus("b", "glow2", {0, 0, 0});
    m_player->CheckBonuses();
    EXPECT_FLOAT_EQ(m_player->damage, 30.0f);
    EXPECT_TRUE(m_player->IsHalted());
    EXPECT_TRUE(m_player->bonuses.slowed);
    EXPECT_TRUE(m_gameData.bonuses.empty());
}

TEST_F(BonusTest, NothingIsTakenOutsideARaceOrByACarOfBothSides)
{
    AddBonus("bonus_remont", "", {0, 0, 0});
    m_player->damage = 50.0f;
    level->race.raceRunning = false;
    m_player->CheckBonuses();
    m_player->side = CPPlayer::kBothSides;
    level->race.raceRunning = true;
    m_player->CheckBonuses();
    EXPECT_FLOAT_EQ(m_player->damage, 50.0f);
    EXPECT_EQ(m_gameData.bonuses.size(), 1u);
    EXPECT_TRUE(Shots().empty());
    EXPECT_TRUE(Commands(m_main).empty());
}

TEST_F(BonusTest, TheHumanPlayerEnteringTheGloomTintsTheScreenAndDoublesDamage)
{
    MakeLevelPlayer();
    AddBonus("b", "portal_a", {0, 0, 0});
    m_player->CheckBonuses();
    EXPECT_TRUE(m_player->bonuses.inGloom);
    EXPECT_FLOAT_EQ(m_player->bonuses.gloomTimer, 0.0f);
    EXPECT_TRUE(m_player->bonuses.damageBonus);
    EXPECT_TRUE(m_render.IsTintOn());
    EXPECT_FLOAT_EQ(m_render.GetTintStrength(), 0.3f);
    EXPECT_EQ(m_render.GetTintAlpha(), 150);
    EXPECT_TRUE(m_player->IsVisible());
}

TEST_F(BonusTest, AnOpponentEnteringTheGloomVanishesSilently)
{
    m_player->side = CPPlayer::kDarkSide;
    AddBonus("b", "portal_a", {0, 0, 0});
    m_player->CheckBonuses();
    EXPECT_TRUE(m_player->bonuses.inGloom);
    EXPECT_FALSE(m_player->bonuses.damageBonus);
    EXPECT_FALSE(m_render.IsTintOn());
    EXPECT_FALSE(m_player->IsVisible());
    EXPECT_TRUE(Commands(m_interface).empty());
    EXPECT_EQ(Commands(m_main), std::vector<std::string>{"update_bonus_list(gloom)"});
}

// --- Barriers ---------------------------------------------------------------

class BarrierTest : public CarRaceTest {
  protected:
    float Mass() const { return m_player->GetPhysicData()->GetMass(); }
    Vector3 Velocity() const
    {
        const Vector4 v = Body().GetVelocity();
        return Vector3{v.x, v.y, v.z};
    }
    void StopCar() { Body().velocity = Vector4{}; }
};

TEST_F(BarrierTest, TheSpheraPushesTheDarkSideAwayTenTimesASecondAtMost)
{
    m_player->side = CPPlayer::kDarkSide;
    // The car moves at 5 on x away from a sphere 1 unit behind it.
    SetVelocity({5.0f, 0.0f, 0.0f});
    OnGround(Car(), 0.5f);
    Step(Car(), 0.01f);
    ASSERT_NEAR(Car().GetSpeed(), 5.0f, 1e-4f);
    AddBonus("b", "sphera", {-1.0f, 0, 0});

    int pushes = 0;
    Vector3 first;
    for (int frame = 0; frame < 40; ++frame) {
        GetGameClock().gameTime = frame * 0.05;
        StopCar();
        m_player->CheckBonuses();
        if (Velocity().z > 0.0f) {
            if (pushes == 0)
                first = Velocity();
            ++pushes;
        }
    }
    // Ten in the first window, then ten more once a second passed after
    // the tenth.
    EXPECT_EQ(pushes, 20);
    EXPECT_EQ(m_player->bonuses.repelCount, 10);
    EXPECT_FLOAT_EQ(m_player->pushCooldown, 4.0f);
    // Strength 5 * 2.4 * m * 0.1 along (car - sphere) = (1, 0, car z), lifted
    // by 2 m; the body takes impulse / its own mass.
    const float bodyMass = Body().mass;
    EXPECT_NEAR(first.x, 5.0f * 2.4f * Mass() * 0.1f / bodyMass, 1e-4f);
    EXPECT_NEAR(first.z, 2.0f * Mass() / bodyMass, 1e-4f);

    // The light side is not pushed.
    m_player->side = CPPlayer::kLightSide;
    GetGameClock().gameTime = 10.0;
    StopCar();
    m_player->CheckBonuses();
    EXPECT_FLOAT_EQ(Velocity().z, 0.0f);
}

TEST_F(BarrierTest, TheSpheraStrengthStopsAtThreeHundred)
{
    m_player->side = CPPlayer::kBothSides;
    SetVelocity({1000.0f, 0.0f, 0.0f});
    Step(Car(), 0.01f);
    AddBonus("b", "sphera", {-1.0f, 0, 0});
    StopCar();
    m_player->CheckBonuses();
    EXPECT_NEAR(Velocity().x, 300.0f / Body().mass, 1e-3f);
}

TEST_F(BarrierTest, TheVBiiLiftsAndSpinsTheLightSide)
{
    m_player->side = CPPlayer::kLightSide;
    AddBonus("b", "v_bii", {0, 0, 0});
    m_player->CheckBonuses();
    EXPECT_NEAR(Velocity().z, 1.5f * Mass() / Body().mass, 1e-4f);
    EXPECT_FLOAT_EQ(Body().angularMomentum.z, 30.0f * Mass());
    EXPECT_FLOAT_EQ(m_player->pushCooldown, 4.0f);
    EXPECT_EQ(m_gameData.bonuses.size(), 1u);
}

TEST_F(BarrierTest, TheLightStunsTheDarkSideForFourSeconds)
{
    m_player->side = CPPlayer::kDarkSide;
    m_player->SetControls(1.0f, 0.2f);
    Frame(0.1f);
    ASSERT_GT(Car().GetThrottleForce(), 0.0f);
    CPGameObject& light = AddBonus("light", "", {0, 0, 0});
    m_player->CheckBonuses();
    EXPECT_TRUE(m_player->IsLocked());
    EXPECT_TRUE(Car().IsAlternateDrive());
    EXPECT_FLOAT_EQ(Car().GetThrottleForce(), 0.0f);
    EXPECT_FLOAT_EQ(Car().GetSteering(), 0.2f);

    // Out of the light, the stun runs for 4 seconds more.
    Place(light, {100, 0, 0});
    for (int i = 0; i < 16; ++i)
        Frame(0.25f);
    EXPECT_TRUE(m_player->IsLocked()); // 4.0 is not past 4.0 yet
    Frame(0.25f);
    EXPECT_FALSE(m_player->IsLocked());
    EXPECT_FALSE(Car().IsAlternateDrive());
    EXPECT_FALSE(m_player->IsReleasePending());
    EXPECT_FALSE(Car().IsHandBrake());
}

TEST_F(BarrierTest, TheHaloPushesTheLightSideOutAtMostFiveTimesASecond)
{
    m_player->side = CPPlayer::kLightSide;
    // A halo 3 units wide on x, 0.9 to the car's left: 100 * 0.9 = 90.
    AddBonus("halo", "", {-0.9f, 0, 0}, {3, 3, 1});
    GetGameClock().gameTime = 1.0;
    m_player->CheckBonuses();
    EXPECT_NEAR(Velocity().x, 90.0f / Body().mass, 1e-3f);
    ASSERT_EQ(effects["wall"]->spawns.size(), 1u);
    const auto& wall = effects["wall"]->spawns[0];
    EXPECT_GE(wall.word1, 0.4f);
    EXPECT_LE(wall.word1, 2.2f);
    EXPECT_FLOAT_EQ(m_player->pushCooldown, 4.0f);

    // An eighth of a second later nothing; a quarter after the push again.
    StopCar();
    GetGameClock().gameTime = 1.125;
    m_player->CheckBonuses();
    EXPECT_FLOAT_EQ(Velocity().x, 0.0f);
    GetGameClock().gameTime = 1.25;
    m_player->CheckBonuses();
    EXPECT_GT(Velocity().x, 0.0f);
}

TEST_F(BarrierTest, TheHaloImpulseIsCappedAtFourHundred)
{
    m_player->side = CPPlayer::kBothSides;
    // 3 units apart: 300 on x and 300 on y would be 424; it is cut to 400.
    AddBonus("halo", "", {-3.0f, -3.0f, 0}, {12, 12, 1});
    GetGameClock().gameTime = 1.0;
    m_player->CheckBonuses();
    const Vector3 v = Velocity();
    EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y) * Body().mass, 400.0f, 1e-2f);
    EXPECT_NEAR(v.x, v.y, 1e-4f);
}

} // namespace
