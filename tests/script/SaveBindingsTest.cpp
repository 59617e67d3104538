#include <cstring>
#include <string>
#include <vector>

#include <optional>

#include "ScriptTestSupport.h"
#include "game/GameData.h"
#include "platform/FileSystem.h"
#include "platform/LocalTime.h"
#include "core/ServiceOverride.h"

namespace {

platform::LocalDateTime Time(int year, int month, int day, int hour = 12, int minute = 0, int second = 0)
{
    platform::LocalDateTime t;
    t.year = static_cast<std::uint16_t>(year);
    t.month = static_cast<std::uint16_t>(month);
    t.day = static_cast<std::uint16_t>(day);
    t.hour = static_cast<std::uint16_t>(hour);
    t.minute = static_cast<std::uint16_t>(minute);
    t.second = static_cast<std::uint16_t>(second);
    return t;
}

// Little-endian bytes put together by hand for the expected files.
struct Bytes {
    std::string data;
    Bytes& U16(std::uint16_t v)
    {
        data += static_cast<char>(v & 0xFF);
        data += static_cast<char>(v >> 8);
        return *this;
    }
    Bytes& I32(std::int32_t v)
    {
        for (int i = 0; i < 4; ++i)
            data += static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
        return *this;
    }
    Bytes& F32(float f)
    {
        std::int32_t v;
        std::memcpy(&v, &f, 4);
        return I32(v);
    }
    Bytes& Str(const std::string& s)
    {
        I32(static_cast<std::int32_t>(s.size()));
        data += s;
        return *this;
    }
};

class SaveBindingsTest : public ScriptTest {
  protected:
    SaveBindingsTest()
    {
        folder.UseAsDataRoot();
        folder.Write("DATA/Saves/readme.txt", "");
        SetNow(Time(2026, 6, 1));
    }

    void SetNow(const platform::LocalDateTime& now)
    {
        m_localTime.emplace([now] { return now; });
    }
    // A save of another profile, made at the given time.
    void WriteSlot(int slot, const std::string& profile, const platform::LocalDateTime& when)
    {
        CPGameData other;
        other.profileName = profile;
        SetNow(when);
        ASSERT_TRUE(other.WriteSave(CPGameData::SaveFileName(slot)));
        SetNow(Time(2026, 6, 1));
    }
    std::string SlotFile(int slot) const
    {
        return folder.Read("DATA/Saves/save" + std::to_string(slot) + ".sav");
    }

    ScratchFolder folder;
    CPGameData& data = engine.services->GameData();

  private:
    std::optional<ServiceOverride<platform::GetLocalTimeSource, platform::SetLocalTimeSource>> m_localTime;
};

} // namespace

TEST_F(SaveBindingsTest, SaveFileHoldsTheProfileFieldByField)
{
    platform::LocalDateTime now = Time(2026, 12, 9, 23, 15, 42);
    now.dayOfWeek = 3;
    now.milliseconds = 500;
    SetNow(now);
    data.profileName = "Ann";
    data.playerName = "bmw";
    data.racesPassed = 3;
    data.points = 250;
    data.saveSlot = 2;
    data.progress[0].bestTime = 61.5f;
    data.progress[0].state = 2;
    data.progress[0].name = "Ann";
    CPProgressEntry::Sample sample;
    for (int i = 0; i < 32; ++i)
        sample[i] = static_cast<std::uint8_t>(i);
    data.progress[0].samples.push_back(sample);
    data.progress[1].name = "kept out"; // no samples: the name is not saved

    ASSERT_TRUE(Run("SaveGame()")) << log.Text();

    Bytes expected;
    expected.Str("Ann").Str("bmw");
    expected.U16(2026).U16(12).U16(3).U16(9).U16(23).U16(15).U16(42).U16(500);
    expected.I32(3).I32(250);
    expected.F32(61.5f).I32(2).I32(1).Str("Ann");
    for (int i = 0; i < 32; ++i)
        expected.data += static_cast<char>(i);
    for (int entry = 1; entry < 10; ++entry)
        expected.F32(0.0f).I32(4).I32(0);
    EXPECT_EQ(SlotFile(2), expected.data);
    EXPECT_FALSE(folder.Exists("DATA/Saves/save0.sav"));

    // Read back into a fresh store it gives the same profile.
    CPGameData loaded;
    ASSERT_TRUE(loaded.LoadSave("save2.sav"));
    EXPECT_EQ(loaded.profileName, "Ann");
    EXPECT_EQ(loaded.playerName, "bmw");
    EXPECT_EQ(loaded.saveSlot, 2);
    EXPECT_EQ(loaded.racesPassed, 3);
    EXPECT_EQ(loaded.points, 250);
    EXPECT_EQ(loaded.progress[0].bestTime, 61.5f);
    EXPECT_EQ(loaded.progress[0].state, 2);
    EXPECT_EQ(loaded.progress[0].name, "Ann");
    ASSERT_EQ(loaded.progress[0].samples.size(), 1u);
    EXPECT_EQ(loaded.progress[0].samples[0], sample);
}

