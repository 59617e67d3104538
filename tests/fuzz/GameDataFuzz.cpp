// Game data files: a mission list, player.dat, coeff.dat and scores.dat,
// apart by "----" lines in the input.
#include "FuzzSupport.h"

#include <fstream>
#include <iterator>

#include "game/GameData.h"
#include "game/SourcePositions.h"

std::vector<std::string> FuzzSeeds()
{
    CPGameData data;
    data.SaveScores();
    std::ifstream in(FuzzRoot() + "/Data/scores.dat", std::ios::binary);
    const std::string scores((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return {JoinParts(
        {"1 2 3 4 a,1 5 b,1\n6 7 8 9 c,2\nsources\ngate north\n", "jeep 1 2 3\n", "1.5 2 0.5\n", scores})};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> parts = SplitInput(data, size, 4);
    WriteFuzzFile("Data/Levels/mission.txt", parts[0]);
    WriteFuzzFile("Data/player.dat", parts[1]);
    WriteFuzzFile("Data/coeff.dat", parts[2]);
    WriteFuzzFile("Data/scores.dat", parts[3]);
    CPGameData game;
    CPSourcePositions positions;
    positions["gate"] = {1, 2, 3};
    game.LoadMissionInfo("mission.txt", &positions);
    game.LoadMissionInfo("mission.txt", nullptr);
    game.LoadPlayer();
    game.LoadDifficulty();
    game.LoadScores();
    return 0;
}
