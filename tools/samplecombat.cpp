// Generates what the sample race needs besides its track and cars: the
// ground shadow every car lays under itself, with its effect. The same bytes
// on every run.
//   samplecombat MESH_SOURCES MESH_FOLDER DATA_FOLDER
// MESH_SOURCES receives "NAME.EXT.txt" for each mesh file NAME.EXT (its
// scene file is NAME.rdf); scene files without a mesh source of their own go
// straight to MESH_FOLDER; effects go to DATA_FOLDER/Effects.
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>

#include "MeshText.h"
#include "SampleFiles.h"

namespace fs = std::filesystem;
using sample::MeshText;
using sample::Point;

namespace {

// The shadow: a flat quad whose box gives the footprint the game lays on
// the road under each car. The car's description names the texture.
std::string ShadowMesh()
{
    MeshText mesh("plain");
    mesh.BeginNode("shadow");
    const Point up{0, 0, 1};
    const int a = mesh.Vertex(Point{-1.2, 2.8, 0}, up, 0, 1);
    const int b = mesh.Vertex(Point{1.2, 2.8, 0}, up, 1, 1);
    const int c = mesh.Vertex(Point{1.2, -2.8, 0}, up, 1, 0);
    const int d = mesh.Vertex(Point{-1.2, -2.8, 0}, up, 0, 0);
    mesh.Quad(a, b, c, d);
    mesh.Box(Point{0, 0, 0}, Point{1.2, 2.8, 0.5});
    mesh.EndNode();
    // The shadow casts none of its own.
    mesh.Scene(sample::Section("shadow", "shadow.fx", "shadow.tga") + "shadow = 0\n");
    return mesh.Text();
}

// Read by the game's effect scanner, which resolves parameters and passes
// by name; no shader runs.
std::string ShadowEffect()
{
    return "// Shadow\nfloat4x4 g_mWorldViewProjection : WORLDVIEWPROJECTION;\ntexture tex0;\n"
           "technique Shadow { pass P0 { AlphaBlendEnable = true; ZWriteEnable = false; } }\n";
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C");
    if (argc != 4) {
        std::fprintf(stderr, "Usage: samplecombat MESH_SOURCES MESH_FOLDER DATA_FOLDER\n");
        return 2;
    }
    const fs::path sources = argv[1];
    const fs::path data = argv[3];
    const bool ok = sample::WriteFile(sources / "shadow.msh.txt", ShadowMesh()) &&
                    sample::WriteFile(data / "Effects" / "shadow.fx", ShadowEffect());
    return ok ? 0 : 1;
}
