#include "interface/EditBox.h"

#include <cctype>

#include "core/Singletons.h"
#include "interface/InterfaceManager.h"
#include "platform/CharClass.h"

CPEditBox::CPEditBox(const CPTextItem& item, std::int32_t maxLength, const std::string& initialText)
    : m_item(item), m_text(initialText), m_maxLength(maxLength)
{
    Layout();
}

void CPEditBox::SetText(const std::string& text)
{
    const std::size_t limit = m_maxLength > 0 ? static_cast<std::size_t>(m_maxLength) : 0;
    m_text = text.substr(0, limit);
    Layout();
}

bool CPEditBox::HasRoom() const { return static_cast<std::int64_t>(m_text.size()) < m_maxLength; }

void CPEditBox::ProcessKey(std::uint8_t character)
{
    const char c = static_cast<char>(character);
    if (platform::IsCharAlphaNumeric(c) && HasRoom())
        m_text.push_back(static_cast<char>(std::toupper(character)));
    else if (character == ' ' && HasRoom())
        m_text.push_back(' ');
    else if (character == 8) {
        if (!m_text.empty())
            m_text.pop_back();
    } else
        return;
    Layout();
}

void CPEditBox::Layout()
{
    if (CPInterfaceManager* manager = GetInterfaceManager())
        manager->LayoutText(m_item.textObject, m_item.x, m_item.y, m_item.font, m_text + "_");
}
