#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "Render/BlurGrid.h"
#include "Render/DecalGround.h"
#include "Render/MeshVertex.h"
#include "Render/RenderPass.h"
#include "Render/RenderSky.h"
#include "Render/StaticMesh.h"
#include "core/Object.h"
#include "platform/GraphicsDevice.h"

class CPBaseCamera;
class CPPerspectiveCamera;
class CPRenderList;
class CPRenderObject;
class CPTerrainMesh;

// The renderer: the device's default states, the pass table with its
// cameras, the frame's light table, fade, ambient and fog, the static
// meshes registered by name, debug lines, the level's sky, screen
// projection and the ground decal. One exists for the whole run.
class CPRender {
  public:
    static constexpr int kMaxLights = 30;
    static constexpr int kMaxDecalTriangles = 1000;
    static constexpr std::int32_t kScreenPass = 195;
    static constexpr std::int32_t kDefaultPass = 19;

    // The device must outlive the renderer.
    explicit CPRender(platform::GraphicsDevice* device);
    ~CPRender();

    CPRender(const CPRender&) = delete;
    CPRender& operator=(const CPRender&) = delete;

    platform::GraphicsDevice* GetDevice() const { return m_device; }

    // Device defaults and the screen camera of pass 195.
    void InitDeviceState();
    void SetTextureFiltering();

    // Replaces the sky with the one of "skyscape<number>.txt".
    void LoadSkyscape(std::int32_t number);
    void SetSkyFactory(CPSkyFactory factory) { m_skyFactory = std::move(factory); }
    CPRenderSky* GetSky() const { return m_sky.get(); }
    // The sky goes with its level: what is drawn after it (the menus) is
    // cleared to black again, not to the last fog the sky set.
    void DropSkyscape();

    // Pass table.
    void SetCamera(std::int32_t pass, CPObjectPtr camera);
    CPRenderPass& SetPassMatrix(const Matrix4& matrix, std::int32_t pass);
    const std::map<std::int32_t, CPRenderPass>& GetPasses() const { return m_passes; }
    // A perspective camera of 70 degrees, 1 to 1000, at the origin looking
    // along +x, installed as pass 19. The renderer owns it.
    CPPerspectiveCamera* SetDefaultCamera();

    // The level, clamped to 0..1, times the fade maximum; a level that is
    // no number changes nothing.
    void SetFade(float level);
    float GetFade() const { return m_fade; }
    std::int32_t GetFadeMaximum() const { return m_fadeMaximum; }
    void SetFadeMaximum(std::int32_t maximum) { m_fadeMaximum = maximum; }

    HResult SetAmbient(std::uint32_t argb, float red, float green, float blue);
    std::uint32_t GetAmbient() const { return m_ambient; }
    std::uint32_t GetFogColor() const { return m_fogColor; }
    void SetFogColor(std::uint32_t argb) { m_fogColor = argb; }

    void AddDebugLine(std::uint32_t color, const Vector3& from, const Vector3& to);
    const std::vector<CPMeshVertex>& GetDebugLines() const { return m_debugLines; }
    bool HasDebugLines() const { return m_linesPresent != 0; }

    // Pixel position of a world point through the current view-projection.
    // A point in the eye's plane (w = 0) has no image and lands far off
    // screen at (kOffScreen, kOffScreen).
    static constexpr float kOffScreen = -1.0e6f;
    Vector3 WorldToScreen(const Vector3& point) const;
    void SetViewProjection(const Matrix4& matrix) { m_viewProjection = matrix; }
    const Matrix4& GetViewProjection() const { return m_viewProjection; }

    // Registers geometry under its lower-cased name (a name already known
    // returns its mesh unchanged). Null, with a failure report, when the
    // counts are unusable or a buffer cannot be made or filled.
    CPStaticMesh* RegisterStaticMesh(const std::string& name, const CPMeshVertex* vertices,
                                     const std::uint16_t* indices, std::int32_t vertexCount,
                                     std::int32_t indexCount);
    void ReleaseStaticMeshes();

    // The shadow material of parts whose effect has no shadow effect of its
    // own; empty until the game sets one. Not held: materials belong to
    // their library, and whoever sets one clears it before that goes.
    CPObjectPtr GetDefaultShadowMaterial() const { return CPObjectPtr(m_defaultShadowMaterial); }
    void SetDefaultShadowMaterial(CPObjectPtr material) { m_defaultShadowMaterial = material.Get(); }
    const CPStaticMesh* FindStaticMesh(const std::string& name) const;
    std::size_t GetStaticMeshCount() const { return m_staticMeshes.size(); }

