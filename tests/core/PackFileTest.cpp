#include "core/PackFile.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/ScratchFolder.h"
#include "core/FileReader.h"
#include "core/FileWriter.h"
#include "core/PackWriter.h"
#include "platform/Random.h"
#include "support/PackFixtures.h"

namespace {

std::vector<std::uint8_t> Text(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<std::uint8_t> RandomBytes(std::size_t count)
{
    std::vector<std::uint8_t> bytes(count);
    for (std::uint8_t& b : bytes)
        b = static_cast<std::uint8_t>(platform::Rand());
    return bytes;
}

std::string Loaded(const CPFileReader& reader)
{
    return std::string(reinterpret_cast<const char*>(reader.GetData()), reader.GetDataSize());
}

class PackFileTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        GetPackFileList().Clear();
        folder.UseAsDataRoot();
    }
    void TearDown() override { GetPackFileList().Clear(); }

    void MakePack(const std::string& name, const std::vector<std::pair<std::string, std::string>>& entries)
    {
        ASSERT_TRUE(WriteTextPack(name, entries));
    }

    ScratchFolder folder;
    LogCapture log;
};

} // namespace

TEST_F(PackFileTest, EntriesComeBackByteForByteWhateverTheFlag)
{
    platform::SeedRand(3);
    const std::vector<std::uint8_t> large = RandomBytes(5000); // crosses the key's period twice
    const std::vector<std::uint8_t> small = RandomBytes(7);
    CPPackWriter writer;
    ASSERT_TRUE(writer.AddEntry("Data\\Meshes\\Car.rdf", large));
    ASSERT_TRUE(writer.AddEntry("data/textures/a.dds", small));
    ASSERT_TRUE(writer.AddEntry("data/empty.txt", {}));
    ASSERT_EQ(writer.Save("game.pak"), S_OK);
    ASSERT_EQ(GetPackFileList().AddPack("game.pak"), S_OK);

    for (bool flag : {false, true}) {
        CPFileReader car("DATA\\MESHES\\CAR.RDF", flag);
        ASSERT_EQ(car.Load(), S_OK);
        EXPECT_EQ(std::vector<std::uint8_t>(car.GetData(), car.GetData() + car.GetDataSize()), large);
        CPFileReader texture("data\\textures\\a.dds", flag);
        ASSERT_EQ(texture.Load(), S_OK);
        EXPECT_EQ(std::vector<std::uint8_t>(texture.GetData(), texture.GetData() + texture.GetDataSize()),
                  small);
        // An empty entry is an empty file, not a failure.
        CPFileReader empty("data\\empty.txt", flag);
        EXPECT_EQ(empty.Load(), S_OK);
        EXPECT_EQ(empty.GetDataSize(), 0u);
    }
    CPFileReader absent("data\\textures\\b.dds", false);
    EXPECT_EQ(absent.Load(), E_FAIL);
    EXPECT_TRUE(log.Contains("\"data\\textures\\b.dds\": it is neither on disk nor in a pack file"));
}

TEST_F(PackFileTest, TableListsNamesOffsetsAndSizesInOrder)
{
    MakePack("t.pak", {{"B.txt", "12345"}, {"Sub\\a.txt", "xy"}});
    std::vector<PackTableEntry> table;
    ASSERT_EQ(ReadPackTable("t.pak", table), S_OK);
    // Header 16, records 4+5+8 and 4+9+8: data starts at 54.
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].name, "b.txt");
    EXPECT_EQ(table[0].place.offset, 54u);
    EXPECT_EQ(table[0].place.size, 5u);
    EXPECT_EQ(table[1].name, "sub\\a.txt");
    EXPECT_EQ(table[1].place.offset, 59u);
    EXPECT_EQ(table[1].place.size, 2u);
    EXPECT_EQ(std::filesystem::file_size(folder.Path("t.pak")), 61u);
}

