#pragma once

#include <cstddef>
#include <string>
#include <utility>

// Cuts a text into tokens at a delimiter string. With quotes on, double
// quotes group characters (delimiters inside them are ordinary text) and a
// doubled quote inside a quoted part stands for one quote. Tokens are
// trimmed of blanks, except a token that is exactly one space.
class CPTokenizer {
  public:
    // The text is kept trimmed. An empty delimiter never matches, so the
    // whole text becomes one token. A text moved in keeps its storage, and
    // TakeText hands it back (trimmed), so that a caller cutting text after
    // text keeps its room.
    CPTokenizer(std::string text, const std::string& delimiter, bool quotes);
    virtual ~CPTokenizer() = default;

    // The next token into `token`; false, with an empty token, when the
    // text is used up.
    bool NextToken(std::string& token);
    std::string TakeText() { return std::move(m_text); }

  private:
    std::string m_text;
    std::string m_delimiter;
    std::size_t m_position = 0;
    bool m_quotes;
};
