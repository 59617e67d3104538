#include "platform/EffectScanner.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <set>

namespace platform {
namespace {

constexpr int kMaxArrayElements = 65536;

enum class TokenKind { Identifier, Number, String, Symbol, End };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;
    int line = 0;
};

std::string Lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

std::string AtLine(int line, const std::string& message)
{
    return "line " + std::to_string(line) + ": " + message;
}

// Splits the text into tokens, dropping comments and preprocessor lines,
// and checks that every bracket closes in order.
class Lexer {
  public:
    Lexer(const char* text, std::size_t size) : m_text(text, size) {}

    bool Run(std::vector<Token>& tokens, std::string& error)
    {
        // Editors may start the file with a UTF-8 byte-order mark.
        if (m_text.substr(0, 3) == "\xEF\xBB\xBF")
            m_pos = 3;
        while (SkipBlanks(error)) {
            if (m_pos >= m_text.size())
                break;
            if (!ReadToken(tokens, error))
                return false;
        }
        if (!error.empty())
            return false;
        if (!m_open.empty()) {
            error =
                AtLine(m_open.back().second, std::string("'") + m_open.back().first + "' is never closed");
            return false;
        }
        tokens.push_back({TokenKind::End, "", m_line});
        return true;
    }

  private:
    char At(std::size_t offset) const
    {
        return m_pos + offset < m_text.size() ? m_text[m_pos + offset] : '\0';
    }

    // Skips white space, comments and preprocessor lines; false on an
    // unterminated comment (with `error` set).
    bool SkipBlanks(std::string& error)
    {
        while (m_pos < m_text.size()) {
            char c = m_text[m_pos];
            if (c == '\n') {
                ++m_line;
                ++m_pos;
                m_lineStart = true;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++m_pos;
            } else if (c == '/' && At(1) == '/') {
                SkipLine();
            } else if (c == '#' && m_lineStart) {
                SkipLine();
            } else if (c == '/' && At(1) == '*') {
                if (!SkipBlockComment(error))
                    return false;
            } else {
                return true;
            }
        }
        return true;
    }

    void SkipLine()
    {
        while (m_pos < m_text.size() && m_text[m_pos] != '\n') {
            // A backslash before the line end continues a preprocessor line.
            if (m_text[m_pos] == '\\' && At(1) == '\n') {
                ++m_line;
                ++m_pos;
            }
            ++m_pos;
        }
    }

    bool SkipBlockComment(std::string& error)
    {
        int startLine = m_line;
        std::size_t end = m_text.find("*/", m_pos + 2);
        if (end == std::string_view::npos) {
            error = AtLine(startLine, "comment is never closed");
            return false;
        }
        m_line += static_cast<int>(std::count(m_text.begin() + m_pos, m_text.begin() + end, '\n'));
        m_pos = end + 2;
        return true;
    }

    bool ReadToken(std::vector<Token>& tokens, std::string& error)
    {
        m_lineStart = false;
        char c = m_text[m_pos];
        std::size_t start = m_pos;
        if (IsIdentStart(c)) {
            while (IsIdentChar(At(0)))
                ++m_pos;
            tokens.push_back(
                {TokenKind::Identifier, std::string(m_text.substr(start, m_pos - start)), m_line});
            return true;
        }
        if (IsDigit(c) || (c == '.' && IsDigit(At(1)))) {
            ReadNumber();
            tokens.push_back({TokenKind::Number, std::string(m_text.substr(start, m_pos - start)), m_line});
            return true;
        }
        if (c == '"')
            return ReadString(tokens, error);
        if (static_cast<unsigned char>(c) < 0x20) {
            error = AtLine(m_line, "unexpected control character " + std::to_string(static_cast<int>(c)));
            return false;
        }
        ++m_pos;
        tokens.push_back({TokenKind::Symbol, std::string(1, c), m_line});
        return CheckBracket(c, error);
    }

