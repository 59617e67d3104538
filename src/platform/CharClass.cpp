#include "platform/CharClass.h"

namespace platform {

bool IsCharAlphaNumeric(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9');
}

} // namespace platform
