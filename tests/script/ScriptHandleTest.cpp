#include <string>
#include <vector>

#include "ScriptTestSupport.h"
#include "core/ObjectHandle.h"
#include "core/ScriptObject.h"

// Addresses that scripts hand back to the engine: made up from text, left
// over from a deleted object, or of an object of another kind. Each binding
// must take them as it takes nil.
namespace {

enum class Wants { GameObject, ScriptObject, Screen, AnyObject };

struct Call {
    Wants wants;
    const char* code; // "h" is the handle under test, "o" a live game object
};

const Call kCalls[] = {
    // Engine core: any object, game objects, script objects, tasks.
    {Wants::AnyObject, "r = PointerToString(h)"},
    {Wants::AnyObject, "AddRef(h); Release(h)"},
    {Wants::GameObject, "r = PointerToString(GetChildObject(h, 'x'))"},
    {Wants::GameObject, "r = PointerToString(GetParentObject(h))"},
    {Wants::GameObject, "SetVisible(h, true); SetCollision(h, false)"},
    {Wants::GameObject, "SetPTransformation(h, 1, 2, 3, 0, 0, 0)"},
    {Wants::GameObject, "SetAnimation(h, 'idle', 1, 1, 0, h)"},
    {Wants::AnyObject, "SetAnimation(o, 'idle', 1, 1, 0, h)"},
    {Wants::GameObject, "ActivateObject(h, 1); DeactivateObject(h); DeactivateInterface(h)"},
    {Wants::GameObject, "DrawDynamicObject(h)"},
    {Wants::GameObject, "SendCommandByObject(h, 'hello', '1')"},
    {Wants::ScriptObject, "r = tostring((SetNextCommand(h)))"},
    {Wants::ScriptObject, "r = tostring((GetCurrentCommand(h))) .. tostring((GetCurrentParams(h)))"},
    {Wants::ScriptObject, "StopScript(h)"},
    // Interface screens, their windows, texts and edit boxes.
    {Wants::Screen, "ActivateInterface(h); SilentActivateInterface(h)"},
    {Wants::Screen, "UpdateInterface(h); UpdateInterfaceBuffers(h); DeselectCurrentButton(h)"},
    {Wants::Screen, "SetWindowVisible(h, 'w', true); SetWindowPosition(h, 'w', 1, 2)"},
    {Wants::Screen, "SetWindowPositionShop(h, 'w', 1, 2); SetWindowSize(h, 'w', 1, 2)"},
    {Wants::Screen, "r = tostring((GetWindowPosition(h, 'w')))"},
    {Wants::Screen, "SetText(h, 't', 'x'); SetTextString(h, 't', 'x'); SetTextPosition(h, 't', 1, 2)"},
    {Wants::Screen, "r = tostring((GetTextPosition(h, 't')))"},
    {Wants::Screen, "SetFont(h, 't', 'f'); SetFontString(h, 't', 'f')"},
    {Wants::Screen, "SetEditBoxText(h, 'e', 'x'); EditBoxProcessKey(h, 'e', 30)"},
    {Wants::Screen, "r = tostring((EditBoxTextLength(h, 'e'))) .. tostring((GetEditBoxText(h, 'e')))"},
    {Wants::Screen, "SetCursor(h, 'c'); LockButton(h, 'b'); UnlockButton(h, 'b')"},
};

class ScriptHandleTest : public ScriptTest {
  protected:
    ScriptHandleTest()
    {
        script.Begin();
        live.SetOwnerObject(CPObjectPtr(&script));
        SetGlobal("o", &live);
    }

    // Runs the call with h bound to the handle text and returns r.
    std::string RunWith(const std::string& handle, const Call& call)
    {
        const std::string code = "h = " + handle + "; r = nil; " + call.code + "; r = tostring(r)";
        EXPECT_TRUE(Run(code)) << call.code << "\n" << log.Text();
        return GlobalString("r");
    }
    std::string Handle(const void* address)
    {
        return "StringToPointer('" + FormatObjectHandle(address) + "')";
    }