TEST_F(PackFileTest, DiskWinsOverPackAndEarlierPackWinsOverLater)
{
    MakePack("first.pak", {{"data\\a.txt", "first a"}, {"data\\b.txt", "first b"}});
    MakePack("second.pak", {{"data\\b.txt", "second b"}, {"data\\c.txt", "second c"}});
    ASSERT_EQ(GetPackFileList().AddPack("first.pak"), S_OK);
    ASSERT_EQ(GetPackFileList().AddPack("second.pak"), S_OK);
    folder.Write("Data/A.txt", "disk a");

    const std::pair<const char*, const char*> cases[] = {
        {"Data\\a.txt", "disk a"}, {"Data\\b.txt", "first b"}, {"Data\\c.txt", "second c"}};
    for (const auto& [name, expected] : cases) {
        CPFileReader reader(name, false);
        ASSERT_EQ(reader.Load(), S_OK) << name;
        EXPECT_EQ(Loaded(reader), expected);
    }
}

TEST_F(PackFileTest, PacksOfAFolderAreAddedInNameOrderAndBrokenOnesLeftOut)
{
    folder.Write("Packs/c.pak", "not a pack");
    folder.Write("Packs/notes.txt", "");
    MakePack("Packs/B.pak", {{"x.txt", "from b"}});
    MakePack("Packs/a.PAK", {{"x.txt", "from a"}});
    EXPECT_EQ(GetPackFileList().AddPacks("packs\\*.pak"), 2);
    ASSERT_EQ(GetPackFileList().GetPacks().size(), 2u);
    EXPECT_EQ(GetPackFileList().GetPacks()[0].fileName, "packs\\a.PAK");
    EXPECT_TRUE(log.Contains("\"packs\\c.pak\" not used: it is shorter than a pack header"));

    CPFileReader reader("x.txt", false);
    ASSERT_EQ(reader.Load(), S_OK);
    EXPECT_EQ(Loaded(reader), "from a");
    EXPECT_EQ(GetPackFileList().AddPacks("nowhere\\*.pak"), 0);
}

TEST_F(PackFileTest, AnUnopenablePackIsPassedOverForALaterOne)
{
    MakePack("gone.pak", {{"x.txt", "gone"}});
    MakePack("kept.pak", {{"x.txt", "kept"}});
    ASSERT_EQ(GetPackFileList().AddPack("gone.pak"), S_OK);
    ASSERT_EQ(GetPackFileList().AddPack("kept.pak"), S_OK);
    std::filesystem::remove(folder.Path("gone.pak"));

    CPFileReader reader("X.TXT", false);
    ASSERT_EQ(reader.Load(), S_OK);
    EXPECT_EQ(Loaded(reader), "kept");
    EXPECT_TRUE(log.Contains("\"gone.pak\" lists \"x.txt\" but cannot be opened"));
}

TEST_F(PackFileTest, EntryBeyondAShrunkPackFailsBeforeAllocating)
{
    MakePack("shrunk.pak", {{"big.bin", std::string(1000, 'b')}});
    ASSERT_EQ(GetPackFileList().AddPack("shrunk.pak"), S_OK);
    std::filesystem::resize_file(folder.Path("shrunk.pak"), 500);

    CPFileReader reader("big.bin", false);
    EXPECT_EQ(reader.Load(), E_FAIL);
    EXPECT_EQ(reader.GetDataSize(), 0u);
    EXPECT_TRUE(log.Contains("lies beyond the end of the pack"));
}

namespace {

// Pack bytes written field by field, to break them on purpose.
std::string PackBytes(const char* magic, std::int32_t version, std::int32_t count, std::int32_t tableSize,
                      const std::vector<std::pair<std::int32_t, std::string>>& names, std::uint32_t offset,
                      std::uint32_t size, const std::string& data)
{
    CPFileWriter writer("unused", false);
    writer.WriteBytes(magic, 4);
    writer.WriteInt(version);
    writer.WriteInt(count);
    writer.WriteInt(tableSize);
    for (const auto& [length, name] : names) {
        writer.WriteInt(length);
        writer.WriteBytes(name.data(), static_cast<std::int32_t>(name.size()));
        writer.WriteInt(static_cast<std::int32_t>(offset));
        writer.WriteInt(static_cast<std::int32_t>(size));
    }
    writer.WriteBytes(data.data(), static_cast<std::int32_t>(data.size()));
    return std::string(writer.GetBuffer().begin(), writer.GetBuffer().end());
}

struct BadPack {
    const char* label;
    std::string bytes;
    const char* logged;
};

} // namespace

