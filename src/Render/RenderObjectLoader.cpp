// Scene description files: the entry point of the loader and its three
// modes (animated, empty and mesh objects) with the sprites, lights,
// particle systems, levels of detail and line data they add.
#include "Render/RenderObjectLoader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "Render/Light.h"
#include "Render/MeshRecords.h"
#include "Render/ParticleSystem.h"
#include "Render/Sprite.h"
#include "core/FileReader.h"
#include "core/GameObject.h"
#include "core/GameSettings.h"
#include "core/Log.h"
#include "core/StringUtils.h"

namespace {

const char kMeshFolder[] = "Data\\Meshes\\";
const char kFallbackScene[] = "wrong.rdf";

CPRenderObjectLoader* g_loader = nullptr;

float FloatField(const std::vector<std::string>& fields, std::size_t index)
{
    return static_cast<float>(std::atof(Field(fields, index).c_str()));
}

Vector3 VectorField(const std::vector<std::string>& fields, std::size_t first)
{
    return {FloatField(fields, first), FloatField(fields, first + 1), FloatField(fields, first + 2)};
}

// A part that found no parent belongs to nobody: it goes at once.
void Attach(CPGameObject* parent, CPGameObject* object, const char* kind)
{
    if (parent) {
        parent->AddChild(object);
        return;
    }
    LogLine(std::string("The ") + kind + " \"" + object->GetName() +
            "\" has no parent in the scene; left out");
    CPGameObject::DeleteTree(object);
}

bool EndsWithP3d(const std::string& name)
{
    if (name.size() < 3)
        return false;
    std::string tail = name.substr(name.size() - 3);
    return ToLowerString(tail) == "p3d";
}

bool IsSnow(const std::string& name) { return name == "snow" || name == "snow2" || name == "snow3"; }

} // namespace

CPRenderObjectLoader* GetRenderObjectLoader() { return g_loader; }
void SetRenderObjectLoader(CPRenderObjectLoader* loader) { g_loader = loader; }

CPObjectPtr CPRenderObjectLoader::LoadRenderObject(const std::string& name, int option)
{
    return LoadScene(name, option, false);
}

CPObjectPtr CPRenderObjectLoader::LoadScene(const std::string& name, int option, bool isFallback)
{
    CPFileReader reader(kMeshFolder + name, false);
    if (Failed(reader.Load())) {
        m_shadowTextureMode = false;
        if (isFallback) {
            LogLine(std::string("The stand-in scene \"") + kFallbackScene + "\" cannot be read either");
            return CPObjectPtr();
        }
        LogLine("Scene file \"" + name + "\" cannot be read; \"" + kFallbackScene + "\" stands in");
        return LoadScene(kFallbackScene, option, true);
    }

    SceneFile scene;
    scene.name = name;
    ParseSceneFile(reinterpret_cast<const char*>(reader.GetData()), static_cast<int>(reader.GetDataSize()),
                   scene);

    if (!scene.shadowTextures.empty()) {
        const std::vector<std::string> fields = SplitFields(scene.shadowTextures, ",");
        m_shadowTextureFolder = Field(fields, 0);
        m_shadowTextureSuffix = Field(fields, 1);
        m_shadowEffectSuffix = Field(fields, 2);
        m_shadowTextureMode = true;
    }

    std::string loading = name;
    m_loading.push_back(ToLowerString(loading));
    const std::vector<std::string> description = SplitFields(scene.description, ";");
    CPObjectPtr root;
    if (Field(description, 0) == "anim")
        root = BuildAnimated(scene, description, option);
    else if (scene.meshEntry == "empty")
        root = BuildEmpty(scene, option);
    else
        root = BuildMesh(scene, option);
    m_loading.pop_back();

    if (auto* object = root.As<CPGameObject>()) {
        if (!scene.description.empty()) {
            // An animated object's list of animations stands where a
            // description's file name would; it names no file, so its
            // absence is no fault to report.
            object->SetDescriptionFile(scene.description);
            object->LoadDescription(Field(description, 0) == "anim");
        }
    }
    m_shadowTextureMode = false;
    return root;
}

