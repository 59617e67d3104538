// Generates the sample game data: the starting car configuration
// (player.dat), the difficulty coefficients (coeff.dat), a best-time table
// (scores.dat, scrambled as the game writes it), the texts of the screens
// (texts.txt), what the shop sells (shop.txt), the save folder, and beside the data folder the key
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
// its count, equipment 1 and 2. The sample car starts with the roof gun
// and one super weapon; the rest is bought in the shop.
const char kPlayer[] = "mgun\nnone\nnone\nnone\nnone\nnone\nnone\nsmartbomb\n1\nnone\nnone\n";

// First, damage, bonus and level-time coefficients.
const char kCoefficients[] = "1.0\n1.0\n1.0\n1.0\n";

// What the shop sells: one item a line, its kind, its key and its record's
// fields in order. A weapon's are its name text, price, pellets a shot,
// (a value, a count, the damage of a pellet), (a value, shots a full load
// lasts, shots a second), a value, its description text and the mission
// it is first on offer from. The cars carry the guns by name: "mgun" on
// the roof and "rlauncher" behind it.
const char kShop[] = "// kind key name price fields... description first-mission\n"
                     "weapon mgun mgun_name 400 1 0.0 0 6.0 0.0 200 10.0 0.0 mgun_text 1\n"
                     "weapon rlauncher rlauncher_name 1200 1 0.0 0 40.0 0.0 20 1.5 0.0 rlauncher_text 1\n"
                     "mine mine1 mine1_name 300 5 1.0 1.0 5 1.0 1.0 1.0 mine1_text 1\n"
                     "super smartbomb smartbomb_name 500 smartbomb_text 1\n"
                     "bumper bumper1 bumper1_name 250 0.8 bumper1_text 1\n"
                     "equipment nitro1 nitro1_name 350 1.0 nitro1_text 1\n"
                     "armour armour1 armour1_name 600 0.7 armour1_text 1\n"
                     "engine engine1 engine1_name 900 1.1 1.1 1.0 1.0 1.0 engine1_text 2\n";

// The texts the screens show by key; what changes during a race the
// scripts set themselves.
const char kTexts[] = "// Texts of the screens, by the keys their files name\n"
                      "title_main = Road Sprint\n"
                      "menu_start = Start\n"
                      "menu_profile = Profile\n"
                      "menu_shop = Shop\n"
                      "menu_exit = Exit\n"
                      "title_results = Results\n"
                      "menu_continue = Continue\n"
                      "menu_next = Next race\n"
                      "menu_menu = Menu\n"
                      "title_profile = Profiles\n"
                      "menu_new = New\n"
                      "menu_load = Load\n"
                      "menu_delete = Delete\n"
                      "menu_back = Back\n"
                      "title_shop = Shop\n"
                      "menu_buy = Buy\n"
                      "menu_prev = Previous\n"
                      "menu_next_item = Next\n"
                      "title1 = Sunny Ring\n"
                      "title2 = Gloom Loop\n"
                      "mgun_name = Roof gun\n"
                      "mgun_text = Ten shots a second\n"
                      "rlauncher_name = Rockets\n"
                      "rlauncher_text = Twenty rockets\n"
                      "mine1_name = Mines\n"
                      "mine1_text = Five mines\n"
                      "smartbomb_name = Smart bomb\n"
                      "smartbomb_text = Hits everything near\n"
                      "bumper1_name = Ram bumper\n"
                      "bumper1_text = Hits harder\n"
                      "nitro1_name = Nitro\n"
                      "nitro1_text = A push of speed\n"
                      "armour1_name = Armour\n"
                      "armour1_text = Takes less damage\n"
                      "engine1_name = Big engine\n"
                      "engine1_text = More speed\n";

// Driving on the arrow keys, the hand brake on the space bar, firing on
// the left Ctrl key, the next weapon on Tab, the super weapon on X, a mine
// on Z and Escape for the menu ("menu", which the sample scripts handle);
// written as the game writes the file.
const char kActions[] = "accelerate;Accelerate;Up;false\r\n"
                        "brake;Brake;Down;false\r\n"
                        "left;Steer left;Left;false\r\n"
                        "right;Steer right;Right;false\r\n"
                        "handbrake;Hand brake;Space;false\r\n"
                        "fire;Fire;LCtrl;false\r\n"
                        "next_weapon;Next weapon;Tab;false\r\n"
                        "super;Super weapon;X;false\r\n"
                        "mine;Mine;Z;false\r\n"
                        "menu;Menu;Esc;false\r\n";

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
                    sample::WriteFile(data / "shop.txt", kShop) &&
                    sample::WriteFile(data / ".." / "Actions.cfg", kActions) &&
                    sample::WriteFile(data / "Saves" / ".keep", "");
    return ok ? 0 : 1;
}
