// The game executable that the launcher starts.
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "app/GameHost.h"
#include "core/SettingsFile.h"

namespace {

void PrintUsage(const char* program)
{
    std::printf(
        "Usage: %s [--frames N] [--data DIR] [--level NAME] [--seed N] [--autopilot]\n"
        "          [--input FILE] [--whole-game] [--sound] [--window] [--screenshot FILE]\n"
        "          [--max-fps N] [--no-vsync] [--size WxH] [--fullscreen] [--windowed] [--help]\n"
        "Runs the game headless on the data folder DIR (default: the working\n"
        "directory) in frames of 1/60 s, then exits; in a window each frame\n"
        "steps as long as the last one took, so the game keeps real time. With --level it first loads\n"
        "and starts Data\\Levels\\NAME.lvl; the scripts may start one too.\n"
        "The run ends when the race is over, or after N frames (default: 300,\n"
        "or %d once a level runs; in a window, until it is quit); it then\n"
        "prints the player's laps, the places and times of every car and what\n"
        "the player's car did in combat (shots, hits, kills, wrecks, bonuses).\n"
        "  --seed N      seed of the game's random numbers (default 1)\n"
        "  --autopilot   a computer driver steers the player's car\n"
        "  --input FILE  plays keys and mouse back from FILE, one event a line:\n"
        "                FRAME move X Y | press B | release B | keydown CODE | keyup CODE\n"
        "  --whole-game  the end of a race does not end the run: it goes on, race\n"
        "                after race, until the game's Exit (or N frames, default %d)\n"
        "  --sound       sounds and music are heard on the default sound output\n"
        "  --window      draws in a window and is heard; the keyboard and mouse\n"
        "                drive the game, which runs until it is quit. The screen is\n"
        "                config.cfg's (ScreenWidth, ScreenHeight, Fullscreen = 1 for\n"
        "                full screen), 640 x 480 in a window without one\n"
        "  --size WxH    the screen size instead, e.g. 1280x720\n"
        "  --fullscreen, --windowed  the mode instead; full screen fills the display\n"
        "                at the game's aspect, with bars where the display's differs\n"
        "  --screenshot FILE  draws in the window and writes the last frame to\n"
        "                FILE as PNG\n"
        "  --max-fps N   a window draws at most N frames a second\n"
        "  --no-vsync    a window does not wait for the display's vertical blank\n",
        program, GameHost::kRaceFrames, GameHost::kGameFrames);
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
        if (std::strcmp(arg, "--whole-game") == 0) {
            options.wholeGame = true;
            continue;
        }
        if (std::strcmp(arg, "--sound") == 0) {
            options.sound = true;
            continue;
        }
        if (std::strcmp(arg, "--data") == 0 && i + 1 < argc) {
            options.dataRoot = argv[++i];
            continue;
        }
        if (std::strcmp(arg, "--seed") == 0 && i + 1 < argc) {
            int seed = 0;
            if (!ParseCount(argv[++i], seed)) {
                std::fprintf(stderr, "--seed needs a whole number, not \"%s\"\n", argv[i]);
                return 2;
            }
            options.seed = static_cast<unsigned int>(seed);
            continue;
        }
        if (std::strcmp(arg, "--autopilot") == 0) {
            options.autopilot = true;
            continue;
        }
        if (std::strcmp(arg, "--input") == 0 && i + 1 < argc) {
            std::string error;
            if (!options.input.Load(argv[++i], error)) {
                std::fprintf(stderr, "--input: %s\n", error.c_str());
                return 2;
            }
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
            // A player at a window hears the game too.
            options.window = true;
            options.sound = true;
            continue;
        }
        if (std::strcmp(arg, "--max-fps") == 0 && i + 1 < argc) {
            if (!ParseCount(argv[++i], options.maxFrameRate)) {
                std::fprintf(stderr, "--max-fps needs a whole number of frames a second, not \"%s\"\n",
                             argv[i]);
                return 2;
            }
            continue;
        }
        if (std::strcmp(arg, "--size") == 0 && i + 1 < argc) {
            if (!ParseScreenSize(argv[++i], &options.screen.width, &options.screen.height)) {
                std::fprintf(stderr, "--size needs WIDTHxHEIGHT from %dx%d to %dx%d, not \"%s\"\n",
                             kMinScreenWidth, kMinScreenHeight, kMaxScreenWidth, kMaxScreenHeight, argv[i]);
                return 2;
            }
            continue;
        }
        if (std::strcmp(arg, "--fullscreen") == 0 || std::strcmp(arg, "--windowed") == 0) {
            options.screen.fullscreen = std::strcmp(arg, "--fullscreen") == 0 ? 1 : 0;
            continue;
        }
        if (std::strcmp(arg, "--no-vsync") == 0) {
            options.verticalSync = false;
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

    // The race's progress goes on one updating line, for a person watching.
    if (isatty(fileno(stdout)))
        options.progress = stdout;
    // A level named here is what the run plays; the start script may be absent.
    options.needsStartScript = level.empty();
    GameHost host(options);
    if (!host.GetStartupProblem().empty()) {
        std::fprintf(stderr, "%s.\n", host.GetStartupProblem().c_str());
        return 1;
    }
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
    const auto start = std::chrono::steady_clock::now();
    int frames = host.Run();
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("Ran %d frames, %llu draws", frames, static_cast<unsigned long long>(host.GetDrawCount()));
    // How fast a window draws is worth knowing; headless frames are not drawn.
    if (host.HasWindow() && seconds.count() > 0.0)
        std::printf(", %.1f frames per second", frames / seconds.count());
    std::printf(".\n");
    // The last race, also when the scripts have left it for the menu.
    if (host.GetRaceWatch().HasRace())
        std::printf("\n%s\n%s", host.GetRaceWatch().FormatTable().c_str(), RaceWatch::FormatCombat().c_str());
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
