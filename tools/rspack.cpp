// Builds a pack file from a folder, or lists the entries of one.
//   rspack build PACK FOLDER [PREFIX]   every file under FOLDER, named by its
//                                       path below FOLDER (after PREFIX\)
//   rspack list PACK                    one line per entry: name, offset, size
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "core/PackFile.h"
#include "core/PackWriter.h"

namespace fs = std::filesystem;

namespace {

void PrintUsage()
{
    std::fprintf(stderr, "Usage: rspack build PACK FOLDER [PREFIX]\n"
                         "       rspack list PACK\n"
                         "Entry names are the files' paths below FOLDER, lower-cased, with\n"
                         "backslashes between folders and PREFIX in front when given.\n"
                         "The reasons for failures are written to the log (log.txt).\n");
}

bool ReadWholeFile(const fs::path& path, std::vector<std::uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// The regular files below a folder, by their path relative to it.
bool CollectFiles(const fs::path& folder, std::vector<fs::path>& files)
{
    std::error_code error;
    fs::recursive_directory_iterator it(folder, error), end;
    for (; !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error))
            files.push_back(fs::relative(it->path(), folder, error));
    }
    if (error) {
        std::fprintf(stderr, "Cannot list \"%s\": %s\n", folder.string().c_str(), error.message().c_str());
        return false;
    }
    return true;
}

std::string EntryName(const std::string& prefix, const fs::path& relative)
{
    std::string name = prefix;
    for (const fs::path& part : relative) {
        if (!name.empty())
            name += '\\';
        name += part.string();
    }
    return name;
}

int Build(const std::string& packName, const fs::path& folder, const std::string& prefix)
{
    std::vector<fs::path> files;
    if (!CollectFiles(folder, files))
        return 1;
    // Entries go in the order of their names, so a pack of the same folder
    // always comes out the same.
    std::vector<std::pair<std::string, fs::path>> entries;
    for (const fs::path& relative : files)
        entries.emplace_back(PackEntryName(EntryName(prefix, relative)), relative);
    std::sort(entries.begin(), entries.end());
    CPPackWriter writer;
    for (const auto& [name, relative] : entries) {
        std::vector<std::uint8_t> bytes;
        if (!ReadWholeFile(folder / relative, bytes)) {
            std::fprintf(stderr, "Cannot read \"%s\"\n", (folder / relative).string().c_str());
            return 1;
        }
        if (!writer.AddEntry(name, std::move(bytes))) {
            std::fprintf(stderr, "Cannot add \"%s\": the name is too long or taken, or the pack is full\n",
                         name.c_str());
            return 1;
        }
    }
    if (Failed(writer.Save(packName))) {
        std::fprintf(stderr, "Cannot write \"%s\"\n", packName.c_str());
        return 1;
    }
    std::printf("%zu entries written to %s\n", writer.GetCount(), packName.c_str());
    return 0;
}

int List(const std::string& packName)
{
    std::vector<PackTableEntry> table;
    if (Failed(ReadPackTable(packName, table))) {
        std::fprintf(stderr, "\"%s\" is not a readable pack file (see log.txt)\n", packName.c_str());
        return 1;
    }
    for (const PackTableEntry& entry : table)
        std::printf("%s %u %u\n", entry.name.c_str(), entry.place.offset, entry.place.size);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C");
    if (argc >= 4 && argc <= 5 && std::strcmp(argv[1], "build") == 0)
        return Build(argv[2], argv[3], argc == 5 ? argv[4] : "");
    if (argc == 3 && std::strcmp(argv[1], "list") == 0)
        return List(argv[2]);
    PrintUsage();
    return 2;
}
