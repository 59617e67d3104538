#include "core/Log.h"

#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <memory>

#include "platform/ErrorText.h"

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

// printf-style formatting into a string of whatever length it needs.
__attribute__((format(printf, 1, 2))) std::string FormatText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(&text[0], text.size(), format, args);
        text.resize(static_cast<std::size_t>(length));
    }
    va_end(args);
    return text;
}

} // namespace

std::ostream& GetLogStream()
{
    LogState& state = State();
    if (!state.stream)
        state.stream =
            std::make_unique<std::ofstream>(state.path, std::ios::out | std::ios::app | std::ios::binary);
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

void WriteDXErrorReport(std::ostream& log, int /*reserved*/, const char* format, const char* sourceFile,
                        int line, const char* errorName, const char* errorDescription)
{
    log << FormatText(format, sourceFile ? sourceFile : "", line, errorName ? errorName : "",
                      errorDescription ? errorDescription : "");
    log.flush();
}

void ReportDXError(const char* sourceFile, int line, HResult code)
{
    const std::string name = platform::GetErrorName(code);
    const std::string description = platform::GetErrorDescription(code);
    WriteDXErrorReport(GetLogStream(), 0, kDXErrorFormat, sourceFile, line, name.c_str(),
                       description.c_str());
}
