#pragma once

namespace platform {
class GraphicsDevice;
}

// The graphics device the renderer draws with, on which textures, effects
// and the loading screen make their resources. Null until the start-up
// code stores one.
platform::GraphicsDevice* GetRenderDevice();
void SetRenderDevice(platform::GraphicsDevice* device);
