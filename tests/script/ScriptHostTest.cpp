#include <string>

#include "ScriptTestSupport.h"
#include "script/LuaScriptObject.h"
#include "script/StepBudget.h"

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

// The scripts get the libraries they are written against and nothing that
// reaches past the bindings: no debug library (a script could crash the
// engine through it) and no package library (nor its require and module).
TEST_F(ScriptTest, ScriptsGetTheGameLibrariesAndNeitherDebugNorPackage)
{
    const struct {
        const char* global;
        const char* type;
    } globals[] = {
        {"print", "function"}, {"pcall", "function"}, {"table", "table"}, {"string", "table"},
        {"math", "table"},     {"io", "table"},       {"os", "table"},    {"coroutine", "table"},
        {"debug", "nil"},      {"package", "nil"},    {"require", "nil"}, {"module", "nil"},
    };
    for (const auto& entry : globals) {
        ASSERT_TRUE(Run(std::string("kind = type(") + entry.global + ")")) << log.Text();
        EXPECT_EQ(GlobalString("kind"), entry.type) << entry.global;
    }
    // Each library works, coroutines included.
    ASSERT_TRUE(
        Run("co = coroutine.wrap(function(a) coroutine.yield(a + 1) end)\n"
            "got = table.concat({string.format('%d', co(1)), math.floor(2.5), tostring(os.time() > 0),"
            " tostring(io.write ~= nil)}, ' ')"))
        << log.Text();
    EXPECT_EQ(GlobalString("got"), "2 2 true true");
    EXPECT_NE(Error("debug.sethook(print, 'l')").find("attempt to index global 'debug'"), std::string::npos);
}

// A step that runs too long is stopped like a failing one, with the
// object named in the log, however the loop is dressed up; the other
// objects go on, and so does the state.
TEST_F(ScriptTest, AStepThatRunsTooLongIsStoppedAndTheOthersGoOn)
{
    const struct {
        const char* name;
        const char* body;
    } loops[] = {
        {"plain", "while true do end"},
        {"caught", "while true do pcall(function() while true do end end) end"},
        {"coroutine",
         "while true do coroutine.resume(coroutine.create(function() while true do end end)) end"},
        {"deep", "local function f() return f() end f()"},
    };
    std::string script =
        "steps = 0\nCreateScriptObject('counter', '', function(self) steps = steps + 1 end)\n";
    for (const auto& loop : loops)
        script += std::string("CreateScriptObject('") + loop.name + "', '', function(self) " + loop.body +
                  " end)\n";
    ASSERT_TRUE(Run(script)) << log.Text();
    kernel.StepTasks(0.01f);
    kernel.StepTasks(0.01f);
    for (const auto& loop : loops)
        EXPECT_TRUE(log.Contains(std::string("Script object \"") + loop.name + "\" stopped: ")) << loop.name;
    EXPECT_TRUE(log.Contains("instructions in one go and was stopped")) << log.Text();
    EXPECT_EQ(GlobalNumber("steps"), 2);
    EXPECT_EQ(kernel.GetTasks().size(), 1u);
    EXPECT_TRUE(Run("ok = 1"));
}

