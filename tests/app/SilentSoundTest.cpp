// The game program on a machine where no sound output exists: asked to be
// heard, it plays silently, says so once in its log and prints nothing of
// the sound drivers' on the terminal.
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "support/ScratchFolder.h"

namespace fs = std::filesystem;

namespace {

const std::string kSample = std::string(RS_SOURCE_DIR) + "/data/sample";
constexpr const char* kSilentLine = "No sound can be heard (";

std::size_t CountOf(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace

TEST(SilentSound, NoSoundDeviceGivesOneLogLineAndNothingOnTheTerminal)
{
    ScratchFolder data;
    fs::copy(kSample, data.GetPath(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    ScratchFolder out;
    // ALSA asked for a card that no machine has: the sound library finds
    // no output, which is where ALSA and the library print their errors
    // (the library's at its own default level).
    std::ostringstream command;
    command << "env -u ALSOFT_LOGLEVEL ALSOFT_DRIVERS=alsa ALSA_CARD=rs_no_such_card \"" << RS_GAME_PROGRAM
            << "\" --data \"" << data.GetPath() << "\" --sound --frames 3 > \"" << out.Path("stdout.txt")
            << "\" 2> \"" << out.Path("stderr.txt") << "\"";
    ASSERT_EQ(std::system(command.str().c_str()), 0) << command.str();

    const std::string log = data.Read("log.txt");
    if (CountOf(log, kSilentLine) == 0)
        GTEST_SKIP() << "this machine's ALSA found a sound output all the same";
    EXPECT_EQ(CountOf(log, kSilentLine), 1u) << log;
    EXPECT_NE(log.find("sounds and music play silently"), std::string::npos) << log;
    EXPECT_EQ(out.Read("stderr.txt"), "");
    EXPECT_NE(out.Read("stdout.txt").find("Ran 3 frames"), std::string::npos);
}