TEST_F(SaveBindingsTest, SaveWithoutASlotTakesTheFirstFreeOneElseTheOldest)
{
    struct Taken {
        int slot;
        platform::LocalDateTime when;
    };
    const auto june = Time(2026, 6, 1);
    struct Case {
        const char* what;
        std::vector<Taken> taken;
        std::vector<int> emptied; // slots whose file is there but empty
        int expectedSlot;
    } cases[] = {
        {"no saves at all", {}, {}, 0},
        {"0, 1 and 3 taken", {{0, june}, {1, june}, {3, june}}, {}, 2},
        {"an empty file is a free slot", {{0, june}, {2, june}}, {1}, 1},
        {"all taken: December is before the next January",
         {{0, june},
          {1, Time(2026, 1, 5)},
          {2, june},
          {3, Time(2025, 12, 31, 23, 59, 59)},
          {4, june},
          {5, june}},
         {},
         3},
        {"all taken: the second decides",
         {{0, Time(2026, 3, 3, 10, 0, 9)},
          {1, june},
          {2, june},
          {3, june},
          {4, Time(2026, 3, 3, 10, 0, 8)},
          {5, june}},
         {},
         4},
        {"all taken at one time: the lowest slot",
         {{0, june}, {1, june}, {2, june}, {3, june}, {4, june}, {5, june}},
         {},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int slot = 0; slot < 6; ++slot)
            folder.Write("DATA/Saves/save" + std::to_string(slot) + ".sav", "");
        for (const Taken& t : c.taken)
            WriteSlot(t.slot, "other", t.when);
        data.ResetProfile();
        data.profileName = "me";

        ASSERT_TRUE(Run("SaveGame()")) << log.Text();
        EXPECT_EQ(data.saveSlot, c.expectedSlot);
        ASSERT_TRUE(Run("n, saves = GetSaves()"));
        lua_getglobal(L, "saves");
        for (int slot = 0; slot < 6; ++slot) {
            lua_rawgeti(L, -1, slot + 1);
            bool wasTaken = false;
            for (const Taken& t : c.taken)
                wasTaken = wasTaken || t.slot == slot;
            const std::string expected = slot == c.expectedSlot ? "me" : wasTaken ? "other" : "";
            EXPECT_EQ(std::string(lua_tostring(L, -1)), expected) << "slot " << slot;
            lua_pop(L, 1);
        }
        lua_pop(L, 1);
        EXPECT_EQ(GlobalNumber("n"), 6.0);
    }
}

TEST_F(SaveBindingsTest, OnceASlotIsChosenEverySaveGoesThere)
{
    ASSERT_TRUE(Run("SetProfileName('me'); SaveGame(); SaveGame()")) << log.Text();
    EXPECT_EQ(data.saveSlot, 0);
    EXPECT_FALSE(folder.Exists("DATA/Saves/save1.sav"));
    // A profile reset forgets the slot: the next save looks for a free one.
    ASSERT_TRUE(Run("SetProfileName('you'); SaveGame()"));
    EXPECT_EQ(data.saveSlot, 1);
}

TEST_F(SaveBindingsTest, LoadingAnotherProfileResetsItFirstTheSameProfileKeepsTheMission)
{
    WriteSlot(4, "Ann", Time(2026, 1, 1));
    struct Case {
        const char* currentProfile;
        std::int32_t expectedMission;
    } cases[] = {{"Ann", 7}, {"Bob", 1}};
    for (const Case& c : cases) {
        data.profileName = c.currentProfile;
        data.currentMission = 7;
        data.saveSlot = -1;
        ASSERT_TRUE(Run("LoadGame('save4.sav')")) << log.Text();
        EXPECT_EQ(data.currentMission, c.expectedMission) << c.currentProfile;
        EXPECT_EQ(data.profileName, "Ann");
        EXPECT_EQ(data.saveSlot, 4);
    }
}

TEST_F(SaveBindingsTest, AnEntrySavedWithoutSamplesKeepsItsNameAndRunOnLoad)
{
    data.progress[3].name = "old";
    data.progress[3].samples.resize(2);
    WriteSlot(1, "", Time(2026, 1, 1)); // every entry saved with no samples
    ASSERT_TRUE(Run("LoadGame('save1.sav')"));
    EXPECT_EQ(data.progress[3].name, "old");
    EXPECT_EQ(data.progress[3].samples.size(), 2u);
    EXPECT_EQ(data.progress[3].state, 4);
}

