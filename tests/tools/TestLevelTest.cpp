// A small test level (tests/fixtures/level) is made by the project's own
// builders from its descriptions in tests/fixtures/level-src, and the game
// host loads, starts and steps it.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/ScratchFolder.h"
#include "support/ToolPath.h"

namespace fs = std::filesystem;

namespace {

std::vector<char> ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs the command; its exit status, with its output in `output`.
int RunCommand(const std::string& command, const ScratchFolder& folder, std::string& output)
{
    const std::string file = folder.Path("output.txt");
    const int status = std::system((command + " > \"" + file + "\" 2>&1").c_str());
    output = folder.Read("output.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const fs::path kSource = fs::path(RS_FIXTURES_DIR) / "level-src";
const fs::path kSample = fs::path(RS_FIXTURES_DIR) / "level";

} // namespace

TEST(TestLevel, FilesAreWhatTheBuildersMake)
{
    const std::string level = ToolPath("rslevel");
    const std::string mesh = ToolPath("rsmesh");
    if (level.empty() || mesh.empty())
        GTEST_SKIP() << "the builders are not built";
    ScratchFolder folder;
    const struct Build {
        std::string tool;
        const char* description;
        const char* built; // below the fixture folder
    } builds[] = {
        {level, "sample.level.txt", "Data/Levels/sample.lvl"},
        {mesh, "track.mesh.txt", "Data/Meshes/track.msh"},
        {mesh, "road.mesh.txt", "Data/Meshes/road.msh"},
        {mesh, "box.mesh.txt", "Data/Meshes/box.msh"},
        {mesh, "car.mesh.txt", "Data/Meshes/car.p3d"},
    };
    for (const Build& build : builds) {
        SCOPED_TRACE(build.description);
        const fs::path out = fs::path(folder.GetPath()) / "built";
        std::string output;
        ASSERT_EQ(RunCommand("\"" + build.tool + "\" \"" + (kSource / build.description).string() + "\" \"" +
                                 out.string() + "\"",
                             folder, output),
                  0)
            << output;
        const std::vector<char> expected = ReadAll(kSample / build.built);
        ASSERT_FALSE(expected.empty()) << build.built;
        EXPECT_TRUE(ReadAll(out) == expected) << "build it again with rslevel or rsmesh from its description";
    }
}

TEST(TestLevel, GameHostLoadsStartsAndStepsALevelByName)
{
    const std::string host = ToolPath("_exRoadSprint");
    if (host.empty())
        GTEST_SKIP() << "the game host is not built";
    // The host writes its log beside the data, so it runs on a copy.
    ScratchFolder folder;
    const fs::path data = fs::path(folder.GetPath()) / "data";
    fs::copy(kSample, data, fs::copy_options::recursive);
    const std::string run = "\"" + host + "\" --data \"" + data.string() + "\" --frames 30 --level ";

    std::string output;
    EXPECT_EQ(RunCommand(run + "sample", folder, output), 0) << output;
    EXPECT_NE(output.find("Level \"sample\" started."), std::string::npos) << output;
    EXPECT_NE(output.find("Ran 30 frames"), std::string::npos) << output;

    EXPECT_EQ(RunCommand(run + "nowhere", folder, output), 1) << output;
    EXPECT_NE(output.find("The level \"nowhere\" could not be loaded"), std::string::npos) << output;
    std::ifstream log(data / "log.txt");
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Level file \"Data\\Levels\\nowhere.lvl\": cannot be read"), std::string::npos)
        << text;
}
