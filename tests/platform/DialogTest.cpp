#include <optional>

#include "platform/Dialog.h"
#include "platform/ScriptedFrontEnd.h"
#include "platform/TerminalFrontEnd.h"
#include "core/ServiceOverride.h"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace platform;

namespace {

constexpr int kTestDialog = 9001;
constexpr int kGo = 10, kHidden = 11, kDisabled = 12, kBox = 13, kStay = 14, kLabel = 15;

void RegisterTestDialog()
{
    DialogTemplate dialog;
    dialog.id = kTestDialog;
    dialog.caption = "Test";
    dialog.width = 100;
    dialog.height = 40;
    dialog.controls = {
        ControlTemplate{kGo, WindowKind::PushButton, "Go", 4, 8, 40, 14, true, true},
        ControlTemplate{kHidden, WindowKind::PushButton, "Gone", 0, 0, 10, 10, false, true},
        ControlTemplate{kDisabled, WindowKind::PushButton, "Greyed", 0, 0, 10, 10, true, false},
        ControlTemplate{kBox, WindowKind::CheckBox, "Box", 0, 0, 10, 10, true, true},
        ControlTemplate{kStay, WindowKind::PushButton, "Stay", 0, 0, 10, 10, true, true},
        ControlTemplate{kLabel, WindowKind::Static, "Label", 0, 0, 10, 10, true, true},
    };
    RegisterDialogTemplate(dialog);
}

// Notes every message it gets; Go ends the dialog with its number, Close
// ends it with 77 unless told to ignore closing.
struct Journal {
    std::vector<std::string> messages;
    std::vector<int> boxStateAtCommand;
    bool ignoreClose = false;
};
Journal* g_journal = nullptr;

bool JournalProc(Dialog& dialog, DialogMessage message, std::uintptr_t wParam, std::intptr_t lParam)
{
    switch (message) {
    case DialogMessage::Init:
        g_journal->messages.push_back("init " + std::to_string(lParam));
        return true;
    case DialogMessage::Command: {
        int id = LowWord(wParam);
        g_journal->messages.push_back("command " + std::to_string(id));
        if (id == kBox)
            g_journal->boxStateAtCommand.push_back(dialog.IsButtonChecked(kBox));
        if (id == kGo)
            dialog.End(kGo);
        return true;
    }
    case DialogMessage::Close:
        g_journal->messages.push_back("close");
        if (!g_journal->ignoreClose)
            dialog.End(77);
        return true;
    case DialogMessage::Destroy:
        g_journal->messages.push_back("destroy");
        return false;
    default:
        return false;
    }
}

class DialogRun : public ::testing::Test {
  protected:
    void SetUp() override
    {
        RegisterTestDialog();
        g_journal = &journal;
        m_frontEnd.emplace(&script);
    }
    void TearDown() override
    {
        m_frontEnd.reset();
        g_journal = nullptr;
    }

    Journal journal;
    ScriptedFrontEnd script;

  private:
    std::optional<ServiceOverride<GetDialogFrontEnd, SetDialogFrontEnd>> m_frontEnd;
};

} // namespace

TEST(DialogUnits, ConvertWithTheFontsBaseUnitsRoundedToNearest)
{
    struct Case {
        int units, x, y;
    } cases[] = {{0, 0, 0}, {4, 6, 7}, {7, 11, 11}, {443, 665, 720}, {331, 497, 538}, {-3, -5, -5}};
    for (const Case& c : cases) {
        EXPECT_EQ(DialogUnitsToPixelsX(c.units), c.x) << c.units;
        EXPECT_EQ(DialogUnitsToPixelsY(c.units), c.y) << c.units;
    }
}

TEST(DialogModel, BuildsWindowsFromTheTemplate)
{
    RegisterTestDialog();
    Dialog dialog(*FindDialogTemplate(kTestDialog), nullptr, nullptr);
    EXPECT_EQ(dialog.GetText(), "Test");
    EXPECT_EQ(dialog.GetWindowRect(), (Rect{0, 0, 150, 65}));
    Window* go = dialog.GetItem(kGo);
    ASSERT_NE(go, nullptr);
    EXPECT_EQ(go->GetWindowRect(), (Rect{6, 13, 66, 36}));
    EXPECT_EQ(go->GetClientRect(), (Rect{0, 0, 60, 23}));
    EXPECT_FALSE(dialog.GetItem(kHidden)->IsVisible());
    EXPECT_FALSE(dialog.GetItem(kDisabled)->IsEnabled());
    EXPECT_EQ(dialog.GetItem(999), nullptr);
    EXPECT_EQ(dialog.IsButtonChecked(999), kUnchecked);

    std::vector<int> pressable;
    for (Window* button : dialog.GetPressableButtons())
        pressable.push_back(button->GetId());
    EXPECT_EQ(pressable, (std::vector<int>{kGo, kBox, kStay}));
}

TEST_F(DialogRun, InitFirstThenCommandsUntilEndedThenDestroy)
{
    script.Choose("Stay").Choose("Go");
    int result = RunModalDialog(kTestDialog, nullptr, JournalProc, 42);
    EXPECT_EQ(result, kGo);
    EXPECT_EQ(journal.messages, (std::vector<std::string>{"init 42", "command 14", "command 10", "destroy"}));
}

TEST_F(DialogRun, HiddenDisabledAndStaticControlsCannotBePressed)
{
    script.Press(kHidden).Press(kDisabled).Press(kLabel).Press(999).Press(kGo);
    EXPECT_EQ(RunModalDialog(kTestDialog, nullptr, JournalProc), kGo);
    EXPECT_EQ(journal.messages, (std::vector<std::string>{"init 0", "command 10", "destroy"}));
}

