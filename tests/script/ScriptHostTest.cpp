#include <string>

#include "ScriptTestSupport.h"
#include "script/LuaScriptObject.h"

TEST_F(ScriptTest, ScriptObjectsRunTheirFunctionEachFrameAndHearCommands)
{
    ASSERT_TRUE(Run(R"lua(
        frames, heard = 0, {}
        menu = CreateScriptObject("gamemenu", "main", function(self)
            frames = frames + 1
            while SetNextCommand(self) do
                heard[#heard + 1] = GetCurrentCommand(self) .. "(" .. table.concat({GetCurrentParams(self)}, ",") .. ")"
            end
        end)
    )lua"))
        << log.Text();
    ASSERT_EQ(host->GetScriptObjects().size(), 1u);
    CPLuaScriptObject* menu = host->GetScriptObjects()[0];
    EXPECT_EQ(GlobalPointer("menu"), static_cast<CPObject*>(menu));
    EXPECT_TRUE(menu->IsRunning());
    EXPECT_EQ(registry.FindObject("gamemenu").Get(), menu);

    registry.SendCommandByName("gamemenu", "change_money", "100");
    registry.SendCommandByCategory("main", "level_failed", "");
    kernel.StepTasks(0.01f);
    kernel.StepTasks(0.01f);
    EXPECT_EQ(GlobalNumber("frames"), 2);
    ASSERT_TRUE(Run("got = table.concat(heard, ' ')"));
    EXPECT_EQ(GlobalString("got"), "change_money(100) level_failed()");
}

TEST_F(ScriptTest, AFailingScriptObjectIsReportedOnceAndStopped)
{
    ASSERT_TRUE(Run("CreateScriptObject('broken', '', function(self) error('no such menu') end)"));
    kernel.StepTasks(0.01f);
    kernel.StepTasks(0.01f);
    EXPECT_TRUE(log.Contains("Script object \"broken\" stopped: test:1: no such menu")) << log.Text();
    const std::string text = log.Text();
    EXPECT_EQ(text.find("no such menu"), text.rfind("no such menu"));
    EXPECT_TRUE(kernel.GetTasks().empty());
}

TEST_F(ScriptTest, StopScriptEndsAScriptObjectFromItsOwnFunction)
{
    ASSERT_TRUE(Run(
        "runs = 0; CreateScriptObject('once', '', function(self) runs = runs + 1; StopScript(self) end)"));
    kernel.StepTasks(0.01f);
    kernel.StepTasks(0.01f);
    EXPECT_EQ(GlobalNumber("runs"), 1);
}

TEST_F(ScriptTest, ScriptErrorsGoToTheLog)
{
    EXPECT_FALSE(Run("this is not lua"));
    EXPECT_TRUE(log.Contains("Script error: [string \"test\"]") || log.Contains("Script error: test:1:"))
        << log.Text();
    EXPECT_FALSE(Run("SplitString(nil, ',')"));
    EXPECT_TRUE(log.Contains("bad argument #1 to 'SplitString' (string expected, got nil)")) << log.Text();
    // The state goes on working after errors.
    EXPECT_TRUE(Run("ok = 1"));
}

TEST_F(ScriptTest, ScriptFilesAreReadThroughTheDataFolder)
{
    ScratchFolder folder;
    folder.UseAsDataRoot();
    EXPECT_FALSE(host->RunStartScript());
    EXPECT_TRUE(log.Contains("No start script Data\\Scripts\\main.lua")) << log.Text();

    folder.Write("Data/Scripts/Helpers.lua", "function Twice(x) return 2 * x end\n");
    folder.Write("Data/Scripts/main.lua", "dofile = nil\nstarted = ToInt(7.9)\n");
    EXPECT_TRUE(host->RunStartScript()) << log.Text();
    EXPECT_EQ(GlobalNumber("started"), 7);
    EXPECT_TRUE(host->RunFile("Data\\Scripts\\Helpers.lua"));
    ASSERT_TRUE(Run("four = Twice(2)"));
    EXPECT_EQ(GlobalNumber("four"), 4);

    folder.Write("Data/Scripts/bad.lua", "x = = 1");
    EXPECT_FALSE(host->RunFile("Data\\Scripts\\bad.lua"));
    EXPECT_TRUE(log.Contains("Script error: @Data\\Scripts\\bad.lua") ||
                log.Contains("Script error: Data\\Scripts\\bad.lua:1:"))
        << log.Text();
}
