#include "platform/FileSystem.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/ScratchFolder.h"

using namespace platform;

namespace {

class FileSystemTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        folder.Write("data/levels/level1.lvl", "lvl");
        folder.Write("Data2/Textures/Wood.JPG", "jpg");
        folder.Write("same/Same.txt", "upper");
        folder.Write("same/same.txt", "lower");
        folder.UseAsDataRoot();
    }

    ScratchFolder folder;
};

struct ResolveCase {
    const char* name;
    const char* expected; // relative to the folder, or null when it must not resolve
};

} // namespace

TEST_F(FileSystemTest, WindowsNamesFindFilesWithoutRegardForCase)
{
    const ResolveCase cases[] = {
        {"Data\\Levels\\Level1.LVL", "data/levels/level1.lvl"},
        {"DATA\\LEVELS\\LEVEL1.LVL", "data/levels/level1.lvl"},
        {"data/levels/level1.lvl", "data/levels/level1.lvl"},
        {"\\Data\\Levels\\level1.lvl", "data/levels/level1.lvl"},
        {".\\data\\\\levels\\level1.lvl", "data/levels/level1.lvl"},
        {"data2\\textures\\wood.jpg", "Data2/Textures/Wood.JPG"},
        {"same\\same.txt", "same/same.txt"}, // the exact name wins
        {"same\\Same.txt", "same/Same.txt"},
        {"same\\SAME.TXT", "same/Same.txt"}, // neither exact: the first in folded order
        {"data\\levels\\level2.lvl", nullptr},
        {"data\\levels\\level1.lvl\\more", nullptr},
        {"nowhere\\level1.lvl", nullptr},
    };
    // Folders read from kept listings resolve every name as folders read
    // afresh do, asked twice so the second answer comes from the listing.
    for (bool kept : {false, true}) {
        std::unique_ptr<FolderListingScope> scope(kept ? new FolderListingScope : nullptr);
        for (int pass = 0; pass < 2; ++pass) {
            for (const ResolveCase& c : cases) {
                SCOPED_TRACE(std::string(c.name) + (kept ? ", listings kept" : ""));
                std::string hostPath;
                bool found = ResolveExistingPath(c.name, hostPath);
                ASSERT_EQ(found, c.expected != nullptr);
                if (c.expected) {
                    EXPECT_EQ(hostPath, folder.Path(c.expected));
                }
            }
        }
    }
}

TEST_F(FileSystemTest, KeptFolderListingsGoWithTheirScope)
{
    std::string hostPath;
    {
        const FolderListingScope outer;
        EXPECT_FALSE(ResolveExistingPath("Data\\Sounds\\Engine.wav", hostPath));
        {
            const FolderListingScope inner;
        }
        // The inner scope owned nothing: the listing of data/ is still
        // the one made before the folder below was created.
        folder.Write("data/SOUNDS/engine.wav", "wav");
        EXPECT_FALSE(ResolveExistingPath("Data\\Sounds\\Engine.wav", hostPath));
    }
    ASSERT_TRUE(ResolveExistingPath("Data\\Sounds\\Engine.wav", hostPath));
    EXPECT_EQ(hostPath, folder.Path("data/SOUNDS/engine.wav"));
}

TEST_F(FileSystemTest, AReadOnlyFileReadsAtOffsetsAndRefusesFoldersAndMissingFiles)
{
    const ReadOnlyFile file("DATA\\Levels\\LEVEL1.lvl");
    ASSERT_TRUE(file.IsOpen());
    std::uint64_t size = 0;
    ASSERT_TRUE(file.Measure(size));
    EXPECT_EQ(size, 3u);
    char bytes[4] = {};
    EXPECT_EQ(file.ReadAt(1, bytes, 2), 2u);
    EXPECT_EQ(std::string(bytes, 2), "vl");
    // At the end of the file the read comes back short.
    EXPECT_EQ(file.ReadAt(2, bytes, 4), 1u);
    EXPECT_EQ(bytes[0], 'l');
    EXPECT_EQ(file.ReadAt(9, bytes, 4), 0u);
    for (const char* refused : {"data\\levels", "data\\levels\\level9.lvl", ""}) {
        const ReadOnlyFile other(refused);
        EXPECT_FALSE(other.IsOpen()) << refused;
        EXPECT_FALSE(other.Measure(size)) << refused;
        EXPECT_EQ(other.ReadAt(0, bytes, 1), 0u) << refused;
    }
}

TEST_F(FileSystemTest, AbsoluteHostPathsIgnoreTheDataRoot)
{
    std::string hostPath;
    ASSERT_TRUE(ResolveExistingPath(folder.Path("DATA/Levels/LEVEL1.lvl"), hostPath));
    EXPECT_EQ(hostPath, folder.Path("data/levels/level1.lvl"));
}