// --- Modes -------------------------------------------------------------------

CPObjectPtr CPRenderObjectLoader::BuildAnimated(const SceneFile& scene,
                                                const std::vector<std::string>& description, int option)
{
    CPObjectPtr root;
    for (std::size_t i = 1; i < description.size(); ++i) {
        const std::vector<std::string> entry = SplitFields(description[i], ",");
        const std::string& animationName = Field(entry, 0);
        m_animatedMeshFile = Field(entry, 1);
        if (!root) {
            ReadFirstAnimatedFile(animationName, scene, option, root);
            continue;
        }
        CPFileReader reader(kMeshFolder + m_animatedMeshFile, false);
        if (Failed(reader.Load()))
            continue;
        if (!meshfile::HasBytes(reader, 8 + meshfile::kNameBytes, "header", "(root)"))
            continue;
        reader.ReadInt();
        reader.ReadInt();
        meshfile::SkipBytes(reader, meshfile::kNameBytes); // the root is the tree's own root
        if (!AddNodeAnimations(root, reader, animationName))
            LogLine("The animations of \"" + m_animatedMeshFile + "\" for \"" + scene.name +
                    "\" stop at the corrupt node");
        root.As<CPGameObject>()->UpdateBounds();
    }
    auto* object = root.As<CPGameObject>();
    if (!object) {
        LogLine("Animated scene \"" + scene.name + "\" has no readable animated mesh file");
        return CPObjectPtr();
    }
    object->AddLod(root, 0);
    AddLevelsOfDetail(scene, object, option);
    AddSprites(scene, object, SpriteForm::kSixFields, true, option);
    return root;
}

bool CPRenderObjectLoader::ReadFirstAnimatedFile(const std::string& animationName, const SceneFile& scene,
                                                 int option, CPObjectPtr& root)
{
    CPFileReader reader(kMeshFolder + m_animatedMeshFile, false);
    if (Failed(reader.Load()))
        return false;
    if (!meshfile::HasBytes(reader, 8, "header", "(root)"))
        return false;
    reader.ReadInt();
    reader.ReadInt();
    root = ReadAnimatedNode(reader, scene.sections, option, animationName);
    auto* object = root.As<CPGameObject>();
    if (!object)
        return false;
    object->SetLabel(scene.name);
    object->UpdateBounds();
    return true;
}

CPObjectPtr CPRenderObjectLoader::BuildEmpty(const SceneFile& scene, int option)
{
    auto* root = new CPGameObject(scene.meshEntry);
    root->SetRenderObject(CPObjectPtr(), CPGameObject::kNoRenderObject);
    AddSprites(scene, root, SpriteForm::kTenFields, false, option);
    return root;
}

CPObjectPtr CPRenderObjectLoader::BuildMesh(const SceneFile& scene, int option)
{
    CPObjectPtr root = ReadMeshFile(scene, option);
    auto* object = root.As<CPGameObject>();
    if (!object)
        return CPObjectPtr();
    AddLineData(scene, object);
    AddSprites(scene, object, SpriteForm::kTenFields, true, option);
    AddLights(scene, object);
    object->AddLod(root, 0);
    AddLevelsOfDetail(scene, object, option);
    AddParticleSystems(scene, object);
    return root;
}

