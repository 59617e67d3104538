#include "Render/CurrentCamera.h"

#include <utility>

namespace {
CPCameraSource g_cameraSource;
}

CPPerspectiveCamera* GetCurrentCamera() { return g_cameraSource ? g_cameraSource() : nullptr; }

void SetCameraSource(CPCameraSource source) { g_cameraSource = std::move(source); }

CPCameraSource GetCameraSource() { return g_cameraSource; }
