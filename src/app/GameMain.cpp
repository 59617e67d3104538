// The game executable that the launcher starts.
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/GameHost.h"

namespace {

void PrintUsage(const char* program)
{
    std::printf("Usage: %s [--frames N] [--data DIR] [--level NAME] [--window] [--screenshot FILE] [--help]\n"
                "Runs the game headless on the data folder DIR (default: the working\n"
                "directory) for N frames of 1/60 s (default 300), then exits. With\n"
                "--level it first loads and starts Data\\Levels\\NAME.lvl. With --window\n"
                "it draws in a window (full screen when config.cfg says Fullscreen = 1);\n"
                "--screenshot also draws in the window and writes the last frame to FILE\n"
                "as PNG.\n",
                program);
}

bool ParseCount(const char* text, int& out)
{
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > 100000000)
        return false;
    out = static_cast<int>(value);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C");
    GameHost::Options options;
    std::string level;
    std::string screenshot;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            PrintUsage(argv[0]);
            return 0;
        }
        if (std::strcmp(arg, "--frames") == 0 && i + 1 < argc) {
            if (!ParseCount(argv[++i], options.frames)) {
                std::fprintf(stderr, "--frames needs a whole number of frames, not \"%s\"\n", argv[i]);
                return 2;
            }
            continue;
        }
        if (std::strcmp(arg, "--data") == 0 && i + 1 < argc) {
            options.dataRoot = argv[++i];
            continue;
        }
        if (std::strcmp(arg, "--level") == 0 && i + 1 < argc) {
            level = argv[++i];
            if (level.empty()) {
                std::fprintf(stderr, "--level needs a level name\n");
                return 2;
            }
            continue;
        }
        if (std::strcmp(arg, "--window") == 0) {
            options.window = true;
            continue;
        }
        if (std::strcmp(arg, "--screenshot") == 0 && i + 1 < argc) {
            screenshot = argv[++i];
            options.window = true;
            continue;
        }
        std::fprintf(stderr, "Unknown argument \"%s\"\n", arg);
        PrintUsage(argv[0]);
        return 2;
    }

    GameHost host(options);
    if (options.window && !host.HasWindow()) {
        std::fprintf(stderr, "No window could be opened: %s\n", host.GetDeviceError().c_str());
        return 1;
    }
    if (!level.empty()) {
        if (!host.StartLevel(level)) {
            std::fprintf(stderr, "The level \"%s\" could not be loaded; the log says why.\n", level.c_str());
            return 1;
        }
        std::printf("Level \"%s\" started.\n", level.c_str());
    }
    int frames = host.Run();
    std::printf("Ran %d frames, %llu draws.\n", frames, static_cast<unsigned long long>(host.GetDrawCount()));
    if (!screenshot.empty()) {
        std::string error;
        if (!host.SaveScreenshot(screenshot, &error)) {
            std::fprintf(stderr, "The screenshot was not written: %s\n", error.c_str());
            return 1;
        }
        std::printf("Screenshot written to %s.\n", screenshot.c_str());
    }
    return 0;
}