TEST_F(DialogRun, ACheckBoxFlipsItsTickBeforeItsCommand)
{
    script.Choose("Box")
        .Choose("Box")
        .Inspect([](Dialog& dialog) { dialog.CheckButton(kBox, kIndeterminate); })
        .Choose("Box")
        .Choose("Go");
    RunModalDialog(kTestDialog, nullptr, JournalProc);
    EXPECT_EQ(journal.boxStateAtCommand, (std::vector<int>{kChecked, kUnchecked, kChecked}));
}

TEST_F(DialogRun, ClosingAndTheEndOfInput)
{
    script.Close();
    EXPECT_EQ(RunModalDialog(kTestDialog, nullptr, JournalProc), 77);
    EXPECT_EQ(journal.messages, (std::vector<std::string>{"init 0", "close", "destroy"}));

    // The script has run out: the end of input closes the dialog.
    journal.messages.clear();
    EXPECT_EQ(RunModalDialog(kTestDialog, nullptr, JournalProc), 77);
    EXPECT_EQ(journal.messages, (std::vector<std::string>{"init 0", "close", "destroy"}));

    // A dialog that ignores closing cannot outlive its input.
    journal.messages.clear();
    journal.ignoreClose = true;
    EXPECT_EQ(RunModalDialog(kTestDialog, nullptr, JournalProc), kDialogFailed);
    EXPECT_EQ(journal.messages, (std::vector<std::string>{"init 0", "close", "destroy"}));
}

TEST_F(DialogRun, UnknownTemplateFailsWithoutCallingTheProcedure)
{
    EXPECT_EQ(RunModalDialog(424242, nullptr, JournalProc), kDialogFailed);
    EXPECT_TRUE(journal.messages.empty());
}

TEST_F(DialogRun, AScriptedChoiceThatNoButtonCarriesStopsTheScript)
{
    script.Choose("Gone").Choose("Go");
    EXPECT_EQ(RunModalDialog(kTestDialog, nullptr, JournalProc), 77);
    EXPECT_TRUE(script.HasFailed());
    EXPECT_NE(script.GetError().find("\"Gone\""), std::string::npos);
    EXPECT_TRUE(script.IsFinished());
}

TEST(ButtonChoice, ByWholeTextInAnyCaseOrByAnUnambiguousFirstLetter)
{
    RegisterTestDialog();
    Dialog dialog(*FindDialogTemplate(kTestDialog), nullptr, nullptr);
    struct Case {
        const char* choice;
        int id; // 0: none
        bool ambiguous;
    } cases[] = {
        {"Go", kGo, false}, {"gO", kGo, false}, {"b", kBox, false},   {"S", kStay, false},
        {"G", kGo, false},  {"Gone", 0, false}, {"Greyed", 0, false}, {"Label", 0, false},
        {"", 0, false},     {"Go ", 0, false},  {"Bo", 0, false},
    };
    for (const Case& c : cases) {
        bool ambiguous = true;
        Window* found = FindButtonByChoice(dialog, c.choice, &ambiguous);
        EXPECT_EQ(found ? found->GetId() : 0, c.id) << c.choice;
        EXPECT_EQ(ambiguous, c.ambiguous) << c.choice;
    }

    // Two visible, enabled buttons starting with the same letter.
    dialog.GetItem(kDisabled)->Enable(true);
    bool ambiguous = false;
    EXPECT_EQ(FindButtonByChoice(dialog, "g", &ambiguous), nullptr);
    EXPECT_TRUE(ambiguous);
}

TEST_F(DialogRun, TerminalShowsTitlePageAndPressableButtonsAndReadsChoices)
{
    std::istringstream in("\nnothing\nx\n   go  \n");
    std::ostringstream out;
    TerminalFrontEnd terminal(in, out);
    ServiceOverride<GetDialogFrontEnd, SetDialogFrontEnd> installedDialogFrontEnd(&terminal);

    struct Marker {
        static bool Proc(Dialog& dialog, DialogMessage message, std::uintptr_t wParam, std::intptr_t lParam)
        {
            if (message == DialogMessage::Init) {
                dialog.GetItem(kLabel)->SetShownPage("https://pages.example/a.html");
                dialog.CheckButton(kBox, kChecked);
            }
            return JournalProc(dialog, message, wParam, lParam);
        }
    };
    EXPECT_EQ(RunModalDialog(kTestDialog, nullptr, Marker::Proc), kGo);

    std::string shown = out.str();
    EXPECT_NE(shown.find("Test\n"), std::string::npos);
    EXPECT_NE(shown.find("page: https://pages.example/a.html"), std::string::npos);
    EXPECT_NE(shown.find("  Go\n"), std::string::npos);
    EXPECT_NE(shown.find("  [x] Box\n"), std::string::npos);
    EXPECT_NE(shown.find("  Stay\n"), std::string::npos);
    EXPECT_EQ(shown.find("Gone"), std::string::npos);
    EXPECT_EQ(shown.find("Greyed"), std::string::npos);
    EXPECT_NE(shown.find("no button \"nothing\""), std::string::npos);
    EXPECT_NE(shown.find("no button \"x\""), std::string::npos);
}

TEST_F(DialogRun, TerminalEndOfInputClosesTheDialog)
{
    std::istringstream in("");
    std::ostringstream out;
    TerminalFrontEnd terminal(in, out);
    ServiceOverride<GetDialogFrontEnd, SetDialogFrontEnd> installedDialogFrontEnd(&terminal);
    EXPECT_EQ(RunModalDialog(kTestDialog, nullptr, JournalProc), 77);
    EXPECT_EQ(journal.messages, (std::vector<std::string>{"init 0", "close", "destroy"}));
}
