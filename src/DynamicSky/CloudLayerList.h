#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One weather state of the sky: the cloud set it shows, how long it lasts
// and fades, whether it greys the sky and how likely it is to be picked.
struct CloudLayer {
    float fadeTime = 0.0f;
    float duration = 0.0f;
    float spread = 0.0f;
    std::string cloudSetName;
    std::int32_t value1 = 0;
    std::int32_t value2 = 0;
    float value3 = 0.0f;
    float value4 = 0.0f;
    std::int32_t value5 = 0;
    float value6 = 0.0f;
    std::int32_t value7 = 0;
    std::int32_t value8 = 0;
    std::int32_t overcast = 0;
    float weight = 0.0f;
    std::int32_t value9 = 0;
};

// The sky's cloud layers in file order, read from a cloud-layer file in
// "Data\Clouds\".
class CPCloudLayerList {
  public:
    CPCloudLayerList() = default;
    virtual ~CPCloudLayerList() = default;

    // Appends the file's layers. False, with a line in the log, when the
    // file cannot be read or is cut short; nothing is appended then.
    bool Load(const std::string& fileName);

    const std::vector<CloudLayer>& GetLayers() const { return m_layers; }

  private:
    std::vector<CloudLayer> m_layers;
};