    // The mesh render objects that draw a registered static mesh; each
    // enters when it takes its mesh and leaves when it lets it go or is
    // destroyed. ReleaseStaticMeshes makes them all let go.
    void AddStaticMeshHolder(CPRenderObject* holder);
    void RemoveStaticMeshHolder(CPRenderObject* holder);
    const std::vector<CPRenderObject*>& GetStaticMeshHolders() const { return m_staticMeshHolders; }
    // The scene walk for a frame that has no level index to walk: lists in
    // the render list every static mesh that nothing listed this frame,
    // whose owner is shown and whose box the scene camera sees.
    void CollectStaticMeshes();
    // The camera the 3D scene is seen through: the perspective camera of
    // the lowest pass that has one, brought up to date; null without one.
    CPPerspectiveCamera* GetSceneCamera();

    // The frame's light table: writers append while fewer than 30 are held.
    bool AddLight(const platform::Light& light);
    std::int32_t GetLightCount() const { return m_lightCount; }
    // Every frame applies the table once: the sky does it after adding the
    // sun light, and the frame itself when nothing did before its objects.
    void ApplyLights();
    const platform::Light& GetMainLight() const { return m_mainLight; }

    // Fills decal geometry on the terrain under a footprint: the box of the
    // given half extents, widened by 0.1 and placed by `placement`. The
    // triangles are those a terrain query listed (at most 1000 are read);
    // numbers that do not name a whole triangle of the mesh are skipped.
    // False, with the arrays untouched, when the footprint is degenerate.
    bool BuildGroundDecal(const Vector3& halfExtents, const Matrix4& placement, const std::int32_t* triangles,
                          std::int32_t triangleCount, const CPTerrainMesh& mesh,
                          std::vector<CPMeshVertex>& vertices, std::vector<CPMeshVertex>& worldVertices,
                          std::vector<std::uint16_t>& indices);
    // Lays the decal object's mesh render object on the terrain triangles
    // of the physics data's last terrain query, under the decal's local box
    // placed by `placement`. Nothing changes when there is no collision
    // mesh, the decal object has no mesh render object, the physics data is
    // empty or the footprint is degenerate; true when the decal was laid.
    bool AddGroundQuad(CPObjectPtr decalObject, const Matrix4& placement, CPObjectPtr physicData);
    // Gives the decal object's mesh render object the room of the largest
    // decal a terrain query lists, so that laying it never grows its arrays
    // (a car's shadow is prepared as the car loads); false when the object
    // has no mesh render object.
    bool PrepareGroundDecal(CPObjectPtr decalObject);
    // The level collision mesh the decals read; not owned. The decals read
    // a copy made here, so its owner clears it before the mesh changes or
    // goes, and sets it again once rebuilt.
    void SetTerrainMesh(const CPTerrainMesh* mesh);
    const CPTerrainMesh* GetTerrainMesh() const { return m_terrainMesh; }

    // The frame's render list: filled by the scene walk, its batches drawn
    // by RenderFrame and emptied after every frame.
    void GetSceneObject(CPObjectPtr& out) const { out = m_renderList; }
    void SetSceneObject(const CPObjectPtr& list) { m_renderList = list; }
    // A material just made gets its batch in the frame's render list now,
    // as its level loads, rather than in the frame that first draws it.
    void PrepareMaterial(CPObject* material);
    std::int32_t GetHandedOverCount() const { return m_handedOverCount; }
    void SetHandedOverCount(std::int32_t count) { m_handedOverCount = count; }

