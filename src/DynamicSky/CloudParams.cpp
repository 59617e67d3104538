#include "DynamicSky/CloudParams.h"

#include <algorithm>
#include <cmath>

#include "DynamicSky/SkyFile.h"
#include "platform/Math.h"

namespace {

// The running extremes of a cloud's puffs; they start at the cloud's own
// origin so that it always lies inside.
struct Extents {
    Vector3 minimum;
    Vector3 maximum;

    void Add(const Vector3& centre, float reach)
    {
        const Vector3 r{reach, reach, reach};
        minimum = ComponentMin(minimum, centre - r);
        maximum = ComponentMax(maximum, centre + r);
    }
};

float LargerMagnitude(float a, float b) { return std::max(std::fabs(a), std::fabs(b)); }

} // namespace

CPCloudParams::CPCloudParams()
{
    m_parameters[0] = 20.0f;
    m_parameters[1] = 20.0f;
    for (int i = 2; i < kParameterCount; ++i)
        m_parameters[i] = 128.0f;
}

bool CPCloudParams::Load(const std::string& fileName, float scale, float rotation)
{
    m_scale = scale;
    m_rotation = rotation;
    const Matrix4 turn = RotationMatrixZ(rotation);

    CPSkyFile file(fileName);
    if (!file.Open())
        return false;

    std::int32_t coreCount = 0;
    file.ReadInt(coreCount, "the core point count");
    std::vector<Vector3> cores;
    for (std::int32_t i = 0; i < coreCount && !file.HasFailed(); ++i) {
        Vector3 core;
        if (file.ReadVector(core, "a core point"))
            cores.push_back(TransformPoint(core * scale, turn));
    }

    std::int32_t puffCount = 0;
    file.ReadInt(puffCount, "the puff count");
    std::vector<CloudPuff> puffs;
    Extents extents;
    for (std::int32_t i = 0; i < puffCount && !file.HasFailed(); ++i) {
        CloudPuff puff;
        Vector3 centre;
        std::int32_t values[2] = {};
        std::int32_t coreIndex = 0;
        float halfSizes[2] = {};
        file.ReadVector(centre, "a puff centre");
        file.ReadInts(values, 2, "the puff values 1 and 2");
        file.ReadFloat(puff.value3, "the puff value 3");
        file.ReadInt(coreIndex, "the puff's core point");
        file.ReadFloats(halfSizes, 2, "the puff half sizes");
        if (file.HasFailed())
            break;
        if (coreIndex < 0 || coreIndex >= static_cast<std::int32_t>(cores.size())) {
            file.Reject("a puff names core point " + std::to_string(coreIndex) + " of " +
                        std::to_string(cores.size()));
            break;
        }
        puff.centre = TransformPoint(centre * scale, turn);
        puff.value1 = values[0];
        puff.value2 = values[1];
        puff.halfWidth = scale * halfSizes[0];
        puff.halfHeight = scale * halfSizes[1];
        puff.normal = Normalize(puff.centre - cores[coreIndex]);
        puff.cloud = this;
        puffs.push_back(puff);
        extents.Add(puff.centre,
                    std::sqrt(puff.halfWidth * puff.halfWidth + puff.halfHeight * puff.halfHeight));
    }

    float parameters[kParameterCount];
    for (int i = 0; i < kParameterCount; ++i)
        file.ReadFloat(parameters[i], "a trailing parameter");
    if (file.HasFailed())
        return false;

    m_puffs = std::move(puffs);
    std::copy(parameters, parameters + kParameterCount, m_parameters);
    const float hx = LargerMagnitude(extents.minimum.x, extents.maximum.x);
    const float hy = LargerMagnitude(extents.minimum.y, extents.maximum.y);
    const float hz = LargerMagnitude(extents.minimum.z, extents.maximum.z);
    m_halfHeight = hz * 0.5f;
    m_radius = std::max({hx, hy, hz});
    return true;
}
