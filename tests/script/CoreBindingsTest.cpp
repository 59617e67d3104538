#include <cmath>
#include <cstdint>
#include <string>

#include "ScriptTestSupport.h"
#include "core/GameClock.h"
#include "core/ObjectHandle.h"
#include "core/ScriptObject.h"
#include "physics/PhysicData.h"
#include "script/LuaScriptObject.h"

namespace {

// A script object that takes commands without being stepped.
struct RunningScript : CPScriptObject {
    RunningScript() { Begin(); }
};

} // namespace

TEST_F(ScriptTest, CommandsAreHandedToTheScriptOldestFirst)
{
    RunningScript script;
    registry.Register("menu", "main", &script);
    SetGlobal("menu", &script);
    ASSERT_TRUE(Run(R"(
        SendCommandByName("menu", "first", "1, 2,\"a,b\"")
        SendCommandByName("menu", "second", "")
        a = SetNextCommand(menu); ca = GetCurrentCommand(menu)
        pa = table.concat({GetCurrentParams(menu)}, "|"); na = select('#', GetCurrentParams(menu))
        SendCommandByCategory("main", "third", "x")
        b = SetNextCommand(menu); cb = GetCurrentCommand(menu); nb = select('#', GetCurrentParams(menu))
        c = SetNextCommand(menu); cc = GetCurrentCommand(menu)
        d = SetNextCommand(menu); nd = select('#', GetCurrentCommand(menu)) + select('#', GetCurrentParams(menu))
        e = SetNextCommand(nil); ne = select('#', GetCurrentCommand(nil)) + select('#', GetCurrentParams(nil))
    )")) << log.Text();
    EXPECT_EQ(GlobalString("a"), "(not a string)"); // a boolean
    lua_getglobal(L, "a");
    EXPECT_TRUE(lua_isboolean(L, -1) && lua_toboolean(L, -1));
    lua_pop(L, 1);
    EXPECT_EQ(GlobalString("ca"), "first");
    EXPECT_EQ(GlobalString("pa"), "1|2|a,b");
    EXPECT_EQ(GlobalNumber("na"), 3);
    EXPECT_EQ(GlobalString("cb"), "second");
    EXPECT_EQ(GlobalNumber("nb"), 0); // "" gives no parameters
    EXPECT_EQ(GlobalString("cc"), "third");
    ASSERT_TRUE(Run("assert(b == true and c == true and d == false and e == false)")) << log.Text();
    EXPECT_EQ(GlobalNumber("nd"), 0);
    EXPECT_EQ(GlobalNumber("ne"), 0);
    EXPECT_EQ(script.GetQueuedCount(), 0u);
}

TEST_F(ScriptTest, SendingToAGameObjectReachesItsScriptObjectOnly)
{
    RunningScript script;
    CPGameObject owned("owned");
    CPGameObject orphan("orphan");
    owned.SetOwnerObject(CPObjectPtr(&script));
    SetGlobal("owned", &owned);
    SetGlobal("orphan", &orphan);
    SetGlobal("script", &script);
    ASSERT_TRUE(Run("SendCommandByObject(owned, 'hit', '3'); SendCommandByObject(orphan, 'lost', '');"
                    "SendCommandByObject(nil, 'lost', ''); SendCommandByObject(script, 'lost', '')"))
        << log.Text();
    ASSERT_EQ(script.GetQueuedCount(), 1u);
    ASSERT_TRUE(script.SetNextCommand());
    EXPECT_EQ(script.GetCurrentCommandName(), "hit");
}

TEST_F(ScriptTest, PointersTravelAsFullWidthTextAndBack)
{
    CPGameObject object("car");
    SetGlobal("object", &object);
    ASSERT_TRUE(Run("s = PointerToString(object); back = StringToPointer(s); same = (back == object);"
                    "z = StringToPointer('0'); junk = StringToPointer('12ab'); neg = StringToPointer('-5');"
                    "n = PointerToString(nil)"));
    const auto address = reinterpret_cast<std::uintptr_t>(static_cast<CPObject*>(&object));
    EXPECT_EQ(GlobalString("s"), std::to_string(address));
    EXPECT_EQ(GlobalPointer("back"), static_cast<void*>(static_cast<CPObject*>(&object)));
    EXPECT_EQ(GlobalPointer("z"), nullptr);
    EXPECT_EQ(GlobalPointer("junk"), nullptr);
    EXPECT_EQ(GlobalPointer("neg"), nullptr);
    EXPECT_EQ(GlobalString("n"), "0");
    // A handle the engine wrote into a command reads back the same way.
    SetGlobal("object", nullptr);
    lua_pushstring(L, FormatObjectHandle(static_cast<CPObject*>(&object)).c_str());
    lua_setglobal(L, "handle");
    ASSERT_TRUE(Run("p = StringToPointer(handle)"));
    EXPECT_EQ(GlobalPointer("p"), static_cast<void*>(static_cast<CPObject*>(&object)));
}

TEST_F(ScriptTest, SplitStringCutsAtTheWholeSeparatorWithQuotesGrouping)
{
    struct Case {
        const char* text;
        const char* separator;
        const char* joined; // tokens joined with "|"
        int count;
    } cases[] = {
        {"a,b,c", ",", "a|b|c", 3},
        {"", ",", "", 0},
        {" a , b ", ",", "a|b", 2},
        {"a;;b;c", ";;", "a|b;c", 2},
        {"x,\"y,z\"", ",", "x|y,z", 2},
        {"a,,b", ",", "a||b", 3},
        // No separator to cut at: the text stays whole.
        {"abc", "", "abc", 1},
    };
    for (const Case& c : cases) {
        lua_pushstring(L, c.text);
        lua_setglobal(L, "text");
        lua_pushstring(L, c.separator);
        lua_setglobal(L, "sep");
        ASSERT_TRUE(
            Run("n = select('#', SplitString(text, sep)); j = table.concat({SplitString(text, sep)}, '|')"))
            << c.text << "\n"
            << log.Text();
        EXPECT_EQ(GlobalNumber("n"), c.count) << c.text;
        EXPECT_EQ(GlobalString("j"), c.joined) << c.text;
    }
}

TEST_F(ScriptTest, SplitStringAndParametersGoBeyondTheMinimumStack)
{
    RunningScript script;
    registry.Register("many", "", &script);
    SetGlobal("many", &script);
    ASSERT_TRUE(Run("local t = {} for i = 1, 500 do t[i] = tostring(i) end\n"
                    "text = table.concat(t, ',')\n"
                    "n = select('#', SplitString(text, ','))\n"
                    "SendCommandByName('many', 'lots', text); SetNextCommand(many)\n"
                    "p = select('#', GetCurrentParams(many)); last = select(500, GetCurrentParams(many))"))
        << log.Text();
    EXPECT_EQ(GlobalNumber("n"), 500);
    EXPECT_EQ(GlobalNumber("p"), 500);
    EXPECT_EQ(GlobalString("last"), "500");
}

TEST_F(ScriptTest, GetChildObjectSearchesTheSubtreeDepthFirstParentsFirst)
{
    auto* root = new CPGameObject("root");
    TreeOwner owner{root};
    auto* branch = new CPGameObject("branch");
    auto* deep = new CPGameObject("x");
    auto* shallow = new CPGameObject("x");
    branch->AddChild(CPObjectPtr(deep));
    root->AddChild(CPObjectPtr(branch));
    root->AddChild(CPObjectPtr(shallow));
    SetGlobal("root", root);
    SetGlobal("branch", branch);
    ASSERT_TRUE(Run("x = GetChildObject(root, 'x'); self = GetChildObject(root, 'root');"
                    "b = GetChildObject(branch, 'x'); none = GetChildObject(nil, 'x');"
                    "up = GetParentObject(GetChildObject(root, 'x'))"));
    EXPECT_EQ(GlobalPointer("x"), static_cast<CPObject*>(deep));
    EXPECT_EQ(GlobalPointer("self"), static_cast<CPObject*>(root));
    EXPECT_EQ(GlobalPointer("b"), static_cast<CPObject*>(deep));
    EXPECT_EQ(GlobalPointer("none"), nullptr);
    EXPECT_EQ(GlobalPointer("up"), static_cast<CPObject*>(branch));
}

TEST_F(ScriptTest, SetPTransformationRotatesYawPitchRollThenTranslates)
{
    auto* root = new CPGameObject("root");
    TreeOwner owner{root};
    auto* child = new CPGameObject("child");
    child->SetPosition({1.0f, 0.0f, 0.0f});
    root->AddChild(CPObjectPtr(child));
    SetGlobal("root", root);
    const float h = static_cast<float>(M_PI / 2);
    struct Case {
        float yaw, pitch, roll;
        float axisX[3]; // where the object's x axis points
        float childAt[3];
    } cases[] = {
        // Roll turns about z: x goes to y.
        {0, 0, h, {0, 1, 0}, {10, 21, 30}},
        // Yaw turns about y: x goes to -z.
        {h, 0, 0, {0, 0, -1}, {10, 20, 29}},
        // Pitch turns about x: x stays.
        {0, h, 0, {1, 0, 0}, {11, 20, 30}},
    };
    for (const Case& c : cases) {
        lua_pushnumber(L, c.yaw);
        lua_setglobal(L, "yaw");
        lua_pushnumber(L, c.pitch);
        lua_setglobal(L, "pitch");
        lua_pushnumber(L, c.roll);
        lua_setglobal(L, "roll");
        ASSERT_TRUE(Run("SetPTransformation(root, 10, 20, 30, yaw, pitch, roll)"));
        const Matrix4& world = root->GetWorldMatrix();
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(world.m[0][i], c.axisX[i], 1e-6f) << c.yaw << c.pitch << c.roll;
            EXPECT_NEAR(world.m[3][i], (i == 0 ? 10.0f : i == 1 ? 20.0f : 30.0f), 1e-5f);
            EXPECT_NEAR(child->GetWorldMatrix().m[3][i], c.childAt[i], 1e-5f) << c.yaw << c.pitch << c.roll;
        }
        EXPECT_FALSE(root->IsDirty());
    }
}