TEST_F(SaveBindingsTest, AFileCutShortAppliesWhatItHoldsWholeAndLeavesTheRest)
{
    data.profileName = "Ann";
    data.racesPassed = 9;
    data.points = 90;
    data.progress[0].bestTime = 5.0f;
    data.progress[0].samples.resize(3);
    ASSERT_TRUE(data.WriteSave("save1.sav"));
    const std::string whole = SlotFile(1);

    data.racesPassed = 1;
    data.points = 10;
    data.progress[0].bestTime = 1.0f;
    data.progress[0].samples.resize(1);
    // Cut inside the second sample of the first entry: the entry's run
    // is not taken, the counters before it are.
    const std::size_t cut = 4 + 3 + 4 + 0 + 16 + 8 + 12 + 4 + 32 + 10;
    folder.Write("DATA/Saves/save1.sav", whole.substr(0, cut));
    ASSERT_TRUE(Run("LoadGame('save1.sav')"));
    EXPECT_EQ(data.racesPassed, 9);
    EXPECT_EQ(data.points, 90);
    EXPECT_EQ(data.progress[0].bestTime, 5.0f);
    EXPECT_EQ(data.progress[0].samples.size(), 1u);
    EXPECT_TRUE(log.Contains("cut short")) << log.Text();

    // Cut inside the time of saving: nothing after the profile is taken.
    folder.Write("DATA/Saves/save1.sav", whole.substr(0, 4 + 3 + 4 + 5));
    data.racesPassed = 1;
    data.playerName = "kept";
    ASSERT_TRUE(Run("LoadGame('save1.sav')"));
    EXPECT_EQ(data.playerName, "kept");
    EXPECT_EQ(data.racesPassed, 1);
}

TEST_F(SaveBindingsTest, NamesOutsideTheSavesFolderOrWithoutASlotAreRefused)
{
    folder.Write("DATA/player.dat", "keep me");
    data.profileName = "Ann";
    data.currentMission = 5;
    ASSERT_TRUE(
        Run("LoadGame('..\\\\player.dat'); LoadGame(nil); DeleteSave('../player.dat'); DeleteSave()"));
    EXPECT_EQ(folder.Read("DATA/player.dat"), "keep me");
    EXPECT_EQ(data.currentMission, 5);
    EXPECT_TRUE(log.Contains("refused the file name \"..\\player.dat\"")) << log.Text();
    EXPECT_TRUE(log.Contains("DeleteSave: refused the file name \"\"")) << log.Text();

    // A save under a name that is no slot loads but leaves the slot open.
    WriteSlot(2, "Ann", Time(2026, 1, 1));
    folder.Write("DATA/Saves/sav.sav", SlotFile(2));
    folder.Write("DATA/Saves/save9.sav", SlotFile(2));
    for (const char* name : {"sav.sav", "save9.sav"}) {
        data.saveSlot = 3;
        ASSERT_TRUE(Run(std::string("LoadGame('") + name + "')"));
        EXPECT_EQ(data.saveSlot, -1) << name;
    }
    EXPECT_TRUE(log.Contains("names no save slot")) << log.Text();
}

TEST_F(SaveBindingsTest, DeleteEmptiesTheSlotAndGetSavesShowsItFree)
{
    WriteSlot(0, "Ann", Time(2026, 1, 1));
    WriteSlot(1, "Bob", Time(2026, 1, 1));
    data.saveSlot = 1;
    ASSERT_TRUE(
        Run("DeleteSave('save1.sav'); n, saves = GetSaves(); a, b, c = saves[1], saves[2], saves[3]"));
    EXPECT_EQ(folder.Read("DATA/Saves/save1.sav"), "");
    EXPECT_TRUE(folder.Exists("DATA/Saves/save1.sav"));
    EXPECT_EQ(GlobalString("a"), "Ann");
    EXPECT_EQ(GlobalString("b"), "");
    EXPECT_EQ(GlobalString("c"), "");
    EXPECT_EQ(data.saveSlot, 1);
    // Slots 2 to 5 have no file at all: a free slot is no fault to log.
    EXPECT_FALSE(log.Contains("Cannot load")) << log.Text();
}

// With no save file at all, the first save looks at every slot and finds
// them free; none of that is a fault.
TEST_F(SaveBindingsTest, ProbingFreeSlotsLogsNothing)
{
    data.profileName = "me";
    ASSERT_TRUE(Run("SaveGame(); n, saves = GetSaves()")) << log.Text();
    EXPECT_EQ(data.saveSlot, 0);
    EXPECT_FALSE(log.Contains("Cannot load")) << log.Text();
    // Loading a slot by name is asked for a file that should be there.
    ASSERT_TRUE(Run("LoadGame('save4.sav')"));
    EXPECT_TRUE(log.Contains("save4.sav")) << log.Text();
}

