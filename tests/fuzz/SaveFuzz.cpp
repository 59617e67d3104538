// Save games: the profile, the slot and the race records read back.
#include "FuzzSupport.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "game/GameData.h"

std::vector<std::string> FuzzSeeds()
{
    CPGameData data;
    data.SetProfile("ANNA");
    std::vector<std::string> seeds;
    std::filesystem::create_directories(FuzzRoot() + "/DATA/Saves");
    if (data.WriteSave("save0.sav")) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(FuzzRoot())) {
            if (entry.path().extension() != ".sav")
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    WriteFuzzFile("DATA/Saves/save1.sav", data, size);
    CPGameData game;
    game.SetProfile("ANNA");
    game.LoadSave("save1.sav");
    return 0;
}
