#include "Render/CurrentCamera.h"

namespace {
CPPerspectiveCamera* g_currentCamera = nullptr;
}

CPPerspectiveCamera* GetCurrentCamera() { return g_currentCamera; }

void SetCurrentCamera(CPPerspectiveCamera* camera) { g_currentCamera = camera; }
