#include "interface/InterfaceManager.h"

#include <algorithm>

#include "Render/RenderObject.h"
#include "core/GameObject.h"
#include "core/Log.h"
#include "interface/Font.h"

CPInterfaceManager::CPInterfaceManager() { m_fonts.reserve(100); }

CPInterfaceManager::~CPInterfaceManager()
{
    for (auto& entry : m_fonts) {
        CPObject* font = entry.second.Get();
        entry.second = CPObjectPtr();
        delete font;
    }
}

void CPInterfaceManager::AddFont(const std::string& name, CPFont* font)
{
    if (!font)
        return;
    CPObjectPtr& slot = m_fonts[name];
    CPObject* previous = slot.Get();
    slot = CPObjectPtr(font);
    if (previous != font)
        delete previous;
}

CPFont& CPInterfaceManager::GetFont(const std::string& name)
{
    CPObjectPtr& slot = m_fonts[name];
    if (!slot)
        slot = CPObjectPtr(new CPFont());
    return *static_cast<CPFont*>(slot.Get());
}

namespace {

// Texts change every frame (times, speeds, messages) and mostly grow a
// glyph at a time; room in steps of this many glyphs, taken the first time
// a text is laid out (when its screen loads), keeps later layouts from
// reallocating.
constexpr std::size_t kGlyphRoomStep = 32;

void ReserveGlyphRoom(CPRenderObject& render, std::size_t bytes)
{
    const std::size_t glyphs = std::min(std::max<std::size_t>(bytes, 1), CPInterfaceManager::kMaxGlyphs);
    const std::size_t room = (glyphs + kGlyphRoomStep - 1) / kGlyphRoomStep * kGlyphRoomStep;
    render.GetVertices().reserve(room * 4);
    render.GetIndices().reserve(room * 6);
    render.GetWorldVertices().reserve(room * 4);
}

} // namespace

CPObjectPtr CPInterfaceManager::LayoutText(CPObjectPtr textObject, float x, float y,
                                           const std::string& fontName, const std::string& text)
{
    auto* object = textObject.As<CPGameObject>();
    if (!object || object->GetRenderKind() != CPGameObject::kMeshObject)
        return CPObjectPtr();
    auto* render = object->GetRenderObject().As<CPRenderObject>();
    if (!render)
        return CPObjectPtr();

    std::vector<CPMeshVertex>& vertices = render->GetVertices();
    std::vector<std::uint16_t>& indices = render->GetIndices();
    vertices.clear();
    indices.clear();
    ReserveGlyphRoom(*render, text.size());
    const CPFont& font = GetFont(fontName);
    render->SetMaterial(font.material);

    float px = x;
    float py = y;
    std::size_t glyphCount = 0;
    for (char byte : text) {
        const unsigned char c = static_cast<unsigned char>(byte);
        if (c == '^') {
            py += font.lineHeight;
            px = x;
            continue;
        }
        if (glyphCount == kMaxGlyphs) {
            LogLine("Text in font \"" + fontName + "\" is cut after " + std::to_string(kMaxGlyphs) +
                    " glyphs");
            break;
        }
        const CPFont::GlyphRect& glyph = font.glyphs[c];
        const float width = font.widths[c];
        const std::uint16_t n = static_cast<std::uint16_t>(glyphCount * 4);
        CPMeshVertex corner;
        corner.position = {px, py, 0.0f};
        corner.uv1 = {glyph.left, glyph.top};
        vertices.push_back(corner);
        corner.position = {px + width, py, 0.0f};
        corner.uv1 = {glyph.right, glyph.top};
        vertices.push_back(corner);
        corner.position = {px + width, py + font.lineHeight, 0.0f};
        corner.uv1 = {glyph.right, glyph.bottom};
        vertices.push_back(corner);
        corner.position = {px, py + font.lineHeight, 0.0f};
        corner.uv1 = {glyph.left, glyph.bottom};
        vertices.push_back(corner);
        for (std::uint16_t k : {0, 1, 2, 0, 2, 3})
            indices.push_back(static_cast<std::uint16_t>(n + k));
        ++glyphCount;
        // Neighbouring glyph quads overlap by two pixels.
        px += width - 2.0f;
    }
    render->GetWorldVertices() = vertices;
    return CPObjectPtr(render);
}
