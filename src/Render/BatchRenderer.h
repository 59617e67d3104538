#pragma once

#include <cstdint>

#include "platform/Light.h"
#include "platform/MathTypes.h"

namespace platform {
class Effect;
class GraphicsDevice;
class Texture;
} // namespace platform

class CPBaseCamera;
class CPEffect;
class CPEffectLibrary;
class CPIVBlock;
class CPObjectPtr;
class CPTextureBlock;
struct CPStaticMesh;

// Draws the batches of a render list within one render pass: writes each
// batch's renderables into its dynamic buffer and draws them as an indexed
// triangle list of mesh vertices with the batch's material.
//
// The scene-wide values (camera, light, ambient) are set once per pass on
// the shared parameters of the effect pool; each material's effect gets
// the time and its textures. A material without a loaded effect draws with
// its first texture through the fixed pipeline.
class CPBatchRenderer {
  public:
    CPBatchRenderer(platform::GraphicsDevice& device, CPEffectLibrary* effects);

    // The pass's camera and fixed world matrix (identity when it has
    // none), the scene light and ambient colour, and the time the effects
    // see.
    void BeginPass(const CPBaseCamera& camera, const Matrix4& world, const platform::Light& light,
                   const ColorValue& ambient, float time);

    // Fills and draws one batch: one range when it fits in a slot of the
    // ring, else as many as it takes. A batch without vertices draws
    // nothing. Returns the number of ranges drawn.
    int Draw(CPIVBlock& batch);
    // Draws the static meshes of the batch's disabled mesh render objects
    // from their own device buffers, each placed by its object's transform
    // within the pass, with the batch's material. Returns the number drawn.
    int DrawStaticMeshes(CPIVBlock& batch);

  private:
    // What a material draws with, looked up once for all the draws of a
    // batch.
    struct MaterialDraw {
        CPEffect* effect = nullptr;
        CPTextureBlock* textures = nullptr;
        platform::Effect* fx = nullptr;
        // The fixed pipeline's texture, for a material without an effect.
        platform::Texture* fixedTexture = nullptr;
    };
    static MaterialDraw Resolve(const CPObjectPtr& material);

    void DrawRange(CPIVBlock& batch);
    // The draws of the bound buffers with the material's effect and
    // textures (its first texture alone without an effect).
    void DrawIndexed(const MaterialDraw& material, std::uint32_t vertexCount, std::uint32_t triangles);
    // The time and the textures the material's effect reads.
    void SetEffectValues(const MaterialDraw& material);
    // Every pass of the begun effect over the bound buffers.
    void DrawEffectPasses(platform::Effect& fx, unsigned passes, std::uint32_t vertexCount,
                          std::uint32_t triangles);
    void DrawTriangles(std::uint32_t vertexCount, std::uint32_t triangles);
    // The world matrix on the device and in the shared effect parameters.
    void SetWorld(const Matrix4& world);
    void SetSharedWorld(const Matrix4& world);

    platform::GraphicsDevice& m_device;
    CPEffectLibrary* m_effects;
    // The pool's shared effect, null without one.
    platform::Effect* m_shared = nullptr;
    float m_time = 0.0f;
    Matrix4 m_view;
    Matrix4 m_projection;
    Matrix4 m_passWorld;
    // Whether the pass's world is the identity to the bit.
    bool m_passIsIdentity = true;
};
