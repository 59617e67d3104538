#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "DynamicSky/CloudParams.h"
#include "platform/MathTypes.h"

// A group of volume clouds placed around a position, read from a
// cloud-set file in "Data\Clouds\". The set owns its clouds.
class CPCloudSet {
  public:
    CPCloudSet() = default;
    virtual ~CPCloudSet() = default;

    CPCloudSet(const CPCloudSet&) = delete;
    CPCloudSet& operator=(const CPCloudSet&) = delete;

    // False, with a line in the log, when the file cannot be read or is
    // cut short; the set then holds no clouds.
    bool Load(const std::string& fileName);

    // Shows or hides the set's clouds; with `reset` their fade values jump
    // to the end state at once.
    void SetShown(bool show, bool reset);
    // Puts every cloud at the set's position plus its offset.
    void PlaceClouds();

    const std::vector<CPCloudParams*>& GetClouds() const { return m_clouds; }
    float GetExtraValue(std::size_t cloud) const { return m_entries[cloud].second; }
    const Vector3& GetPosition() const { return m_position; }
    bool IsShown() const { return m_shown; }
    bool IsHiding() const { return m_hiding; }

    float setValue1 = 0.0f;
    std::int32_t setValue2 = 0;
    Vector3 setVector;
    float setValue3 = 0.0f;
    float fadeValue = 0.0f;
    bool activation = false;

  private:
    std::vector<std::pair<std::unique_ptr<CPCloudParams>, float>> m_entries;
    std::vector<CPCloudParams*> m_clouds;
    Vector3 m_position;
    bool m_shown = false;
    bool m_hiding = false;
};
