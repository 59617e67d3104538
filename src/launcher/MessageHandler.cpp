#include "launcher/MessageHandler.h"

std::uint32_t CPMessageHandler::AddRef() { return ++m_useCount; }

std::uint32_t CPMessageHandler::Release()
{
    if (--m_useCount > 0)
        return m_useCount;
    delete this;
    return 0;
}
