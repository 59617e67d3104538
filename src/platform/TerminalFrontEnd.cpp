#include "platform/TerminalFrontEnd.h"

#include <string>

namespace platform {

namespace {

std::string Trim(const std::string& text)
{
    const char* blanks = " \t\r\n";
    std::string::size_type first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

} // namespace

void TerminalFrontEnd::PrintDialog(const Dialog& dialog)
{
    m_out << "\n" << dialog.GetText() << "\n";
    for (const auto& item : dialog.GetItems()) {
        if (!item->GetShownPage().empty())
            m_out << "  page: " << item->GetShownPage() << "\n";
    }
    for (const Window* button : dialog.GetPressableButtons()) {
        m_out << "  ";
        if (button->GetKind() == WindowKind::CheckBox)
            m_out << (button->GetCheck() == kChecked ? "[x] " : "[ ] ");
        m_out << button->GetText() << "\n";
    }
}

DialogInput TerminalFrontEnd::NextInput(Dialog& dialog)
{
    PrintDialog(dialog);
    for (;;) {
        m_out << "Choose a button by its text or first letter: " << std::flush;
        std::string line;
        if (!std::getline(m_in, line)) {
            m_out << "\n";
            return DialogInput{DialogInput::Kind::EndOfInput, 0};
        }
        std::string choice = Trim(line);
        if (choice.empty())
            continue;
        bool ambiguous = false;
        if (Window* button = FindButtonByChoice(dialog, choice, &ambiguous))
            return DialogInput{DialogInput::Kind::Press, button->GetId()};
        if (ambiguous)
            m_out << "More than one button starts with \"" << choice << "\"; type more of its text.\n";
        else
            m_out << "There is no button \"" << choice << "\" to press here.\n";
    }
}

} // namespace platform
