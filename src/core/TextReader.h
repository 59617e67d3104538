#pragma once

#include <cstdint>
#include <string>

// Reads text data line by line from a buffer the caller keeps alive.
// Lines that hold "//" anywhere are dropped whole, "/*" to "*/" blocks are
// dropped a whole line at a time, lines are trimmed of blanks, empty lines
// are skipped, and a line written as "[name]" is a section header.
class CPTextReader {
  public:
    CPTextReader(const char* data, std::int32_t size);
    virtual ~CPTextReader() = default;

    // Moves to the next line that carries content; false when the data
    // ended without one. A bare "[]" header also gives false, with the
    // position left after it.
    bool ReadLine();

    // ReadLine, then copies the current line into `line`.
    bool GetLine(std::string& line);

    // The next line of a file of sections: its text, and whether it is a
    // section header (an empty name for "[]"). False at the end of the
    // data; a bare "[]" header does not end it.
    bool NextEntry(std::string& line, bool& isHeader);

    // 0 when the last line read was a section header, 1 otherwise.
    std::int32_t IsValueLine() const { return m_valueLine ? 1 : 0; }

    const std::string& GetCurrentLine() const { return m_line; }
    // Line feeds passed so far.
    std::int32_t GetLineCount() const { return m_lineCount; }

  private:
    void ReadRawLine();
    void DropComments();

    const char* m_data;
    std::int32_t m_size;
    std::int32_t m_position = 0;
    std::string m_line;
    std::int32_t m_lineCount = 0;
    bool m_inBlockComment = false;
    bool m_valueLine = false;
};
