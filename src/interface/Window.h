#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "Render/MeshVertex.h"
#include "core/Object.h"

class CPInterface;
class CPTextReader;

// One textured quad of a screen: a name, a position (its top-left corner
// in screen pixels), the corner vertices relative to it, and the visible
// and enabled flags. The screen draws it and passes it the mouse; it tells
// the scripts about the mouse through commands.
class CPWindow : public CPObject {
  public:
    // The screen is not owned; it owns the window.
    explicit CPWindow(CPInterface* owner);

    std::uint32_t GetObjectSize() const override { return sizeof(CPWindow); }
    std::string GetTypeName() const override { return "CPWindow"; }

    virtual void SetEnabled(bool enabled) { m_enabled = enabled; }
    virtual bool HitTest(float x, float y) const;
    // Texture rectangle in pixels of a texture of the given size; the
    // position is taken half a pixel up and left onto the pixel corner.
    virtual bool Create(const std::string& name, float textureWidth, float textureHeight, float x, float y,
                        float w, float h, float u, float v, float du, float dv);
    // Builds the window from the reader's next line: "name x,y,w,h,u,v,du,dv
    // [,false] [,stretch | ,anchor]". False, with the window left as it
    // was, when the reader has no line left.
    virtual bool Load(CPTextReader& reader, float textureWidth, float textureHeight);
    virtual const std::array<CPMeshVertex, 4>& GetVertices() const { return m_quad; }
    virtual const std::array<std::uint16_t, 6>& GetIndices() const { return m_indices; }
    virtual void SetVisible(bool visible) { m_visible = visible; }
    // Each handler returns whether the screen must rebuild its buffers.
    virtual bool OnMouseOver(float x, float y);
    virtual bool OnMouseOut(float x, float y);
    virtual bool OnMouseDown(int button, float x, float y);
    virtual bool OnMouseUp(int button, float x, float y);

    const std::string& GetName() const { return m_name; }
    bool IsVisible() const { return m_visible; }
    bool IsEnabled() const { return m_enabled; }
    bool IsSelectable() const { return m_visible && m_enabled; }
    float GetX() const { return m_x; }
    float GetY() const { return m_y; }
    void SetPosition(float x, float y)
    {
        m_x = x;
        m_y = y;
    }
    // The quad becomes (0, 0) to (w, h); its texture coordinates stay.
    void SetSize(float w, float h);
    std::uint32_t GetColour() const { return m_colour; }
    // The colour, written to the diffuse colour of the four corners too.
    void SetColour(std::uint32_t colour);
    float GetStretchedWidth() const { return m_stretchedWidth; }
    float GetStretchedHeight() const { return m_stretchedHeight; }
    CPInterface* GetOwner() const { return m_owner; }

  protected:
    // Sends a command to the category "interface" with the window's name.
    void PostToInterface(const char* command) const;
    // Sends a command to the script object that owns the screen.
    void PostToOwner(const char* command, const std::string& params) const;
    void BuildQuad(float w, float h, float u, float v, float du, float dv);

    CPInterface* m_owner;
    std::array<CPMeshVertex, 4> m_quad{};
    std::array<std::uint16_t, 6> m_indices{{0, 1, 2, 0, 2, 3}};
    std::string m_name;
    bool m_visible = true;
    bool m_enabled = true;
    float m_x = 0.0f;
    float m_y = 0.0f;
    std::uint32_t m_colour = 0;
    float m_stretchedWidth = 0.0f;
    float m_stretchedHeight = 0.0f;
};
