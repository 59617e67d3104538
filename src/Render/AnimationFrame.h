#pragma once

#include <cstdint>
#include <vector>

#include "Render/MeshVertex.h"

// One frame of a flip-book animation: a whole mesh of its own.
struct CPAnimationFrame {
    std::vector<CPMeshVertex> vertices;
    std::vector<std::uint16_t> indices; // triangle list into this frame's vertices
    std::int32_t frameNumber = 0;       // position in the pass, from 0
};
