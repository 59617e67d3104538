#pragma once

#include <cstdint>
#include <vector>

#include "interface/FlareElement.h"
#include "interface/Interface.h"

// The sun's lens flare: a screen whose windows are the flare's pictures,
// placed every frame on the line from the sun's screen position through
// the screen centre and faded in while the sun is visible, out while it
// is hidden. Read from "Data\Interface\<name>.int", one tab-separated
// line per picture.
class CPLensFlareInterface : public CPInterface {
  public:
    CPLensFlareInterface();

    std::uint32_t GetObjectSize() const override { return sizeof(CPLensFlareInterface); }

    // False, with a line in the log, when the file cannot be read or holds
    // no picture; the flare then draws nothing.
    bool Load(const std::string& name, int number) override;
    // Fades by the time since the last call, places the pictures, rebuilds
    // and submits the screen.
    void Submit() override;

    void SetSunVisible(bool visible) { m_sunVisible = visible; }
    void SetSunPosition(std::int32_t x, std::int32_t y)
    {
        m_sunX = x;
        m_sunY = y;
    }

    const std::vector<CPFlareElement>& GetFlareElements() const { return m_flareElements; }
    float GetAlpha() const { return m_alpha; }

  private:
    bool ReadElements(const std::string& path);
    void MakeWindows();

    std::vector<CPFlareElement> m_flareElements;
    bool m_sunVisible = false;
    std::int32_t m_sunX = 0;
    std::int32_t m_sunY = 0;
    float m_alpha = 0.0f;
    std::uint32_t m_lastTime = 0;
};
