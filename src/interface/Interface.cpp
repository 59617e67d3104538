#include "interface/Interface.h"

#include <algorithm>
#include <limits>

#include "Render/Material.h"
#include "Render/MaterialLibrary.h"
#include "Render/PRender.h"
#include "Render/RenderList.h"
#include "Render/RenderObject.h"
#include "core/FileReader.h"
#include "core/Log.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "core/StringUtils.h"
#include "core/TextLookup.h"
#include "core/TextReader.h"
#include "core/Tokenizer.h"
#include "interface/Anchor.h"
#include "interface/Button.h"
#include "interface/EditBox.h"
#include "interface/InputManager.h"
#include "interface/InterfaceManager.h"
#include "interface/NumberText.h"
#include "interface/Window.h"

namespace {

std::list<CPInterface*>& Screens()
{
    static std::list<CPInterface*> screens;
    return screens;
}

// The tokens of a line cut at the delimiter (double quotes group).
std::vector<std::string> Tokens(const std::string& line, const char* delimiter)
{
    std::vector<std::string> tokens;
    CPTokenizer tokenizer(line, delimiter, true);
    for (std::string token; tokenizer.NextToken(token);)
        tokens.push_back(token);
    return tokens;
}

// A missing token reads as an empty text.
const std::string& TokenAt(const std::vector<std::string>& tokens, std::size_t index)
{
    static const std::string empty;
    return index < tokens.size() ? tokens[index] : empty;
}

// An element line "name values": the name and the values cut at ",".
// Whatever follows a further blank is not read.
std::vector<std::string> ElementValues(const std::string& line, std::string& name)
{
    CPTokenizer parts(line, " ", true);
    std::string values;
    parts.NextToken(name);
    parts.NextToken(values);
    return Tokens(values, ",");
}

} // namespace

const std::list<CPInterface*>& CPInterface::GetInterfaceList() { return Screens(); }

CPInterface::CPInterface() : CPGameObject(std::string())
{
    m_windows.reserve(100);
    m_editBoxes.reserve(100);
    m_texts.reserve(100);
    m_objects.reserve(100);
    m_renderObject = new CPRenderObject(this);
    SetRenderObject(CPObjectPtr(m_renderObject), kMeshObject);
    Screens().push_back(this);
}

CPInterface::~CPInterface()
{
    Screens().remove(this);
    m_hovered = nullptr;
    m_pressed = nullptr;
    m_windows.clear();
    m_elements.clear();
    m_drawList.clear();
    m_buttons.clear();
    m_editBoxes.clear();
    m_texts.clear();
    m_objects.clear();
    m_cursorObject = nullptr;
    for (CPWindow* element : m_ownedElements)
        delete element;
    for (CPEditBox* box : m_ownedEditBoxes)
        delete box;
    // Children leave this screen's child list as they go.
    for (CPGameObject* object : m_ownedObjects)
        delete object;
}

bool CPInterface::Load(const std::string& name, int number)
{
    SetName(name);
    SetRenderObject(CPObjectPtr(m_renderObject), kMeshObject);
    SetBoundsValid(true);
    const std::string path = std::string(kFolder) + "\\" + name + "1024.int";
    const bool loaded = ReadFile(path, number);
    RebuildBuffers();
    return loaded;
}

bool CPInterface::ReadFile(const std::string& path, int number)
{
    CPFileReader file(path, false);
    if (file.Load() != S_OK || file.GetDataSize() == 0) {
        LogLine("Interface screen \"" + GetName() + "\": cannot read " + path);
        return false;
    }
    CPTextReader reader(reinterpret_cast<const char*>(file.GetData()),
                        static_cast<std::int32_t>(file.GetDataSize()));
    if (!ReadHeader(reader, number)) {
        LogLine("Interface screen \"" + GetName() + "\": " + path + " ends inside its three header lines");
        return false;
    }
    for (std::string line; reader.GetLine(line);) {
        ToLowerString(line);
        bool complete = true;
        if (line == "window")
            complete = ReadWindowBlock(reader);
        else if (line == "button")
            complete = ReadButtonBlock(reader);
        else if (line == "textedit")
            complete = ReadEditBlock(reader);
        else if (line == "text")
            complete = ReadTextBlock(reader);
        if (!complete) {
            LogLine("Interface screen \"" + GetName() + "\": " + path + " ends inside a \"" + line +
                    "\" block");
            return false;
        }
    }
    return true;
}