    // Values the game keeps on the renderer.
    void GetDynamicList(CPObjectPtr& out) const { out = m_dynamicList; }
    void SetDynamicList(const CPObjectPtr& list) { m_dynamicList = list; }
    // The gloom tint: a strength of 0 turns it off.
    void SetTintStrength(float strength);
    void SetTintAlpha(std::uint8_t alpha) { m_tintAlpha = alpha; }
    bool IsTintOn() const { return m_tintOn != 0; }
    float GetTintStrength() const { return m_tintStrength; }
    std::uint8_t GetTintAlpha() const { return m_tintAlpha; }
    ColorValue& MaterialColor() { return m_materialColor; }
    // The motion blur the scripts switch: on (1) with an amount, or off (0)
    // with amount 0.
    std::int32_t& MotionBlurOn() { return m_motionBlurOn; }
    float& MotionBlurAmount() { return m_motionBlurAmount; }
    float& LightCoefficient() { return m_lightCoefficient; }
    float& RadialBlur() { return m_radialBlur; }
    std::int32_t& TuningIndex() { return m_tuningIndex; }
    std::int32_t& DrawWalkCount() { return m_drawWalkCount; }
    // While the motion-blur setting is on, aims the blur grid from
    // (width / 2, (blur + 1) x height / 2); otherwise does nothing.
    void SetRadialBlurCenter(float blur);
    CPBlurGrid& GetBlurGrid() { return m_blurGrid; }

    // One frame: brings a reset device back, clears, brings the pass
    // cameras up to date, draws the sky through the scene camera, applies
    // the frame's lights, draws the passes in ascending order with the
    // render list's batches and the static meshes listed in them, the debug
    // lines and the fade, and presents. The list's frame and the light
    // table are emptied either way. False when the device is lost and
    // nothing was drawn.
    bool RenderFrame(float frameTime);
    // Tells the device listeners, resets the device and sets the defaults
    // again. False while the device cannot be reset yet.
    bool RestoreDevice();

    // Draws and presents one whole frame of the loading screen at once: the
    // background picture and the progress bar at `percent` (0 to 100,
    // not clamped). The pictures are read on first use and kept.
    void ShowLoadingScreen(std::int32_t percent);
    const platform::Texture* GetLoadingBackground() const { return m_loadingBackground; }
    const platform::Texture* GetLoadingBar() const { return m_loadingBar; }

  private:
    void UpdatePassCameras();
    void DrawSky(float frameTime);
    void DrawPasses(CPRenderList* list, float frameTime);
    void DrawDebugLines();
    void DrawFade();

    std::unordered_map<std::string, std::unique_ptr<CPStaticMesh>> m_staticMeshes;
    std::vector<CPRenderObject*> m_staticMeshHolders;
    CPObject* m_defaultShadowMaterial = nullptr;
    std::int32_t m_handedOverCount = 0;
    std::uint8_t m_linesPresent = 0;
    std::vector<CPMeshVertex> m_debugLines;
    std::array<platform::Light, kMaxLights> m_lights{};
    std::int32_t m_lightCount = 0;
    bool m_lightsApplied = false; // this frame
    platform::GraphicsDevice* m_device;
    std::map<std::int32_t, CPRenderPass> m_passes;
    CPObjectPtr m_renderList;
    float m_fade = 255.0f;
    std::int32_t m_fadeMaximum = 255;
    std::uint32_t m_ambient = 0;
    float m_ambientRed = 0.0f;
    float m_ambientGreen = 0.0f;
    float m_ambientBlue = 0.0f;
    float m_ambientAlpha = 1.0f;
    std::int32_t m_maxAnisotropy = 1;
    std::unique_ptr<CPRenderSky> m_sky;
    CPSkyFactory m_skyFactory;
    Matrix4 m_viewProjection;
    platform::Light m_mainLight;
    std::uint32_t m_fogColor = 0;
    bool m_listenersLost = false;
    const CPTerrainMesh* m_terrainMesh = nullptr;
    CPDecalGround m_decalGround; // of m_terrainMesh

    CPObjectPtr m_dynamicList;
    std::int32_t m_tintOn = 0;
    float m_tintStrength = 0.0f;
    std::uint8_t m_tintAlpha = 255;
    ColorValue m_materialColor{1.0f, 1.0f, 1.0f, 1.0f};
    std::int32_t m_motionBlurOn = 0;
    float m_motionBlurAmount = 0.0f;
    float m_lightCoefficient = 1.0f;
    float m_radialBlur = 0.0f;
    std::int32_t m_tuningIndex = 0;
    std::int32_t m_drawWalkCount = 0;
    CPBlurGrid m_blurGrid;

    // The loading screen's pictures, null until read.
    platform::Texture* m_loadingBackground = nullptr;
    platform::Texture* m_loadingBar = nullptr;

    // Cameras the renderer made itself and deletes.
    CPBaseCamera* m_screenCamera = nullptr;
    CPPerspectiveCamera* m_defaultCamera = nullptr;
};

// The renderer singleton; null until the start-up code stores one.
CPRender* GetRender();
void SetRender(CPRender* render);
