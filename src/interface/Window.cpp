#include "interface/Window.h"

#include <cstdio>
#include <vector>

#include "core/GameSettings.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "core/TextReader.h"
#include "core/Tokenizer.h"
#include "interface/Anchor.h"
#include "interface/Interface.h"
#include "interface/NumberText.h"

namespace {

// A texture coordinate from pixels; a texture without size gives 0 rather
// than a coordinate that is no number.
float ToTexture(float pixels, float size) { return size != 0.0f ? pixels / size : 0.0f; }

} // namespace

CPWindow::CPWindow(CPInterface* owner) : m_owner(owner) {}

bool CPWindow::HitTest(float x, float y) const
{
    return m_x + m_quad[0].position.x <= x && x <= m_x + m_quad[1].position.x &&
           m_y + m_quad[0].position.y <= y && y <= m_y + m_quad[2].position.y;
}

bool CPWindow::Create(const std::string& name, float textureWidth, float textureHeight, float x, float y,
                      float w, float h, float u, float v, float du, float dv)
{
    m_name = name;
    m_x = x - 0.5f;
    m_y = y - 0.5f;
    SetVisible(true);
    BuildQuad(w, h, ToTexture(u, textureWidth), ToTexture(v, textureHeight), ToTexture(du, textureWidth),
              ToTexture(dv, textureHeight));
    return true;
}

bool CPWindow::Load(CPTextReader& reader, float textureWidth, float textureHeight)
{
    std::string line;
    if (!reader.GetLine(line))
        return false;
    CPTokenizer parts(line, " ", true);
    std::string valuesText;
    parts.NextToken(m_name);
    parts.NextToken(valuesText);

    std::vector<std::string> values;
    CPTokenizer cutter(valuesText, ",", true);
    for (std::string value; cutter.NextToken(value);)
        values.push_back(value);
    values.resize(values.size() < 8 ? 8 : values.size());
    float numbers[8];
    for (int i = 0; i < 8; ++i)
        numbers[i] = ParseFloatText(values[i]);

    m_x = numbers[0] - 0.5f;
    m_y = numbers[1] - 0.5f;
    float w = numbers[2];
    float h = numbers[3];
    if (values.size() > 8) {
        SetVisible(values[8] != "false");
        if (values.size() > 9) {
            if (values[9] == "stretch") {
                w = static_cast<float>(GetGameSettings().screenWidth) * w * 0.0009765625f;
                h = static_cast<float>(GetGameSettings().screenHeight) * h * 0.0013020834f;
                m_stretchedWidth = w;
                m_stretchedHeight = h;
            } else {
                ApplyAnchor(m_x, m_y, values[9]);
            }
        }
    }
    BuildQuad(w, h, ToTexture(numbers[4], textureWidth), ToTexture(numbers[5], textureHeight),
              ToTexture(numbers[6], textureWidth), ToTexture(numbers[7], textureHeight));
    return true;
}

void CPWindow::BuildQuad(float w, float h, float u, float v, float du, float dv)
{
    m_quad[0].position = {0.0f, 0.0f, 0.0f};
    m_quad[0].uv1 = {u, v};
    m_quad[1].position = {w, 0.0f, 0.0f};
    m_quad[1].uv1 = {u + du, v};
    m_quad[2].position = {w, h, 0.0f};
    m_quad[2].uv1 = {u + du, v + dv};
    m_quad[3].position = {0.0f, h, 0.0f};
    m_quad[3].uv1 = {u, v + dv};
    m_indices = {{0, 1, 2, 0, 2, 3}};
}

void CPWindow::SetSize(float w, float h)
{
    m_quad[0].position = {0.0f, 0.0f, 0.0f};
    m_quad[1].position = {w, 0.0f, 0.0f};
    m_quad[2].position = {w, h, 0.0f};
    m_quad[3].position = {0.0f, h, 0.0f};
}

void CPWindow::SetColour(std::uint32_t colour)
{
    m_colour = colour;
    for (CPMeshVertex& corner : m_quad)
        corner.diffuse = colour;
}

bool CPWindow::OnMouseOver(float, float)
{
    PostToInterface("mouse_window_over");
    return false;
}

bool CPWindow::OnMouseOut(float, float)
{
    PostToInterface("mouse_window_out");
    return false;
}

bool CPWindow::OnMouseDown(int, float, float) { return false; }

bool CPWindow::OnMouseUp(int, float x, float y)
{
    if (!HitTest(x, y))
        return false;
    char position[64];
    std::snprintf(position, sizeof position, ",%.2f,%.2f", x, y);
    PostToOwner("window", m_name + position);
    return false;
}

void CPWindow::PostToInterface(const char* command) const
{
    if (CPObjectRegistry* registry = GetObjectRegistry())
        registry->SendCommandByCategory("interface", command, m_name);
}

void CPWindow::PostToOwner(const char* command, const std::string& params) const
{
    CPObjectRegistry* registry = GetObjectRegistry();
    if (!registry || !m_owner)
        return;
    CPObjectPtr receiver = m_owner->GetOwnerObject();
    if (receiver)
        registry->SendCommandByObject(receiver, command, params);
}