CPObjectPtr CPRenderObjectLoader::ReadMeshFile(const SceneFile& scene, int option)
{
    const bool physics = EndsWithP3d(scene.meshEntry);
    m_meshName = scene.meshEntry;
    ToLowerString(m_meshName);

    CPFileReader reader(kMeshFolder + scene.meshEntry, false);
    if (Failed(reader.Load())) {
        LogLine("Scene \"" + scene.name + "\" names the mesh file \"" + scene.meshEntry +
                "\", which cannot be read");
        return CPObjectPtr();
    }
    const std::uint32_t minNode = physics ? meshfile::kMinPhysicsNode : meshfile::kMinPlainNode;
    if (!meshfile::HasBytes(reader, 4, "header", "(root)"))
        return CPObjectPtr();
    reader.ReadInt(); // header word
    std::int32_t nodeCount = 0;
    if (!meshfile::ReadCount(reader, minNode, "nodes", "(root)", nodeCount))
        return CPObjectPtr();

    auto readNode = [&]() {
        return physics ? ReadPhysicsMeshNode(reader, scene.sections, option)
                       : ReadMeshNode(reader, scene.sections, option);
    };
    CPObjectPtr root;
    if (nodeCount == 1) {
        root = readNode();
    } else {
        auto* group = new CPGameObject(scene.name);
        group->SetRenderObject(CPObjectPtr(), CPGameObject::kNoRenderObject);
        root = group;
        for (std::int32_t i = 0; i < nodeCount && root; ++i) {
            CPObjectPtr node = readNode();
            if (!node) {
                root = CPObjectPtr(); // let go before the group goes
                CPGameObject::DeleteTree(group);
                break;
            }
            group->AddChild(node);
        }
    }
    auto* object = root.As<CPGameObject>();
    if (!object) {
        LogLine("Mesh file \"" + scene.meshEntry + "\" of scene \"" + scene.name +
                "\" is corrupt; nothing built");
        return CPObjectPtr();
    }
    object->SetLabel(scene.name);
    if (reader.GetRemaining() > 0) {
        if (!meshfile::SkipTransformBlock(reader))
            LogLine("Mesh file \"" + scene.meshEntry +
                    "\" ends in a corrupt transform block; it is not used");
        object->UpdateBounds();
    }
    return root;
}

CPRenderObjectLoader::ShadowTextures CPRenderObjectLoader::SaveShadowTextures() const
{
    return {m_shadowTextureFolder, m_shadowTextureSuffix, m_shadowEffectSuffix, m_shadowTextureMode};
}

void CPRenderObjectLoader::RestoreShadowTextures(const ShadowTextures& saved)
{
    m_shadowTextureFolder = saved.folder;
    m_shadowTextureSuffix = saved.textureSuffix;
    m_shadowEffectSuffix = saved.effectSuffix;
    m_shadowTextureMode = saved.mode;
}

// --- What the lists add --------------------------------------------------------

void CPRenderObjectLoader::AddSprites(const SceneFile& scene, CPGameObject* root, SpriteForm form,
                                      bool clearTag, int option)
{
    for (const std::string& value : scene.sprites) {
        const std::vector<std::string> fields = SplitFields(value, ",");
        const std::string& name = Field(fields, 0);
        auto* object = new CPGameObject(name);
        if (clearTag)
            object->SetMarkRecursive(0);
        const float size = FloatField(fields, 4);
        auto* sprite = new CPSprite(size);
        if (form == SpriteForm::kTenFields && !Field(fields, 9).empty()) {
            sprite->SetDirection(VectorField(fields, 6));
            sprite->SetConeLimit(FloatField(fields, 9));
        }
        sprite->SetOwner(object);
        object->SetRenderObject(sprite, CPGameObject::kSprite);
        object->SetShadow(false);
        object->SetBoundingBox(CPBoundingBox({0.0f, 0.0f, 0.0f}, {size, size, size}));
        object->SetPosition(VectorField(fields, 1));
        ReadRenderDescription(object, scene.Section(name), option);

        const std::string& parentName = Field(fields, 5);
        CPGameObject* parent = nullptr;
        if (form == SpriteForm::kTenFields) {
            parent = parentName.empty() ? nullptr : root->FindObjectInTree(parentName).As<CPGameObject>();
            if (!parent)
                parent = root;
        } else if (parentName.empty() || parentName == root->GetName()) {
            parent = root;
        } else {
            parent = root->FindObjectInTree(parentName).As<CPGameObject>();
        }
        Attach(parent, object, "sprite");
    }
}

