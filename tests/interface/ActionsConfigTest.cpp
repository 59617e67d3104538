#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "InputManagerTestSupport.h"

namespace {

const ExpectedAction kUnset{0, "", "", false, false};

// Everything the bindings consist of, to show that a failed read or write
// left them as they were.
struct Snapshot {
    std::vector<std::string> names;
    std::vector<std::string> mapLines;
    std::vector<std::string> keyboard;
    std::vector<std::string> numeric;
    bool operator==(const Snapshot& other) const
    {
        return names == other.names && mapLines == other.mapLines && keyboard == other.keyboard &&
               numeric == other.numeric;
    }
};

std::string Describe(const CPAction& a)
{
    return std::to_string(a.code) + "|" + a.keyText + "|" + a.actionText + "|" + std::to_string(a.defined) +
           "|" + std::to_string(a.numeric);
}

Snapshot Take(const CPInputManager& manager)
{
    Snapshot s;
    s.names = manager.GetActionNames();
    for (const std::string& name : s.names)
        s.mapLines.push_back(name + "=" + Describe(manager.GetActionMap().at(name)));
    for (int code = 0; code < CPInputManager::kCodeCount; ++code) {
        s.keyboard.push_back(Describe(manager.GetKeyboardAction(code)));
        s.numeric.push_back(Describe(manager.GetNumericAction(code)));
    }
    return s;
}

const char kTwoBindings[] = "fire;Fire;Space;false\r\nshoot2;Fire 2;3;true\r\n";

} // namespace

TEST_F(InputManagerTest, KeyNamesGoToTheKeyboardTableAndNumericCodesToTheNumericTable)
{
    Load("Actions.cfg", kTwoBindings);

    ExpectAction(manager.GetKeyboardAction(0x39), {0x39, "Space", "fire", true, false}, "keyboard 0x39");
    ExpectAction(manager.GetNumericAction(3), {3, "", "shoot2", true, true}, "numeric 3");
    ExpectAction(manager.GetActionMap().at("fire"), {0x39, "Space", "Fire", true, false}, "map fire");
    ExpectAction(manager.GetActionMap().at("shoot2"), {3, "3", "Fire 2", true, true}, "map shoot2");
    EXPECT_EQ(manager.GetActionNames(), (std::vector<std::string>{"fire", "shoot2"}));
    // Nothing else is bound.
    ExpectAction(manager.GetKeyboardAction(0x04), kUnset, "keyboard 0x04");
    ExpectAction(manager.GetNumericAction(0x39), kUnset, "numeric 0x39");
}

TEST_F(InputManagerTest, WritingAfterReadingGivesTheSameFile)
{
    // The file is found whatever the case of its name; the bindings are
    // written to "Actions.cfg" in the order they were read.
    const std::string file = "fire;Fire;Space;false\r\n"
                             "shoot2;Fire 2;3;true\r\n"
                             "left;Turn left;Left;false\r\n"
                             "right;Turn right;Right;false\r\n"
                             "up;Accelerate;Up;false\r\n"
                             "down;Brake;Down;false\r\n"
                             "nitro;Nitro;LCtrl;false\r\n"
                             "mine;Drop mine;NumPad Enter;false\r\n"
                             "super;Super weapon;0;true\r\n"
                             "aim;Aim;\";\";false\r\n"
                             "look;Look back;`;false\r\n"
                             "horn;Horn;\\;false\r\n";
    Load("ACTIONS.CFG", file);
    ASSERT_EQ(manager.GetActionNames().size(), 12u);
    ExpectAction(manager.GetKeyboardAction(0x27), {0x27, ";", "aim", true, false}, "keyboard 0x27");

    ASSERT_EQ(manager.WriteActions(), S_OK);
    EXPECT_EQ(folder.Read("ACTIONS.CFG"), file);
}

TEST_F(InputManagerTest, CommentsAndBlankLinesAreNoBindings)
{
    Load("Actions.cfg", "// controls\r\n"
                        "\r\n"
                        "  fire ; Fire ; Space ; false  \r\n"
                        "/* old\r\n"
                        "jump;Jump;J;false\r\n"
                        "*/\r\n"
                        "\t\r\n"
                        "up;Accelerate;Up;false");
    EXPECT_EQ(manager.GetActionNames(), (std::vector<std::string>{"fire", "up"}));
    ExpectAction(manager.GetActionMap().at("fire"), {0x39, "Space", "Fire", true, false}, "map fire");
}

TEST_F(InputManagerTest, AnUnknownKeyNameBindsNoKeyButIsKept)
{
    Load("Actions.cfg", "fire;Fire;Spacebar;false\r\nup;Accelerate;Up;false\r\n");

    ExpectAction(manager.GetActionMap().at("fire"), {0, "Spacebar", "Fire", true, false}, "map fire");
    ExpectAction(manager.GetKeyboardAction(0), {0, "Spacebar", "fire", true, false}, "keyboard 0");
    EXPECT_TRUE(log.Contains("\"Spacebar\" of the action \"fire\" is no key name"));

    ASSERT_EQ(manager.WriteActions(), S_OK);
    EXPECT_EQ(folder.Read("Actions.cfg"), "fire;Fire;Spacebar;false\r\nup;Accelerate;Up;false\r\n");
}

TEST_F(InputManagerTest, ARepeatedActionIsWrittenTwiceWithItsLaterBinding)
{
    Load("Actions.cfg", "fire;Fire;Space;false\r\nup;Accelerate;Up;false\r\nfire;Shoot;F;false\r\n");

    EXPECT_EQ(manager.GetActionNames(), (std::vector<std::string>{"fire", "up", "fire"}));
    // Both keys drive the action in the code table.
    ExpectAction(manager.GetKeyboardAction(0x39), {0x39, "Space", "fire", true, false}, "keyboard Space");
    ExpectAction(manager.GetKeyboardAction(0x21), {0x21, "F", "fire", true, false}, "keyboard F");

    ASSERT_EQ(manager.WriteActions(), S_OK);
    EXPECT_EQ(folder.Read("Actions.cfg"),
              "fire;Shoot;F;false\r\nup;Accelerate;Up;false\r\nfire;Shoot;F;false\r\n");
}

