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
    CPTokenizer tokenizer(paramText, ",", true);
    std::size_t count = 0;
    for (;; ++count) {
        if (count == m_params.size())
            m_params.emplace_back();
        if (!tokenizer.NextToken(m_params[count]))
            break;
    }
    m_params.resize(count);
}
