#include "DynamicSky/CloudSet.h"

#include "DynamicSky/SkyFile.h"
#include "platform/VectorMath.h"

bool CPCloudSet::Load(const std::string& fileName)
{
    CPSkyFile file(fileName);
    if (!file.Open())
        return false;

    Vector3 position;
    std::int32_t count = 0;
    file.ReadVector(position, "the set position");
    file.ReadFloat(setValue1, "set value 1");
    file.ReadInt(setValue2, "set value 2");
    file.ReadVector(setVector, "the set vector");
    file.ReadFloat(setValue3, "set value 3");
    file.ReadInt(count, "the cloud count");

    std::vector<std::pair<std::unique_ptr<CPCloudParams>, float>> entries;
    for (std::int32_t i = 0; i < count && !file.HasFailed(); ++i) {
        std::string description;
        Vector3 offset;
        float scale = 0.0f;
        float rotation = 0.0f;
        float extra = 0.0f;
        file.ReadName(description, "a cloud description name");
        file.ReadVector(offset, "a cloud offset");
        file.ReadFloat(scale, "a cloud scale");
        file.ReadFloat(rotation, "a cloud rotation");
        file.ReadFloat(extra, "a cloud's extra value");
        if (file.HasFailed())
            break;
        auto cloud = std::make_unique<CPCloudParams>();
        // A description that cannot be used leaves the cloud without
        // puffs; its own load says why.
        cloud->Load(description, scale, rotation);
        cloud->position = position + offset;
        cloud->offset = offset;
        entries.emplace_back(std::move(cloud), extra);
    }
    if (file.HasFailed())
        return false;

    m_position = position;
    m_entries = std::move(entries);
    m_clouds.clear();
    for (auto& entry : m_entries)
        m_clouds.push_back(entry.first.get());
    return true;
}

void CPCloudSet::SetShown(bool show, bool reset)
{
    m_shown = show;
    m_hiding = !show;
    for (auto& entry : m_entries) {
        CPCloudParams& cloud = *entry.first;
        cloud.fadingOut = show ? 0 : 1;
        cloud.fadingIn = show ? 1 : 0;
        if (reset) {
            cloud.fadeValue1 = show ? 255.0f : 0.0f;
            cloud.fadeValue2 = show ? 0.0f : 255.0f;
        }
        cloud.changed = 1;
        cloud.changedAgain = 1;
    }
}

void CPCloudSet::PlaceClouds()
{
    for (auto& entry : m_entries)
        entry.first->position = m_position + entry.first->offset;
}