bool CPInterface::ReadHeader(CPTextReader& reader, int number)
{
    std::string lines[3];
    bool complete = true;
    for (std::string& line : lines)
        complete = reader.GetLine(line) && complete;

    const std::vector<std::string> owner = Tokens(lines[0], ",");
    if (CPObjectRegistry* registry = GetObjectRegistry())
        SetOwnerObject(registry->FindObject(TokenAt(owner, 0)));

    const std::vector<std::string> texture = Tokens(lines[1], ",");
    m_textureName = TokenAt(texture, 0);
    m_textureWidth = ParseFloatText(TokenAt(texture, 1));
    m_textureHeight = ParseFloatText(TokenAt(texture, 2));

    const std::vector<std::string> light = Tokens(lines[2], ",");
    m_lightOn = TokenAt(light, 1) == "on";
    if (m_lightOn) {
        m_light = platform::Light();
        m_light.type = platform::LightType::Directional;
        m_light.direction = {ParseFloatText(TokenAt(light, 2)), ParseFloatText(TokenAt(light, 3)),
                             ParseFloatText(TokenAt(light, 4))};
        const ColorValue colour{ParseFloatText(TokenAt(light, 5)), ParseFloatText(TokenAt(light, 6)),
                                ParseFloatText(TokenAt(light, 7)), 0.0f};
        m_light.diffuse = colour;
        m_light.specular = colour;
        m_light.ambient = ColorValue{0.0f, 0.0f, 0.0f, 0.0f};
        m_light.range = 10000.0f;
    }
    const char* effect = TokenAt(light, 8) == "smooth" ? "interface2.fx" : "interface.fx";
    SetScreenMaterial(effect, m_textureName, number);
    return complete;
}

void CPInterface::SetScreenMaterial(const std::string& effect, const std::string& texture, int number)
{
    // Scripts pick the number freely: near the top of the range the sum
    // would overflow, so it stops at the largest option.
    constexpr int kFirstScreenOption = 200;
    const int option = number > std::numeric_limits<int>::max() - kFirstScreenOption
                           ? std::numeric_limits<int>::max()
                           : kFirstScreenOption + number;
    CPMaterialLibrary* library = GetMaterialLibrary();
    if (!library) {
        LogLine("Interface screen \"" + GetName() + "\": no material library for " + effect);
        return;
    }
    m_renderObject->SetMaterial(CPObjectPtr(library->GetMaterial(effect, {texture}, option)));
}

bool CPInterface::ReadWindowBlock(CPTextReader& reader)
{
    auto* window = new CPWindow(this);
    window->SetVisible(true);
    const bool complete = window->Load(reader, m_textureWidth, m_textureHeight);
    if (!complete) {
        delete window;
        return false;
    }
    if (window->GetName() == "cursor") {
        MakeCursor(*window);
        delete window;
        return true;
    }
    AddElement(window);
    return true;
}

bool CPInterface::ReadButtonBlock(CPTextReader& reader)
{
    auto* button = new CPButton(this);
    button->SetVisible(true);
    const bool complete = button->Load(reader, m_textureWidth, m_textureHeight);
    if (!complete) {
        delete button;
        return false;
    }
    AddElement(button);
    m_buttons.push_back(button);
    return true;
}

void CPInterface::AddElement(CPWindow* element)
{
    m_ownedElements.push_back(element);
    m_windows[element->GetName()] = element;
    m_elements.push_back(element);
    m_drawList.push_back(element);
}

void CPInterface::MakeCursor(const CPWindow& window)
{
    auto* cursor = new CPGameObject("cursor");
    auto* render = new CPRenderObject(cursor);
    cursor->SetRenderObject(CPObjectPtr(render), kMeshObject);
    const std::array<CPMeshVertex, 4>& quad = window.GetVertices();
    const std::array<std::uint16_t, 6>& indices = window.GetIndices();
    render->GetVertices().assign(quad.begin(), quad.end());
    render->GetWorldVertices().assign(quad.begin(), quad.end());
    render->GetIndices().assign(indices.begin(), indices.end());
    const Vector3& first = quad[0].position;
    const Vector3& fourth = quad[3].position;
    const Vector3 centre{(first.x + fourth.x) * 0.5f, (first.y + fourth.y) * 0.5f,
                         (first.z + fourth.z) * 0.5f};
    const Vector3 half{(fourth.x - first.x) * 0.5f, (fourth.y - first.y) * 0.5f, (fourth.z - first.z) * 0.5f};
    cursor->SetBoundingBox(CPBoundingBox(centre, half));
    if (CPMaterialLibrary* library = GetMaterialLibrary())
        render->SetMaterial(CPObjectPtr(library->GetMaterial("interface.fx", {m_textureName}, 205)));
    m_ownedObjects.push_back(cursor);
    m_cursorObject = cursor;
    AddChild(CPObjectPtr(cursor));
    m_objects["cursor"] = cursor;
}

void CPInterface::AddText(const std::string& name, const CPTextItem& item)
{
    CPTextItem& stored = m_texts[name];
    stored = item;
    stored.text.reserve(CPTextItem::kRoom);
}

CPGameObject* CPInterface::MakeTextObject()
{
    auto* text = new CPGameObject("text");
    text->SetRenderObject(CPObjectPtr(new CPRenderObject(text)), kMeshObject);
    m_ownedObjects.push_back(text);
    return text;
}

