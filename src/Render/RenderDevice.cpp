#include "Render/RenderDevice.h"

namespace {
platform::GraphicsDevice* g_renderDevice = nullptr;
}

platform::GraphicsDevice* GetRenderDevice() { return g_renderDevice; }

void SetRenderDevice(platform::GraphicsDevice* device) { g_renderDevice = device; }