TEST_F(SaveBindingsTest, NewPlayerWritesSlotZeroAndKeepsTheSlotNumber)
{
    data.profileName = "Ann";
    data.saveSlot = 3;
    ASSERT_TRUE(Run("NewPlayer('uaz')"));
    EXPECT_EQ(data.playerName, "uaz");
    EXPECT_EQ(data.saveSlot, 3);
    CPGameData loaded;
    ASSERT_TRUE(loaded.LoadSave("save0.sav"));
    EXPECT_EQ(loaded.playerName, "uaz");
    EXPECT_EQ(loaded.profileName, "Ann");
}

TEST_F(SaveBindingsTest, SetProfileNameResetsOnlyForAnotherName)
{
    data.profileName = "Ann";
    data.currentMission = 6;
    data.points = 40;
    data.saveSlot = 2;
    ASSERT_TRUE(Run("SetProfileName('Ann')"));
    EXPECT_EQ(data.currentMission, 6);
    ASSERT_TRUE(Run("SetProfileName('Bob')"));
    EXPECT_EQ(data.profileName, "Bob");
    EXPECT_EQ(data.currentMission, 1);
    EXPECT_EQ(data.points, 0);
    EXPECT_EQ(data.saveSlot, -1);
}

TEST_F(SaveBindingsTest, ASaveThatCannotBeWrittenIsLoggedAndLeavesNoFile)
{
    ScratchFolder empty; // no saves folder
    empty.UseAsDataRoot();
    data.profileName = "Ann";
    ASSERT_TRUE(Run("saved = tostring(SaveGame())"));
    EXPECT_EQ(GlobalString("saved"), "false");
    EXPECT_FALSE(empty.Exists("DATA/Saves/save0.sav"));
    EXPECT_FALSE(log.Text().empty());
}

// A save that cannot be written tells the script so, and the save it was
// to replace stays whole: the saves folder is a file (no folder to write
// in, as a read-only one would be), or the writer fails on the way (a full
// disk half way through the bytes, a failed flush, close or rename).
TEST_F(SaveBindingsTest, ASaveThatFailsReturnsFalseAndKeepsThePreviousSave)
{
    data.profileName = "Ann";
    data.points = 10;
    ASSERT_TRUE(Run("first = tostring(SaveGame())"));
    EXPECT_EQ(GlobalString("first"), "true");
    const std::string before = SlotFile(0);
    ASSERT_FALSE(before.empty());

    const platform::ReplaceStage stages[] = {platform::ReplaceStage::Open, platform::ReplaceStage::Write,
                                             platform::ReplaceStage::SyncFile, platform::ReplaceStage::Close,
                                             platform::ReplaceStage::Rename};
    const char* const writes[] = {"SaveGame()", "NewPlayer('Bo')", "DeleteSave('save0.sav')"};
    for (platform::ReplaceStage stage : stages) {
        for (const char* write : writes) {
            SCOPED_TRACE(std::string(write) + " failing at stage " + std::to_string(static_cast<int>(stage)));
            data.points += 1;
            platform::PlanReplaceFailure(stage);
            ASSERT_TRUE(Run(std::string("result = tostring(") + write + ")"));
            EXPECT_EQ(GlobalString("result"), "false");
            EXPECT_EQ(SlotFile(0), before);
            EXPECT_FALSE(folder.Exists("DATA/Saves/save0.sav.partial"));
        }
    }
    platform::PlanReplaceFailure(platform::ReplaceStage::None);
    // Once the writer works again, so does the save.
    ASSERT_TRUE(Run("result = tostring(SaveGame())"));
    EXPECT_EQ(GlobalString("result"), "true");
    EXPECT_NE(SlotFile(0), before);

    ScratchFolder blocked;
    blocked.Write("DATA/Saves", "a file where the folder should be");
    blocked.UseAsDataRoot();
    ASSERT_TRUE(Run("saved = tostring(SaveGame()); player = tostring(NewPlayer('Cy'));"
                    "deleted = tostring(DeleteSave('save2.sav'))"));
    EXPECT_EQ(GlobalString("saved"), "false");
    EXPECT_EQ(GlobalString("player"), "false");
    EXPECT_EQ(GlobalString("deleted"), "false");
    EXPECT_EQ(blocked.Read("DATA/Saves"), "a file where the folder should be");
}

TEST_F(SaveBindingsTest, WithoutGameDataTheFunctionsLogAndDoNothing)
{
    ServiceOverride<GetGameData, SetGameData> noGameData(nullptr);
    ASSERT_TRUE(Run("SaveGame(); LoadGame('save0.sav'); NewPlayer('x'); SetProfileName('y')"));
    EXPECT_FALSE(folder.Exists("DATA/Saves/save0.sav"));
    EXPECT_TRUE(log.Contains("SaveGame: there is no game data")) << log.Text();
}
