#pragma once

#include "DynamicSky/VertexObject.h"

// The sky's drawable for its volume clouds: the cloud texture and the
// volume-cloud effect, loaded when it is made.
class CPVolumeCloud : public CPVertexObject {
  public:
    static constexpr const char* kTextureName = "data\\textures\\cloud.tga";
    static constexpr const char* kEffectName = "data\\effects\\volume_cloud.fx";

    CPVolumeCloud();
};
