#pragma once

#include <functional>

class CPPerspectiveCamera;

// The perspective camera the scene is seen through this frame. Sprites
// face it and read its eye. It comes from the source the engine's
// services install (the game's: the current level's main camera); null
// without a source or when the source has none.
CPPerspectiveCamera* GetCurrentCamera();

using CPCameraSource = std::function<CPPerspectiveCamera*()>;
void SetCameraSource(CPCameraSource source);
CPCameraSource GetCameraSource();