    CPScriptObject script;
    CPGameObject live{"live"};
};

} // namespace

TEST_F(ScriptHandleTest, MadeUpAddressesAreTakenAsNil)
{
    for (const char* text : {"4096", "1", "18446744073709547520"}) {
        for (const Call& call : kCalls) {
            SCOPED_TRACE(std::string(text) + ": " + call.code);
            const std::string expected = RunWith("nil", call);
            EXPECT_EQ(RunWith(std::string("StringToPointer('") + text + "')", call), expected);
        }
    }
    EXPECT_TRUE(log.Contains("is no live object"));
    // The case a script met in the field.
    ASSERT_TRUE(Run("r = PointerToString(GetChildObject(StringToPointer('4096'), 'x'))"));
    EXPECT_EQ(GlobalString("r"), "0");
}

TEST_F(ScriptHandleTest, AddressesOfDeletedObjectsAreTakenAsNil)
{
    // Kept apart from the allocator while the calls run, so no new object
    // can take the old address.
    std::vector<std::string> handles;
    std::vector<CPGameObject*> gone;
    for (int i = 0; i < 3; ++i)
        gone.push_back(new CPGameObject("gone"));
    auto* goneScript = new CPScriptObject();
    for (CPGameObject* object : gone)
        handles.push_back(Handle(object));
    handles.push_back(Handle(goneScript));
    for (CPGameObject* object : gone)
        delete object;
    delete goneScript;

    for (const std::string& handle : handles) {
        for (const Call& call : kCalls) {
            SCOPED_TRACE(handle + ": " + call.code);
            const std::string expected = RunWith("nil", call);
            EXPECT_EQ(RunWith(handle, call), expected);
        }
    }
    EXPECT_TRUE(log.Contains("is no live object"));
}

TEST_F(ScriptHandleTest, ObjectsOfAnotherKindAreTakenAsNil)
{
    CPGameObject plain("plain");
    for (const Call& call : kCalls) {
        if (call.wants == Wants::AnyObject)
            continue;
        // A script object where a game object or screen is wanted, a plain
        // game object where a script object or a screen is wanted.
        const void* other = call.wants == Wants::GameObject ? static_cast<const void*>(&script)
                                                            : static_cast<const void*>(&plain);
        SCOPED_TRACE(call.code);
        const std::string expected = RunWith("nil", call);
        EXPECT_EQ(RunWith(Handle(other), call), expected);
    }
    // Nothing was sent to the script object through the plain object.
    EXPECT_FALSE(script.SetNextCommand());
}

TEST_F(ScriptHandleTest, LiveObjectsStillReachTheirBindings)
{
    auto* child = new CPGameObject("x");
    live.AddChild(CPObjectPtr(child));
    ASSERT_TRUE(Run("r = PointerToString(GetChildObject(o, 'x'))"));
    EXPECT_EQ(GlobalString("r"), FormatObjectHandle(child));
    ASSERT_TRUE(Run("r = PointerToString(GetChildObject(StringToPointer(PointerToString(o)), 'x'))"));
    EXPECT_EQ(GlobalString("r"), FormatObjectHandle(child));
    EXPECT_FALSE(log.Contains("is no live object"));
    delete child; // leaves its parent on the way out
}

namespace {
struct PlainObject : CPObject {
    std::uint32_t GetObjectSize() const override { return sizeof(*this); }
    std::string GetTypeName() const override { return "PlainObject"; }
};
} // namespace

TEST(LiveObjects, ConstructionCopyAndDestructionAreTracked)
{
    auto* object = new PlainObject();
    EXPECT_TRUE(IsLiveObject(object));
    PlainObject copy(*object);
    EXPECT_TRUE(IsLiveObject(&copy));
    delete object;
    EXPECT_FALSE(IsLiveObject(object));
    EXPECT_TRUE(IsLiveObject(&copy));
    EXPECT_FALSE(IsLiveObject(nullptr));
    int notAnObject = 0;
    EXPECT_FALSE(IsLiveObject(&notAnObject));
}