    void ReadNumber()
    {
        bool hex = At(0) == '0' && (At(1) == 'x' || At(1) == 'X');
        while (m_pos < m_text.size()) {
            char c = m_text[m_pos];
            char previous = m_pos > 0 ? m_text[m_pos - 1] : '\0';
            bool exponentSign = !hex && (c == '+' || c == '-') && (previous == 'e' || previous == 'E');
            if (!(IsIdentChar(c) || c == '.' || exponentSign))
                break;
            ++m_pos;
        }
    }

    bool ReadString(std::vector<Token>& tokens, std::string& error)
    {
        int startLine = m_line;
        std::string value;
        ++m_pos;
        while (m_pos < m_text.size() && m_text[m_pos] != '"') {
            char c = m_text[m_pos];
            if (c == '\n')
                break;
            if (c == '\\' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] != '\n') {
                char escaped = m_text[m_pos + 1];
                value += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
                m_pos += 2;
                continue;
            }
            value += c;
            ++m_pos;
        }
        if (m_pos >= m_text.size() || m_text[m_pos] != '"') {
            error = AtLine(startLine, "string is never closed");
            return false;
        }
        ++m_pos;
        tokens.push_back({TokenKind::String, value, startLine});
        return true;
    }

    bool CheckBracket(char c, std::string& error)
    {
        if (c == '(' || c == '[' || c == '{') {
            m_open.emplace_back(c, m_line);
            return true;
        }
        if (c != ')' && c != ']' && c != '}')
            return true;
        char opener = c == ')' ? '(' : c == ']' ? '[' : '{';
        if (m_open.empty()) {
            error = AtLine(m_line, std::string("'") + c + "' has no opening '" + opener + "'");
            return false;
        }
        if (m_open.back().first != opener) {
            error = AtLine(m_line, std::string("'") + c + "' closes the '" + m_open.back().first +
                                       "' of line " + std::to_string(m_open.back().second));
            return false;
        }
        m_open.pop_back();
        return true;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_line = 1;
    bool m_lineStart = true;
    std::vector<std::pair<char, int>> m_open;
};

bool ParseFloat(const std::string& text, float& value)
{
    std::string digits = text;
    bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    if (hex) {
        unsigned long long integer = 0;
        auto result = std::from_chars(digits.data() + 2, digits.data() + digits.size(), integer, 16);
        value = static_cast<float>(integer);
        return result.ec == std::errc();
    }
    while (!digits.empty() && std::strchr("fFhHuUlL", digits.back()) != nullptr)
        digits.pop_back();
    auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return result.ec == std::errc() && result.ptr == digits.data() + digits.size();
}

struct TypeInfo {
    std::string name;
    EffectValueType type = EffectValueType::Float;
    int rows = 1;
    int columns = 1;
};

// Numeric types: a base name with an optional vector size or rows x columns.
bool ClassifyNumeric(const std::string& word, TypeInfo& info)
{
    static const std::pair<const char*, EffectValueType> kBases[] = {
        {"bool", EffectValueType::Bool},    {"int", EffectValueType::Int},
        {"uint", EffectValueType::Int},     {"dword", EffectValueType::Int},
        {"half", EffectValueType::Float},   {"float", EffectValueType::Float},
        {"double", EffectValueType::Float},
    };
    for (const auto& [base, type] : kBases) {
        std::string_view rest(word);
        if (rest.substr(0, std::strlen(base)) != base)
            continue;
        rest.remove_prefix(std::strlen(base));
        auto size = [](char c) { return c >= '1' && c <= '4'; };
        if (rest.empty()) {
            info.rows = info.columns = 1;
        } else if (rest.size() == 1 && size(rest[0])) {
            info.rows = 1;
            info.columns = rest[0] - '0';
        } else if (rest.size() == 3 && size(rest[0]) && rest[1] == 'x' && size(rest[2])) {
            info.rows = rest[0] - '0';
            info.columns = rest[2] - '0';
        } else {
            continue;
        }
        info.type = type;
        return true;
    }
    if (word == "vector" || word == "matrix") {
        info.type = EffectValueType::Float;
        info.rows = word == "vector" ? 1 : 4;
        info.columns = 4;
        return true;
    }
    return false;
}

// Object types are not case sensitive in effect files.
bool ClassifyObject(const std::string& word, TypeInfo& info)
{
    std::string lower = Lower(word);
    if (lower == "string") {
        info.type = EffectValueType::String;
    } else if (lower == "texture" || lower == "texture1d" || lower == "texture2d" || lower == "texture3d" ||
               lower == "texturecube") {
        info.type = EffectValueType::Texture;
    } else if (lower == "sampler" || lower == "sampler1d" || lower == "sampler2d" || lower == "sampler3d" ||
               lower == "samplercube" || lower == "sampler_state") {
        info.type = EffectValueType::Sampler;
    } else if (lower == "vertexshader" || lower == "pixelshader") {
        info.type = EffectValueType::Shader;
    } else {
        return false;
    }
    info.rows = info.columns = 1;
    return true;
}

bool IsTechniqueWord(const std::string& word)
{
    std::string lower = Lower(word);
    return lower == "technique" || lower == "technique9" || lower == "technique10" || lower == "technique11";
}

bool IsQualifier(const std::string& word)
{
    static const char* const kQualifiers[] = {
        "shared",       "static", "uniform", "extern",          "const",       "volatile", "row_major",
        "column_major", "inline", "precise", "nointerpolation", "groupshared", "snorm",    "unorm"};
    return std::any_of(std::begin(kQualifiers), std::end(kQualifiers),
                       [&](const char* q) { return word == q; });
}

// Reads the token list into parameters and techniques.
class Parser {
  public:
    Parser(const std::vector<Token>& tokens, EffectLayout& layout) : m_tokens(tokens), m_layout(layout) {}

