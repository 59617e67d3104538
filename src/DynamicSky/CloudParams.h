#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/MathTypes.h"

class CPCloudParams;

// One puff of a volume cloud, in the cloud's scaled and turned space.
struct CloudPuff {
    Vector3 centre;
    std::int32_t value1 = 0;
    std::int32_t value2 = 0;
    float value3 = 0.0f;
    // From the puff's core point to its centre; zero when they coincide.
    Vector3 normal;
    float halfWidth = 0.0f;
    float halfHeight = 0.0f;
    CPCloudParams* cloud = nullptr;
};

// One volume cloud: its puffs read from a cloud description in
// "Data\Clouds\", its reach, its fade state and its place in the sky.
class CPCloudParams {
  public:
    static constexpr int kParameterCount = 8;

    CPCloudParams();
    virtual ~CPCloudParams() = default;

    // Stores scale and rotation (radians, about z), then reads the
    // description. False, with a line in the log, when the file cannot be
    // read or is cut short or names a core point it does not have; the
    // record then keeps its defaults and no puffs.
    bool Load(const std::string& fileName, float scale, float rotation);

    const std::vector<CloudPuff>& GetPuffs() const { return m_puffs; }
    // Parameters 1 to 8 of the description's trailing lines.
    float GetParameter(int number) const { return m_parameters[number - 1]; }
    float GetHalfHeight() const { return m_halfHeight; }
    float GetRadius() const { return m_radius; }
    float GetScale() const { return m_scale; }
    float GetRotation() const { return m_rotation; }

    // The fade state the cloud set drives.
    float fadeValue1 = 0.0f;
    float fadeValue2 = 255.0f;
    std::uint8_t fadingOut = 0;
    std::uint8_t fadingIn = 0;
    Vector3 position;
    Vector3 offset;
    std::uint8_t changed = 0;
    std::uint8_t changedAgain = 0;

  private:
    std::vector<CloudPuff> m_puffs;
    float m_parameters[kParameterCount];
    float m_halfHeight = 0.0f;
    float m_radius = 0.0f;
    float m_scale = 1.0f;
    float m_rotation = 0.0f;
};
