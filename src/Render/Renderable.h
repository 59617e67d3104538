#pragma once

#include "core/Object.h"

// Everything the render list batches: mesh render objects, sprites and
// animated objects. The batching operations (vertex and index counts, the
// writers, the material) join this interface with the render list.
class CPRenderable : public CPObject {};
