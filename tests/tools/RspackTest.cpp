// Runs the packer program built beside the tests and reads its packs back.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/ToolPath.h"

#include "core/FileReader.h"
#include "core/PackFile.h"
#include "platform/Random.h"
#include "support/ScratchFolder.h"

namespace fs = std::filesystem;

namespace {

std::string PackerPath() { return ToolPath("rspack"); }

int RunPacker(const std::string& arguments, const std::string& output)
{
    const std::string command = "\"" + PackerPath() + "\" " + arguments + " > \"" + output + "\" 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

class RspackTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        if (PackerPath().empty())
            GTEST_SKIP() << "the packer program is not built";
        GetPackFileList().Clear();
        folder.UseAsDataRoot();
    }
    void TearDown() override { GetPackFileList().Clear(); }

    ScratchFolder folder;
    LogCapture log;
};

} // namespace

TEST_F(RspackTest, PackOfAFolderReadsBackByteForByte)
{
    platform::SeedRand(11);
    std::string mesh(4000, '\0');
    for (char& c : mesh)
        c = static_cast<char>(platform::Rand());
    folder.Write("src/Meshes/Car.RDF", mesh);
    folder.Write("src/Levels/level1.lvl", "level one");
    folder.Write("src/readme.txt", "r");

    const std::string pack = folder.Path("game.pak");
    ASSERT_EQ(RunPacker("build " + Quoted(pack) + " " + Quoted(folder.Path("src")) + " Data",
                        folder.Path("build.out")),
              0)
        << folder.Read("build.out");
    ASSERT_EQ(GetPackFileList().AddPack("game.pak"), S_OK);

    const std::pair<const char*, std::string> expected[] = {{"Data\\Meshes\\car.rdf", mesh},
                                                            {"DATA\\LEVELS\\LEVEL1.LVL", "level one"},
                                                            {"data\\readme.txt", "r"}};
    for (const auto& [name, bytes] : expected) {
        CPFileReader reader(name, false);
        ASSERT_EQ(reader.Load(), S_OK) << name;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(reader.GetData()), reader.GetDataSize()), bytes);
    }

    // Names in byte order; header and table take 16 + (4+22+8) + (4+19+8) + (4+15+8) = 108 bytes.
    ASSERT_EQ(RunPacker("list " + Quoted(pack), folder.Path("list.out")), 0);
    EXPECT_EQ(folder.Read("list.out"), "data\\levels\\level1.lvl 108 9\n"
                                       "data\\meshes\\car.rdf 117 4000\n"
                                       "data\\readme.txt 4117 1\n");
}

TEST_F(RspackTest, BadArgumentsAndBrokenPacksFail)
{
    EXPECT_EQ(RunPacker("", folder.Path("out")), 2);
    EXPECT_EQ(RunPacker("build " + Quoted(folder.Path("x.pak")) + " " + Quoted(folder.Path("missing")),
                        folder.Path("out")),
              1);
    folder.Write("broken.pak", "RSPK");
    EXPECT_EQ(RunPacker("list " + Quoted(folder.Path("broken.pak")), folder.Path("out")), 1);
    EXPECT_NE(folder.Read("out").find("not a readable pack file"), std::string::npos);
}
