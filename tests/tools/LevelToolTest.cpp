// The level builder refuses broken descriptions with the line at fault and
// leaves no level file behind.
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "support/ScratchFolder.h"
#include "support/ToolPath.h"

namespace {

struct Outcome {
    int status = -1;
    std::string output;
};

Outcome BuildLevel(const ScratchFolder& folder, const std::string& description)
{
    folder.Write("level.txt", description);
    const std::string command = "\"" + ToolPath("rslevel") + "\" \"" + folder.Path("level.txt") + "\" \"" +
                                folder.Path("out.lvl") + "\" > \"" + folder.Path("output.txt") + "\" 2>&1";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, folder.Read("output.txt")};
}

} // namespace

TEST(LevelTool, BrokenDescriptionsAreRefusedWithTheLine)
{
    if (ToolPath("rslevel").empty())
        GTEST_SKIP() << "rslevel is not built";
    const struct Case {
        const char* description;
        const char* message;
    } cases[] = {
        {"object player 1 2\n", "line 1: object needs 3, 7 or 10 numbers"},
        {"object player 1 2 3 4\n", "line 1: object needs 3, 7 or 10 numbers"},
        {"object player 1 2 x\n", "line 1: object needs 3, 7 or 10 numbers"},
        {"object\n", "line 1: object needs a name"},
        {"\nheader 1 2 3\n", "line 2: header needs 4 numbers"},
        {"lights -1\n", "line 1: lights needs a count of 0 or more"},
        {"spline c_path round\nend\n", "line 1: spline needs a name and open or closed"},
        {"spline c_path open\n  line 0 0 0 1 1\nend\n", "line 2: line needs 6 numbers"},
        {"spline c_path open\n  segment 0 0 0\nend\n", "line 2: segment needs 12 numbers"},
        {"spline c_path open\n  object a 1 2 3\nend\n", "line 2: \"object\" inside a spline"},
        {"spline c_path open\n  line 0 0 0 1 1 1\n", "the spline \"c_path\" has no end"},
        {"tree 1 2 3\n", "line 1: unknown statement \"tree\""},
    };
    ScratchFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        const Outcome outcome = BuildLevel(folder, c.description);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_NE(outcome.output.find(c.message), std::string::npos) << outcome.output;
        EXPECT_FALSE(folder.Exists("out.lvl"));
    }
    // Comments and blank lines are passed over; a good description builds.
    const Outcome good = BuildLevel(folder, "# a level\n\nobject player 1 2 3 # the start\n");
    EXPECT_EQ(good.status, 0) << good.output;
    EXPECT_EQ(folder.Read("out.lvl").size(), 16u + 4 + 4 + (4 + 6 + 40) + 4);
}
