#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "platform/Result.h"

// The process-wide log. The stream is created on first use and writes to
// "log.txt" in the working directory unless another file was chosen first.
std::ostream& GetLogStream();

// Chooses the file the log writes to from now on (tests point it at a
// temporary file). The current file, if any, is flushed and closed.
void SetLogFilePath(const std::string& path);
const std::string& GetLogFilePath();

// Writes one line to the log and flushes it.
void LogLine(const std::string& line);

// Failed graphics, video and sound calls are reported with this format:
// the source file, the line of the call, the error's name and description.
constexpr const char* kDXErrorFormat = "DXError if %s on line %d\n%s\n%s\n";

// Formats one failure report with the given format and writes it to the
// stream. The second argument is unused and always 0.
void WriteDXErrorReport(std::ostream& log, int reserved, const char* format, const char* sourceFile, int line,
                        const char* errorName, const char* errorDescription);

// Reports a failed call to the log with kDXErrorFormat and the name and
// description of the result code; the caller then takes its own failure
// path.
void ReportDXError(const char* sourceFile, int line, HResult code);
