#include "core/ObjectRegistry.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/Command.h"
#include "core/Kernel.h"
#include "core/ScriptObject.h"
#include "support/CommandDrain.h"

namespace {

struct NotAScript : CPObject {
    std::uint32_t GetObjectSize() const override { return sizeof(NotAScript); }
    std::string GetTypeName() const override { return "NotAScript"; }
};

std::unique_ptr<CPScriptObject> MakeScript(bool running)
{
    auto script = std::make_unique<CPScriptObject>();
    if (running)
        script->Begin();
    return script;
}

// Steps through everything queued and returns "name(p1|p2)" per command.
std::vector<std::string> Drain(CPScriptObject& script) { return DrainCommands(script); }

class ObjectRegistryTest : public ::testing::Test {
  protected:
    CPObjectRegistry registry;
};

} // namespace

TEST_F(ObjectRegistryTest, CommandsComeOutFirstInFirstOut)
{
    auto menu = MakeScript(true);
    registry.Register("gamemenu", "", menu.get());

    EXPECT_FALSE(menu->SetNextCommand());
    EXPECT_EQ(menu->GetCurrentCommandName(), "");
    EXPECT_EQ(menu->GetCurrentParams(), nullptr);

    registry.SendCommandByName("gamemenu", "set_money", "1500");
    registry.SendCommandByName("gamemenu", "init_game_interface", "");

    ASSERT_TRUE(menu->SetNextCommand());
    EXPECT_EQ(menu->GetCurrentCommandName(), "set_money");
    ASSERT_NE(menu->GetCurrentParams(), nullptr);
    EXPECT_EQ(*menu->GetCurrentParams(), std::vector<std::string>{"1500"});

    ASSERT_TRUE(menu->SetNextCommand());
    EXPECT_EQ(menu->GetCurrentCommandName(), "init_game_interface");
    EXPECT_TRUE(menu->GetCurrentParams()->empty());

    EXPECT_FALSE(menu->SetNextCommand());
    EXPECT_EQ(menu->GetCurrentCommand(), nullptr);
    EXPECT_EQ(menu->GetCurrentCommandName(), "");
    EXPECT_EQ(menu->GetCurrentParams(), nullptr);
    EXPECT_EQ(menu->GetQueuedCount(), 0u);
}

TEST_F(ObjectRegistryTest, SendsToUnknownOrStoppedReceiversAreDropped)
{
    auto running = MakeScript(true);
    auto stopped = MakeScript(false);
    registry.Register("running", "main", running.get());
    registry.Register("stopped", "main", stopped.get());

    registry.SendCommandByName("nobody", "a", "1");
    registry.SendCommandByCategory("nowhere", "b", "2");
    registry.SendCommandByName("stopped", "c", "3");
    registry.SendCommandByName("Running", "d", "4"); // names match byte for byte
    registry.SendCommandByObject(CPObjectPtr(), "e", "5");
    NotAScript other;
    registry.SendCommandByObject(CPObjectPtr(&other), "f", "6");
    registry.SendCommandByObject(CPObjectPtr(stopped.get()), "g", "7");
    EXPECT_EQ(running->GetQueuedCount(), 0u);
    EXPECT_EQ(stopped->GetQueuedCount(), 0u);

    // What reached a queue stays there when the receiver stops, but nothing
    // new arrives.
    registry.SendCommandByObject(CPObjectPtr(running.get()), "kept", "x");
    running->End();
    registry.SendCommandByName("running", "late", "y");
    EXPECT_EQ(Drain(*running), std::vector<std::string>{"kept(x)"});
}

TEST_F(ObjectRegistryTest, CategorySendReachesEachRunningMemberOnce)
{
    auto a = MakeScript(true);
    auto b = MakeScript(false);
    auto c = MakeScript(true);
    auto outsider = MakeScript(true);
    registry.Register("a", "main", a.get());
    registry.Register("b", "main", b.get());
    registry.Register("c", "main", c.get());
    registry.Register("", "main", a.get()); // listed once however often registered
    registry.Register("outsider", "level", outsider.get());

    const std::vector<CPScriptObject*> order = {a.get(), b.get(), c.get()};
    ASSERT_NE(registry.GetCategory("main"), nullptr);
    EXPECT_EQ(*registry.GetCategory("main"), order);

    registry.SendCommandByCategory("main", "level_failed", "");
    EXPECT_EQ(Drain(*a), std::vector<std::string>{"level_failed()"});
    EXPECT_EQ(b->GetQueuedCount(), 0u);
    EXPECT_EQ(Drain(*c), std::vector<std::string>{"level_failed()"});
    EXPECT_EQ(outsider->GetQueuedCount(), 0u);

    registry.Unregister(b.get());
    const std::vector<CPScriptObject*> rest = {a.get(), c.get()};
    EXPECT_EQ(*registry.GetCategory("main"), rest);
}

TEST_F(ObjectRegistryTest, FloodOfSendsLeavesTheCurrentCommandInPlace)
{
    auto hud = MakeScript(true);
    registry.Register("game_interface", "", hud.get());
    registry.SendCommandByName("game_interface", "place", "1");
    ASSERT_TRUE(hud->SetNextCommand());
    const CPCommand* current = hud->GetCurrentCommand();

    const int kFlood = 5000;
    for (int i = 0; i < kFlood; ++i)
        registry.SendCommandByName("game_interface", "mouse_move", std::to_string(i) + ",0.50");

    EXPECT_EQ(hud->GetCurrentCommand(), current);
    EXPECT_EQ(hud->GetCurrentCommandName(), "place");
    EXPECT_EQ(*hud->GetCurrentParams(), std::vector<std::string>{"1"});

    for (int i = 0; i < kFlood; ++i) {
        ASSERT_TRUE(hud->SetNextCommand());
        ASSERT_EQ(*hud->GetCurrentParams(), (std::vector<std::string>{std::to_string(i), "0.50"}));
    }
    EXPECT_FALSE(hud->SetNextCommand());
}

