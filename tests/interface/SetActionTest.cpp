#include <string>

#include <gtest/gtest.h>

#include "InputManagerTestSupport.h"

TEST_F(InputManagerTest, RebindingMovesTheKeyFromTheFirstActionThatHasIt)
{
    // Two actions share Space in the file; a third takes it.
    Load("Actions.cfg", "a;Alpha;Space;false\r\nb;Beta;Space;false\r\nc;Gamma;X;false\r\n");

    EXPECT_TRUE(manager.SetAction("Gamma", "Space", false));

    const auto& map = manager.GetActionMap();
    ExpectAction(map.at("a"), {0, "undefined key", "Alpha", true, false}, "a");
    ExpectAction(map.at("b"), {0x39, "Space", "Beta", true, false}, "b");
    ExpectAction(map.at("c"), {0x39, "Space", "Gamma", true, false}, "c");
}

TEST_F(InputManagerTest, RebindingToAKeyNameThatDoesNotExistOnlyUnbinds)
{
    Load("Actions.cfg", "a;Alpha;Foo;false\r\nb;Beta;Space;false\r\n");

    EXPECT_FALSE(manager.SetAction("Beta", "Foo", true));

    ExpectAction(manager.GetActionMap().at("a"), {0, "undefined key", "Alpha", true, false}, "a");
    ExpectAction(manager.GetActionMap().at("b"), {0x39, "Space", "Beta", true, false}, "b");
    EXPECT_TRUE(log.Contains("\"Foo\" is no key name"));
}

TEST_F(InputManagerTest, RebindingAnActionThatDoesNotExistChangesNothing)
{
    Load("Actions.cfg", "a;Alpha;Space;false\r\n");

    EXPECT_FALSE(manager.SetAction("Omega", "Space", false));
    EXPECT_FALSE(manager.SetAction("a", "Space", false)); // the name is not the text

    ExpectAction(manager.GetActionMap().at("a"), {0x39, "Space", "Alpha", true, false}, "a");
    EXPECT_TRUE(log.Contains("No action \"Omega\""));
}

TEST_F(InputManagerTest, TheUndefinedKeyUnbindsAnAction)
{
    Load("Actions.cfg", "a;Alpha;Space;false\r\n");

    EXPECT_TRUE(manager.SetAction("Alpha", "undefined key", false));

    ExpectAction(manager.GetActionMap().at("a"), {0, "undefined key", "Alpha", true, false}, "a");
    ASSERT_EQ(manager.WriteActions(), S_OK);
    EXPECT_EQ(folder.Read("Actions.cfg"), "a;Alpha;undefined key;false\r\n");
}

TEST_F(InputManagerTest, ANumericBindingRepeatedOnTheKeyboardStaysNumericUntilRebound)
{
    Load("Actions.cfg", "shoot2;Fire 2;3;true\r\njump;Jump;J;false\r\n");

    // The key "3" is not the numeric code 3: that binding keeps its code.
    EXPECT_TRUE(manager.SetAction("Jump", "3", false));
    ExpectAction(manager.GetActionMap().at("shoot2"), {3, "3", "Fire 2", true, true}, "shoot2");
    ExpectAction(manager.GetActionMap().at("jump"), {0x04, "3", "Jump", true, false}, "jump");

    // A numeric binding given a key becomes a key binding, and is stored so.
    EXPECT_TRUE(manager.SetAction("Fire 2", "Space", false));
    ExpectAction(manager.GetActionMap().at("shoot2"), {0x39, "Space", "Fire 2", true, false}, "shoot2");
    ASSERT_EQ(manager.SaveAndReloadActions(), S_OK);
    EXPECT_EQ(folder.Read("Actions.cfg"), "shoot2;Fire 2;Space;false\r\njump;Jump;3;false\r\n");
    ExpectAction(manager.GetNumericAction(3), {0, "", "", false, false}, "numeric 3");
    ExpectAction(manager.GetKeyboardAction(0x39), {0x39, "Space", "shoot2", true, false}, "keyboard Space");
}

TEST_F(InputManagerTest, TheCodeTablesFollowARebindingOnlyOnceTheFileIsReadAgain)
{
    Load("Actions.cfg", "fire;Fire;Space;false\r\nup;Accelerate;Up;false\r\n");

    ASSERT_TRUE(manager.SetAction("Fire", "F", false));
    ExpectAction(manager.GetActionMap().at("fire"), {0x21, "F", "Fire", true, false}, "map fire");
    ExpectAction(manager.GetKeyboardAction(0x39), {0x39, "Space", "fire", true, false}, "Space before");
    ExpectAction(manager.GetKeyboardAction(0x21), {0, "", "", false, false}, "F before");

    ASSERT_EQ(manager.SaveAndReloadActions(), S_OK);
    EXPECT_EQ(folder.Read("Actions.cfg"), "fire;Fire;F;false\r\nup;Accelerate;Up;false\r\n");
    ExpectAction(manager.GetKeyboardAction(0x39), {0, "", "", false, false}, "Space after");
    ExpectAction(manager.GetKeyboardAction(0x21), {0x21, "F", "fire", true, false}, "F after");
}

TEST_F(InputManagerTest, WhenTheFileCannotBeWrittenTheRebindingStaysInMemory)
{
    Load("actions.cfg", "fire;Fire;Space;false\r\n");
    ASSERT_TRUE(manager.SetAction("Fire", "F", false));
    // A folder where the file is written: it cannot be replaced. The old
    // file beside it would still read, and must not undo the rebinding.
    folder.Write("Actions.cfg/placeholder", "x");

    EXPECT_EQ(manager.SaveAndReloadActions(), E_FAIL);

    ExpectAction(manager.GetActionMap().at("fire"), {0x21, "F", "Fire", true, false}, "map fire");
    EXPECT_EQ(folder.Read("Actions.cfg/placeholder"), "x");
    EXPECT_EQ(folder.Read("actions.cfg"), "fire;Fire;Space;false\r\n");
    EXPECT_TRUE(log.Contains("Actions.cfg"));
}
