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
