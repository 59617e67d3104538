#include "core/TextReader.h"

#include "core/StringUtils.h"

CPTextReader::CPTextReader(const char* data, std::int32_t size)
    : m_data(data), m_size(data && size > 0 ? size : 0)
{
}

bool CPTextReader::ReadLine()
{
    do {
        ReadRawLine();
        DropComments();
        TrimString(m_line);
    } while (m_line.empty() && m_position < m_size);

    m_valueLine = true;
    if (m_line.size() >= 2 && m_line.front() == '[' && m_line.back() == ']') {
        m_line = m_line.substr(1, m_line.size() - 2);
        m_valueLine = false;
    }
    return !m_line.empty();
}

bool CPTextReader::GetLine(std::string& line)
{
    const bool found = ReadLine();
    line = m_line;
    return found;
}

bool CPTextReader::NextEntry(std::string& line, bool& isHeader)
{
    const bool hasLine = GetLine(line);
    isHeader = IsValueLine() == 0;
    return hasLine || isHeader;
}

void CPTextReader::ReadRawLine()
{
    m_line.clear();
    const std::int32_t start = m_position;
    while (m_position < m_size) {
        const char c = m_data[m_position];
        if (c == '\n' || c == '\0') {
            m_line.assign(m_data + start, m_position - start);
            ++m_position;
            if (c == '\n')
                ++m_lineCount;
            return;
        }
        ++m_position;
    }
    m_line.assign(m_data + start, m_position - start);
}

// Comments work on whole lines: text before a "/*" or after a "*/" is
// dropped with the comment.
void CPTextReader::DropComments()
{
    if (m_line.find("//") != std::string::npos)
        m_line.clear();
    if (m_line.find("/*") != std::string::npos)
        m_inBlockComment = true;
    if (m_line.find("*/") != std::string::npos) {
        m_inBlockComment = false;
        m_line.clear();
    }
    if (m_inBlockComment)
        m_line.clear();
}
