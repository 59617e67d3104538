#include "FuzzSupport.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include <unistd.h>

#include "core/Log.h"
#include "platform/FileSystem.h"

namespace {

std::string& Root()
{
    static std::string root;
    return root;
}

void WriteSeeds(const std::string& folder)
{
    std::filesystem::create_directories(folder);
    const std::vector<std::string> seeds = FuzzSeeds();
    for (std::size_t i = 0; i < seeds.size(); ++i) {
        std::ofstream out(folder + "/seed-" + std::to_string(i), std::ios::binary);
        out.write(seeds[i].data(), static_cast<std::streamsize>(seeds[i].size()));
    }
    std::cout << "wrote " << seeds.size() << " seeds to " << folder << "\n";
}

} // namespace

void RemoveRoot()
{
    std::error_code ignored;
    std::filesystem::remove_all(Root(), ignored);
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    std::setlocale(LC_ALL, "C");
    namespace fs = std::filesystem;
    // Every input is written as a file: a folder in memory keeps that cheap.
    std::error_code error;
    const fs::path base = fs::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0
                              ? fs::path("/dev/shm")
                              : fs::temp_directory_path();
    fs::path root = base / ("rsfuzz-" + std::to_string(::getpid()));
    fs::create_directories(root);
    Root() = root.string();
    std::atexit(RemoveRoot);
    platform::SetDataRoot(Root());
    SetLogFilePath("/dev/null");

    const std::string flag = "-write_seeds=";
    for (int i = 1; i < *argc; ++i) {
        const std::string arg = (*argv)[i];
        if (arg.compare(0, flag.size(), flag) == 0) {
            WriteSeeds(arg.substr(flag.size()));
            std::exit(0);
        }
    }
    return 0;
}

const std::string& FuzzRoot() { return Root(); }

void WriteFuzzFile(const std::string& relative, const std::uint8_t* data, std::size_t size)
{
    namespace fs = std::filesystem;
    const fs::path path = fs::path(Root()) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void WriteFuzzFile(const std::string& relative, const std::string& bytes)
{
    WriteFuzzFile(relative, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::vector<std::string> SplitInput(const std::uint8_t* data, std::size_t size, std::size_t count)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string separator = "\n----\n";
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (parts.size() + 1 < count) {
        const std::size_t at = text.find(separator, start);
        if (at == std::string::npos)
            break;
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    parts.push_back(text.substr(std::min(start, text.size())));
    parts.resize(count);
    return parts;
}

std::string JoinParts(const std::vector<std::string>& parts)
{
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); ++i)
        joined += (i ? "\n----\n" : "") + parts[i];
    return joined;
}

FuzzRenderWorld::FuzzRenderWorld() = default;

FuzzRenderWorld::~FuzzRenderWorld()
{
    kernel.KillAllTasks();
    kernel.RemoveKilledTasks();
}

std::vector<std::string> SeedsOf(const std::vector<std::vector<std::uint8_t>>& files)
{
    std::vector<std::string> seeds;
    for (const std::vector<std::uint8_t>& file : files)
        seeds.emplace_back(file.begin(), file.end());
    return seeds;
}
