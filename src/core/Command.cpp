#include "core/Command.h"

#include "core/Tokenizer.h"

CPCommand CPCommand::FromText(const std::string& name, const std::string& paramText)
{
    return CPCommand(name, CutParams(paramText));
}

std::vector<std::string> CPCommand::CutParams(const std::string& paramText)
{
    std::vector<std::string> params;
    CPTokenizer tokenizer(paramText, ",", true);
    std::string token;
    while (tokenizer.NextToken(token))
        params.push_back(token);
    return params;
}

void CPCommand::Assign(std::string_view name, const std::string& paramText)
{
    m_name.assign(name.data(), name.size());
    m_text.assign(paramText);
    CPTokenizer tokenizer(std::move(m_text), ",", true);
    std::size_t count = 0;
    for (;; ++count) {
        if (count == m_params.size())
            m_params.push_back(TakeSpare());
        if (!tokenizer.NextToken(m_params[count]))
            break;
    }
    while (m_params.size() > count) {
        m_spare.push_back(std::move(m_params.back()));
        m_params.pop_back();
    }
    m_text = tokenizer.TakeText();
}

void CPCommand::Reserve(std::size_t params, std::size_t textRoom)
{
    m_name.reserve(textRoom);
    m_text.reserve(textRoom);
    // One more than the parameters: the cut tries the next one.
    m_params.reserve(params + 1);
    m_spare.reserve(params + 1);
    while (m_spare.size() + m_params.size() < params + 1) {
        m_spare.emplace_back();
        m_spare.back().reserve(textRoom);
    }
}

std::string CPCommand::TakeSpare()
{
    if (m_spare.empty())
        return std::string();
    std::string text = std::move(m_spare.back());
    m_spare.pop_back();
    return text;
}