TEST_F(FileSystemTest, WritesGoToTheExistingFileElseToTheGivenName)
{
    EXPECT_EQ(ResolveWritePath("DATA\\Levels\\LEVEL1.LVL"), folder.Path("data/levels/level1.lvl"));
    // Existing folders are found, the new file keeps the given case.
    EXPECT_EQ(ResolveWritePath("DATA\\Levels\\New.Dat"), folder.Path("data/levels/New.Dat"));
    EXPECT_EQ(ResolveWritePath("Saves\\Slot\\save0.sav"), folder.Path("Saves/Slot/save0.sav"));
}

TEST_F(FileSystemTest, OpenFileReadsResolvedFilesAndRefusesFolders)
{
    std::FILE* file = OpenFile("DATA\\LEVELS\\LEVEL1.LVL", "rb");
    ASSERT_NE(file, nullptr);
    char text[4] = {};
    EXPECT_EQ(std::fread(text, 1, 3, file), 3u);
    std::fclose(file);
    EXPECT_STREQ(text, "lvl");

    EXPECT_EQ(OpenFile("Data\\Levels", "rb"), nullptr);
    EXPECT_EQ(OpenFile("Data\\Levels\\missing.lvl", "rb"), nullptr);
    EXPECT_EQ(OpenFile("Data\\Levels", "wb"), nullptr);
}

TEST_F(FileSystemTest, ReplaceFileContentsReplacesWholeAndLeavesNoTemporaryFile)
{
    namespace fs = std::filesystem;
    const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(folder.Path("data/levels/level1.lvl"), mode);
    ASSERT_TRUE(ReplaceFileContents("DATA\\LEVELS\\LEVEL1.LVL", "replaced", 8));
    EXPECT_EQ(folder.Read("data/levels/level1.lvl"), "replaced");
    EXPECT_EQ(fs::status(folder.Path("data/levels/level1.lvl")).permissions(), mode);
    ASSERT_TRUE(ReplaceFileContents("Data\\Levels\\Level1.lvl", "", 0));
    EXPECT_EQ(folder.Read("data/levels/level1.lvl"), "");
    EXPECT_FALSE(folder.Exists("data/levels/level1.lvl.partial"));

    EXPECT_FALSE(ReplaceFileContents("missing\\folder\\x.dat", "x", 1));
    EXPECT_FALSE(ReplaceFileContents("data\\levels", "x", 1));
}

TEST_F(FileSystemTest, AReplacementThatFailsAtAnyStageLeavesNoBrokenFile)
{
    const std::string old = "the old save, whole";
    const std::string replacement(100000, 'n'); // more than one write's worth
    const struct {
        ReplaceStage stage;
        bool replaced; // the new file has taken the name when the failure comes
    } cases[] = {
        {ReplaceStage::Open, false},  {ReplaceStage::Write, false},  {ReplaceStage::SyncFile, false},
        {ReplaceStage::Close, false}, {ReplaceStage::Rename, false}, {ReplaceStage::SyncFolder, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.stage));
        folder.Write("data/save0.sav", old);
        PlanReplaceFailure(c.stage);
        EXPECT_FALSE(ReplaceFileContents("Data\\Save0.sav", replacement.data(), replacement.size()));
        EXPECT_EQ(folder.Read("data/save0.sav"), c.replaced ? replacement : old);
        EXPECT_FALSE(folder.Exists("data/save0.sav.partial"));
        // The plan is spent: the next replacement goes through.
        EXPECT_TRUE(ReplaceFileContents("Data\\Save0.sav", "next", 4));
        EXPECT_EQ(folder.Read("data/save0.sav"), "next");
    }
}

TEST(Wildcard, MatchesStarAndQuestionMarkWithoutRegardForCase)
{
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"*.lvl", "level1.LVL", true},
        {"*.lvl", "level1.lvlx", false},
        {"level?.lvl", "level1.lvl", true},
        {"level?.lvl", "level10.lvl", false},
        {"level?.lvl", "level.lvl", false},
        {"*", "anything", true},
        {"a*b*c", "axxbyyc", true},
        {"a*b*c", "axxbyy", false},
        {"*a", "banana", true},
        {"*.*", "readme", true},
        {"save*.*", "save0", true},
        {"save*.sav", "save0", false},
        {"sky*.txt", "Skyscape1.TXT", true},
        {"??", "abc", false},
        {"", "a", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches) << c.pattern << " / " << c.name;
}

TEST_F(FileSystemTest, FileSearchListsMatchesInFoldedNameOrder)
{
    folder.Write("data/levels/B.lvl", "");
    folder.Write("data/levels/a.LVL", "");
    folder.Write("data/levels/c.txt", "");
    folder.Write("data/levels/sub.lvl/inner", "");

    FileSearch search;
    FindData data;
    std::vector<std::string> names;
    for (bool more = search.First("DATA\\Levels\\*.lvl", data); more; more = search.Next(data))
        names.push_back(data.fileName + (data.isDirectory ? "/" : ""));
    EXPECT_EQ(names, (std::vector<std::string>{"a.LVL", "B.lvl", "level1.lvl", "sub.lvl/"}));

    EXPECT_FALSE(search.First("data\\levels\\*.xyz", data));
    EXPECT_FALSE(search.IsOpen());
    EXPECT_FALSE(search.First("missing\\*.lvl", data));
}
