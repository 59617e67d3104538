#include "platform/ScriptedFrontEnd.h"

namespace platform {

ScriptedFrontEnd& ScriptedFrontEnd::Choose(const std::string& buttonText)
{
    m_steps.push_back(Step{Step::Kind::Choose, buttonText, 0, nullptr});
    return *this;
}

ScriptedFrontEnd& ScriptedFrontEnd::Press(int controlId)
{
    m_steps.push_back(Step{Step::Kind::Press, "", controlId, nullptr});
    return *this;
}

ScriptedFrontEnd& ScriptedFrontEnd::Close()
{
    m_steps.push_back(Step{Step::Kind::Close, "", 0, nullptr});
    return *this;
}

ScriptedFrontEnd& ScriptedFrontEnd::Inspect(std::function<void(Dialog&)> look)
{
    m_steps.push_back(Step{Step::Kind::Inspect, "", 0, std::move(look)});
    return *this;
}

DialogInput ScriptedFrontEnd::NextInput(Dialog& dialog)
{
    while (!m_steps.empty() && m_error.empty()) {
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        switch (step.kind) {
        case Step::Kind::Inspect:
            step.look(dialog);
            continue;
        case Step::Kind::Close:
            return DialogInput{DialogInput::Kind::Close, 0};
        case Step::Kind::Press:
            return DialogInput{DialogInput::Kind::Press, step.controlId};
        case Step::Kind::Choose:
            if (Window* button = FindButtonByChoice(dialog, step.text))
                return DialogInput{DialogInput::Kind::Press, button->GetId()};
            m_error =
                "no visible, enabled button \"" + step.text + "\" in the dialog \"" + dialog.GetText() + "\"";
            m_steps.clear();
            break;
        }
    }
    return DialogInput{DialogInput::Kind::EndOfInput, 0};
}

} // namespace platform
