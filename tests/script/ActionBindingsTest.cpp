#include <string>

#include "ScriptTestSupport.h"
#include "interface/InputManager.h"
#include "core/ServiceOverride.h"

namespace {

class ActionScriptTest : public ScriptTest {
  protected:
    void SetUp() override { folder.UseAsDataRoot(); }

    void Load(const std::string& text)
    {
        folder.Write("Actions.cfg", text);
        ASSERT_EQ(manager.ParseActionsConfig("Actions.cfg"), S_OK) << log.Text();
    }
    // The three results of GetActionNames as "count: keys / actions".
    std::string Listing(const std::string& call = "GetActionNames()")
    {
        EXPECT_TRUE(
            Run("n, keys, actions = " + call +
                "\nlisting = n .. ': ' .. table.concat(keys, ',') .. ' / ' .. table.concat(actions, ',')"))
            << log.Text();
        return GlobalString("listing");
    }

    ScratchFolder folder;
    CPInputManager& manager = engine.services->Input();
};

const char* const kThreeActions = "up;Forward;Up;false\r\nfire;Fire;Space;false\r\nshoot2;Fire 2;3;true\r\n";

} // namespace

TEST_F(ActionScriptTest, GetActionNamesListsKeysAndActionTextsInFileOrder)
{
    Load(kThreeActions);
    EXPECT_EQ(Listing(), "3: Up,Space,3 / Forward,Fire,Fire 2");
    // Arguments make no difference to where the tables go.
    EXPECT_EQ(Listing("GetActionNames(1, 'x', {})"), "3: Up,Space,3 / Forward,Fire,Fire 2");
}

TEST_F(ActionScriptTest, WithoutAnInputManagerTheListIsEmpty)
{
    ServiceOverride<GetInputManager, SetInputManager> noInputManager(nullptr);
    EXPECT_EQ(Listing(), "0:  / ");
    EXPECT_TRUE(Run(
        "SetAction('Fire', 'X', false); SaveActions(); UpdateActions(); LoadActions('a'); SetAssignKey()"));
}

TEST_F(ActionScriptTest, RebindingShowsAtOnceAndReachesTheControlsAfterUpdateActions)
{
    Load(kThreeActions);
    ASSERT_TRUE(Run("SetAction('Fire', 'X', true)"));
    EXPECT_EQ(Listing(), "3: Up,X,3 / Forward,Fire,Fire 2");
    const int xCode = 0x2D;
    EXPECT_NE(manager.GetKeyboardAction(xCode).actionText, "fire");

    ASSERT_TRUE(Run("UpdateActions()"));
    EXPECT_EQ(manager.GetKeyboardAction(xCode).actionText, "fire");
    EXPECT_NE(folder.Read("Actions.cfg").find("fire;Fire;X;false"), std::string::npos)
        << folder.Read("Actions.cfg");
}

TEST_F(ActionScriptTest, SaveActionsWritesAndLoadActionsReadsBack)
{
    Load(kThreeActions);
    ASSERT_TRUE(Run("SetAction('Forward', 'W', false); SaveActions()"));
    EXPECT_NE(folder.Read("Actions.cfg").find("up;Forward;W;false"), std::string::npos);

    folder.Write("Other.cfg", "jump;Jump;J;false\r\n");
    ASSERT_TRUE(Run("LoadActions('Other.cfg')"));
    EXPECT_EQ(Listing(), "1: J / Jump");
    // A file that is not there changes nothing and raises nothing.
    ASSERT_TRUE(Run("LoadActions('Missing.cfg')"));
    EXPECT_EQ(Listing(), "1: J / Jump");
}

TEST_F(ActionScriptTest, SetAssignKeyRaisesTheFlag)
{
    ASSERT_FALSE(manager.IsAssigningKey());
    ASSERT_TRUE(Run("SetAssignKey()"));
    EXPECT_TRUE(manager.IsAssigningKey());
}
