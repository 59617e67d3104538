#include "interface/LensFlareInterface.h"

#include <algorithm>

#include "Render/RenderObject.h"
#include "core/FileReader.h"
#include "core/GameSettings.h"
#include "core/Log.h"
#include "core/TextReader.h"
#include "core/Tokenizer.h"
#include "interface/NumberText.h"
#include "interface/Window.h"
#include "platform/Clock.h"

namespace {

// Texture pixels of the flare file are scaled to the screen: 3 / 1280 of
// the width and 1 / 320 of the height per pixel.
constexpr float kWidthFactor = 0.00234375f;
constexpr float kHeightFactor = 0.003125f;
// Fade per millisecond, in alpha steps.
constexpr float kFadePerMillisecond = 0.05f;

std::int32_t Truncate(float value)
{
    // Values beyond the 32-bit range are no screen size; keep them bounded.
    if (!(value > -2147483520.0f && value < 2147483520.0f))
        return 0;
    return static_cast<std::int32_t>(value);
}

} // namespace

CPLensFlareInterface::CPLensFlareInterface() = default;

bool CPLensFlareInterface::Load(const std::string& name, int number)
{
    SetName(name);
    SetRenderObject(CPObjectPtr(m_renderObject), kMeshObject);
    SetBoundsValid(true);
    const std::string path = std::string(kFolder) + "\\" + name + ".int";
    const bool loaded = ReadElements(path);
    if (loaded) {
        SetScreenMaterial("lensflare.fx", m_flareElements.front().texture, number);
        MakeWindows();
    }
    RebuildBuffers();
    m_lastTime = platform::Milliseconds();
    return loaded;
}

bool CPLensFlareInterface::ReadElements(const std::string& path)
{
    CPFileReader file(path, false);
    if (file.Load() != S_OK || file.GetDataSize() == 0) {
        LogLine("Lens flare \"" + GetName() + "\": cannot read " + path);
        return false;
    }
    const float screenWidth = static_cast<float>(GetGameSettings().screenWidth);
    const float screenHeight = static_cast<float>(GetGameSettings().screenHeight);
    CPTextReader reader(reinterpret_cast<const char*>(file.GetData()),
                        static_cast<std::int32_t>(file.GetDataSize()));
    for (std::string line; reader.GetLine(line);) {
        std::vector<std::string> values;
        CPTokenizer tokenizer(line, "\t", false);
        for (std::string value; tokenizer.NextToken(value);)
            values.push_back(value);
        values.resize(std::max<std::size_t>(values.size(), 9));
        CPFlareElement element;
        element.texture = values[0];
        element.axisFactor = ParseIntText(values[1]);
        element.xScale = ParseFloatText(values[2]);
        element.yScale = ParseFloatText(values[3]);
        element.colour = ParseColourText(values[4]);
        element.width = Truncate(static_cast<float>(ParseIntText(values[5])) * screenWidth * kWidthFactor);
        element.height = Truncate(static_cast<float>(ParseIntText(values[6])) * screenHeight * kHeightFactor);
        element.textureX = Truncate(static_cast<float>(ParseIntText(values[7])) * screenWidth * kWidthFactor);
        element.textureY =
            Truncate(static_cast<float>(ParseIntText(values[8])) * screenHeight * kHeightFactor);
        m_flareElements.push_back(element);
    }
    if (m_flareElements.empty()) {
        LogLine("Lens flare \"" + GetName() + "\": " + path + " holds no picture");
        return false;
    }
    return true;
}

void CPLensFlareInterface::MakeWindows()
{
    const float screenWidth = static_cast<float>(GetGameSettings().screenWidth);
    const float screenHeight = static_cast<float>(GetGameSettings().screenHeight);
    for (std::size_t i = 0; i < m_flareElements.size(); ++i) {
        CPFlareElement& element = m_flareElements[i];
        const std::int32_t w = Truncate(static_cast<float>(element.width) * element.xScale);
        const std::int32_t h = Truncate(static_cast<float>(element.height) * element.yScale);
        element.halfWidth = w / 2;
        element.halfHeight = h / 2;
        auto* window = new CPWindow(this);
        window->Create(std::to_string(i), screenWidth * element.xScale * 1.2f,
                       screenHeight * element.yScale * 1.6f, 0.0f, 0.0f, static_cast<float>(w),
                       static_cast<float>(h),
                       static_cast<float>(Truncate(static_cast<float>(element.textureX) * element.xScale)),
                       static_cast<float>(Truncate(static_cast<float>(element.textureY) * element.yScale)),
                       static_cast<float>(w), static_cast<float>(h));
        window->SetColour(element.colour);
        window->SetPosition(0.0f, 0.0f);
        AddElement(window);
    }
}

void CPLensFlareInterface::Submit()
{
    // The fade follows the time since the last frame, so it takes its
    // course over a few frames instead of jumping.
    const std::uint32_t now = platform::Milliseconds();
    const float step = kFadePerMillisecond * static_cast<float>(now - m_lastTime);
    m_lastTime = now;
    m_alpha = m_sunVisible ? std::min(m_alpha + step, 255.0f) : std::max(m_alpha - step, 0.0f);

    const std::int64_t cx = GetGameSettings().screenWidth / 2 - m_sunX;
    const std::int64_t cy = GetGameSettings().screenHeight / 2 - m_sunY;
    const std::uint32_t alphaBits = (static_cast<std::uint32_t>(m_alpha) & 0xFFu) << 24;
    const std::vector<CPWindow*>& windows = GetDrawList();
    const std::size_t count = std::min(windows.size(), m_flareElements.size());
    for (std::size_t i = 0; i < count; ++i) {
        const CPFlareElement& element = m_flareElements[i];
        CPWindow* window = windows[i];
        const std::int64_t x = (element.axisFactor * cx) / 50 - element.halfWidth + m_sunX;
        const std::int64_t y = (element.axisFactor * cy) / 50 - element.halfHeight + m_sunY;
        window->SetPosition(static_cast<float>(x), static_cast<float>(y));
        window->SetColour(alphaBits | (window->GetColour() & 0x00FFFFFFu));
    }
    RebuildBuffers();
    CPInterface::Submit();
}
