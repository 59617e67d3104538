#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Uniform locations of the one program that stands in for the fixed
// pipeline: transforms, vertex layout switches, lights, material, the two
// texture stages, alpha test and fog.
struct GlProgramSlots {
    int worldViewProjection = -1, world = -1, worldView = -1, cameraPosition = -1;
    int pretransformed = -1, viewport = -1, hasNormal = -1, hasDiffuse = -1, hasSpecular = -1;
    int lighting = -1, specularEnable = -1, globalAmbient = -1, materialSources = -1;
    int materialDiffuse = -1, materialAmbient = -1, materialSpecular = -1, materialEmissive = -1,
        materialPower = -1;
    int lightCount = -1, lightType = -1, lightDiffuse = -1, lightSpecular = -1, lightAmbient = -1,
        lightPosition = -1, lightDirection = -1, lightRange = -1, lightAttenuation = -1, lightSpot = -1;
    int stageColor = -1, stageAlpha = -1, stageTexCoord = -1, stageTextured = -1, sampler0 = -1,
        sampler1 = -1, effectShade = -1;
    int alphaFunc = -1, alphaRef = -1, fogMode = -1, fogParams = -1, fogColor = -1;
};

constexpr int kGlProgramLights = 8;
constexpr int kGlProgramStages = 2;

// Vertex attribute slots of the program.
enum GlAttribute : unsigned {
    kAttribPosition,
    kAttribNormal,
    kAttribDiffuse,
    kAttribSpecular,
    kAttribTex0,
    kAttribTex1
};

// Compiles and links the program; 0, with the compiler's words in *error,
// on failure.
unsigned CompileFixedProgram(GlProgramSlots* slots, std::string* error);

} // namespace platform
