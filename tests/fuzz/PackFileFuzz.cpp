// Pack files: the header and table read when a pack joins the list, then
// every entry it lists read back through the data-file reader.
#include "FuzzSupport.h"

#include <fstream>
#include <iterator>

#include "core/FileReader.h"
#include "core/PackFile.h"
#include "core/PackWriter.h"

std::vector<std::string> FuzzSeeds()
{
    std::vector<std::string> seeds;
    const char* path = "seed.pak";
    CPPackWriter writer;
    writer.AddEntry("Data\\Levels\\a.txt", {'1', ' ', '2', '\n'});
    writer.AddEntry("data\\sounds\\b.wav", std::vector<std::uint8_t>(40, 7));
    writer.AddEntry("empty.dat", {});
    if (writer.Save(path) == S_OK) {
        std::ifstream in(FuzzRoot() + "/" + path, std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    WriteFuzzFile("input.pak", data, size);
    std::vector<PackTableEntry> table;
    if (ReadPackTable("input.pak", table) != S_OK)
        return 0;
    PackFileList& list = GetPackFileList();
    list.Clear();
    if (list.AddPack("input.pak") == S_OK) {
        for (const PackTableEntry& entry : table) {
            CPFileReader reader(entry.name, false);
            reader.Load();
        }
    }
    list.Clear();
    return 0;
}