    bool Run(std::string& error)
    {
        while (Peek().kind != TokenKind::End) {
            if (!TopLevel()) {
                error = m_error;
                return false;
            }
        }
        return true;
    }

  private:
    const Token& Peek(std::size_t ahead = 0) const
    {
        return m_tokens[std::min(m_pos + ahead, m_tokens.size() - 1)];
    }
    const Token& Next()
    {
        const Token& token = Peek();
        if (m_pos < m_tokens.size() - 1)
            ++m_pos;
        return token;
    }
    bool IsSymbol(char c, std::size_t ahead = 0) const
    {
        const Token& t = Peek(ahead);
        return t.kind == TokenKind::Symbol && t.text[0] == c;
    }
    bool IsIdentifier(std::size_t ahead = 0) const { return Peek(ahead).kind == TokenKind::Identifier; }

    bool Fail(const std::string& message)
    {
        const Token& at = Peek();
        std::string found = at.kind == TokenKind::End ? "the end of the text" : "'" + at.text + "'";
        m_error = AtLine(at.line, message + ", found " + found);
        return false;
    }

    bool Expect(char symbol, const std::string& where)
    {
        if (!IsSymbol(symbol))
            return Fail(std::string("expected '") + symbol + "' " + where);
        Next();
        return true;
    }

    // The lexer checked that brackets pair up, so the closer is there.
    void SkipBalanced()
    {
        int depth = 0;
        do {
            const Token& t = Next();
            if (t.kind == TokenKind::Symbol && (t.text[0] == '(' || t.text[0] == '[' || t.text[0] == '{'))
                ++depth;
            else if (t.kind == TokenKind::Symbol &&
                     (t.text[0] == ')' || t.text[0] == ']' || t.text[0] == '}'))
                --depth;
        } while (depth > 0 && Peek().kind != TokenKind::End);
    }

    // Tokens up to (not including) a ';' or another of the `stops` outside brackets.
    bool CollectValue(std::vector<const Token*>& value, const char* stops, const std::string& where)
    {
        int depth = 0;
        for (;;) {
            const Token& t = Peek();
            if (t.kind == TokenKind::End)
                return Fail("expected ';' " + where);
            if (t.kind == TokenKind::Symbol) {
                char c = t.text[0];
                if (depth == 0 && (c == ';' || std::strchr(stops, c) != nullptr))
                    return true;
                if (c == '(' || c == '[' || c == '{')
                    ++depth;
                if (c == ')' || c == ']' || c == '}') {
                    if (depth == 0)
                        return Fail("expected ';' " + where);
                    --depth;
                }
            }
            value.push_back(&Next());
        }
    }

