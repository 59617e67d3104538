// Generates the two sample circuits: the mesh descriptions of their
// scenes, road collisions, the terrain and the track objects (for rsmesh),
// and the readable level descriptions a level writer turns into ".lvl"
// files. The same bytes on every run.
//   sampletrack MESH_SOURCES LEVEL_FOLDER
// MESH_SOURCES receives "NAME.EXT.txt" for each mesh file NAME.EXT (its
// scene file is NAME.rdf); LEVEL_FOLDER receives "levelN.lvl.txt" and the
// mission list "levelN.mis" for N = 1 (a long day circuit of three bends)
// and 2 (a shorter, hillier loop of two bends under a gloomy sky).
//
// The level description is what rslevel reads (its head says the
// statements); scripts/make-sample-data.sh turns it into "levelN.lvl".
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "MeshText.h"
#include "SampleFiles.h"

namespace fs = std::filesystem;
using sample::MeshText;
using sample::Num;
using sample::Point;

namespace {

constexpr double kPi = 3.14159265358979323846;

// What shapes the circuit; change these and run scripts/make-sample-data.sh.
struct TrackParams {
    int number = 1; // levelN: its scene, road collision and sky by number
    const char* roadTexture = "road.tga";
    const char* wallTexture = "wall.tga";
    double length = 3000.0; // centre line, metres
    double width = 14.0;    // between the walls
    double step = 8.0;      // distance between the road's cross sections
    double bend = 0.2;      // how far the outline swings in and out
    int lobes = 3;          // bends of the outline per lap
    double wallHeight = 1.2;
    double wallThickness = 0.4;
    double hillHeight = 12.0;
    double hillLength = 420.0; // the hill's foot to foot, along the road
    double hillCentre = 0.55;  // share of the lap where its top stands
    int splineEvery = 4;       // cross sections per spline segment
    int sectionsPerPiece = 15; // cross sections per piece of the scene's road
    int checkpoints = 4;
    int opponents = 7;
    int playerSlot = 4; // of the grid, from the front
    // Share of the lap where the enemy source "north" stands, on the
    // road's left edge where the race meets it; "south" stands off the road
    // three quarters round and brings nobody.
    double enemyShare = 0.25;
    double terrainSize = 3000.0;
    double terrainHeight = -0.5;
};

struct Section {
    Point centre;
    Point left; // unit vector across the road to the left of travel
    double distance = 0.0;
};

// The outline r = R (1 + bend sin(lobes a)), scaled so that the lap has
// the wanted length, cut into sections of equal length in driving order.
std::vector<Section> BuildSections(const TrackParams& params)
{
    const int dense = 20000;
    auto outline = [&](double angle) {
        const double r = 1.0 + params.bend * std::sin(params.lobes * angle);
        return Point{r * std::cos(angle), r * std::sin(angle), 0.0};
    };
    std::vector<double> run(dense + 1, 0.0);
    for (int i = 1; i <= dense; ++i) {
        const Point a = outline(2 * kPi * (i - 1) / dense);
        const Point b = outline(2 * kPi * i / dense);
        run[i] = run[i - 1] + std::hypot(b.x - a.x, b.y - a.y);
    }
    const double scale = params.length / run[dense];
    const int count = static_cast<int>(std::lround(params.length / params.step));
    const double step = params.length / count;

    std::vector<Section> sections(count);
    int j = 0;
    for (int i = 0; i < count; ++i) {
        const double wanted = i * step / scale;
        while (j < dense && run[j + 1] < wanted)
            ++j;
        const double t = (wanted - run[j]) / (run[j + 1] - run[j]);
        const double angle = 2 * kPi * (j + t) / dense;
        const Point p = outline(angle);
        sections[i].centre = {p.x * scale, p.y * scale, 0.0};
        sections[i].distance = i * step;
    }
    const double hillStart = params.hillCentre * params.length - params.hillLength / 2;
    for (int i = 0; i < count; ++i) {
        const Point& next = sections[(i + 1) % count].centre;
        const Point& previous = sections[(i + count - 1) % count].centre;
        const double dx = next.x - previous.x;
        const double dy = next.y - previous.y;
        const double length = std::hypot(dx, dy);
        sections[i].left = {-dy / length, dx / length, 0.0};
        const double along = (sections[i].distance - hillStart) / params.hillLength;
        if (along > 0.0 && along < 1.0)
            sections[i].centre.z = params.hillHeight * 0.5 * (1.0 - std::cos(2 * kPi * along));
    }
    return sections;
}

Point Offset(const Section& section, double across, double up)
{
    return {section.centre.x + section.left.x * across, section.centre.y + section.left.y * across,
            section.centre.z + up};
}

// Heading of travel at a section as the yaw that turns the car's forward
// (0, -1, 0) onto it.
double Yaw(const std::vector<Section>& sections, int index)
{
    const Section& s = sections[(index + sections.size()) % sections.size()];
    const double forwardX = s.left.y;
    const double forwardY = -s.left.x;
    return std::atan2(forwardX, -forwardY);
}

// The smallest axis-aligned box around the points given to it.
struct Extent {
    Point low{1e30, 1e30, 1e30};
    Point high{-1e30, -1e30, -1e30};
    void Add(const Point& p)
    {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    // As a part box of the node: the game culls and picks plain nodes by
    // their part boxes alone.
    void WriteBox(MeshText& mesh) const
    {
        mesh.Box(Point{(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2},
                 Point{(high.x - low.x) / 2, (high.y - low.y) / 2, (high.z - low.z) / 2});
    }
};

// The sections [first, last] of the ring (last may run past its end, the
// first section then comes again at the end so that the texture runs on
// without a seam).
struct Stretch {
    int first = 0;
    int last = 0;
};

// Which side of the road's triangles faces the game's camera. The camera
// sees the world through a left-handed view with z up, where a triangle
// faces the viewer when its corners turn counter-clockwise seen from above
// in this file's (x, y) plan, as the walls, blocks and terrain do.
enum class RoadFace { Up, Down };

// The road surface: two corners per section. The collision road keeps the
// order the physics world was tuned on.
Extent AddRoad(MeshText& mesh, const std::vector<Section>& sections, const TrackParams& params,
               const Stretch& stretch, RoadFace face)
{
    const int count = static_cast<int>(sections.size());
    const Point up{0, 0, 1};
    Extent extent;
    for (int i = stretch.first; i <= stretch.last; ++i) {
        const Section& s = sections[i % count];
        const double v = i * params.length / count / params.width;
        for (const auto& [across, u] :
             {std::pair{params.width / 2, 0.0}, std::pair{-params.width / 2, 1.0}}) {
            extent.Add(Offset(s, across, 0));
            mesh.Vertex(Offset(s, across, 0), up, u, v);
        }
    }
    for (int i = 0; i < stretch.last - stretch.first; ++i) {
        if (face == RoadFace::Up)
            mesh.Quad(2 * i, 2 * i + 1, 2 * i + 3, 2 * i + 2);
        else
            mesh.Quad(2 * i, 2 * i + 2, 2 * i + 3, 2 * i + 1);
    }
    return extent;
}

// The longest piece of wall one part box covers. A box stands square to
// the axes, so along a wall that runs aslant it reaches past the wall's
// face by up to half its length: short pieces keep the road between the
// walls free for rays (a blow, a shot) that travel over it.
constexpr double kWallBoxLength = 2.0;

// Part boxes that follow one side's wall from section i to section i + 1.
void AddWallBoxes(MeshText& mesh, const Section& from, const Section& to, double inner, double outer,
                  double height)
{
    const double along = std::hypot(to.centre.x - from.centre.x, to.centre.y - from.centre.y);
    const int pieces = std::max(1, static_cast<int>(std::ceil(along / kWallBoxLength)));
    const Point a[2] = {Offset(from, inner, 0), Offset(from, outer, 0)};
    const Point b[2] = {Offset(to, inner, 0), Offset(to, outer, 0)};
    for (int k = 0; k < pieces; ++k) {
        Extent box;
        for (const double t : {static_cast<double>(k) / pieces, static_cast<double>(k + 1) / pieces}) {
            for (int face = 0; face < 2; ++face) {
                const Point p{a[face].x + (b[face].x - a[face].x) * t,
                              a[face].y + (b[face].y - a[face].y) * t,
                              a[face].z + (b[face].z - a[face].z) * t};
                box.Add(Point{p.x, p.y, p.z - 1.0});
                box.Add(Point{p.x, p.y, p.z + height});
            }
        }
        box.WriteBox(mesh);
    }
}

// The walls: on each side an inner face, a top and an outer face, and the
// part boxes that rays and the culling see of them.
void AddWalls(MeshText& mesh, const std::vector<Section>& sections, const TrackParams& params,
              const Stretch& stretch, bool boxes = false)
{
    const int count = static_cast<int>(sections.size());
    const int rows = stretch.last - stretch.first;
    const double h = params.wallHeight;
    for (int side = 0; side < 2; ++side) {
        const double sign = side == 0 ? 1.0 : -1.0;
        const double inner = sign * params.width / 2;
        const double outer = sign * (params.width / 2 + params.wallThickness);
        const int base = side * (rows + 1) * 4;
        for (int i = stretch.first; i <= stretch.last; ++i) {
            const Section& s = sections[i % count];
            const Point in{-s.left.x * sign, -s.left.y * sign, 0};
            const double v = i * params.length / count / (4 * h);
            const Point corners[4] = {Offset(s, inner, 0), Offset(s, inner, h), Offset(s, outer, h),
                                      Offset(s, outer, -1.0)};
            mesh.Vertex(corners[0], in, v, 1.0);
            mesh.Vertex(corners[1], in, v, 0.0);
            mesh.Vertex(corners[2], Point{0, 0, 1}, v, 0.0);
            mesh.Vertex(corners[3], Point{-in.x, -in.y, 0}, v, 1.0);
        }
        for (int i = 0; i < rows; ++i) {
            const int a = base + 4 * i;
            const int b = a + 4;
            for (int k = 0; k < 3; ++k) {
                if (side == 0)
                    mesh.Quad(a + k, b + k, b + k + 1, a + k + 1);
                else
                    mesh.Quad(a + k, a + k + 1, b + k + 1, b + k);
            }
        }
        for (int i = stretch.first; boxes && i < stretch.last; ++i)
            AddWallBoxes(mesh, sections[i % count], sections[(i + 1) % count], inner, outer, h);
    }
}

// The stretches the scene's road and walls are cut into, so that the level
// draws only the pieces its camera sees.
std::vector<Stretch> SceneStretches(const std::vector<Section>& sections, const TrackParams& params)
{
    const int count = static_cast<int>(sections.size());
    std::vector<Stretch> stretches;
    for (int first = 0; first < count; first += params.sectionsPerPiece)
        stretches.push_back({first, std::min(first + params.sectionsPerPiece, count)});
    return stretches;
}

std::string PieceName(const char* kind, std::size_t index)
{
    char name[32];
    std::snprintf(name, sizeof(name), "%s_%02zu", kind, index + 1);
    return name;
}

// Posts at the start line, part of the scene; the level file names only
// their positions.
void AddStartPosts(MeshText& mesh, const std::vector<Section>& sections, const TrackParams& params)
{
    for (int side = 0; side < 2; ++side) {
        mesh.BeginNode(side == 0 ? "start_post_left" : "start_post_right");
        const Point c = Offset(sections[0], (side == 0 ? 1 : -1) * (params.width / 2 + 1.0), 3.0);
        mesh.Block(c, Point{0.4, 0.4, 3.0});
        mesh.Box(c, Point{0.4, 0.4, 3.0});
        mesh.EndNode();
    }
    mesh.BeginNode("start_banner");
    const Point a = Offset(sections[0], 0, 6.5);
    // The banner is a block along the cross direction, turned to it.
    const Section& s = sections[0];
    const double half = params.width / 2 + 1.4;
    const double depth = 0.2;
    const double tall = 0.6;
    Point corners[8];
    for (int k = 0; k < 8; ++k) {
        const double across = (k & 1 ? 1 : -1) * half;
        const double along = (k & 2 ? 1 : -1) * depth;
        const double up = (k & 4 ? 1 : -1) * tall;
        corners[k] = {a.x + s.left.x * across - s.left.y * along, a.y + s.left.y * across + s.left.x * along,
                      a.z + up};
    }
    Extent extent;
    for (const Point& corner : corners)
        extent.Add(corner);
    extent.WriteBox(mesh);
    const Point n{0, 0, 1};
    int v[8];
    for (int k = 0; k < 8; ++k)
        v[k] = mesh.Vertex(corners[k], n, k & 1 ? 1.0 : 0.0, k & 4 ? 0.0 : 1.0);
    mesh.Quad(v[0], v[1], v[5], v[4]);
    mesh.Quad(v[3], v[2], v[6], v[7]);
    mesh.Quad(v[4], v[5], v[7], v[6]);
    mesh.Quad(v[2], v[3], v[1], v[0]);
    mesh.EndNode();
}

std::string SceneMesh(const std::vector<Section>& sections, const TrackParams& params)
{
    MeshText mesh("plain");
    std::string scene;
    const std::vector<Stretch> stretches = SceneStretches(sections, params);
    for (std::size_t i = 0; i < stretches.size(); ++i) {
        const std::string road = PieceName("road", i);
        mesh.BeginNode(road);
        AddRoad(mesh, sections, params, stretches[i], RoadFace::Up).WriteBox(mesh);
        mesh.EndNode();
        const std::string walls = PieceName("walls", i);
        mesh.BeginNode(walls);
        AddWalls(mesh, sections, params, stretches[i], true);
        mesh.EndNode();
        scene += sample::Section(road, "diffuse.fx", params.roadTexture) +
                 sample::Section(walls, "diffuse.fx", params.wallTexture);
    }
    AddStartPosts(mesh, sections, params);
    mesh.Scene(scene + sample::Section("start_post_left", "diffuse.fx", "post.tga") +
               sample::Section("start_post_right", "diffuse.fx", "post.tga") +
               sample::Section("start_banner", "diffuse.fx", "banner.tga"));
    return mesh.Text();
}

// One node: the physics world builds the road collision from a single mesh.
std::string CollisionMesh(const std::vector<Section>& sections, const TrackParams& params)
{
    MeshText road("plain");
    road.BeginNode("road_phys");
    const Stretch ring{0, static_cast<int>(sections.size())};
    AddRoad(road, sections, params, ring, RoadFace::Down);
    const int offset = 2 * (static_cast<int>(sections.size()) + 1);
    MeshText walls("plain");
    walls.BeginNode("walls");
    AddWalls(walls, sections, params, ring);
    // Join the walls' statements to the road's node, their indices moved on
    // past the road's vertices.
    std::string text = road.Text();
    std::size_t start = walls.Text().find("node walls\n") + 11;
    const std::string body = walls.Text().substr(start);
    std::size_t from = 0;
    while (from < body.size()) {
        const std::size_t end = body.find('\n', from);
        const std::string line = body.substr(from, end - from);
        from = end + 1;
        int a = 0, b = 0, c = 0;
        if (std::sscanf(line.c_str(), "triangle %d %d %d", &a, &b, &c) == 3)
            text += "triangle " + std::to_string(a + offset) + " " + std::to_string(b + offset) + " " +
                    std::to_string(c + offset) + "\n";
        else
            text += line + "\n";
    }
    text += "end\nscene\n" + sample::Section("road_phys", "diffuse.fx", params.roadTexture) + "visible = 0\n";
    return text;
}

std::string TerrainMesh(const TrackParams& params)
{
    MeshText mesh("plain");
    mesh.BeginNode("land");
    const int cells = 8;
    const double half = params.terrainSize / 2;
    for (int y = 0; y <= cells; ++y)
        for (int x = 0; x <= cells; ++x)
            mesh.Vertex(Point{-half + x * params.terrainSize / cells, -half + y * params.terrainSize / cells,
                              params.terrainHeight},
                        Point{0, 0, 1}, double(x) / cells, double(y) / cells);
    for (int y = 0; y < cells; ++y)
        for (int x = 0; x < cells; ++x) {
            const int a = y * (cells + 1) + x;
            mesh.Quad(a, a + 1, a + cells + 2, a + cells + 1);
        }
    mesh.EndNode();
    mesh.Scene("[land]\neffectfile = terrain2.fx\ntexturefile1 = color.dds\ntexturefile2 = detail1.dds\n");
    return mesh.Text();
}

// A gate across the road; its box is what a car passes through. The
// object's own frame has forward along -y and the road across x.
std::string CheckpointMesh(const TrackParams& params)
{
    MeshText mesh("plain");
    mesh.BeginNode("checkpoint");
    const double half = params.width / 2 + 0.8;
    mesh.Block(Point{-half, 0, 3}, Point{0.3, 0.3, 3});
    mesh.Block(Point{half, 0, 3}, Point{0.3, 0.3, 3});
    mesh.Block(Point{0, 0, 6.3}, Point{half + 0.3, 0.15, 0.4});
    mesh.Box(Point{0, 0, 3}, Point{half, 1.5, 3.5});
    mesh.EndNode();
    mesh.Scene(sample::Section("checkpoint", "diffuse.fx", "checkpoint.tga"));
    return mesh.Text();
}

// A flat arrow on the road pointing the way of travel (-y).
std::string ArrowMesh()
{
    MeshText mesh("plain");
    mesh.BeginNode("arrow_blue");
    const Point up{0, 0, 1};
    const int a = mesh.Vertex(Point{-2, 4, 0.05}, up, 0, 1);
    const int b = mesh.Vertex(Point{2, 4, 0.05}, up, 1, 1);
    const int c = mesh.Vertex(Point{2, -4, 0.05}, up, 1, 0);
    const int d = mesh.Vertex(Point{-2, -4, 0.05}, up, 0, 0);
    mesh.Quad(a, b, c, d);
    mesh.Box(Point{0, 0, 1}, Point{3, 5, 1.5});
    mesh.EndNode();
    mesh.Scene(sample::Section("arrow_blue", "diffuse.fx", "arrow.tga"));
    return mesh.Text();
}

// A repair box, recognised by its own name.
std::string RepairMesh()
{
    MeshText mesh("plain");
    mesh.BeginNode("bonus_remont");
    mesh.Block(Point{0, 0, 1}, Point{0.5, 0.5, 0.5});
    mesh.Box(Point{0, 0, 1}, Point{0.8, 0.8, 0.8});
    mesh.EndNode();
    mesh.Scene(sample::Section("bonus_remont", "diffuse.fx", "bonus.tga"));
    return mesh.Text();
}

// A pick-up the race knows by a child of its tree: "glow3" speeds up,
// "glow2" slows down, "glow4" gives an ability and "glow6" takes one.
std::string GlowBonusMesh(const std::string& name, const std::string& glow, const std::string& texture)
{
    MeshText mesh("plain");
    mesh.BeginNode(name);
    mesh.Block(Point{0, 0, 1}, Point{0.4, 0.4, 0.4});
    mesh.Box(Point{0, 0, 1}, Point{0.8, 0.8, 0.8});
    mesh.EndNode();
    mesh.BeginNode(glow);
    mesh.Block(Point{0, 0, 1}, Point{0.6, 0.6, 0.05});
    mesh.EndNode();
    mesh.Scene(sample::Section(name, "diffuse.fx", texture) +
               sample::Section(glow, "diffuse.fx", "glow.tga"));
    return mesh.Text();
}

// A barrier across part of the road, known by its child: "sphera" throws
// back the cars of one side, "v_bii" lifts and spins those of the other.
std::string BarrierMesh(const std::string& name, const std::string& part)
{
    MeshText mesh("plain");
    mesh.BeginNode(name);
    mesh.Block(Point{0, 0, 0.6}, Point{2.0, 0.3, 0.6});
    mesh.Box(Point{0, 0, 0.6}, Point{2.0, 0.5, 0.8});
    mesh.EndNode();
    mesh.BeginNode(part);
    mesh.Block(Point{0, 0, 1.5}, Point{0.5, 0.5, 0.3});
    mesh.EndNode();
    mesh.Scene(sample::Section(name, "diffuse.fx", "barrier.tga") +
               sample::Section(part, "diffuse.fx", "glow.tga"));
    return mesh.Text();
}

// What the scene loader shows in place of a scene file it cannot read.
std::string StandInMesh()
{
    MeshText mesh("plain");
    mesh.BeginNode("wrong");
    mesh.Block(Point{0, 0, 0.5}, Point{0.5, 0.5, 0.5});
    mesh.EndNode();
    mesh.Scene(sample::Section("wrong", "error.fx", "error.tga"));
    return mesh.Text();
}

std::string ObjectLine(const std::string& name, const Point& p, double yaw)
{
    // The file keeps the conjugate of the orientation the object takes.
    return "object " + name + " " + Num(p.x) + " " + Num(p.y) + " " + Num(p.z) + "  0.000 0.000 " +
           Num(-std::sin(yaw / 2)) + " " + Num(std::cos(yaw / 2)) + "  1.000 1.000 1.000\n";
}

// A closed spline through the points at `across` from the centre line,
// its segments in the file against the driving direction (the game drives
// from each line to the one before it).
std::string SplineText(const std::string& name, const std::vector<Section>& sections,
                       const TrackParams& params, double across)
{
    const int count = static_cast<int>(sections.size());
    const int every = params.splineEvery;
    std::vector<Point> knots;
    for (int i = count; i > 0; i -= every)
        knots.push_back(Offset(sections[i % count], across, 0));
    const int n = static_cast<int>(knots.size());
    std::string text = "spline " + name + " closed\n";
    for (int k = 0; k < n; ++k) {
        const Point& p0 = knots[k];
        const Point& p3 = knots[(k + 1) % n];
        const Point& before = knots[(k + n - 1) % n];
        const Point& after = knots[(k + 2) % n];
        // Catmull-Rom tangents as Bezier control points.
        const Point p1{p0.x + (p3.x - before.x) / 6, p0.y + (p3.y - before.y) / 6,
                       p0.z + (p3.z - before.z) / 6};
        const Point p2{p3.x - (after.x - p0.x) / 6, p3.y - (after.y - p0.y) / 6, p3.z - (after.z - p0.z) / 6};
        text += "segment";
        for (const Point* p : {&p0, &p1, &p2, &p3})
            text += " " + Num(p->x) + " " + Num(p->y) + " " + Num(p->z);
        text += "\n";
    }
    return text + "end\n";
}

std::string LevelText(const std::vector<Section>& sections, const TrackParams& params)
{
    const int count = static_cast<int>(sections.size());
    const std::string n = std::to_string(params.number);
    std::string text = "# The sample circuit, level" + n + ": " + Num(params.length) + " m of road, " +
                       Num(params.width) + " m wide, a hill of " + Num(params.hillHeight) +
                       " m.\n"
                       "# Scene files the game finds by the level's name, not through this file:\n"
                       "#   level" +
                       n + ".rdf (scene), road_phys" + n +
                       ".rdf (road collision), land.rdf (terrain),\n"
                       "#   skyscape" +
                       n + ".txt (sky); the mission list is level" + n +
                       ".mis.\n"
                       "# Objects stand at x y z, turned by the quaternion qx qy qz qw as it is\n"
                       "# stored (the game takes its conjugate), scaled by sx sy sz. A scene\n"
                       "# object is loaded from its name without trailing digits plus \".rdf\".\n"
                       "header 0.000 0.000 " +
                       Num(params.terrainSize / 2) + " 0.000\nlights 0\n";
    const double lane = params.width / 4;
    auto grid = [&](int slot) {
        // Two columns behind the start line, the player in front.
        const int row = slot / 2;
        const int index = (count - 2 - 2 * row) % count;
        const double across = (slot % 2 == 0 ? -lane : lane);
        return std::pair<Point, double>(Offset(sections[index], across, 0.6), Yaw(sections, index));
    };
    // The player starts in the third row: the slow cars ahead are there to
    // be overtaken, the fast ones behind come past.
    auto player = grid(params.playerSlot);
    text += ObjectLine("player", player.first, player.second);
    for (int i = 1; i <= params.opponents; ++i) {
        auto place = grid(i <= params.playerSlot ? i - 1 : i);
        text += ObjectLine("enemy" + std::to_string(i), place.first, place.second);
    }
    text += ObjectLine("stolb_start_left", Offset(sections[0], params.width / 2 + 1, 0), Yaw(sections, 0));
    text += ObjectLine("stolb_start_right", Offset(sections[0], -params.width / 2 - 1, 0), Yaw(sections, 0));
    for (int c = 1; c <= params.checkpoints; ++c) {
        const int index = count * c / (params.checkpoints + 1);
        // Seconds (the game adds 9) to reach the next gate at a slow 12 m/s:
        // from the last gate over the finish to the first is twice as far.
        const int seconds = c == params.checkpoints ? 90 : 40;
        text += ObjectLine("checkpoint" + std::to_string(c) + "," + std::to_string(seconds),
                           Offset(sections[index], 0, 0), Yaw(sections, index));
    }
    const int zone = count * 3 / 10;
    text += ObjectLine("arrow_blue1", Offset(sections[zone], 0, 0), Yaw(sections, zone));
    const int repair[] = {count / 8, count * 5 / 8};
    for (int i = 0; i < 2; ++i)
        text += ObjectLine("bonus_remont" + std::to_string(i + 1), Offset(sections[repair[i]], -lane, 0),
                           Yaw(sections, repair[i]));
    const int fast[] = {count * 3 / 8, count * 7 / 8};
    for (int i = 0; i < 2; ++i)
        text += ObjectLine("bonus_fast" + std::to_string(i + 1), Offset(sections[fast[i]], lane, 0),
                           Yaw(sections, fast[i]));
    // One of each other pick-up and both barriers, spread over the lap.
    const struct {
        const char* name;
        double share;
        double across;
    } others[] = {{"bonus_slow1", 0.45, -lane},
                  {"bonus_plus1", 0.55, lane},
                  {"bonus_minus1", 0.65, -lane},
                  {"barrier_sphera1", 0.7, lane},
                  {"barrier_vbii1", 0.82, -lane}};
    for (const auto& other : others) {
        const int at = static_cast<int>(count * other.share);
        text += ObjectLine(other.name, Offset(sections[at], other.across, 0), Yaw(sections, at));
    }
    const int north = static_cast<int>(count * params.enemyShare);
    text += ObjectLine("src_north", Offset(sections[north], params.width / 2 - 1.5, 0), Yaw(sections, north));
    const int south = count * 3 / 4;
    text += ObjectLine("src_south", Offset(sections[south], params.width / 2 + 12, 0), Yaw(sections, south));
    text += SplineText("c_path", sections, params, 0.0);
    // The borders keep half a metre off the walls, whose tops stand over the
    // same points as the road's edge: the game drops the splines onto the
    // nearest vertex of the road collision.
    const double border = params.width / 2 - 0.5;
    text += SplineText("left", sections, params, border);
    text += SplineText("right", sections, params, -border);
    return text;
}

// Checkpoint lines (a value, three numbers, opponents, bonus chance,
// bonuses), then the sources the level's "src" objects place, both of
// group "1", which the race's script watches for.
std::string MissionText(const TrackParams& params)
{
    std::string text = "// level" + std::to_string(params.number) +
                       ": one line per checkpoint gate, then the enemy sources\n";
    for (int c = 0; c < params.checkpoints; ++c)
        text += "25.0 0 0 0 ; 50 bonus_remont,30;bonus_fast,30;bonus_slow,20;bonus_plus,10;bonus_minus,10\n";
    text += "sources\nnorth 1 0 10.0 soldier,100\nsouth 1 0 10.0 ;\n";
    return text;
}

bool WriteMesh(const fs::path& folder, const std::string& meshFile, const std::string& text)
{
    return sample::WriteFile(folder / (meshFile + ".txt"), text);
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C");
    if (argc != 3) {
        std::fprintf(stderr, "Usage: sampletrack MESH_SOURCES LEVEL_FOLDER\n");
        return 2;
    }
    const fs::path meshes = argv[1];
    const fs::path levels = argv[2];
    // The day circuit, and a shorter loop of two tight bends over a higher
    // hill, its road darker and its walls yellow and black.
    TrackParams day;
    // The soldier stands on the first straight, where the race comes some
    // 13 s after the start and the recorded playthrough fires its first
    // burst.
    day.enemyShare = 0.081;
    TrackParams gloom;
    gloom.number = 2;
    gloom.length = 2200.0;
    gloom.width = 13.0;
    gloom.bend = 0.3;
    gloom.lobes = 2;
    gloom.hillHeight = 18.0;
    gloom.hillLength = 360.0;
    gloom.hillCentre = 0.3;
    gloom.roadTexture = "road2.tga";
    gloom.wallTexture = "wall2.tga";
    bool ok = WriteMesh(meshes, "land.msh", TerrainMesh(day)) &&
              WriteMesh(meshes, "checkpoint.msh", CheckpointMesh(day)) &&
              WriteMesh(meshes, "arrow_blue.msh", ArrowMesh()) &&
              WriteMesh(meshes, "bonus_remont.msh", RepairMesh()) &&
              WriteMesh(meshes, "bonus_fast.msh", GlowBonusMesh("bonus_fast", "glow3", "bonus.tga")) &&
              WriteMesh(meshes, "bonus_slow.msh", GlowBonusMesh("bonus_slow", "glow2", "bonus_red.tga")) &&
              WriteMesh(meshes, "bonus_plus.msh", GlowBonusMesh("bonus_plus", "glow4", "bonus_blue.tga")) &&
              WriteMesh(meshes, "bonus_minus.msh", GlowBonusMesh("bonus_minus", "glow6", "bonus_red.tga")) &&
              WriteMesh(meshes, "barrier_sphera.msh", BarrierMesh("barrier_sphera", "sphera")) &&
              WriteMesh(meshes, "barrier_vbii.msh", BarrierMesh("barrier_vbii", "v_bii")) &&
              WriteMesh(meshes, "wrong.msh", StandInMesh());
    for (const TrackParams* params : {&day, &gloom}) {
        const std::string n = std::to_string(params->number);
        const std::vector<Section> sections = BuildSections(*params);
        ok = ok && WriteMesh(meshes, "level" + n + ".msh", SceneMesh(sections, *params)) &&
             WriteMesh(meshes, "road_phys" + n + ".msh", CollisionMesh(sections, *params)) &&
             sample::WriteFile(levels / ("level" + n + ".lvl.txt"), LevelText(sections, *params)) &&
             sample::WriteFile(levels / ("level" + n + ".mis"), MissionText(*params));
    }
    return ok ? 0 : 1;
}
