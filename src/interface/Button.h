#pragma once

#include "interface/Window.h"

// A window with three pictures, one per state (normal, over, pressed),
// each a window of its own read from its own line. The button is drawn
// with the picture of its state at its own position and tells the script
// that owns the screen when the left mouse button is released over it.
class CPButton : public CPWindow {
  public:
    enum State : std::int32_t { kNormal = 0, kOver = 1, kPressed = 2 };

    explicit CPButton(CPInterface* owner);
    ~CPButton() override;

    std::uint32_t GetObjectSize() const override { return sizeof(CPButton); }
    std::string GetTypeName() const override { return "CPButton"; }

    void SetEnabled(bool enabled) override;
    // The normal picture's quad at the button's position.
    bool HitTest(float x, float y) const override;
    // Reads three window lines: normal, over, pressed. The button takes the
    // name, position and visibility of the normal picture. False when the
    // reader runs out before the third line.
    bool Load(CPTextReader& reader, float textureWidth, float textureHeight) override;
    const std::array<CPMeshVertex, 4>& GetVertices() const override;
    const std::array<std::uint16_t, 6>& GetIndices() const override;
    void SetVisible(bool visible) override;
    bool OnMouseOver(float x, float y) override;
    bool OnMouseOut(float x, float y) override;
    bool OnMouseDown(int button, float x, float y) override;
    bool OnMouseUp(int button, float x, float y) override;

    State GetState() const { return m_state; }
    CPWindow* GetPart(int state) const { return m_parts[state]; }

  private:
    const CPWindow& CurrentPart() const;

    std::array<CPWindow*, 3> m_parts{}; // owned
    State m_state = kNormal;
};