    static std::string JoinTokens(const std::vector<const Token*>& value)
    {
        std::string text;
        for (const Token* t : value) {
            if (!text.empty())
                text += ' ';
            text += t->kind == TokenKind::String ? "\"" + t->text + "\"" : t->text;
        }
        return text;
    }

    // The numbers of a value in order; `true` and `false` count as 1 and 0.
    bool CollectNumbers(const std::vector<const Token*>& value, std::vector<float>& numbers)
    {
        for (std::size_t i = 0; i < value.size(); ++i) {
            const Token& t = *value[i];
            if (t.kind == TokenKind::Identifier && (t.text == "true" || t.text == "false")) {
                numbers.push_back(t.text == "true" ? 1.0f : 0.0f);
                continue;
            }
            if (t.kind != TokenKind::Number)
                continue;
            float number = 0.0f;
            if (!ParseFloat(t.text, number)) {
                m_error = AtLine(t.line, "'" + t.text + "' is not a number");
                return false;
            }
            bool negative = i > 0 && value[i - 1]->kind == TokenKind::Symbol && value[i - 1]->text == "-";
            numbers.push_back(negative ? -number : number);
        }
        return true;
    }

    bool TopLevel()
    {
        if (IsSymbol(';')) {
            Next();
            return true;
        }
        if (IsSymbol('[')) { // an attribute before a function
            SkipBalanced();
            return true;
        }
        if (!IsIdentifier())
            return Fail("expected a declaration");
        const std::string& word = Peek().text;
        if (IsTechniqueWord(word))
            return Technique();
        if (word == "struct")
            return Struct();
        if (word == "typedef") {
            std::vector<const Token*> ignored;
            return CollectValue(ignored, "", "after typedef") && Expect(';', "after typedef");
        }
        return Declaration();
    }

    bool Annotations(std::vector<EffectAnnotation>& annotations)
    {
        Next(); // '<'
        while (!IsSymbol('>')) {
            EffectAnnotation annotation;
            if (!IsIdentifier())
                return Fail("expected an annotation type");
            annotation.typeName = Next().text;
            if (!IsIdentifier())
                return Fail("expected an annotation name");
            annotation.name = Next().text;
            if (!Expect('=', "after annotation '" + annotation.name + "'"))
                return false;
            std::vector<const Token*> value;
            if (!CollectValue(value, ">", "after annotation '" + annotation.name + "'") ||
                !Expect(';', "after annotation '" + annotation.name + "'"))
                return false;
            if (!CollectNumbers(value, annotation.numbers))
                return false;
            annotation.text =
                value.size() == 1 && value[0]->kind == TokenKind::String ? value[0]->text : JoinTokens(value);
            annotations.push_back(std::move(annotation));
        }
        Next(); // '>'
        return true;
    }

    bool Technique()
    {
        Next(); // the technique keyword
        EffectTechnique technique;
        if (IsIdentifier())
            technique.name = Next().text;
        if (IsSymbol('<') && !Annotations(technique.annotations))
            return false;
        std::string where = "in technique '" + technique.name + "'";
        if (!Expect('{', where))
            return false;
        while (!IsSymbol('}')) {
            if (!(IsIdentifier() && Peek().text == "pass"))
                return Fail("expected 'pass' " + where);
            if (!Pass(technique))
                return false;
        }
        Next(); // '}'
        m_layout.techniques.push_back(std::move(technique));
        return true;
    }

    bool Pass(EffectTechnique& technique)
    {
        Next(); // "pass"
        EffectPass pass;
        if (IsIdentifier())
            pass.name = Next().text;
        if (IsSymbol('<') && !Annotations(pass.annotations))
            return false;
        std::string where = "in pass '" + pass.name + "' of technique '" + technique.name + "'";
        if (!Expect('{', where))
            return false;
        while (!IsSymbol('}')) {
            if (IsSymbol(';')) {
                Next();
                continue;
            }
            std::vector<const Token*> statement;
            if (!CollectValue(statement, "", where))
                return false;
            Next(); // ';'
            bool assignment = statement.size() >= 2 && statement[0]->kind == TokenKind::Identifier &&
                              statement[1]->kind == TokenKind::Symbol && statement[1]->text == "=";
            if (assignment)
                pass.states.emplace_back(statement[0]->text,
                                         JoinTokens({statement.begin() + 2, statement.end()}));
            else
                pass.states.emplace_back("", JoinTokens(statement));
        }
        Next(); // '}'
        technique.passes.push_back(std::move(pass));
        return true;
    }

