#include "DynamicSky/CloudLayerList.h"

#include "DynamicSky/SkyFile.h"

bool CPCloudLayerList::Load(const std::string& fileName)
{
    CPSkyFile file(fileName);
    if (!file.Open())
        return false;

    std::int32_t count = 0;
    file.ReadInt(count, "the layer count");
    std::vector<CloudLayer> layers;
    for (std::int32_t i = 0; i < count && !file.HasFailed(); ++i) {
        CloudLayer layer;
        file.ReadFloat(layer.fadeTime, "a layer fade time");
        file.ReadFloat(layer.duration, "a layer duration");
        file.ReadFloat(layer.spread, "a layer spread");
        file.ReadName(layer.cloudSetName, "a layer's cloud set");
        file.ReadInt(layer.value1, "layer value 1");
        file.ReadInt(layer.value2, "layer value 2");
        file.ReadFloat(layer.value3, "layer value 3");
        file.ReadFloat(layer.value4, "layer value 4");
        file.ReadInt(layer.value5, "layer value 5");
        file.ReadFloat(layer.value6, "layer value 6");
        file.ReadInt(layer.value7, "layer value 7");
        file.ReadInt(layer.value8, "layer value 8");
        file.ReadInt(layer.overcast, "a layer's overcast flag");
        file.ReadFloat(layer.weight, "a layer weight");
        file.ReadInt(layer.value9, "layer value 9");
        if (!file.HasFailed())
            layers.push_back(std::move(layer));
    }
    if (file.HasFailed())
        return false;
    m_layers.insert(m_layers.end(), layers.begin(), layers.end());
    return true;
}
