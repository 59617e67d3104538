#include "game/XmlNumber.h"

#include <charconv>
#include <cmath>
#include <string>

#include <tinyxml.h>

#include "core/StringUtils.h"

std::optional<double> XmlNumber(const TiXmlElement* element, const char* attribute)
{
    const char* text = element ? element->Attribute(attribute) : nullptr;
    if (!text)
        return std::nullopt;
    std::string value(text);
    TrimString(value);
    if (!value.empty() && value[0] == '+')
        value.erase(0, 1);
    double number = 0.0;
    const char* end = value.data() + value.size();
    const auto result = std::from_chars(value.data(), end, number);
    if (value.empty() || result.ec != std::errc() || result.ptr != end || !std::isfinite(number))
        return std::nullopt;
    return number;
}