    bool Struct()
    {
        Next(); // "struct"
        if (!IsIdentifier())
            return Fail("expected a structure name");
        TypeInfo info;
        info.name = Next().text;
        info.type = EffectValueType::Struct;
        m_structs.insert(info.name);
        if (!IsSymbol('{'))
            return Fail("expected '{' after struct '" + info.name + "'");
        SkipBalanced();
        if (IsSymbol(';')) {
            Next();
            return true;
        }
        return Declarators(info, false, false);
    }

    bool Type(TypeInfo& info)
    {
        if (!IsIdentifier())
            return Fail("expected a type");
        info.name = Next().text;
        if (m_structs.count(info.name) != 0) {
            info.type = EffectValueType::Struct;
            return true;
        }
        if (!ClassifyNumeric(info.name, info) && !ClassifyObject(info.name, info)) {
            --m_pos;
            return Fail("unknown type");
        }
        if ((info.name == "vector" || info.name == "matrix") && IsSymbol('<'))
            return TemplateArguments(info);
        return true;
    }

    // vector<float, 3> and matrix<float, 3, 4>.
    bool TemplateArguments(TypeInfo& info)
    {
        Next(); // '<'
        TypeInfo element;
        if (!IsIdentifier() || !ClassifyNumeric(Peek().text, element) || element.columns != 1)
            return Fail("expected a scalar type in '" + info.name + "<...>'");
        info.type = element.type;
        Next();
        std::vector<int> sizes;
        while (IsSymbol(',')) {
            Next();
            float size = 0.0f;
            if (Peek().kind != TokenKind::Number || !ParseFloat(Peek().text, size) || size < 1.0f ||
                size > 4.0f)
                return Fail("expected a size of 1 to 4 in '" + info.name + "<...>'");
            sizes.push_back(static_cast<int>(size));
            Next();
        }
        if (info.name == "vector" && sizes.size() == 1) {
            info.columns = sizes[0];
        } else if (info.name == "matrix" && sizes.size() == 2) {
            info.rows = sizes[0];
            info.columns = sizes[1];
        } else {
            return Fail("wrong number of sizes in '" + info.name + "<...>'");
        }
        info.name += "<...>";
        return Expect('>', "after the sizes of '" + info.name + "'");
    }

    bool Declaration()
    {
        bool shared = false;
        bool isStatic = false;
        while (IsIdentifier() && IsQualifier(Peek().text)) {
            shared = shared || Peek().text == "shared";
            isStatic = isStatic || Peek().text == "static";
            Next();
        }
        TypeInfo info;
        if (!Type(info))
            return false;
        return Declarators(info, shared, isStatic);
    }

    bool Declarators(const TypeInfo& info, bool shared, bool isStatic)
    {
        for (;;) {
            if (!IsIdentifier())
                return Fail("expected a name after the type '" + info.name + "'");
            const Token& nameToken = Next();
            if (IsSymbol('('))
                return Function();
            EffectParameter parameter;
            parameter.typeName = info.name;
            parameter.type = info.type;
            parameter.rows = info.rows;
            parameter.columns = info.columns;
            parameter.name = nameToken.text;
            parameter.shared = shared;
            if (!Parameter(parameter))
                return false;
            // Static variables are the shader's own constants, not parameters.
            if (!isStatic)
                m_layout.parameters.push_back(std::move(parameter));
            if (IsSymbol(',')) {
                Next();
                continue;
            }
            return Expect(';', "after parameter '" + nameToken.text + "'");
        }
    }

