#include "platform/Dialog.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "platform/CallRecorder.h"

namespace platform {

namespace {

struct DialogState {
    std::map<int, DialogTemplate> templates;
    int screenWidth = 1024;
    int screenHeight = 768;
    DialogFrontEnd* frontEnd = nullptr;
    bool quitPosted = false;
    int quitCode = 0;
};

DialogState& State()
{
    static DialogState state;
    return state;
}

int MulDivRounded(int value, int numerator, int denominator)
{
    long long product = static_cast<long long>(value) * numerator;
    long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

Rect ControlRect(const ControlTemplate& control)
{
    int left = DialogUnitsToPixelsX(control.x);
    int top = DialogUnitsToPixelsY(control.y);
    return Rect{left, top, left + DialogUnitsToPixelsX(control.width),
                top + DialogUnitsToPixelsY(control.height)};
}

std::string Lower(const std::string& text)
{
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

} // namespace

int DialogUnitsToPixelsX(int units) { return MulDivRounded(units, 6, 4); }
int DialogUnitsToPixelsY(int units) { return MulDivRounded(units, 13, 8); }

void RegisterDialogTemplate(const DialogTemplate& dialogTemplate)
{
    State().templates[dialogTemplate.id] = dialogTemplate;
}

const DialogTemplate* FindDialogTemplate(int id)
{
    auto found = State().templates.find(id);
    return found == State().templates.end() ? nullptr : &found->second;
}

void SetScreenSize(int width, int height)
{
    State().screenWidth = width;
    State().screenHeight = height;
}

int GetScreenWidth() { return State().screenWidth; }
int GetScreenHeight() { return State().screenHeight; }

Window::Window(int id, WindowKind kind, std::string text, const Rect& rect)
    : m_id(id), m_kind(kind), m_text(std::move(text)), m_rect(rect)
{
}

bool Window::IsButton() const
{
    return m_kind == WindowKind::PushButton || m_kind == WindowKind::DefaultPushButton ||
           m_kind == WindowKind::CheckBox;
}

void Window::Move(int x, int y, int width, int height, bool repaint)
{
    m_rect = Rect{x, y, x + width, y + height};
    if (repaint)
        ++m_repaints;
}

std::uint16_t LowWord(std::uintptr_t value) { return static_cast<std::uint16_t>(value & 0xFFFFu); }

std::uintptr_t CommandParam(int controlId) { return static_cast<std::uint16_t>(controlId); }

Dialog::Dialog(const DialogTemplate& dialogTemplate, Dialog* owner, DialogProc proc)
    : Window(0, WindowKind::Dialog, dialogTemplate.caption,
             Rect{0, 0, DialogUnitsToPixelsX(dialogTemplate.width),
                  DialogUnitsToPixelsY(dialogTemplate.height)}),
      m_templateId(dialogTemplate.id), m_owner(owner), m_proc(proc)
{
    for (const ControlTemplate& control : dialogTemplate.controls) {
        auto item = std::make_unique<Window>(control.id, control.kind, control.text, ControlRect(control));
        item->Show(control.visible);
        item->Enable(control.enabled);
        m_items.push_back(std::move(item));
    }
}

Window* Dialog::GetItem(int id) const
{
    for (const auto& item : m_items) {
        if (item->GetId() == id)
            return item.get();
    }
    return nullptr;
}

bool Dialog::Send(DialogMessage message, std::uintptr_t wParam, std::intptr_t lParam)
{
    return m_proc && m_proc(*this, message, wParam, lParam);
}

void Dialog::End(int result)
{
    m_ended = true;
    m_result = result;
}

int Dialog::IsButtonChecked(int id) const
{
    const Window* item = GetItem(id);
    return item ? item->GetCheck() : kUnchecked;
}

void Dialog::CheckButton(int id, int state)
{
    if (Window* item = GetItem(id))
        item->SetCheck(state);
}

bool Dialog::Press(int id)
{
    Window* item = GetItem(id);
    if (!item || !item->IsButton() || !item->IsVisible() || !item->IsEnabled())
        return false;
    if (item->GetKind() == WindowKind::CheckBox)
        item->SetCheck(item->GetCheck() == kChecked ? kUnchecked : kChecked);
    Send(DialogMessage::Command, CommandParam(id));
    return true;
}

std::vector<Window*> Dialog::GetPressableButtons() const
{
    std::vector<Window*> buttons;
    for (const auto& item : m_items) {
        if (item->IsButton() && item->IsVisible() && item->IsEnabled())
            buttons.push_back(item.get());
    }
    return buttons;
}

Window* FindButtonByChoice(const Dialog& dialog, const std::string& choice, bool* ambiguous)
{
    if (ambiguous)
        *ambiguous = false;
    std::vector<Window*> buttons = dialog.GetPressableButtons();
    std::string wanted = Lower(choice);
    for (Window* button : buttons) {
        if (Lower(button->GetText()) == wanted)
            return button;
    }
    if (wanted.size() != 1)
        return nullptr;
    Window* match = nullptr;
    for (Window* button : buttons) {
        std::string text = Lower(button->GetText());
        if (text.empty() || text[0] != wanted[0])
            continue;
        if (match) {
            if (ambiguous)
                *ambiguous = true;
            return nullptr;
        }
        match = button;
    }
    return match;
}

void SetDialogFrontEnd(DialogFrontEnd* frontEnd) { State().frontEnd = frontEnd; }
DialogFrontEnd* GetDialogFrontEnd() { return State().frontEnd; }

int RunModalDialog(int templateId, Dialog* owner, DialogProc proc, std::intptr_t param)
{
    const DialogTemplate* dialogTemplate = FindDialogTemplate(templateId);
    if (!dialogTemplate)
        return kDialogFailed;
    RecordCall("RunModalDialog " + std::to_string(templateId));

    Dialog dialog(*dialogTemplate, owner, proc);
    dialog.Send(DialogMessage::Init, 0, param);
    while (!dialog.HasEnded()) {
        DialogFrontEnd* frontEnd = GetDialogFrontEnd();
        DialogInput input = frontEnd ? frontEnd->NextInput(dialog) : DialogInput{};
        if (input.kind == DialogInput::Kind::Press) {
            dialog.Press(input.controlId);
            continue;
        }
        dialog.Send(DialogMessage::Close);
        if (input.kind == DialogInput::Kind::EndOfInput && !dialog.HasEnded())
            dialog.End(kDialogFailed);
    }
    dialog.Send(DialogMessage::Destroy);
    return dialog.GetResult();
}

void LoadCommonControls() { RecordCall("LoadCommonControls"); }

void PostQuit(int exitCode)
{
    State().quitPosted = true;
    State().quitCode = exitCode;
}

bool IsQuitPosted() { return State().quitPosted; }
int GetPostedQuitCode() { return State().quitCode; }

void ClearPostedQuit()
{
    State().quitPosted = false;
    State().quitCode = 0;
}

} // namespace platform
