#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Component.h"
#include "platform/Dialog.h"

// Embedding an object (the web browser) in a window of a dialog: the sites
// a container offers the object, the object's own interfaces, and the text
// values the browser is driven with.
namespace platform {

// Where an embedded object may keep its state. A container that keeps
// nothing answers "not implemented" to everything but SetClass.
class EmbedStorage : public CountedInterface {
  public:
    virtual HResult CreateStream() = 0;
    virtual HResult OpenStream() = 0;
    virtual HResult CreateStorage() = 0;
    virtual HResult OpenStorage() = 0;
    virtual HResult CopyTo() = 0;
    virtual HResult MoveElementTo() = 0;
    virtual HResult Commit() = 0;
    virtual HResult Revert() = 0;
    virtual HResult EnumElements() = 0;
    virtual HResult DestroyElement() = 0;
    virtual HResult RenameElement() = 0;
    virtual HResult SetElementTimes() = 0;
    virtual HResult SetClass(ClassId classId) = 0;
    virtual HResult SetStateBits() = 0;
    virtual HResult Stat() = 0;
};

// The container's side of one embedded object.
class EmbedClientSite : public CountedInterface {
  public:
    virtual HResult SaveObject() = 0;
    virtual HResult GetMoniker() = 0;
    virtual HResult GetContainer(CountedInterface** container) = 0;
    virtual HResult ShowObject() = 0;
    virtual HResult OnShowWindow(bool showing) = 0;
    virtual HResult RequestNewObjectLayout() = 0;
};

class EmbedInPlaceFrame;

// Describes the frame an object is activated in.
struct FrameInfo {
    std::uint32_t size = 0;
    bool isMdiApp = false;
    Window* frame = nullptr;
    const void* accelerators = nullptr;
    std::uint32_t acceleratorCount = 0;
};

// The container's side of an object shown inside one of its windows.
class EmbedInPlaceSite : public CountedInterface {
  public:
    virtual HResult GetWindow(Window** window) = 0;
    virtual HResult ContextSensitiveHelp(bool enter) = 0;
    virtual HResult CanInPlaceActivate() = 0;
    virtual HResult OnInPlaceActivate() = 0;
    virtual HResult OnUIActivate() = 0;
    virtual HResult GetWindowContext(EmbedInPlaceFrame** frame, CountedInterface** document, Rect* position,
                                     Rect* clip, FrameInfo* info) = 0;
    virtual HResult Scroll(int dx, int dy) = 0;
    virtual HResult OnUIDeactivate(bool undoable) = 0;
    virtual HResult OnInPlaceDeactivate() = 0;
    virtual HResult DiscardUndoState() = 0;
    virtual HResult DeactivateAndUndo() = 0;
    virtual HResult OnPosRectChange(const Rect& position) = 0;
};

// The container's top-level frame as an active object sees it.
class EmbedInPlaceFrame : public CountedInterface {
  public:
    virtual HResult GetWindow(Window** window) = 0;
    virtual HResult ContextSensitiveHelp(bool enter) = 0;
    virtual HResult GetBorder(Rect* border) = 0;
    virtual HResult RequestBorderSpace(const Rect& widths) = 0;
    virtual HResult SetBorderSpace(const Rect* widths) = 0;
    virtual HResult SetActiveObject(CountedInterface* object, const std::u16string& name) = 0;
    virtual HResult InsertMenus() = 0;
    virtual HResult SetMenu() = 0;
    virtual HResult RemoveMenus() = 0;
    virtual HResult SetStatusText(const std::u16string& text) = 0;
    virtual HResult EnableModeless(bool enable) = 0;
    virtual HResult TranslateAccelerator() = 0;
};

constexpr int kVerbShow = -1;
enum class CloseMode { SaveIfDirty, NoSave, PromptSave };
enum class RenderMode { None, Draw };

// The embedded object as its container drives it.
class EmbeddedObject : public CountedInterface {
  public:
    virtual HResult SetClientSite(EmbedClientSite* site) = 0;
    virtual HResult SetHostNames(const std::u16string& application, const std::u16string& object) = 0;
    virtual HResult DoVerb(int verb, EmbedClientSite* site, int index, Window* window,
                           const Rect& position) = 0;
    virtual HResult Close(CloseMode mode) = 0;
    virtual HResult SetContained(bool contained) = 0;
};

// A value of one of the kinds the browser's methods take.
struct Variant {
    enum class Kind { Empty, Text };
    Kind kind = Kind::Empty;
    std::u16string text;
};

// Each byte becomes one character: the addresses handed over are plain
// ASCII, and other bytes keep their values as Latin-1.
std::u16string WidenText(const std::string& bytes);
std::string NarrowText(const std::u16string& text);
Variant TextVariant(const std::string& bytes);
void ClearVariant(Variant& value);

// The browser control's own interface.
class WebBrowserControl : public CountedInterface {
  public:
    virtual HResult SetLeft(long left) = 0;
    virtual HResult SetTop(long top) = 0;
    virtual HResult SetWidth(long width) = 0;
    virtual HResult SetHeight(long height) = 0;
    virtual HResult Navigate(const Variant& address, const Variant& flags, const Variant& targetFrame,
                             const Variant& postData, const Variant& headers) = 0;
};

// Creates an object of the class, hands it the site and the storage (which
// is told the object's class) and answers the asked interface. Fails with
// E_NOT_STARTED before StartEmbedding.
HResult CreateEmbeddedObject(ClassId classId, InterfaceId id, RenderMode render, EmbedClientSite* site,
                             EmbedStorage* storage, void** out);

// Tells the object it is held inside a container.
HResult SetObjectContained(EmbeddedObject* object, bool contained);

// Makes the objects CreateEmbeddedObject hands out; the result comes with
// one use, or is null for a class that cannot be made. An empty factory
// restores the default, which makes a recording web browser.
using EmbeddedObjectFactory = std::function<CountedInterface*(ClassId)>;
void SetEmbeddedObjectFactory(EmbeddedObjectFactory factory);
EmbeddedObjectFactory GetEmbeddedObjectFactory();

} // namespace platform
