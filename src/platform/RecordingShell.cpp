#include "platform/RecordingShell.h"

#include <fstream>

namespace platform {

namespace {

HResult Fail(std::string* failure, const std::string& what)
{
    if (failure)
        *failure = what;
    return E_FAIL;
}

} // namespace

HResult RecordingShell::OpenAddress(const std::string& address, std::string* failure)
{
    return Note("open " + address, failure);
}

HResult RecordingShell::StartProgram(const std::string& path, const std::vector<std::string>& arguments,
                                     std::string* failure)
{
    std::string line = "start " + path;
    for (const std::string& argument : arguments)
        line += " " + argument;
    return Note(line, failure);
}

HResult RecordingShell::Note(const std::string& line, std::string* failure)
{
    m_requests.push_back(line);
    if (!m_logFile.empty()) {
        std::ofstream file(m_logFile, std::ios::app | std::ios::binary);
        file << line << "\n";
        if (!file)
            return Fail(failure, "could not note the request in " + m_logFile);
    }
    return m_fail ? Fail(failure, "the request was refused: " + line) : S_OK;
}

} // namespace platform
