#pragma once

class CPPerspectiveCamera;

// The perspective camera the scene is seen through this frame: the game
// camera makes its main camera current. Sprites face it and read its eye.
// Null until someone sets one; the setter does not take ownership.
CPPerspectiveCamera* GetCurrentCamera();
void SetCurrentCamera(CPPerspectiveCamera* camera);
