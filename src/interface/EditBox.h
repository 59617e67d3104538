#pragma once

#include <cstdint>
#include <string>

#include "core/Object.h"
#include "interface/TextItem.h"

// A text-entry field: its text is shown through its text item with a
// trailing caret "_", and grows by typed letters, digits and blanks up to
// the maximum length.
class CPEditBox : public CPObject {
  public:
    // Lays out the initial text (not cut to the maximum) with the caret.
    CPEditBox(const CPTextItem& item, std::int32_t maxLength, const std::string& initialText = std::string());

    std::uint32_t GetObjectSize() const override { return sizeof(CPEditBox); }
    std::string GetTypeName() const override { return "CPEditBox"; }

    // Keeps at most the maximum length of the text.
    void SetText(const std::string& text);
    // Letters and digits are appended upper-cased and blanks as they are
    // while the text is shorter than the maximum; backspace (8) removes the
    // last character. Anything else changes nothing.
    void ProcessKey(std::uint8_t character);

    const std::string& GetText() const { return m_text; }
    std::size_t GetTextLength() const { return m_text.size(); }
    std::int32_t GetMaxLength() const { return m_maxLength; }
    const CPTextItem& GetItem() const { return m_item; }

  private:
    void Layout();
    bool HasRoom() const;

    CPTextItem m_item;
    std::string m_text;
    std::int32_t m_maxLength;
};
