// Mesh files in their three layouts (plain, with physics parts, animated)
// read by the render-object loader through a fixed scene file; the first
// byte picks the layout.
#include "FuzzSupport.h"

#include "MeshFileBytes.h"
#include "core/GameObject.h"

namespace {

CPMeshVertex Corner(float x, float y) { return VertexAt(x, y, 0.0f, 0xFF112233); }

} // namespace

std::vector<std::string> FuzzSeeds()
{
    meshbytes::PlainNode plain;
    plain.name = "rock";
    plain.vertices = {Corner(0, 0), Corner(1, 0), Corner(0, 1)};
    plain.indices = {0, 1, 2};
    plain.boxes = {{{0, 0, 0}, {1, 1, 1}}};
    meshbytes::PlainNode child = plain;
    child.name = "pebble";
    plain.children = {child};

    meshbytes::PhysicsNode physics;
    physics.name = "crate";
    physics.body.kind = 1;
    physics.body.s1 = physics.body.s2 = physics.body.s3 = 1.0f;
    physics.body.mass = 2.0f;
    physics.vertices = plain.vertices;
    physics.indices = plain.indices;
    physics.parts = {physics.body};

    meshbytes::AnimatedNode animated;
    animated.name = "flag";
    animated.frames = {Triangle(0), Triangle(1)};

    return {std::string(1, '\0') + meshbytes::PlainFile({plain, child}),
            std::string(1, '\1') + meshbytes::PhysicsFile({physics}),
            std::string(1, '\2') + meshbytes::AnimatedFile(animated)};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    FuzzRenderWorld world;
    static const char* const kScenes[] = {
        "mesh = input.msh\n[rock]\nvisible = 1\n",
        "mesh = input.p3d\n",
        "mesh = x\ndescription = anim;walk,input.an\n",
    };
    static const char* const kFiles[] = {"Data/Meshes/input.msh", "Data/Meshes/input.p3d",
                                         "Data/Meshes/input.an"};
    const int layout = data[0] % 3;
    WriteFuzzFile(kFiles[layout], data + 1, size - 1);
    WriteFuzzFile("Data/Meshes/input.rdf", kScenes[layout]);
    CPObjectPtr root = world.loader.LoadRenderObject("input.rdf", 0);
    if (auto* object = root.As<CPGameObject>()) {
        root = CPObjectPtr();
        CPGameObject::DeleteTree(object);
    }
    return 0;
}
