// The text table ("texts.txt"): the screens' texts, item names and
// mission titles, as "key = value" lines.
#include "FuzzSupport.h"

#include "game/GameData.h"

std::vector<std::string> FuzzSeeds()
{
    return {"menu_title = MAIN MENU\nstart = Start game\r\n// a comment\n[section]\nempty =\n= no key\n"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    WriteFuzzFile("Data/texts.txt", data, size);
    CPGameData game;
    game.LoadTexts(CPGameData::kTextFile);
    return 0;
}