    // A function: its parameter list, a return semantic and a body or ';'.
    bool Function()
    {
        SkipBalanced();
        while (IsSymbol(':')) {
            Next();
            if (!IsIdentifier())
                return Fail("expected a semantic");
            Next();
            if (IsSymbol('('))
                SkipBalanced();
        }
        if (IsSymbol(';')) {
            Next();
            return true;
        }
        if (!IsSymbol('{'))
            return Fail("expected a function body");
        SkipBalanced();
        return true;
    }

    bool Parameter(EffectParameter& parameter)
    {
        std::string where = "after parameter '" + parameter.name + "'";
        while (IsSymbol('[')) {
            Next();
            float count = 0.0f;
            if (Peek().kind != TokenKind::Number || !ParseFloat(Peek().text, count) || count < 1.0f ||
                count > kMaxArrayElements)
                return Fail("array size of '" + parameter.name + "' must be 1 to " +
                            std::to_string(kMaxArrayElements));
            Next();
            int elements = std::max(parameter.elements, 1) * static_cast<int>(count);
            if (elements > kMaxArrayElements)
                return Fail("array '" + parameter.name + "' is too large");
            parameter.elements = elements;
            if (!Expect(']', where))
                return false;
        }
        while (IsSymbol(':')) {
            Next();
            if (!IsIdentifier())
                return Fail("expected a semantic " + where);
            const std::string& word = Next().text;
            if (word == "register" && IsSymbol('('))
                SkipBalanced();
            else
                parameter.semantic = word;
        }
        if (IsSymbol('<') && !Annotations(parameter.annotations))
            return false;
        if (parameter.IsNumeric()) {
            std::size_t count =
                static_cast<std::size_t>(parameter.ElementSize() * std::max(parameter.elements, 1));
            parameter.values.assign(count, 0.0f);
        }
        if (!IsSymbol('='))
            return true;
        Next();
        std::vector<const Token*> value;
        if (!CollectValue(value, ",", where))
            return false;
        return Initialise(parameter, value);
    }

    bool Initialise(EffectParameter& parameter, const std::vector<const Token*>& value)
    {
        if (parameter.type == EffectValueType::String) {
            if (value.size() == 1 && value[0]->kind == TokenKind::String)
                parameter.text = value[0]->text;
            return true;
        }
        if (parameter.type == EffectValueType::Sampler) {
            // sampler_state { Texture = <tex0>; ... } names the sampled texture.
            for (std::size_t i = 0; i + 2 < value.size(); ++i) {
                if (Lower(value[i]->text) != "texture" || value[i + 1]->text != "=")
                    continue;
                std::size_t at = i + 2;
                if (value[at]->text == "<" || value[at]->text == "(")
                    ++at;
                if (at < value.size() && value[at]->kind == TokenKind::Identifier)
                    parameter.samplerTexture = value[at]->text;
            }
            return true;
        }
        if (!parameter.IsNumeric())
            return true;
        std::vector<float> numbers;
        if (!CollectNumbers(value, numbers))
            return false;
        // A single number fills every component, as in "float4 c = 0.5;".
        if (numbers.size() == 1)
            std::fill(parameter.values.begin(), parameter.values.end(), numbers[0]);
        else
            std::copy_n(numbers.begin(), std::min(numbers.size(), parameter.values.size()),
                        parameter.values.begin());
        return true;
    }

    const std::vector<Token>& m_tokens;
    EffectLayout& m_layout;
    std::size_t m_pos = 0;
    std::set<std::string> m_structs;
    std::string m_error;
};

} // namespace

const EffectAnnotation* FindAnnotation(const std::vector<EffectAnnotation>& annotations,
                                       std::string_view name)
{
    for (const EffectAnnotation& annotation : annotations)
        if (annotation.name == name)
            return &annotation;
    return nullptr;
}

bool ScanEffectText(const char* text, std::size_t size, EffectLayout& layout, std::string* error)
{
    layout = EffectLayout();
    std::string message;
    std::vector<Token> tokens;
    bool ok = Lexer(text, size).Run(tokens, message) && Parser(tokens, layout).Run(message);
    if (!ok) {
        layout = EffectLayout();
        if (error)
            *error = "effect text " + message;
    }
    return ok;
}

} // namespace platform