void CPRenderObjectLoader::AddLights(const SceneFile& scene, CPGameObject* root)
{
    for (const std::string& value : scene.lights) {
        const std::vector<std::string> fields = SplitFields(value, ",");
        auto* object = new CPGameObject(Field(fields, 0));
        auto* light = new CPLight();
        light->SetOwner(object);
        object->SetRenderObject(light, CPGameObject::kLight);
        object->SetShadow(false);

        platform::Light& record = light->GetLight();
        record.type = platform::LightType::Point;
        const ColorValue colour{FloatField(fields, 6), FloatField(fields, 7), FloatField(fields, 8), 0.0f};
        record.diffuse = colour;
        record.specular = colour;
        record.ambient = colour;
        record.range = FloatField(fields, 10);
        record.attenuation0 = 0.0f;
        record.attenuation1 = FloatField(fields, 9);
        record.attenuation2 = 0.0f;

        object->SetBoundingBox(CPBoundingBox({0.0f, 0.0f, 0.0f}, {record.range, record.range, record.range}));
        object->SetPosition(VectorField(fields, 3));

        const std::string& parentName = Field(fields, 1);
        CPGameObject* parent =
            parentName == root->GetName() ? root : root->FindObjectInTree(parentName).As<CPGameObject>();
        Attach(parent, object, "light");
    }
}

void CPRenderObjectLoader::AddParticleSystems(const SceneFile& scene, CPGameObject* root)
{
    for (const std::string& value : scene.particleSystems) {
        const std::vector<std::string> fields = SplitFields(value, ",");
        const std::string& name = Field(fields, 0);
        if (GetGameSettings().weather == 0 && IsSnow(name))
            continue;
        std::vector<std::string> emitters;
        if (fields.size() > 6)
            emitters.assign(fields.begin() + 6, fields.end());

        auto* object = new CPGameObject(name);
        auto* system = new CPParticleSystem(object, emitters);
        system->SetInterval(FloatField(fields, 5));
        object->SetRenderObject(system, CPGameObject::kTaskObject);
        object->SetShadow(false);
        object->SetBoundingBox(CPBoundingBox({0.0f, 0.0f, 0.0f}, {0.5f, 0.5f, 0.5f}));
        object->SetPosition(VectorField(fields, 2));

        const std::string& parentName = Field(fields, 1);
        CPGameObject* parent =
            parentName == root->GetName() ? root : root->GetChildByName(parentName).As<CPGameObject>();
        Attach(parent, object, "particle system");
    }
}

void CPRenderObjectLoader::AddLevelsOfDetail(const SceneFile& scene, CPGameObject* root, int option)
{
    for (const std::string& value : scene.levelsOfDetail) {
        const std::vector<std::string> fields = SplitFields(value, ",");
        const std::string& fileName = Field(fields, 0);
        CPObjectPtr level;
        std::string lowerName = fileName;
        ToLowerString(lowerName);
        if (fileName != "null") {
            if (std::find(m_loading.begin(), m_loading.end(), lowerName) != m_loading.end() ||
                m_loading.size() >= kMaxNestedLoads) {
                LogLine("Scene \"" + scene.name + "\" takes \"" + fileName +
                        "\" as a level of detail inside itself; an empty level stands in");
            } else {
                // The nested load ends its own shadow-texture mode; the
                // outer load's parts after it keep the outer one.
                const ShadowTextures outer = SaveShadowTextures();
                level = LoadRenderObject(fileName, option);
                RestoreShadowTextures(outer);
            }
        }
        root->AddLod(level, std::atoi(Field(fields, 1).c_str()));
    }
}

void CPRenderObjectLoader::AddLineData(const SceneFile& scene, CPGameObject* root)
{
    for (const std::string& value : scene.lineKeyPoints)
        root->GetPoints().push_back(VectorField(SplitFields(value, ","), 0));
    if (scene.lineColor.empty())
        return;
    unsigned int colour = 0;
    if (std::sscanf(scene.lineColor.c_str(), "%x", &colour) == 1)
        root->SetColour(colour);
    else
        LogLine("Scene \"" + scene.name + "\" has the line colour \"" + scene.lineColor +
                "\", which is no hexadecimal number; the default stays");
}
