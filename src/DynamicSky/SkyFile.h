#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/FileReader.h"
#include "core/TextReader.h"
#include "platform/MathTypes.h"

// One of the sky's text files in "Data\Clouds\": read whole, then value
// line by value line. Each line starts with a label that is skipped; the
// values after it are positional. A line missing, or holding fewer values
// than asked for, fails the read with one line in the log that names the
// file and the value; every read after a failure fails quietly.
class CPSkyFile {
  public:
    // The name without its folder.
    explicit CPSkyFile(const std::string& name);

    // False when the file cannot be read (the reader logs why).
    bool Open();

    bool ReadInt(std::int32_t& value, const char* what);
    bool ReadFloat(float& value, const char* what);
    bool ReadVector(Vector3& value, const char* what);
    // The first `count` values of one line.
    bool ReadInts(std::int32_t* values, std::size_t count, const char* what);
    bool ReadFloats(float* values, std::size_t count, const char* what);
    // The first value of the line, quotes honoured.
    bool ReadName(std::string& value, const char* what);

    // Fails the read from the caller's side: the file holds a value the
    // sky cannot use.
    bool Reject(const std::string& why);

    bool HasFailed() const { return m_failed; }
    const std::string& GetPath() const { return m_path; }

  private:
    bool NextValues(std::size_t count, const char* what);

    std::string m_path;
    CPFileReader m_reader;
    std::unique_ptr<CPTextReader> m_text;
    std::vector<std::string> m_values;
    bool m_failed = false;
};
