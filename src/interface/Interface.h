#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/GameObject.h"
#include "interface/TextItem.h"
#include "platform/Light.h"

class CPButton;
class CPEditBox;
class CPRenderObject;
class CPTextReader;
class CPWindow;

// One 2D screen (a menu page, the heads-up display): a game object whose
// render object holds the quads of all its windows and buttons, whose
// children show its texts, edit boxes and cursor, and whose owner script
// object hears its "window" and "button" commands. It is read from
// "Data\Interface\<name>1024.int".
//
// Every screen sits in one global list while it exists; mouse movement
// and keyboard selection reach the screens through it. The screen owns
// and deletes its windows, buttons, edit boxes, text objects and cursor
// objects.
class CPInterface : public CPGameObject {
  public:
    static constexpr const char* kFolder = "Data\\Interface";

    CPInterface();
    ~CPInterface() override;

    std::uint32_t GetObjectSize() const override { return sizeof(CPInterface); }
    std::string GetTypeName() const override { return "CPInterface - " + GetName(); }

    // Replays the current mouse position to every screen ("mouse_move"),
    // then activates the object.
    void Activate(int priority) override;
    void Deactivate() override;
    // Reads the screen's file; the material option is 200 + number. False,
    // with a line in the log, when the file cannot be read or ends inside
    // its header or a block; what was read until then stays. The buffers
    // are rebuilt in every case.
    virtual bool Load(const std::string& name, int number);
    // Per frame: the screen's light (while the renderer holds fewer than 30)
    // and its object tree go to this frame's drawing.
    virtual void Submit();
    // Activates without replaying the mouse.
    virtual void SilentActivate(int priority);

    // Refills the render object with the quads of the visible elements, in
    // drawing order, each at its position.
    void RebuildBuffers();

    // --- Mouse and keyboard ------------------------------------------------

    // Posts "mouse_move" with the position as fractions of the screen, then
    // lets every screen react, the last created first.
    static void DispatchMouseMove(float x, float y);
    // A mouse button pressed or released at (x, y): each active screen,
    // the last created first, hands it to its topmost selectable element
    // there (a release also reaches the element the press went to).
    static void DispatchMouseDown(int button, float x, float y);
    static void DispatchMouseUp(int button, float x, float y);

    void OnMouseMove(float x, float y);
    void OnMouseDown(int button, float x, float y);
    void OnMouseUp(int button, float x, float y);
    // Hovers what lies at the point without moving the cursor; a plain
    // window found there is not kept hovered.
    void HoverAt(float x, float y);
    void SelectNextButton();
    void SelectPreviousButton();
    // When a button is hovered: it goes back to normal
    // ("mouse_button_out") and nothing stays hovered.
    void DeselectCurrentButton();
    // When the element is the hovered one: it goes back to normal (its
    // mouse-out at (0, 0)) and nothing stays hovered. No rebuild.
    void DropHover(CPWindow* element);

    // Makes the object of that name (from the object map) the cursor: the
    // old cursor is hidden, the new one shown at the last mouse position.
    // A name the map lacks leaves the screen without a cursor.
    void SetCursor(const std::string& name);

    // --- Contents ----------------------------------------------------------

    CPWindow* FindWindow(const std::string& name) const;
    CPEditBox* FindEditBox(const std::string& name) const;
    CPTextItem* FindText(const std::string& name);
    const std::vector<CPWindow*>& GetElements() const { return m_elements; }
    const std::vector<CPWindow*>& GetDrawList() const { return m_drawList; }
    const std::vector<CPButton*>& GetButtons() const { return m_buttons; }
    CPWindow* GetHovered() const { return m_hovered; }
    CPGameObject* GetCursorObject() const { return m_cursorObject; }
    CPGameObject* FindObject(const std::string& name) const;
    const std::string& GetCursorName() const { return m_cursorName; }
    CPRenderObject* GetScreenRenderObject() const { return m_renderObject; }

    bool IsScreenActive() const { return m_screenActive; }
    float GetMouseX() const { return m_mouseX; }
    float GetMouseY() const { return m_mouseY; }
    bool IsLightOn() const { return m_lightOn; }
    const platform::Light& GetLight() const { return m_light; }

    // Every screen that exists, in order of creation.
    static const std::list<CPInterface*>& GetInterfaceList();

  protected:
    // Takes the element into the window map, the element list and the
    // draw list; the screen deletes it.
    void AddElement(CPWindow* element);
    // Replaces the screen's material with the library's material of the
    // effect, the one texture and the option 200 + the screen's number.
    void SetScreenMaterial(const std::string& effect, const std::string& texture, int number);

    CPRenderObject* m_renderObject = nullptr; // owned through the game object

  private:
    bool ReadFile(const std::string& path, int number);
    bool ReadHeader(CPTextReader& reader, int number);
    bool ReadWindowBlock(CPTextReader& reader);
    bool ReadButtonBlock(CPTextReader& reader);
    bool ReadEditBlock(CPTextReader& reader);
    bool ReadTextBlock(CPTextReader& reader);
    void MakeCursor(const CPWindow& window);
    CPGameObject* MakeTextObject();
    // Enters the item under the name, its text with the room of a line.
    void AddText(const std::string& name, const CPTextItem& item);
    CPWindow* ElementAt(float x, float y) const;
    void UpdateHover(float x, float y, bool keepButtonsOnly);
    bool IsButton(const CPWindow* element) const;

    float m_mouseX = 0.0f;
    float m_mouseY = 0.0f;
    std::unordered_map<std::string, CPWindow*> m_windows;
    std::vector<CPWindow*> m_elements;
    std::vector<CPWindow*> m_drawList;
    std::vector<CPButton*> m_buttons;
    std::unordered_map<std::string, CPEditBox*> m_editBoxes;
    CPWindow* m_hovered = nullptr;
    CPWindow* m_pressed = nullptr;
    std::unordered_map<std::string, CPTextItem> m_texts;
    platform::Light m_light;
    bool m_lightOn = false;
    CPGameObject* m_cursorObject = nullptr;
    std::unordered_map<std::string, CPGameObject*> m_objects;
    bool m_screenActive = false;
    std::string m_cursorName;
    std::string m_textureName;
    float m_textureWidth = 0.0f;
    float m_textureHeight = 0.0f;

    // Everything the screen made and deletes, each once.
    std::vector<CPWindow*> m_ownedElements;
    std::vector<CPEditBox*> m_ownedEditBoxes;
    std::vector<CPGameObject*> m_ownedObjects;
};

// Keyboard selection on every screen, the last created first.
void SelectNextButtonInAll();
void SelectPreviousButtonInAll();