TEST_F(PackFileTest, BrokenPacksAreRefusedWithALogLine)
{
    const std::string longName(100000, 'n');
    // A valid pack: one entry "a.txt" of 3 bytes at 33, after the 16-byte header and 17-byte table.
    const std::string good = PackBytes("RSPK", 1, 1, 17, {{5, "a.txt"}}, 33, 3, "abc");
    const BadPack cases[] = {
        {"empty file", "", "it is empty"},
        {"shorter than a header", "RSPK\1\0\0", "shorter than a pack header"},
        {"wrong magic", PackBytes("PACK", 1, 1, 17, {{5, "a.txt"}}, 33, 3, "abc"), "not a pack file"},
        {"unknown version", PackBytes("RSPK", 2, 1, 17, {{5, "a.txt"}}, 33, 3, "abc"), "version 2"},
        {"absurd count", PackBytes("RSPK", 1, 0x7FFFFFFF, 17, {{5, "a.txt"}}, 33, 3, "abc"),
         "cannot hold 2147483647 entries"},
        {"negative count", PackBytes("RSPK", 1, -1, 17, {{5, "a.txt"}}, 33, 3, "abc"), "cannot hold"},
        {"table beyond the file", PackBytes("RSPK", 1, 1, 4000, {{5, "a.txt"}}, 33, 3, "abc"), "truncated"},
        {"name longer than any buffer",
         PackBytes("RSPK", 1, 1, 100012, {{100000, longName}}, 100028, 3, "abc"), "name of 100000 bytes"},
        {"name length beyond the table", PackBytes("RSPK", 1, 1, 17, {{200, "a.txt"}}, 33, 3, "abc"),
         "truncated"},
        {"empty name", PackBytes("RSPK", 1, 1, 20, {{0, ""}}, 36, 3, "abcdefghijk"), "name of 0 bytes"},
        {"more entries than records", PackBytes("RSPK", 1, 2, 34, {{5, "a.txt"}}, 50, 3, "abc"), "truncated"},
        {"entry beyond the pack", PackBytes("RSPK", 1, 1, 17, {{5, "a.txt"}}, 33, 4, "abc"),
         "beyond the end"},
        {"data cut off", good.substr(0, good.size() - 1), "beyond the end"},
        {"table cut off", good.substr(0, 25), "truncated"},
    };
    for (const BadPack& c : cases) {
        SCOPED_TRACE(c.label);
        folder.Write("bad.pak", c.bytes);
        const std::size_t logged = log.Text().size();
        EXPECT_EQ(GetPackFileList().AddPack("bad.pak"), E_FAIL);
        EXPECT_TRUE(GetPackFileList().IsEmpty());
        const std::string added = log.Text().substr(logged);
        EXPECT_NE(added.find(c.logged), std::string::npos) << added;
    }
    EXPECT_EQ(GetPackFileList().AddPack("missing.pak"), E_FAIL);
    EXPECT_TRUE(log.Contains("\"missing.pak\" not used: it cannot be opened"));

    folder.Write("good.pak", good);
    ASSERT_EQ(GetPackFileList().AddPack("good.pak"), S_OK);
}

TEST_F(PackFileTest, WriterRefusesNamesThatCannotBeStored)
{
    CPPackWriter writer;
    EXPECT_TRUE(writer.AddEntry("Data\\A.txt", Text("a")));
    EXPECT_FALSE(writer.AddEntry("data/a.TXT", Text("b"))); // the same entry name
    EXPECT_FALSE(writer.AddEntry("", Text("c")));
    EXPECT_FALSE(writer.AddEntry(std::string(300, 'n'), Text("d")));
    EXPECT_EQ(writer.GetCount(), 1u);
}

TEST(PackEntryName, NamesAreLowerCaseWithBackslashes)
{
    EXPECT_EQ(PackEntryName("Data/Levels\\Level1.LVL"), "data\\levels\\level1.lvl");
    EXPECT_EQ(PackEntryName(".\\Data\\x"), "data\\x");
    EXPECT_EQ(PackEntryName("\\Clouds\\a.txt"), "clouds\\a.txt");
}
