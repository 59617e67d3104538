#include "core/XmlText.h"

namespace {

// The most bytes one UTF-8 character takes.
constexpr std::size_t kLongestCharacter = 4;

} // namespace

std::string XmlParseText(const std::uint8_t* bytes, std::size_t size)
{
    std::string text;
    text.reserve(size + kLongestCharacter);
    if (size > 0)
        text.assign(reinterpret_cast<const char*>(bytes), size);
    text.append(kLongestCharacter, '\0');
    return text;
}
