#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DynamicSky/SkyLevel.h"
#include "Render/PRender.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "support/ScratchFolder.h"
#include "support/TestEngine.h"

namespace skytest {

using Bytes = std::vector<std::uint8_t>;

// An uncompressed 32-bit TGA of one colour.
Bytes Tga(int width, int height, std::uint32_t argb);

// Effect texts: one with the texture parameter and two passes, one with a
// single pass, and one the effect reader refuses.
extern const char* const kTwoPassEffect;
extern const char* const kOnePassEffect;
extern const char* const kBrokenEffect;

// A scratch data folder, the log captured, a renderer with its device (the
// program's renderer and the sky's device while the world lasts), inside a
// scene so that draws are accepted.
class SkyWorld {
  public:
    SkyWorld();
    ~SkyWorld();

    void WriteCloudFile(const std::string& name, const std::string& text)
    {
        folder.Write("Data/Clouds/" + name, text);
    }
    void WriteTexture(const std::string& name, std::uint32_t argb = 0xFF808080)
    {
        folder.Write("Data/Textures/" + name, Tga(2, 2, argb));
    }
    void WriteEffect(const std::string& name, const char* text = kOnePassEffect)
    {
        folder.Write("Data/Effects/" + name, std::string(text));
    }
    // How many failure reports of the sky's vertex objects at `line`.
    int CountReports(int line) const;
    // Device resources made since the world was set up; the engine's own
    // are not counted.
    std::size_t Resources() const { return device.GetLiveResourceCount() - m_engineResources; }

    ScratchFolder folder;
    LogCapture log;
    TestEngine engine;
    platform::HeadlessGraphicsDevice& device = engine.device;
    CPRender& render = engine.services->Render();

  private:
    std::size_t m_engineResources = device.GetLiveResourceCount();
};

// The level as the sky sees it: a sun light and the count of times it was
// added to the renderer's light table.
class FakeLevel : public CPSkyLevel {
  public:
    FakeLevel()
    {
        if (CPLevelSlot* slot = GetLevelSlot())
            slot->Install(nullptr, this);
    }
    ~FakeLevel()
    {
        if (CPLevelSlot* slot = GetLevelSlot())
            slot->Forget(nullptr, this);
    }

    platform::Light& GetSunLight() override { return light; }
    void RegisterLight() override
    {
        ++registered;
        if (GetRender())
            GetRender()->AddLight(light);
    }

    platform::Light light;
    int registered = 0;
};

// Builders of the sky's text files. Every line starts with a label, as the
// files do.
struct KeyframeText {
    float duration = 10.0f;
    float level = 200.0f;
    float angle = 0.0f; // degrees
    int grey = 3;
    std::vector<std::string> bands = {"10 20 30", "40 50 60", "70 80 90"};
    std::string sun = "100 50 25";
    std::string ambient = "30 30 30";
    std::string colour4 = "4 4 4";
    std::string colour3 = "3 3 3";
    std::string fog = "60 70 80";
    int brighten = 0;
    struct Part {
        float angle = 0.0f; // degrees
        int effect = 0;
        float size = 1.0f;
        int step = 0;
    };
    std::vector<Part> parts;
};

struct PartText {
    std::string direction = "0 0 1";
    float quadSize = 2.0f;
    float distance = 50.0f;
    float baseAngle = 0.0f; // degrees
    std::vector<std::string> frames = {"data\\textures\\sun.tga"};
};

struct SkyText {
    float timeScale = 2.0f;
    int start = 0;
    float radius = 100.0f;
    float verticalScale = 0.5f;
    int slices = 16;
    std::string centre = "0 0 0";
    std::string texture = "data\\textures\\dome.tga";
    std::string effect = "data\\effects\\dome.fx";
    int bands = 3;
    std::string partEffect1 = "data\\effects\\part1.fx";
    std::string partEffect2 = "data\\effects\\part2.fx";
    std::vector<KeyframeText> keyframes = {KeyframeText{}};
    std::vector<PartText> parts;
    std::vector<std::string> sets;
    std::string layerFile = "layers.txt";

    std::string Text() const;
};

struct LayerText {
    float fadeTime = 5.0f;
    float duration = 100.0f;
    float spread = 0.2f;
    std::string set = "set_a.txt";
    int overcast = 0;
    float weight = 1.0f;
};

std::string LayersText(const std::vector<LayerText>& layers);

// A cloud set with clouds of the given description names, offsets (x y z)
// and arguments.
std::string CloudSetText(const std::string& position, const std::vector<std::string>& descriptions);

// The first `lines` lines of a text.
std::string FirstLines(const std::string& text, int lines);
int LineCount(const std::string& text);

} // namespace skytest
