// The sample data's packs are made by the project's own generators: building
// them again must give the bytes that are checked in.
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

bool RunQuietly(const std::string& command)
{
    return std::system((command + " > /dev/null 2>&1").c_str()) == 0;
}

} // namespace

TEST(SampleData, SoundPackIsWhatTheGeneratorsMake)
{
    const fs::path generator = ToolPath("samplesounds");
    const fs::path packer = ToolPath("rspack");
    if (generator.empty() || packer.empty())
        GTEST_SKIP() << "the generator programs are not built";

    ScratchFolder folder;
    const fs::path sounds = fs::path(folder.GetPath()) / "sounds";
    const fs::path pack = fs::path(folder.GetPath()) / "sounds.pak";
    fs::create_directories(sounds);
    ASSERT_TRUE(RunQuietly("\"" + generator.string() + "\" \"" + sounds.string() + "\""));
    ASSERT_TRUE(RunQuietly("cd \"" + folder.GetPath() + "\" && \"" + packer.string() + "\" build \"" +
                           pack.string() + "\" \"" + sounds.string() + "\" 'data\\sounds'"));

    const fs::path checkedIn = fs::path(RS_SOURCE_DIR) / "data" / "sample" / "sounds.pak";
    const std::vector<char> expected = ReadAll(checkedIn);
    ASSERT_FALSE(expected.empty()) << checkedIn;
    EXPECT_TRUE(ReadAll(pack) == expected) << "run scripts/make-sample-data.sh and commit the result";
}