TEST_F(ScriptTest, ReferencesFrameTimeAndTasks)
{
    CPGameObject object("car");
    SetGlobal("object", &object);
    ASSERT_TRUE(Run("AddRef(object); AddRef(object); AddRef(nil)"));
    EXPECT_EQ(object.GetUseCount(), 2u);
    ASSERT_TRUE(Run("Release(object); Release(nil)"));
    EXPECT_EQ(object.GetUseCount(), 0u); // Release zeroes the counter

    SetFrameTime(0.25f);
    ASSERT_TRUE(Run("dt = GetDeltaTime(); ClearTimer(); a = GetDeltaTime()"));
    EXPECT_EQ(GlobalNumber("dt"), 0.25);
    EXPECT_EQ(GlobalNumber("a"), 0.0);
    SetFrameTime(0.5f);
    ASSERT_TRUE(Run("ClearGlobalTimer()"));
    EXPECT_EQ(GetFrameTime(), 0.0f);

    RunningScript stopped;
    SetGlobal("stopped", &stopped);
    ASSERT_TRUE(Run("StopScript(stopped); StopScript(nil); StopScript(object)"));
    EXPECT_TRUE(stopped.IsKilled());
}

TEST_F(ScriptTest, KillAllTasksKillsEveryTaskOfTheKernel)
{
    ASSERT_TRUE(Run("a = CreateScriptObject('a', '', function() end);"
                    "b = CreateScriptObject('b', '', function() end); KillAllTasks()"));
    ASSERT_EQ(host->GetScriptObjects().size(), 2u);
    for (CPLuaScriptObject* object : host->GetScriptObjects())
        EXPECT_TRUE(object->IsKilled());
}

TEST_F(ScriptTest, ActivationVisibilityAndCollision)
{
    auto* object = new CPGameObject("car");
    TreeOwner owner{object};
    object->SetPhysicData(CPObjectPtr(new CPPhysicData(object)));
    CPGameObject bare("bare");
    SetGlobal("object", object);
    SetGlobal("bare", &bare);

    ASSERT_TRUE(Run("ActivateObject(object, 450)"));
    EXPECT_TRUE(object->IsActive());
    ASSERT_TRUE(Run("DeactivateInterface(object)"));
    EXPECT_FALSE(object->IsActive());
    ASSERT_TRUE(Run("ActivateObject(object, 450); DeactivateObject(object)"));
    EXPECT_FALSE(object->IsActive());

    ASSERT_TRUE(Run("SetCollision(object, 1); SetCollision(bare, 1); SetCollision(nil, 1)"));
    EXPECT_TRUE(object->GetPhysicData()->GetCollisionFlag());
    ASSERT_TRUE(Run("SetCollision(object, false)"));
    EXPECT_FALSE(object->GetPhysicData()->GetCollisionFlag());
}
