#pragma once

#include <functional>
#include <string>

#include "platform/Result.h"

// The level's sky as the renderer holds it: loaded from a skyscape file and
// drawn once a frame, inside the scene, before the scene's objects.
class CPRenderSky {
  public:
    virtual ~CPRenderSky() = default;
    virtual HResult Load(const std::string& fileName) = 0;
    virtual HResult Render(float frameTime) = 0;
    // Whether drawing the sky registers the level's sun light, so that
    // nobody else needs to: false for a sky that did not load.
    virtual bool LightsLevel() const { return false; }
};

// Makes the sky LoadSkyscape fills; the sky subsystem installs it.
using CPSkyFactory = std::function<CPRenderSky*()>;
