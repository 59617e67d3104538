#include <string>

#include "ScriptTestSupport.h"
#include "core/ScriptObject.h"

TEST_F(ScriptTest, ObjectArgumentsThatAreNoEngineObjectAreIgnored)
{
    CPGameObject object("car");
    CPScriptObject script;
    SetGlobal("object", &object);
    SetGlobal("script", &script);
    SetGlobal("null", nullptr);
    // nil, numbers, strings, tables, Lua's own userdata, a null object and
    // an object of another class: none is a game object.
    const char* notObjects[] = {"nil", "1", "'car'", "{}", "io.stdout", "null", "script", ""};
    for (const char* arg : notObjects) {
        std::string code =
            std::string("SetVisible(") + arg + (arg[0] ? ", false)" : ")") + "; ActivateObject(" + arg + ")";
        EXPECT_TRUE(Run(code)) << arg << "\n" << log.Text();
    }
    EXPECT_TRUE(object.IsVisible());
    EXPECT_FALSE(object.IsActive());
}

TEST_F(ScriptTest, FlagsAreReadAsLuaTruthZeroAndEmptyTextIncluded)
{
    CPGameObject object("car");
    SetGlobal("object", &object);
    struct Case {
        const char* flag;
        bool visible;
    } cases[] = {{"0", true},      {"''", true},   {"1", true}, {"true", true},
                 {"false", false}, {"nil", false}, {"", false}};
    for (const Case& c : cases) {
        object.SetVisible(!c.visible);
        ASSERT_TRUE(Run(std::string("SetVisible(object") + (c.flag[0] ? ", " : "") + c.flag + ")"));
        EXPECT_EQ(object.IsVisible(), c.visible) << c.flag;
    }
}

TEST_F(ScriptTest, RequiredTextsRaiseTheArgumentErrorOtherArgumentsDoNot)
{
    struct Case {
        const char* code;
        const char* error; // empty: no error
    } cases[] = {
        {"CheckString(nil)", "bad argument #1 to 'CheckString' (string expected, got nil)"},
        {"CheckString()", "bad argument #1 to 'CheckString' (string expected, got no value)"},
        {"CheckString({})", "bad argument #1 to 'CheckString' (string expected, got table)"},
        {"GetChildObject(nil)", "bad argument #2 to 'GetChildObject' (string expected, got no value)"},
        {"SplitString('a')", "bad argument #2 to 'SplitString' (string expected, got no value)"},
        {"SendCommandByName('a', 'b')",
         "bad argument #3 to 'SendCommandByName' (string expected, got no value)"},
        {"SendCommandByObject(nil, nil, '')",
         "bad argument #2 to 'SendCommandByObject' (string expected, got nil)"},
        {"StringToPointer(nil)", "bad argument #1 to 'StringToPointer' (string expected, got nil)"},
        {"CreateScriptObject('x', '', 5)",
         "bad argument #3 to 'CreateScriptObject' (function expected, got number)"},
        {"SetAction(nil, nil, nil); LoadActions(nil); SaveLog(nil); SetAnimation(nil, nil)", ""},
        {"ToInt(nil); ToInt('x'); ActivateObject(nil, 'x'); SetFade({})", ""},
    };
    for (const Case& c : cases) {
        if (c.error[0])
            EXPECT_EQ(Error(c.code), std::string("test:1: ") + c.error) << c.code;
        else
            EXPECT_EQ(Error(c.code), "(no error)") << c.code;
    }
}

TEST_F(ScriptTest, CheckStringAnswersItsLastArgumentWithACheckedNumberAsText)
{
    ASSERT_TRUE(
        Run("a = CheckString(5); b = CheckString('x', 7); c = CheckString(3, 'y', 4.5); t = type(a)"));
    EXPECT_EQ(GlobalString("a"), "5");
    EXPECT_EQ(GlobalString("t"), "string");
    // Whatever was passed last, not the checked text.
    lua_getglobal(L, "b");
    EXPECT_EQ(lua_type(L, -1), LUA_TNUMBER);
    EXPECT_EQ(lua_tonumber(L, -1), 7.0);
    lua_pop(L, 1);
    EXPECT_EQ(GlobalNumber("c"), 4.5);
}

TEST_F(ScriptTest, NumbersAreTruncatedTowardZeroAndHeldToThe32BitRange)
{
    struct Case {
        const char* arg;
        double expected;
    } cases[] = {
        {"-2.7", -2},
        {"2.7", 2},
        {"'3.9'", 3},
        {"nil", 0},
        {"'x'", 0},
        {"1e12", 2147483647.0},
        {"-1e12", -2147483648.0},
        {"0/0", 0},
        {"1/0", 2147483647.0},
        {"2147483647.5", 2147483647.0},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Run(std::string("n = ToInt(") + c.arg + ")"));
        EXPECT_EQ(GlobalNumber("n"), c.expected) << c.arg;
    }
}

TEST_F(ScriptTest, MissingObjectsArePushedAsNullLightUserdataNotNil)
{
    CPGameObject root("root");
    SetGlobal("root", &root);
    ASSERT_TRUE(Run("p = GetParentObject(root); c = GetChildObject(root, 'none');"
                    "n = GetParentObject(nil); t = type(c); s = PointerToString(c)"));
    EXPECT_EQ(GlobalPointer("p"), nullptr);
    EXPECT_EQ(GlobalPointer("c"), nullptr);
    EXPECT_EQ(GlobalPointer("n"), nullptr);
    EXPECT_EQ(GlobalString("t"), "userdata");
    EXPECT_EQ(GlobalString("s"), "0");
}
