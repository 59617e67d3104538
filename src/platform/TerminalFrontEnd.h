#pragma once

#include <istream>
#include <ostream>

#include "platform/Dialog.h"

namespace platform {

// Shows a dialog in a terminal: its title, the page shown in its frame and
// the buttons that can be pressed now, then reads the user's choice, a
// button's text or its first letter. The end of the input closes the
// dialog.
class TerminalFrontEnd : public DialogFrontEnd {
  public:
    TerminalFrontEnd(std::istream& in, std::ostream& out) : m_in(in), m_out(out) {}

    DialogInput NextInput(Dialog& dialog) override;

  private:
    void PrintDialog(const Dialog& dialog);

    std::istream& m_in;
    std::ostream& m_out;
};

} // namespace platform
