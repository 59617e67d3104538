#pragma once

#include <functional>

#include "core/Object.h"

// How a screen hands its object tree to the renderer's scene object (the
// frame's render list): the render list installs the call that adds a
// tree to it. Without one, or without a scene object, screens add nothing.
using SceneTreeSink = std::function<void(const CPObjectPtr& scene, const CPObjectPtr& tree)>;

void SetSceneTreeSink(SceneTreeSink sink);
// Adds the tree to the renderer's current scene object.
void AddTreeToScene(const CPObjectPtr& tree);
