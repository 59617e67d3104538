#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "Render/SceneFile.h"
#include "core/Object.h"

class CPFileReader;
class CPGameObject;
namespace meshfile {
struct PartRecord;
}

// Builds the visible things of a level by name: reads a scene file from
// "Data\Meshes" (by convention ".rdf"), the mesh file it names (plain,
// physics or animated nodes), and adds the sprites, lights, particle
// systems, levels of detail and line points it lists. Each part gets the
// scene file's section of its name as render description: materials,
// flags, script, vertex effects, static mesh and part animations.
//
// The caller owns the returned tree and deletes it whole
// (CPGameObject::DeleteTree). A scene file that cannot be read is replaced
// by "wrong.rdf"; truncated or corrupt files are reported in the log and
// give an empty pointer, never a half-read tree.
class CPRenderObjectLoader {
  public:
    // Mesh nodes nest no deeper than this; deeper files are taken as corrupt.
    static constexpr int kMaxNodeDepth = 64;
    // Levels of detail load nested scene files up to this depth.
    static constexpr int kMaxNestedLoads = 8;

    CPRenderObjectLoader() = default;
    CPRenderObjectLoader(const CPRenderObjectLoader&) = delete;
    CPRenderObjectLoader& operator=(const CPRenderObjectLoader&) = delete;

    // The root of the scene file "Data\Meshes\<name>"; `option` is added to
    // every part's material "type". Empty when nothing could be built.
    CPObjectPtr LoadRenderObject(const std::string& name, int option);

    // Applies a render description to a freshly built part whose render
    // object exists.
    void ReadRenderDescription(CPObjectPtr object, const SceneSection& description, int option);

    // --- Mesh-file nodes (the reader stands at the node's first byte) -----
    // Each returns the node with its subtree, or empty, with a line in the
    // log and nothing left allocated, when the data is truncated or corrupt.

    CPObjectPtr ReadMeshNode(CPFileReader& reader, const SceneSections& sections, int option, int depth = 0);
    CPObjectPtr ReadPhysicsMeshNode(CPFileReader& reader, const SceneSections& sections, int option,
                                    int depth = 0);
    CPObjectPtr ReadAnimatedNode(CPFileReader& reader, const SceneSections& sections, int option,
                                 const std::string& animationName, int depth = 0);
    // Reads one node of a later animated-mesh file (without its name) and
    // adds its animation to the node and, by name, to its children. A node
    // the tree lacks is passed over whole. False when the data is corrupt.
    bool AddNodeAnimations(CPObjectPtr node, CPFileReader& reader, const std::string& animationName,
                           int depth = 0);

    // --- State shared by one load -----------------------------------------

    // Written into the diffuse colour of every vertex and animation frame
    // read; the level loader sets it before it loads a level's objects.
    std::uint32_t GetVertexColour() const { return m_vertexColour; }
    void SetVertexColour(std::uint32_t colour) { m_vertexColour = colour; }
    // The lower-cased mesh file of the last mesh load; prefix of the names
    // of the static meshes registered from it.
    const std::string& GetMeshName() const { return m_meshName; }
    bool IsShadowTextureMode() const { return m_shadowTextureMode; }
    const std::string& GetAnimatedMeshFile() const { return m_animatedMeshFile; }

  private:
    enum class SpriteForm { kTenFields, kSixFields };
    struct ShadowTextures {
        std::string folder;
        std::string textureSuffix;
        std::string effectSuffix;
        bool mode = false;
    };

    ShadowTextures SaveShadowTextures() const;
    void RestoreShadowTextures(const ShadowTextures& saved);

    CPObjectPtr LoadScene(const std::string& name, int option, bool isFallback);
    CPObjectPtr BuildAnimated(const SceneFile& scene, const std::vector<std::string>& description,
                              int option);
    CPObjectPtr BuildEmpty(const SceneFile& scene, int option);
    CPObjectPtr BuildMesh(const SceneFile& scene, int option);
    CPObjectPtr ReadMeshFile(const SceneFile& scene, int option);
    bool ReadFirstAnimatedFile(const std::string& animationName, const SceneFile& scene, int option,
                               CPObjectPtr& root);

    void AddSprites(const SceneFile& scene, CPGameObject* root, SpriteForm form, bool clearTag, int option);
    void AddLights(const SceneFile& scene, CPGameObject* root);
    void AddParticleSystems(const SceneFile& scene, CPGameObject* root);
    void AddLevelsOfDetail(const SceneFile& scene, CPGameObject* root, int option);
    void AddLineData(const SceneFile& scene, CPGameObject* root);

    // Render-description steps.
    void ChooseMaterials(CPGameObject& object, const SceneSection& description, int option);
    void ApplyFlags(CPGameObject& object, const SceneSection& description);
    void ChooseFireMaterial(CPGameObject& object, const SceneSection& description);
    void AttachScript(CPGameObject& object, const SceneSection& description);
    void AttachVertexEffects(CPGameObject& object, const std::string& value);
    void RegisterStaticMesh(CPGameObject& object);
    void LoadPartAnimations(CPGameObject& object, const std::string& value);

    // Mesh-node helpers.
    bool ReadGeometry(CPFileReader& reader, CPGameObject& object, const std::string& name);
    void AddCollisionParts(CPGameObject& object, const std::vector<meshfile::PartRecord>& parts);
    bool SkipAnimatedNode(CPFileReader& reader, int depth);

    std::uint32_t m_vertexColour = 0xFFFFFFFF;
    std::string m_meshName;
    std::string m_shadowTextureFolder;
    std::string m_shadowTextureSuffix;
    std::string m_shadowEffectSuffix;
    bool m_shadowTextureMode = false;
    std::string m_animatedMeshFile;
    // Scene files being loaded, outermost first: a level of detail that
    // names one of them would load for ever.
    std::vector<std::string> m_loading;
};

// The program's loader; null until start-up stores one.
CPRenderObjectLoader* GetRenderObjectLoader();
void SetRenderObjectLoader(CPRenderObjectLoader* loader);