TEST_F(InputManagerTest, AFileWithNoUsableBindingChangesNothing)
{
    struct Case {
        const char* what;
        bool exists;
        std::string contents;
        const char* logged;
    };
    const Case cases[] = {
        {"missing file", false, "", "were not read"},
        {"empty file", true, "", "hold no binding"},
        {"only comments", true, "// nothing\r\n\r\n", "hold no binding"},
        {"numeric code too large", true, "shoot2;Fire 2;300;true\r\n", "from 0 to 255"},
        {"negative numeric code", true, "shoot2;Fire 2;-5;true\r\n", "from 0 to 255"},
        {"binding without a name", true, ";Fire;Space;false\r\n", "names no action"},
        {"section headers", true, "[keys;Keys;K;false]\r\n[]\r\n", "section header"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder scratch;
        scratch.UseAsDataRoot();
        LogCapture caseLog;
        scratch.Write("Actions.cfg", kTwoBindings);
        CPInputManager loaded;
        ASSERT_EQ(loaded.ParseActionsConfig("Actions.cfg"), S_OK);
        const Snapshot before = Take(loaded);
        if (c.exists)
            scratch.Write("bad.cfg", c.contents);

        EXPECT_EQ(loaded.ParseActionsConfig("bad.cfg"), E_FAIL);
        EXPECT_TRUE(Take(loaded) == before);
        EXPECT_TRUE(caseLog.Contains(c.logged)) << caseLog.Text();
        EXPECT_EQ(scratch.Read("Actions.cfg"), kTwoBindings);
        if (c.exists) {
            EXPECT_EQ(scratch.Read("bad.cfg"), c.contents);
        }
    }
}

TEST_F(InputManagerTest, LinesThatMakeNoBindingAreLeftOutOneByOne)
{
    Load("Actions.cfg", "fire;Fire;Space\r\n"      // no flag: a key name
                        "shoot2;Fire 2;3;TRUE\r\n" // not "true": the key named "3"
                        "bad;Bad;300;true\r\n"     // no numeric code
                        ";Nameless;X;false\r\n"    // no action
                        "[section]\r\n"
                        "[]\r\n"
                        "up;Accelerate;Up;false\r\n"
                        "pad;Pad;7;true\r\n");

    EXPECT_EQ(manager.GetActionNames(), (std::vector<std::string>{"fire", "shoot2", "up", "pad"}));
    ExpectAction(manager.GetKeyboardAction(0x39), {0x39, "Space", "fire", true, false}, "keyboard Space");
    ExpectAction(manager.GetKeyboardAction(0x04), {0x04, "3", "shoot2", true, false}, "keyboard 3");
    ExpectAction(manager.GetKeyboardAction(0xC8), {0xC8, "Up", "up", true, false}, "keyboard Up");
    ExpectAction(manager.GetNumericAction(7), {7, "", "pad", true, true}, "numeric 7");
    EXPECT_EQ(manager.GetActionMap().count("bad"), 0u);
    for (const char* left : {"\"bad;Bad;300;true\" is left out", "\";Nameless;X;false\" is left out",
                             "\"[section]\" is left out", "\"[]\" is left out"})
        EXPECT_TRUE(log.Contains(left)) << left << "\n" << log.Text();

    // What is written back is the bindings the game uses, in full fields.
    ASSERT_EQ(manager.WriteActions(), S_OK);
    EXPECT_EQ(folder.Read("Actions.cfg"), "fire;Fire;Space;false\r\nshoot2;Fire 2;3;false\r\n"
                                          "up;Accelerate;Up;false\r\npad;Pad;7;true\r\n");
}

TEST_F(InputManagerTest, ReadingWithoutAFileNameFails)
{
    Load("Actions.cfg", kTwoBindings);
    const Snapshot before = Take(manager);
    EXPECT_EQ(manager.ParseActionsConfig(""), E_FAIL);
    EXPECT_TRUE(Take(manager) == before);
    EXPECT_TRUE(log.Contains("no file name"));
}

TEST_F(InputManagerTest, WithNoBindingsTheFileOnDiskIsNotEmptied)
{
    folder.Write("Actions.cfg", ";Fire;Space;fals");
    EXPECT_EQ(manager.ParseActionsConfig("Actions.cfg"), E_FAIL);

    EXPECT_EQ(manager.WriteActions(), E_FAIL);
    EXPECT_EQ(manager.SaveAndReloadActions(), E_FAIL);
    EXPECT_EQ(folder.Read("Actions.cfg"), ";Fire;Space;fals");
    EXPECT_TRUE(log.Contains("no key bindings to write"));
}

TEST_F(InputManagerTest, EachReadStartsBothCodeTablesAfresh)
{
    Load("Actions.cfg", kTwoBindings);
    Load("other.cfg", "up;Accelerate;Up;false\r\n");

    ExpectAction(manager.GetKeyboardAction(0x39), kUnset, "keyboard 0x39");
    ExpectAction(manager.GetNumericAction(3), kUnset, "numeric 3");
    ExpectAction(manager.GetKeyboardAction(0xC8), {0xC8, "Up", "up", true, false}, "keyboard Up");
    EXPECT_EQ(manager.GetActionNames(), (std::vector<std::string>{"up"}));
    EXPECT_EQ(manager.GetActionMap().size(), 1u);
}
