#include "core/Tokenizer.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* what;
    std::string text, delimiter;
    bool quotes;
    std::vector<std::string> tokens;
};

std::vector<std::string> Tokens(const Case& c)
{
    CPTokenizer tokenizer(c.text, c.delimiter, c.quotes);
    std::vector<std::string> tokens;
    std::string token;
    while (tokenizer.NextToken(token)) {
        tokens.push_back(token);
        if (tokens.size() > 100)
            break; // a tokenizer that stops advancing would never end
    }
    EXPECT_EQ(token, "") << c.what;
    EXPECT_FALSE(tokenizer.NextToken(token)) << c.what;
    return tokens;
}

} // namespace

TEST(Tokenizer, DelimitersAndQuotes)
{
    using V = std::vector<std::string>;
    const std::vector<Case> cases = {
        {"plain fields, trimmed", " a , b ,c ", ",", true, V{"a", "b", "c"}},
        {"quoted comma", "1, \"2,5\" ,3", ",", true, V{"1", "2,5", "3"}},
        {"doubled quote in quotes", "\"say \"\"hi\"\"\",x", ",", true, V{"say \"hi\"", "x"}},
        {"quotes off keep quotes and commas", "a,\"b,c\"", ",", false, V{"a", "\"b", "c\""}},
        {"unterminated quote runs to the end", "a,\"b,c", ",", true, V{"a", "b,c"}},
        {"two commas give an empty field", "1,,2", ",", true, V{"1", "", "2"}},
        {"only commas", ",,", ",", true, V{"", ""}},
        {"trailing delimiter adds nothing", "a,b,", ",", true, V{"a", "b"}},
        {"two spaces between words", "a  b", " ", false, V{"a", "", "b"}},
        {"quoted single space is kept", "x,\" \",y", ",", true, V{"x", " ", "y"}},
        {"quoted blanks are trimmed", "x,\"  \",y", ",", true, V{"x", "", "y"}},
        {"two-byte delimiter", "1ab2ab3", "ab", false, V{"1", "2", "3"}},
        {"broken match is not retried", "1aab2", "ab", false, V{"1aab2"}},
        {"delimiter in quotes is text", "\"x::y\"::z", "::", true, V{"x::y", "z"}},
        {"empty text", "", ",", true, V{}},
        {"blank text", " \t\r\n ", ",", true, V{}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Tokens(c), c.tokens) << c.what;
}

// Cases where the plain rules would lose text or read past the delimiter.
TEST(Tokenizer, NeverLosesText)
{
    using V = std::vector<std::string>;
    const std::vector<Case> cases = {
        {"empty delimiter: one token", " a,b c ", "", false, V{"a,b c"}},
        {"empty delimiter with quotes", "\"a\" b", "", true, V{"a b"}},
        {"partial delimiter at the end", "xa", "ab", false, V{"xa"}},
        {"partial delimiter after a field", "1ab2a", "ab", false, V{"1", "2a"}},
        {"quote breaks a partial match", "1a\"b\"", "ab", true, V{"1ab"}},
        {"quote between delimiter bytes", "a\"x\"b", "ab", true, V{"axb"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Tokens(c), c.tokens) << c.what;
}
