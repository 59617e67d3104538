#pragma once

// One entry of the simulator's material table. The stepping reads the
// three values when two surfaces meet; every entry starts as the default.
struct PhMaterial {
    float value[3] = {0.5f, 0.4f, 1.0f};
};

constexpr int kPhMaterialCount = 256;