bool CPInterface::ReadEditBlock(CPTextReader& reader)
{
    std::string line;
    if (!reader.GetLine(line))
        return false;
    std::string name;
    const std::vector<std::string> values = ElementValues(line, name);
    CPTextItem item;
    item.x = ParseFloatText(TokenAt(values, 0)) + 0.5f;
    item.y = ParseFloatText(TokenAt(values, 1)) + 0.5f;
    item.font = TokenAt(values, 2);
    const std::int32_t maxLength = ParseIntText(TokenAt(values, 3));
    if (values.size() > 4)
        ApplyAnchor(item.x, item.y, values[4]);
    CPGameObject* text = MakeTextObject();
    item.textObject = CPObjectPtr(text);
    auto* box = new CPEditBox(item, maxLength, TokenAt(values, 5));
    m_ownedEditBoxes.push_back(box);
    m_editBoxes[name] = box;
    AddChild(item.textObject);
    AddText(name, item);
    return true;
}

bool CPInterface::ReadTextBlock(CPTextReader& reader)
{
    std::string line;
    if (!reader.GetLine(line))
        return false;
    std::string name;
    const std::vector<std::string> values = ElementValues(line, name);
    CPTextItem item;
    item.font = TokenAt(values, 0);
    item.x = ParseFloatText(TokenAt(values, 1)) + 0.5f;
    item.y = ParseFloatText(TokenAt(values, 2)) + 0.5f;
    if (values.size() > 4)
        ApplyAnchor(item.x, item.y, values[4]);
    CPGameObject* text = MakeTextObject();
    item.textObject = CPObjectPtr(text);
    AddText(name, item);
    AddChild(item.textObject);
    // The game's text of the key; without game data the text is empty.
    const std::string shown = LookupText(TokenAt(values, 3));
    if (CPInterfaceManager* manager = GetInterfaceManager())
        manager->LayoutText(item.textObject, item.x, item.y, item.font, shown);
    return true;
}

void CPInterface::RebuildBuffers()
{
    std::vector<CPMeshVertex>& vertices = m_renderObject->GetVertices();
    std::vector<std::uint16_t>& indices = m_renderObject->GetIndices();
    vertices.clear();
    indices.clear();
    for (const CPWindow* element : m_drawList) {
        if (!element->IsVisible())
            continue;
        if (vertices.size() + 4 > 65536) {
            LogLine("Interface screen \"" + GetName() + "\": too many elements to draw");
            break;
        }
        const std::uint16_t base = static_cast<std::uint16_t>(vertices.size());
        for (CPMeshVertex corner : element->GetVertices()) {
            corner.position.x += element->GetX();
            corner.position.y += element->GetY();
            vertices.push_back(corner);
        }
        for (std::uint16_t index : element->GetIndices())
            indices.push_back(static_cast<std::uint16_t>(base + index));
    }
    m_renderObject->GetWorldVertices() = vertices;
}

void CPInterface::Activate(int priority)
{
    m_screenActive = true;
    if (CPInputManager* input = GetInputManager()) {
        int x = 0;
        int y = 0;
        input->GetMousePos(x, y);
        DispatchMouseMove(static_cast<float>(x), static_cast<float>(y));
    }
    CPGameObject::Activate(priority);
}

void CPInterface::SilentActivate(int priority)
{
    m_screenActive = true;
    CPGameObject::Activate(priority);
}

void CPInterface::Deactivate()
{
    m_screenActive = false;
    CPGameObject::Deactivate();
}

void CPInterface::Submit()
{
    CPRender* render = GetRender();
    if (m_lightOn && render && render->GetLightCount() < CPRender::kMaxLights)
        render->AddLight(m_light);
    if (!render)
        return;
    CPObjectPtr scene;
    render->GetSceneObject(scene);
    if (auto* list = scene.As<CPRenderList>())
        list->AddObjectTree(CPObjectPtr(this));
}

CPWindow* CPInterface::FindWindow(const std::string& name) const
{
    auto found = m_windows.find(name);
    return found == m_windows.end() ? nullptr : found->second;
}

CPEditBox* CPInterface::FindEditBox(const std::string& name) const
{
    auto found = m_editBoxes.find(name);
    return found == m_editBoxes.end() ? nullptr : found->second;
}

CPTextItem* CPInterface::FindText(const std::string& name)
{
    auto found = m_texts.find(name);
    return found == m_texts.end() ? nullptr : &found->second;
}

CPGameObject* CPInterface::FindObject(const std::string& name) const
{
    auto found = m_objects.find(name);
    return found == m_objects.end() ? nullptr : found->second;
}

void CPInterface::SetCursor(const std::string& name)
{
    if (m_cursorObject)
        m_cursorObject->SetVisible(false);
    // A name the screen has no object for shows no cursor; it is not
    // entered, so asking for it every frame takes no block.
    m_cursorObject = FindObject(name);
    m_cursorName = name;
    if (!m_cursorObject)
        return;
    m_cursorObject->SetVisible(true);
    m_cursorObject->SetPosition({m_mouseX, m_mouseY, 0.0f});
    m_cursorObject->UpdateBounds();
}
