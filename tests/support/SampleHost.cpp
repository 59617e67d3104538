#include "support/SampleHost.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/Dialog.h"

namespace fs = std::filesystem;

void SampleHostTest::SetUp()
{
    fs::copy(std::string(RS_SOURCE_DIR) + "/data/sample", data.GetPath(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(data.Path("Data/Saves"), ignored))
        if (entry.path().extension() == ".sav")
            fs::remove(entry.path(), ignored);
}

void SampleHostTest::TearDown()
{
    // The host goes before the quit it may have posted is cleared, so the
    // next test starts without either.
    host.reset();
    platform::ClearPostedQuit();
}

GameHost::Options SampleHostTest::FrameOptions() const
{
    GameHost::Options options;
    options.frames = 1;
    options.dataRoot = data.GetPath();
    options.autopilot = true;
    return options;
}

void SampleHostTest::MakeHost(const GameHost::Options& options)
{
    host = std::make_unique<GameHost>(options);
}

bool SampleHostTest::Frames(int count)
{
    for (int i = 0; i < count; ++i)
        if (host->Run() == 0)
            return false;
    return true;
}
