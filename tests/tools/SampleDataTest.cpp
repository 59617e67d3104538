// The sample data is made by the project's own generators: running
// scripts/make-sample-data.sh again must give the bytes that are checked
// in, file for file, with nothing missing and nothing left over.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/ScratchFolder.h"
#include "support/ToolPath.h"

namespace fs = std::filesystem;

namespace {

const char* const kGenerators[] = {"samplesounds", "samplemusic",     "sampletrack",    "samplecars",
                                   "sampleart",    "sampleinterface", "samplegamedata", "rslevel",
                                   "rsmesh",       "rspack"};

std::vector<char> ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every file below the folder by its path relative to it, except the
// scripts, which are written by hand, and what playing the sample leaves
// behind: the log and the profiles saved to the save slots.
std::map<std::string, fs::path> FilesBelow(const fs::path& folder)
{
    std::map<std::string, fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file())
            continue;
        const std::string relative = fs::relative(entry.path(), folder).generic_string();
        const bool saved = relative.rfind("Data/Saves/", 0) == 0 && entry.path().extension() == ".sav";
        if (relative.rfind("Data/Scripts/", 0) == 0 || relative == "log.txt" || saved)
            continue;
        files[relative] = entry.path();
    }
    return files;
}

std::vector<std::string> Keys(const std::map<std::string, fs::path>& files)
{
    std::vector<std::string> keys;
    for (const auto& entry : files)
        keys.push_back(entry.first);
    return keys;
}

} // namespace

TEST(SampleData, IsWhatTheGeneratorsMake)
{
    for (const char* generator : kGenerators)
        if (ToolPath(generator).empty())
            GTEST_SKIP() << generator << " is not built";

    ScratchFolder folder;
    const fs::path bin = fs::path(ToolPath("rspack")).parent_path();
    const std::string command = "bash \"" + std::string(RS_SOURCE_DIR) + "/scripts/make-sample-data.sh\" \"" +
                                folder.GetPath() + "\" \"" + bin.string() + "\" > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    const fs::path checkedIn = fs::path(RS_SOURCE_DIR) / "data" / "sample";
    const std::map<std::string, fs::path> made = FilesBelow(folder.GetPath());
    const std::map<std::string, fs::path> kept = FilesBelow(checkedIn);
    ASSERT_EQ(Keys(made), Keys(kept)) << "run scripts/make-sample-data.sh and commit the result";
    for (const auto& entry : made) {
        SCOPED_TRACE(entry.first);
        EXPECT_TRUE(ReadAll(entry.second) == ReadAll(kept.at(entry.first)))
            << "run scripts/make-sample-data.sh and commit the result";
    }
}
