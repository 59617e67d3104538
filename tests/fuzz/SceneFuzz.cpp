// Scene description files with their render descriptions (materials,
// sprites, lights, particle systems, levels of detail, line data, part
// animations), over a small valid mesh; the input is the scene text, a
// "----" line, then the part-animation file it may name as "anim.pan".
#include "FuzzSupport.h"

#include "ImageFiles.h"
#include "MeshFileBytes.h"
#include "core/GameObject.h"

namespace {

std::string MeshBytes()
{
    meshbytes::PlainNode node;
    node.name = "body";
    node.vertices = {VertexAt(0, 0, 0), VertexAt(1, 0, 0), VertexAt(0, 1, 0)};
    node.indices = {0, 1, 2};
    meshbytes::PlainNode door = node;
    door.name = "door";
    node.children = {door};
    return meshbytes::PlainFile({node});
}

void WriteFixedFiles()
{
    static bool written = false;
    if (written)
        return;
    written = true;
    WriteFuzzFile("Data/Meshes/body.msh", MeshBytes());
    WriteFuzzFile("Data/Meshes/small.rdf", "mesh = body.msh\n");
    imagefiles::Writer tga = imagefiles::TgaHeader(2, 2, 2, 32, 0x28);
    tga.Zeros(16);
    WriteFuzzFile("Data/Textures/a.tga", std::string(tga.bytes.begin(), tga.bytes.end()));
    WriteFuzzFile("Data/Effects/test.fx", "texture tex0;\ntechnique T { pass P { } }\n");
}

} // namespace

std::vector<std::string> FuzzSeeds()
{
    return {"mesh = body.msh\n"
            "[body]\n"
            "effect = test.fx\n"
            "texture0 = a.tga\n"
            "visible = 1\n"
            "animation = anim.pan\n"
            "[door]\n"
            "effect = test.fx\n"
            "sprite = s,0,0,1,1,a.tga,test.fx,1,1,body\n"
            "light = l,body,x,0,0,0,1,1,1,0,1\n"
            "lod = small.rdf,100\n"
            "lod = null,300\n"
            "particlesystem = sparks,body\n"
            "linekeypoint = 0,0,0\n"
            "linecolor = 255,0,0\n"
            "\n----\n",
            "mesh = empty\nsprite = s,1,2,3,4,a.tga\nlight = l,,x,0,0,0,1,1,1,0,1\n"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    WriteFixedFiles();
    const std::vector<std::string> parts = SplitInput(data, size, 2);
    FuzzRenderWorld world;
    WriteFuzzFile("Data/Meshes/input.rdf", parts[0]);
    WriteFuzzFile("Data/Animations/anim.pan", parts[1]);
    CPObjectPtr root = world.loader.LoadRenderObject("input.rdf", 0);
    if (auto* object = root.As<CPGameObject>()) {
        root = CPObjectPtr();
        CPGameObject::DeleteTree(object);
    }
    return 0;
}
