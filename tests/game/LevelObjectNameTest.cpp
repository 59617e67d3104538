#include <gtest/gtest.h>

#include "game/LevelObjectName.h"

namespace {

using Kind = CPLevelObjectKind;

} // namespace

TEST(LevelObjectName, NamesSortIntoTheirKinds)
{
    const struct Case {
        const char* name;
        Kind kind;
        const char* model;
        float seconds;
        int number;
        const char* source;
    } cases[] = {
        {"player", Kind::kPlayer, "", 0, 0, ""},
        {"player12", Kind::kPlayer, "", 0, 0, ""}, // trailing digits go first
        {"playerX", Kind::kScene, "playerX", 0, 0, ""},
        {"player_2", Kind::kScene, "player_", 0, 0, ""},
        {"enemy1_3", Kind::kEnemy, "1_", 0, 0, ""},
        {"enemybmw", Kind::kEnemy, "bmw", 0, 0, ""},
        {"enemy", Kind::kEnemy, "", 0, 0, ""},
        {"checkpoint,20", Kind::kCheckpointGate, "checkpoint", 20, 0, ""},
        {"checkpoint_a2,7.5", Kind::kCheckpointGate, "checkpoint_a", 7.5f, 0, ""},
        {"chest", Kind::kCheckpointGate, "chest", 0, 0, ""},
        {"chk12_lamp", Kind::kNumbered, "lamp", 0, 12, ""},
        {"chk3xpost2", Kind::kNumbered, "post2", 0, 3, ""},
        {"chk7", Kind::kNumbered, "", 0, 7, ""},
        {"chk99999999999_x", Kind::kNumbered, "x", 0, 2147483647, ""},
        {"src_base", Kind::kEnemySource, "", 0, 0, "base"},
        {"src_base2", Kind::kEnemySource, "", 0, 0, "base2"},
        {"src", Kind::kEnemySource, "", 0, 0, ""},
        {"stolb_start_left", Kind::kStartPostLeft, "", 0, 0, ""},
        {"stolb_start_right01", Kind::kStartPostRight, "", 0, 0, ""},
        {"stolb_start_leftover", Kind::kScene, "stolb_start_leftover", 0, 0, ""},
        {"tree07", Kind::kScene, "tree", 0, 0, ""},
        {"arrow_blue", Kind::kScene, "arrow_blue", 0, 0, ""},
        {"Player", Kind::kScene, "Player", 0, 0, ""},
        {"", Kind::kScene, "", 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CPLevelObjectName parsed = ClassifyLevelObject(c.name);
        EXPECT_EQ(parsed.kind, c.kind);
        EXPECT_EQ(parsed.model, c.model);
        EXPECT_FLOAT_EQ(parsed.seconds, c.seconds);
        EXPECT_EQ(parsed.number, c.number);
        EXPECT_EQ(parsed.source, c.source);
    }
}

TEST(LevelObjectName, SlotCodesPickTheOpponentOfThePlayersModel)
{
    const struct Case {
        const char* slot;
        const char* playerModel;
        const char* model;
    } cases[] = {
        {"1_", "zil_130_", "bmw"},
        {"5_", "zil_130_", "audi_tt"},
        {"3_", "audi_tt", "uaz"},
        {"2_", "bmw", "audi_tt"},
        {"4_", "gaz_3110_main", "uaz"},
        {"1_", "uaz", "bmw"},
        {"5_", "volswagen_toureg", "uaz"},
        {"6_", "zil_130_", "6_"}, // no such slot
        {"1_", "tvr", "1_"},      // a player model outside the table
        {"viper", "zil_130_", "viper"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseOpponentModel(c.slot, c.playerModel), c.model) << c.slot << " / " << c.playerModel;
}

TEST(LevelObjectName, TheTenLevelsHaveTheirOwnOpponentModel)
{
    const char* expected[] = {"tvr",    "viper",  "subaru", "celica", "subaru",
                              "celica", "lister", "lister", "viper",  "tvr"};
    for (int number = 1; number <= 10; ++number)
        EXPECT_EQ(LevelOpponentModel("level" + std::to_string(number)), expected[number - 1]) << number;
    EXPECT_EQ(LevelOpponentModel("level0"), "");
    EXPECT_EQ(LevelOpponentModel("level11"), "");
    EXPECT_EQ(LevelOpponentModel("Level1"), "");
    EXPECT_EQ(StripTrailingDigits("a1b22"), "a1b");
    EXPECT_EQ(StripTrailingDigits("123"), "");
}
