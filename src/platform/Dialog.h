#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A headless model of modal dialogs: windows with text, placement,
// visibility, enabled and check state; dialogs built from templates by
// number; a dialog procedure fed initialise, command, close and destroy
// messages; and a modal run that asks a front end (a terminal, a script or
// a test) what the user does next.
namespace platform {

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Rect& other) const
    {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

enum class WindowKind { Dialog, PushButton, DefaultPushButton, CheckBox, Static, GroupBox };

struct ControlTemplate {
    int id = 0;
    WindowKind kind = WindowKind::PushButton;
    std::string text;
    int x = 0, y = 0, width = 0, height = 0; // dialog units
    bool visible = true;
    bool enabled = true;
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    int width = 0, height = 0; // dialog units
    std::vector<ControlTemplate> controls;
};

// Dialog units to pixels with the base units of the dialogs' 8-point font
// (6 by 13 pixels): x * 6 / 4 and y * 13 / 8, rounded to nearest.
int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);

// The table of dialog templates by number, as a program's resources hold
// them. Registering a number again replaces its template.
void RegisterDialogTemplate(const DialogTemplate& dialogTemplate);
const DialogTemplate* FindDialogTemplate(int id);

// The screen the dialogs are placed on; 1024 by 768 until set.
void SetScreenSize(int width, int height);
int GetScreenWidth();
int GetScreenHeight();

constexpr int kUnchecked = 0;
constexpr int kChecked = 1;
constexpr int kIndeterminate = 2;

class Window {
  public:
    Window(int id, WindowKind kind, std::string text, const Rect& rect);
    virtual ~Window() = default;

    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    int GetId() const { return m_id; }
    WindowKind GetKind() const { return m_kind; }
    bool IsButton() const;

    const std::string& GetText() const { return m_text; }
    void SetText(const std::string& text) { m_text = text; }

    // A dialog's rectangle is in screen pixels, a control's relative to
    // its dialog's client area. The non-client frame is not modelled, so
    // the client rectangle is the window's size at the origin.
    Rect GetWindowRect() const { return m_rect; }
    Rect GetClientRect() const { return Rect{0, 0, m_rect.Width(), m_rect.Height()}; }
    void Move(int x, int y, int width, int height, bool repaint);
    int GetRepaintCount() const { return m_repaints; }

    bool IsVisible() const { return m_visible; }
    void Show(bool visible) { m_visible = visible; }
    bool IsEnabled() const { return m_enabled; }
    void Enable(bool enabled) { m_enabled = enabled; }

    int GetCheck() const { return m_check; }
    void SetCheck(int state) { m_check = state; }

    // The address of the page an embedded browser shows in this window.
    const std::string& GetShownPage() const { return m_shownPage; }
    void SetShownPage(const std::string& address) { m_shownPage = address; }

  private:
    int m_id;
    WindowKind m_kind;
    std::string m_text;
    Rect m_rect;
    bool m_visible = true;
    bool m_enabled = true;
    int m_check = kUnchecked;
    int m_repaints = 0;
    std::string m_shownPage;
};

enum class DialogMessage { Init, Command, Close, Destroy, Create };

class Dialog;

// Answers true for the messages it handles. For Command the low 16 bits of
// wParam hold the control's number.
using DialogProc = bool (*)(Dialog& dialog, DialogMessage message, std::uintptr_t wParam,
                            std::intptr_t lParam);

std::uint16_t LowWord(std::uintptr_t value);
std::uintptr_t CommandParam(int controlId);

class Dialog : public Window {
  public:
    Dialog(const DialogTemplate& dialogTemplate, Dialog* owner, DialogProc proc);

    int GetTemplateId() const { return m_templateId; }
    Dialog* GetOwner() const { return m_owner; }

    Window* GetItem(int id) const;
    const std::vector<std::unique_ptr<Window>>& GetItems() const { return m_items; }

    // Hands a message to the dialog procedure; false when it has none or
    // the procedure did not handle the message.
    bool Send(DialogMessage message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

    // Ends the modal run with the result once the procedure returns.
    void End(int result);
    bool HasEnded() const { return m_ended; }
    int GetResult() const { return m_result; }

    // 0 for a control that does not exist.
    int IsButtonChecked(int id) const;
    void CheckButton(int id, int state);

    // A user's click: only a visible, enabled button can be pressed. An
    // automatic check box flips its tick before the command is sent.
    bool Press(int id);

    // The buttons a user can press now, in template order.
    std::vector<Window*> GetPressableButtons() const;

  private:
    int m_templateId;
    Dialog* m_owner;
    DialogProc m_proc;
    std::vector<std::unique_ptr<Window>> m_items;
    bool m_ended = false;
    int m_result = 0;
};

// Finds the visible, enabled button a user means: its whole text in any
// case or, for a single character, the one button whose text starts with
// it. Sets *ambiguous when a letter fits more than one button.
Window* FindButtonByChoice(const Dialog& dialog, const std::string& choice, bool* ambiguous = nullptr);

// What the user does next in a modal dialog.
struct DialogInput {
    enum class Kind { Press, Close, EndOfInput };
    Kind kind = Kind::EndOfInput;
    int controlId = 0;
};

// Where the user's answers to dialogs come from: a terminal, a script, a
// test, or a window system's own dialogs. The host picks it.
class DialogFrontEnd {
  public:
    virtual ~DialogFrontEnd() = default;
    // What the user does next in the open dialog; EndOfInput when no more
    // will come.
    virtual DialogInput NextInput(Dialog& dialog) = 0;
};

// The front end every modal run asks; null (the default) means no user:
// each dialog is closed right after it opens.
void SetDialogFrontEnd(DialogFrontEnd* frontEnd);
DialogFrontEnd* GetDialogFrontEnd();

constexpr int kDialogFailed = -1;

// Creates the dialog of the template number, sends it Init, then feeds it
// the front end's inputs until the procedure ends it; sends Destroy and
// returns the result. An end of input is a close; a dialog that ignores
// even that ends with kDialogFailed, as does an unknown template number.
int RunModalDialog(int templateId, Dialog* owner, DialogProc proc, std::intptr_t param = 0);

// Loads the shared control classes a dialog may use. Nothing to load here.
void LoadCommonControls();

// Asks the message loop to quit with the code. No message loop runs here,
// so the request is only kept for whoever looks.
void PostQuit(int exitCode);
bool IsQuitPosted();
int GetPostedQuitCode();
void ClearPostedQuit();

} // namespace platform