// The budget is one run's, not the state's: steps that each do a fair
// amount of work, and a coroutine that works a little each step, run as
// long as the game runs.
TEST_F(ScriptTest, TheBudgetIsRenewedForEveryRun)
{
    stepbudget::Install(L, 200000);
    ASSERT_TRUE(Run(R"lua(
        sum, resumed = 0, 0
        worker = coroutine.create(function()
            while true do
                for i = 1, 2000 do sum = sum + 1 end
                coroutine.yield()
            end
        end)
        CreateScriptObject('busy', '', function(self)
            for i = 1, 20000 do sum = sum + 1 end
            if coroutine.resume(worker) then resumed = resumed + 1 end
        end)
    )lua"))
        << log.Text();
    for (int frame = 0; frame < 100; ++frame)
        kernel.StepTasks(0.01f);
    EXPECT_EQ(GlobalNumber("resumed"), 100) << log.Text();
    EXPECT_FALSE(log.Contains("stopped")) << log.Text();
    // A chunk is one run too, and its loop is stopped.
    EXPECT_FALSE(Run("while true do end"));
    EXPECT_TRUE(log.Contains("instructions in one go and was stopped")) << log.Text();
    EXPECT_TRUE(Run("ok = 1"));
}

// An object made to step on commands only runs in the frames that find
// some queued for it, and hears them as an every-frame object does; one
// that leaves a command unread runs again the next frame.
TEST_F(ScriptTest, AnObjectSteppedOnCommandsRunsOnlyInFramesWithCommands)
{
    ASSERT_TRUE(Run(R"lua(
        steps, heard, keep = { always = 0, commands = 0, lazy = 0 }, {}, false
        local function hear(self, who)
            steps[who] = steps[who] + 1
            while SetNextCommand(self) do
                heard[#heard + 1] = who .. ":" .. GetCurrentCommand(self)
            end
        end
        CreateScriptObject('always', '', function(self) hear(self, "always") end)
        CreateScriptObject('commands', '', function(self) hear(self, "commands") end, true)
        -- Reads one command a frame, the first only once told to go on.
        CreateScriptObject('lazy', '', function(self)
            steps.lazy = steps.lazy + 1
            if keep and SetNextCommand(self) then
                heard[#heard + 1] = "lazy:" .. GetCurrentCommand(self)
            end
        end, true)
    )lua"))
        << log.Text();
    struct Frame {
        const char* to; // the object sent a command before the frame, or ""
        const char* command;
        bool keep;
    };
    const Frame frames[] = {{"", "", false},
                            {"commands", "hit", false},
                            {"", "", false},
                            {"lazy", "first", false},
                            {"", "", false},
                            {"", "", true},
                            {"lazy", "second", true},
                            {"", "", true},
                            {"", "", true},
                            {"commands", "lap", true},
                            {"", "", true}};
    for (const Frame& frame : frames) {
        if (*frame.to)
            registry.SendCommandByName(frame.to, frame.command, "");
        ASSERT_TRUE(Run(std::string("keep = ") + (frame.keep ? "true" : "false")));
        kernel.StepTasks(0.01f);
    }
    ASSERT_TRUE(Run(
        "got = table.concat(heard, ' '); s = steps.always .. ' ' .. steps.commands .. ' ' .. steps.lazy"));
    EXPECT_EQ(GlobalString("got"), "commands:hit lazy:first lazy:second commands:lap");
    // "lazy" holds a command from the fourth frame on, and its current
    // command, once read, until it finds none left in the eighth.
    EXPECT_EQ(GlobalString("s"), "11 2 5");
}

// StepOnCommands switches an object between stepping every frame and on
// commands only, from its next turn: a switch that an object stepping
// before it makes counts in the same frame. Anything but a script object
// is left be, and logged.
TEST_F(ScriptTest, StepOnCommandsSwitchesAnObjectsSteppingFromItsNextTurn)
{
    ASSERT_TRUE(Run(R"lua(
        steps, switchTo = 0, nil
        CreateScriptObject('switcher', '', function(self)
            if switchTo ~= nil then
                StepOnCommands(late, switchTo)
                switchTo = nil
            end
        end)
        late = CreateScriptObject('late', '', function(self) steps = steps + 1 end, true)
    )lua"))
        << log.Text();
    struct Frame {
        const char* before; // run before the frame
        int steps;          // "late"'s steps after it
    };
    const Frame frames[] = {
        {"", 0},
        {"switchTo = false", 1},
        {"", 2},
        {"StepOnCommands(late, true)", 2},
        {"StepOnCommands(late)", 3},
        {"switchTo = 0", 3}, // a true value, as any number is
        {"", 3},
        {"StepOnCommands(nil, false); StepOnCommands(5, false); StepOnCommands(StringToPointer('0x10'), "
         "false)",
         3},
    };
    for (const Frame& frame : frames) {
        ASSERT_TRUE(Run(frame.before)) << frame.before << log.Text();
        kernel.StepTasks(0.01f);
        EXPECT_EQ(GlobalNumber("steps"), frame.steps) << frame.before;
    }
    // What is not a script object is named in the log, not taken.
    EXPECT_NE(log.Text().find("StepOnCommands: argument 1 is no script object"), std::string::npos)
        << log.Text();
}

// An object that has stepped keeps the state's budget and still sees a
// budget installed again later, smaller or larger.
TEST_F(ScriptTest, ABudgetInstalledAgainHoldsForObjectsThatAlreadyStepped)
{
    ASSERT_TRUE(Run(R"lua(
        loops, finished = 2000, 0
        CreateScriptObject('worker', '', function(self)
            for i = 1, loops do end
            finished = finished + 1
        end)
    )lua"))
        << log.Text();
    kernel.StepTasks(0.01f);
    stepbudget::Budget* budget = stepbudget::Find(L);
    ASSERT_NE(budget, nullptr);
    stepbudget::Install(L, 50000);
    EXPECT_EQ(stepbudget::Find(L), budget);
    kernel.StepTasks(0.01f);
    ASSERT_TRUE(Run("loops = 200000"));
    kernel.StepTasks(0.01f);
    EXPECT_EQ(GlobalNumber("finished"), 2);
    EXPECT_TRUE(log.Contains("Script object \"worker\" stopped: ")) << log.Text();
}

// The command functions read the stepping object's own queue, another
// object's queue during a step, and any queue between steps alike.
TEST_F(ScriptTest, CommandsAreReadFromAnyObjectInOrOutOfItsStep)
{
    ASSERT_TRUE(Run(R"lua(
        heard = {}
        local function drain(object, who)
            while SetNextCommand(object) do
                heard[#heard + 1] = who .. ":" .. GetCurrentCommand(object) .. "(" ..
                    table.concat({GetCurrentParams(object)}, ",") .. ")"
            end
        end
        other = CreateScriptObject('other', '', function(self) end)
        CreateScriptObject('reader', '', function(self)
            drain(self, "own")
            drain(other, "other")
        end)
        drainOther = function() drain(other, "outside") end
    )lua"))
        << log.Text();
    registry.SendCommandByName("reader", "hit", "3,4");
    registry.SendCommandByName("other", "place", "1st");
    kernel.StepTasks(0.01f);
    registry.SendCommandByName("other", "lap", "2");
    ASSERT_TRUE(Run("drainOther(); got = table.concat(heard, ' ')"));
    EXPECT_EQ(GlobalString("got"), "own:hit(3,4) other:place(1st) outside:lap(2)");
}

// A script object made inside a coroutine steps on the main state, so it
// outlives the coroutine.
TEST_F(ScriptTest, AnObjectMadeInACoroutineOutlivesIt)
{
    ASSERT_TRUE(Run(R"lua(
        runs = 0
        coroutine.wrap(function()
            CreateScriptObject('late', '', function(self) runs = runs + 1 end)
        end)()
        collectgarbage('collect')
    )lua"))
        << log.Text();
    kernel.StepTasks(0.01f);
    ASSERT_TRUE(Run("collectgarbage('collect')"));
    kernel.StepTasks(0.01f);
    EXPECT_EQ(GlobalNumber("runs"), 2);
}
