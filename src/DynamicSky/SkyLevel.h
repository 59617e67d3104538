#pragma once

#include "platform/Light.h"

// What the sky needs of the current level: its sun light, which the sky
// aims and colours every frame, and the level's way of adding that light
// to the renderer's light table. It is the level the level slot
// (core/LevelSlot.h) holds for the sky.
class CPSkyLevel {
  public:
    virtual platform::Light& GetSunLight() = 0;
    virtual void RegisterLight() = 0;

  protected:
    ~CPSkyLevel() = default;
};

// Null while the sky has no level.
CPSkyLevel* GetSkyLevel();
