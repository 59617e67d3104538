#include "interface/ActionLine.h"

#include <vector>

#include "core/Tokenizer.h"

namespace {

constexpr const char* kTrue = "true";
constexpr const char* kFalse = "false";

bool ParseCode(const std::string& text, std::uint8_t& code)
{
    if (text.empty() || text.size() > 3)
        return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    if (value > 255)
        return false;
    code = static_cast<std::uint8_t>(value);
    return true;
}

bool IsUnquotedSemicolonKey(const std::vector<std::string>& fields)
{
    return fields.size() == 5 && fields[2].empty() && fields[3].empty() && fields[4] == kFalse;
}

std::string QuoteField(const std::string& field)
{
    if (field.find_first_of(";\"") == std::string::npos)
        return field;
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

} // namespace

bool ActionLine::Parse(const std::string& line, ActionLine& out, std::string& error)
{
    std::vector<std::string> fields;
    CPTokenizer tokenizer(line, ";", true);
    std::string token;
    while (tokenizer.NextToken(token))
        fields.push_back(token);

    if (IsUnquotedSemicolonKey(fields))
        fields = {fields[0], fields[1], ";", kFalse};
    // Fields left out are empty: a line without its flag binds a key name.
    if (fields.size() < 4)
        fields.resize(4);
    if (fields[0].empty()) {
        error = "it names no action";
        return false;
    }

    ActionLine parsed;
    parsed.name = fields[0];
    parsed.text = fields[1];
    parsed.key = fields[2];
    // Only the exact word makes a numeric code; any other flag ("TRUE"
    // included) leaves the key a key name.
    parsed.numeric = fields[3] == kTrue;
    if (parsed.numeric && !ParseCode(parsed.key, parsed.code)) {
        error = "its numeric key \"" + parsed.key + "\" is not a whole number from 0 to 255";
        return false;
    }
    out = std::move(parsed);
    return true;
}

std::string ActionLine::Format() const
{
    return QuoteField(name) + ";" + QuoteField(text) + ";" + QuoteField(key) + ";" +
           (numeric ? kTrue : kFalse) + "\r\n";
}
