// Generates what the sample race needs besides its track and cars: the
// ground shadow every car lays under itself, with its effect, the streaks
// the tracers and rockets show in flight, and the enemy
// the mission's source brings. The same bytes
// on every run.
//   samplecombat MESH_SOURCES MESH_FOLDER DATA_FOLDER
// MESH_SOURCES receives "NAME.EXT.txt" for each mesh file NAME.EXT (its
// scene file is NAME.rdf); scene files without a mesh source of their own go
// straight to MESH_FOLDER; effects go to DATA_FOLDER/Effects.
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

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

// A shot in flight: a bright streak trailing its head. The shot turns its
// -y along its flight, so the streak lies along +y from the origin.
std::string StreakMesh(const std::string& name, double halfWidth, double length)
{
    MeshText mesh("plain");
    mesh.BeginNode(name);
    const Point centre{0, length / 2, 0};
    const Point half{halfWidth, length / 2, halfWidth};
    mesh.Block(centre, half);
    mesh.Box(centre, half);
    mesh.EndNode();
    mesh.Scene(sample::Section(name, "diffuse.fx", "flash.tga") + "shadow = 0\n");
    return mesh.Text();
}

// Read by the game's effect scanner, which resolves parameters and passes
// by name; no shader runs.
std::string ShadowEffect()
{
    return "// Shadow\nfloat4x4 g_mWorldViewProjection : WORLDVIEWPROJECTION;\ntexture tex0;\n"
           "technique Shadow { pass P0 { AlphaBlendEnable = true; ZWriteEnable = false; } }\n";
}

// An enemy: a figure of blocks with four animations, each its own animated
// mesh file; its scene file names them, and its description (found by the
// kind's name) gives its health, reward and blows. It faces -y, like the cars.
struct Pose {
    double lean; // forward (-y) lean of the body
    double arm;  // how far the arm reaches forward
    double drop; // how far the figure has sunk (dying)
};

// One frame's vertices and triangles; each frame numbers its vertices from 0.
std::string FrameLines(const Pose& pose)
{
    MeshText frame("plain");
    frame.BeginNode("frame");
    const std::string opened = frame.Text();
    const double z = 1.0 - pose.drop;
    frame.Block(Point{0, -pose.lean, z}, Point{0.35, 0.25, 0.9});
    frame.Block(Point{0, -pose.lean * 1.5, z + 1.1}, Point{0.2, 0.2, 0.2});
    frame.Block(Point{0.45, -0.2 - pose.arm, z + 0.4}, Point{0.1, 0.2 + pose.arm, 0.1});
    // Without the layout and node lines, and the last line's end (Line
    // adds it back).
    std::string lines = frame.Text().substr(opened.size());
    lines.pop_back();
    return lines;
}

std::string FigureFrames(const std::vector<Pose>& poses)
{
    MeshText mesh("animated");
    mesh.BeginNode("soldier");
    // Ten frames a second.
    mesh.Line("rate 240");
    // Its box, standing on the ground: 0.8 wide, 2.2 high, 0.6 deep; the
    // same box is what rays and shots hit.
    mesh.Line("ownpart 0.8 2.2 0.6 1");
    mesh.Line("part box 0.8 2.2 0.6 0 0 0 0 0 0 1 0 1");
    for (const Pose& pose : poses) {
        mesh.Line("frame");
        mesh.Line(FrameLines(pose));
    }
    mesh.EndNode();
    return mesh.Text();
}

struct Animation {
    const char* name;
    std::vector<Pose> poses;
};

std::vector<Animation> SoldierAnimations()
{
    return {
        {"idle", {{0, 0, 0}, {0.05, 0, 0}, {0, 0, 0}}},
        {"melee1", {{0, 0, 0}, {0.1, 0.4, 0}, {0.2, 0.9, 0}, {0.1, 0.4, 0}}},
        {"melee2", {{0, 0, 0}, {0.2, 0.2, 0}, {0.3, 1.0, 0}, {0.1, 0.3, 0}}},
        {"death1", {{0, 0, 0}, {0.3, 0, 0.5}, {0.5, 0, 1.0}}},
    };
}

std::string SoldierScene()
{
    std::string description = "anim";
    for (const Animation& animation : SoldierAnimations())
        description += std::string(";") + animation.name + ",soldier_" + animation.name + ".an";
    return "mesh = x\ndescription = " + description + "\n" +
           sample::Section("soldier", "diffuse.fx", "car_black.tga");
}

// Two blows of 3 m reach, up to the height of a car's body, that knock the
// car about; the third record (the gun's) is unused: it has none. Two
// rounds of the machine gun bring it down: shots find it only close to the
// player's car, which passes it quickly.
std::string SoldierDescription()
{
    return "<?xml version=\"1.0\" ?>\n"
           "<enemy name=\"soldier\" health=\"12\" reward=\"100\" hit=\"blood1\" gibs=\"0\" "
           "gib_height=\"1.0\" "
           "melee_count=\"2\" facing=\"0 -1 0\">\n"
           "  <attack n=\"1\" param=\"1.0\" reach=\"0 -3 1.2\" offset=\"0 -1.5 1.0\" impulse=\"3000\" "
           "damage=\"5\" />\n"
           "  <attack n=\"2\" param=\"1.0\" reach=\"0 -3 1.2\" offset=\"0 -1.5 1.0\" impulse=\"5000\" "
           "damage=\"8\" />\n"
           "  <state n=\"1\" animation=\"idle\" />\n"
           "  <state n=\"4\" animation=\"death1\" />\n"
           "  <report animation=\"melee1\" frame=\"2\" />\n"
           "  <report animation=\"melee2\" frame=\"2\" />\n"
           "</enemy>\n";
}

bool WriteSoldier(const fs::path& sources, const fs::path& meshes, const fs::path& data)
{
    for (const Animation& animation : SoldierAnimations())
        if (!sample::WriteFile(sources / ("soldier_" + std::string(animation.name) + ".an.txt"),
                               FigureFrames(animation.poses)))
            return false;
    return sample::WriteFile(meshes / "soldier.rdf", SoldierScene()) &&
           sample::WriteFile(data / "Descriptions" / "soldier.xml", SoldierDescription());
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
                    sample::WriteFile(sources / "tracer.msh.txt", StreakMesh("tracer", 0.06, 3.0)) &&
                    sample::WriteFile(sources / "rocket.msh.txt", StreakMesh("rocket", 0.12, 0.8)) &&
                    sample::WriteFile(data / "Effects" / "shadow.fx", ShadowEffect()) &&
                    WriteSoldier(sources, argv[2], data);
    return ok ? 0 : 1;
}
