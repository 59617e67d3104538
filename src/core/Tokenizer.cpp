#include "core/Tokenizer.h"

#include "core/StringUtils.h"

CPTokenizer::CPTokenizer(std::string text, const std::string& delimiter, bool quotes)
    : m_text(std::move(text)), m_delimiter(delimiter), m_quotes(quotes)
{
    TrimString(m_text);
}

bool CPTokenizer::NextToken(std::string& token)
{
    token.clear();
    if (m_position >= m_text.size())
        return false;

    // Bytes that match the start of the delimiter are held back until the
    // match either completes (they are the delimiter) or breaks (they are
    // text and go into the token in their place).
    std::size_t matched = 0;
    std::string held;
    auto releaseHeld = [&] {
        token += held;
        held.clear();
        matched = 0;
    };

    bool inQuotes = false;
    bool delimited = false;
    while (m_position < m_text.size() && !delimited) {
        const char c = m_text[m_position];
        if (c == '"' && m_quotes) {
            releaseHeld();
            if (!inQuotes) {
                inQuotes = true;
            } else if (m_position + 1 < m_text.size() && m_text[m_position + 1] == '"') {
                token += '"';
                ++m_position;
            } else {
                inQuotes = false;
            }
            ++m_position;
            continue;
        }
        if (!inQuotes && matched < m_delimiter.size() && c == m_delimiter[matched]) {
            ++matched;
            if (matched == m_delimiter.size())
                delimited = true;
            else
                held += c;
            ++m_position;
            continue;
        }
        // A broken match is not retried from this byte.
        if (!inQuotes && matched > 0)
            releaseHeld();
        token += c;
        ++m_position;
    }
    // The text ended in the middle of a delimiter: those bytes are text.
    if (!delimited)
        releaseHeld();

    if (token != " ")
        TrimString(token);
    return true;
}
