#pragma once

#include <deque>
#include <functional>
#include <string>

#include "platform/Dialog.h"

namespace platform {

// Plays a fixed script of user actions into the modal dialogs, one action
// per input: press a button by its text (as a user picks it) or by its
// number, close the dialog, or look at the dialog without acting. When the
// script runs out, the input ends. A button text that no visible, enabled
// button carries stops the script with an error.
class ScriptedFrontEnd : public DialogFrontEnd {
  public:
    ScriptedFrontEnd& Choose(const std::string& buttonText);
    ScriptedFrontEnd& Press(int controlId);
    ScriptedFrontEnd& Close();
    ScriptedFrontEnd& Inspect(std::function<void(Dialog&)> look);

    DialogInput NextInput(Dialog& dialog) override;

    bool HasFailed() const { return !m_error.empty(); }
    const std::string& GetError() const { return m_error; }
    bool IsFinished() const { return m_steps.empty(); }

  private:
    struct Step {
        enum class Kind { Choose, Press, Close, Inspect } kind;
        std::string text;
        int controlId = 0;
        std::function<void(Dialog&)> look;
    };

    std::deque<Step> m_steps;
    std::string m_error;
};

} // namespace platform
