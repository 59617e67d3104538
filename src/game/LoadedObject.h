#pragma once

#include "core/Object.h"

// Lets go of an object the level loader made and did not keep: the pointer
// lets go first, then a game object goes with its whole tree, anything else
// alone.
void DeleteLoaded(CPObjectPtr& object);
