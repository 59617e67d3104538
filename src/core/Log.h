#pragma once

#include <ostream>
#include <string>

// The process-wide log. The stream is created on first use and writes to
// "log.txt" in the working directory unless another file was chosen first.
std::ostream& GetLogStream();

// Chooses the file the log writes to from now on (tests point it at a
// temporary file). The current file, if any, is flushed and closed.
void SetLogFilePath(const std::string& path);
const std::string& GetLogFilePath();

// Writes one line to the log and flushes it.
void LogLine(const std::string& line);
