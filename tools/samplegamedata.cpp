// Generates the sample game data: the starting car configuration
// (player.dat), the difficulty coefficients (coeff.dat), a best-time table
// (scores.dat, scrambled as the game writes it), the texts of the screens
// (texts.txt), the save folder, and beside the data folder the key
// bindings (Actions.cfg). The same bytes on every run.
//   samplegamedata DATA_FOLDER
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "SampleFiles.h"
#include "core/FileWriter.h"

namespace fs = std::filesystem;

namespace {

// Eleven lines: weapons 1 to 3, mine, armour, bumper, engine, super weapon,
// its count, equipment 1 and 2. The sample car starts with nothing fitted.
const char kPlayer[] = "none\nnone\nnone\nnone\nnone\nnone\nnone\nnone\n0\nnone\nnone\n";

// First, damage, bonus and level-time coefficients.
const char kCoefficients[] = "1.0\n1.0\n1.0\n1.0\n";

// The texts the screens show by key; what changes during a race the
// scripts set themselves.
const char kTexts[] = "// Texts of the screens, by the keys their files name\n"
                      "title_main = Road Sprint\n"
                      "menu_start = Start\n"
                      "menu_profile = Profile\n"
                      "menu_exit = Exit\n"
                      "title_results = Results\n"
                      "menu_continue = Continue\n";

// Driving on the arrow keys, the hand brake on the space bar; written as
// the game writes the file.
const char kActions[] = "accelerate;Accelerate;Up;false\r\n"
                        "brake;Brake;Down;false\r\n"
                        "left;Steer left;Left;false\r\n"
                        "right;Steer right;Right;false\r\n"
                        "handbrake;Hand brake;Space;false\r\n";

struct BestTime {
    std::int32_t track;
    const char* name;
    std::int32_t minutes;
    std::int32_t seconds;
    std::int32_t hundredths;
};

const BestTime kBestTimes[] = {
    {0, "Ada", 2, 48, 12},  {0, "Boris", 2, 55, 40}, {0, "Chen", 3, 2, 5},
    {0, "Dana", 3, 10, 77}, {0, "Emil", 3, 21, 0},
};

bool WriteScores(const fs::path& path)
{
    CPFileWriter writer(path.string(), true);
    for (const BestTime& time : kBestTimes) {
        writer.WriteInt(time.track);
        writer.WriteString(time.name);
        writer.WriteInt(time.minutes);
        writer.WriteInt(time.seconds);
        writer.WriteInt(time.hundredths);
    }
    if (writer.Save() == 0)
        return true;
    std::fprintf(stderr, "Cannot write \"%s\"\n", path.string().c_str());
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C");
    if (argc != 2) {
        std::fprintf(stderr, "Usage: samplegamedata DATA_FOLDER\n");
        return 2;
    }
    const fs::path data = argv[1];
    // The game writes its saves into Saves; the empty file keeps the folder.
    const bool ok = sample::WriteFile(data / "player.dat", kPlayer) &&
                    sample::WriteFile(data / "coeff.dat", kCoefficients) &&
                    WriteScores(data / "scores.dat") && sample::WriteFile(data / "texts.txt", kTexts) &&
                    sample::WriteFile(data / ".." / "Actions.cfg", kActions) &&
                    sample::WriteFile(data / "Saves" / ".keep", "");
    return ok ? 0 : 1;
}
