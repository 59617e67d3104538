#include "core/Log.h"

#include <fstream>
#include <memory>

namespace {

struct LogState {
    std::string path = "log.txt";
    std::unique_ptr<std::ofstream> stream;
};

LogState& State()
{
    static LogState state;
    return state;
}

} // namespace

std::ostream& GetLogStream()
{
    LogState& state = State();
    if (!state.stream)
        state.stream = std::make_unique<std::ofstream>(state.path, std::ios::out | std::ios::app | std::ios::binary);
    return *state.stream;
}

void SetLogFilePath(const std::string& path)
{
    LogState& state = State();
    state.stream.reset();
    state.path = path;
}

const std::string& GetLogFilePath() { return State().path; }

void LogLine(const std::string& line)
{
    std::ostream& log = GetLogStream();
    log << line << '\n';
    log.flush();
}
