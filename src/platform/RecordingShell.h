#pragma once

#include <string>
#include <vector>

#include "platform/Shell.h"

namespace platform {

// Notes each request instead of carrying it out, in memory and, when a file
// is named, one line each in that file: "open <address>" or
// "start <path> <arguments...>". Every request succeeds unless told to fail.
class RecordingShell : public Shell {
  public:
    explicit RecordingShell(std::string logFile = "") : m_logFile(std::move(logFile)) {}

    HResult OpenAddress(const std::string& address, std::string* failure) override;
    HResult StartProgram(const std::string& path, const std::vector<std::string>& arguments,
                         std::string* failure) override;

    void FailRequests(bool fail) { m_fail = fail; }
    const std::vector<std::string>& GetRequests() const { return m_requests; }

  private:
    HResult Note(const std::string& line, std::string* failure);

    std::string m_logFile;
    bool m_fail = false;
    std::vector<std::string> m_requests;
};

} // namespace platform