TEST_F(ObjectRegistryTest, FindObjectAndSendByObject)
{
    auto jeep = MakeScript(true);
    registry.Register("jeep", "", jeep.get());

    EXPECT_FALSE(registry.Register("nothing", "main", nullptr));
    EXPECT_EQ(registry.GetCategory("main"), nullptr);
    EXPECT_FALSE(registry.FindObject("car"));
    CPObjectPtr found = registry.FindObject("jeep");
    EXPECT_EQ(found.Get(), jeep.get());
    EXPECT_EQ(jeep->GetUseCount(), 1u);

    registry.SendCommandByObject(found, "set_car_params", "0.50,1.25,\"v8, twin\"");
    EXPECT_EQ(Drain(*jeep), std::vector<std::string>{"set_car_params(0.50|1.25|v8, twin)"});
}

TEST_F(ObjectRegistryTest, ANameInUsePassesToTheNewObject)
{
    auto oldMenu = MakeScript(true);
    auto newMenu = MakeScript(true);
    registry.Register("gamemenu", "", oldMenu.get());
    registry.Register("gamemenu", "", newMenu.get());
    EXPECT_EQ(registry.FindObject("gamemenu").Get(), newMenu.get());
    EXPECT_EQ(oldMenu->GetRegistry(), nullptr);

    // The old object going away must not take the name from the new one.
    oldMenu.reset();
    EXPECT_EQ(registry.FindObject("gamemenu").Get(), newMenu.get());
}

TEST(ObjectRegistry, DestroyedScriptObjectsLeaveTheRegistry)
{
    CPObjectRegistry registry;
    auto script = MakeScript(true);
    registry.Register("menu", "interface", script.get());
    EXPECT_EQ(script->GetRegistry(), &registry);
    script.reset();

    EXPECT_FALSE(registry.FindObject("menu"));
    EXPECT_EQ(registry.GetCategory("interface"), nullptr);
    registry.SendCommandByName("menu", "a", "");
    registry.SendCommandByCategory("interface", "mouse_move", "1.00,2.00");
}

TEST(ObjectRegistry, ScriptObjectsMayOutliveTheRegistry)
{
    auto byName = MakeScript(true);
    auto byCategory = MakeScript(true);
    auto replaced = MakeScript(true);
    {
        CPObjectRegistry registry;
        registry.Register("a", "", byName.get());
        registry.Register("", "main", byCategory.get());
        registry.Register("b", "", replaced.get());
        registry.Register("b", "", byName.get());
    }
    EXPECT_EQ(byName->GetRegistry(), nullptr);
    EXPECT_EQ(byCategory->GetRegistry(), nullptr);
    EXPECT_EQ(replaced->GetRegistry(), nullptr);
    // Destroying them now touches no dead registry (the sanitizer build
    // would report it).
}

TEST(ObjectRegistry, AStoppedScriptTakesNoCommandsOnceTheKernelHasSweptIt)
{
    CPObjectRegistry registry;
    CPKernel kernel;
    CPScriptObject script;
    registry.Register("menu", "main", &script);
    CPObjectPtr task(&script);
    ASSERT_TRUE(kernel.AddTask(task));

    script.SetKilled(true); // what "StopScript" does
    registry.SendCommandByName("menu", "queued", "");
    EXPECT_EQ(script.GetQueuedCount(), 1u); // still running until the sweep

    kernel.StepTasks(0.0f);
    registry.SendCommandByName("menu", "dropped", "");
    EXPECT_EQ(Drain(script), std::vector<std::string>{"queued()"});
}

// The queue reuses the places of taken commands: a command keeps nothing of
// the one that stood there before (more parameters, or quoted ones), and the
// order holds when the queue grows while its oldest command is not at its
// start.
TEST_F(ObjectRegistryTest, ReusedQueuePlacesKeepNothingOfTheirLastCommand)
{
    auto hud = MakeScript(true);
    registry.Register("game_interface", "", hud.get());
    registry.SendCommandByName("game_interface", "many", "1,2,\"3,4\"");
    ASSERT_TRUE(hud->SetNextCommand());
    EXPECT_EQ(*hud->GetCurrentParams(), (std::vector<std::string>{"1", "2", "3,4"}));
    for (int round = 0; round < 6; ++round) {
        registry.SendCommandByName("game_interface", "none", "");
        registry.SendCommandByName("game_interface", "one", " x ");
        ASSERT_TRUE(hud->SetNextCommand());
        EXPECT_EQ(hud->GetCurrentCommandName(), "none");
        EXPECT_TRUE(hud->GetCurrentParams()->empty());
        ASSERT_TRUE(hud->SetNextCommand());
        EXPECT_EQ(hud->GetCurrentCommandName(), "one");
        EXPECT_EQ(*hud->GetCurrentParams(), std::vector<std::string>{"x"});
    }
    // Oldest in the middle of the queue's places, then more than it holds.
    EXPECT_FALSE(hud->SetNextCommand());
    for (int i = 0; i < 3; ++i)
        registry.SendCommandByName("game_interface", "n", std::to_string(i));
    ASSERT_TRUE(hud->SetNextCommand());
    for (int i = 3; i < 20; ++i)
        registry.SendCommandByName("game_interface", "n", std::to_string(i));
    EXPECT_EQ(*hud->GetCurrentParams(), std::vector<std::string>{"0"});
    std::vector<std::string> expected;
    for (int i = 1; i < 20; ++i)
        expected.push_back("n(" + std::to_string(i) + ")");
    EXPECT_EQ(Drain(*hud), expected);
}
