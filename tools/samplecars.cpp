// Generates the sample cars: their physics meshes (as rsmesh descriptions),
// the scene files the levels load them by, and their XML descriptions. The
// same bytes on every run.
//   samplecars MESH_SOURCES MESH_FOLDER DESCRIPTION_FOLDER
// Four models: the player's saloon "zil_130_" (the game's default model
// name) and three the opponents drive, a light roadster, a coupe and a
// heavy pickup, each with its own mesh and description, so their top
// speeds and grip differ. Every car has a body, a cab, four round wheels
// that turn and two guns on its flanks. The levels ask for their opponents by
// the level's model and slot ("tvr3_enemy.rdf" on level1, "viper3_..." on
// level2); each such scene file picks a model and paints it its own colour.
#include <clocale>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>

#include "MeshText.h"
#include "SampleFiles.h"

namespace fs = std::filesystem;
using sample::MeshText;
using sample::Num;
using sample::Point;

namespace {

constexpr double kPi = 3.14159265358979323846;
// Air drag slows a body by 0.02 (v - 5)^2 per second; the four wheels'
// drive settles against it at the car's top speed.
constexpr double kDrag = 0.02;
constexpr double kDragFreeSpeed = 5.0;

struct CarShape {
    const char* model; // mesh and description name
    Point body;        // half extents of the lower body
    Point cab;         // half extents of the cab on top of it
    double cabShift;   // cab centre along y (forward is -y)
    double wheelbase;  // half the distance between the axles
    double track;      // half the distance between left and right wheels
    double wheelRadius;
    double mass;
    double topSpeed; // m/s on the flat
    double grip;     // side grip of the front wheels per kilogram
};

// The opponents' models from slowest to fastest; the player's saloon sits
// among them.
const CarShape kPlayerCar = {
    "zil_130_", {0.95, 2.2, 0.32}, {0.8, 0.95, 0.3}, 0.25, 1.45, 0.85, 0.38, 1300.0, 26.0, 10.0};
const CarShape kOpponentCars[] = {
    {"pickup", {1.0, 2.5, 0.4}, {0.9, 0.8, 0.38}, -0.9, 1.6, 0.9, 0.45, 1800.0, 23.5, 9.0},
    {"coupe", {0.92, 2.1, 0.3}, {0.78, 0.9, 0.28}, 0.2, 1.4, 0.82, 0.36, 1200.0, 25.5, 10.0},
    {"tvr", {0.9, 2.0, 0.28}, {0.7, 0.6, 0.22}, 0.5, 1.3, 0.85, 0.36, 1000.0, 27.5, 10.5},
};

// Which model each opponent slot drives, the colour it is painted and how
// its car is tuned, for one level's model name. The race counts the first
// five slots for places; slots 6 and 7 are traffic, driven round the same
// laps but placed nowhere. Slots 1 to 4 start ahead of the player, 5 to 7
// behind: the pickups and the coupes are there to be overtaken, one
// roadster races for the lead and the other comes past as traffic. Two
// cars of one model are tuned apart, a little faster or a little
// grippier, so no two drive the same laps.
struct Opponent {
    int model; // index into kOpponentCars
    const char* colour;
    double extraSpeed; // m/s over the model's top speed
    double gripFactor; // times the model's grip
};
const Opponent kSlots[] = {
    {0, "red", 0.0, 1.0},     {1, "orange", -0.6, 1.06}, {1, "white", 0.5, 0.94}, {2, "cyan", 0.0, 1.0},
    {0, "yellow", 0.7, 0.92}, {2, "black", -0.8, 1.05},  {1, "purple", 0.2, 1.0},
};
const char* const kLevelModels[] = {"tvr", "viper"};

// The drive of one wheel that settles at the top speed.
double WheelDrive(const CarShape& car)
{
    const double excess = car.topSpeed - kDragFreeSpeed;
    return kDrag * excess * excess * car.mass / 4.0;
}

// A wheel: an eight-sided drum about the car's x axis, centred on its node.
void AddWheel(MeshText& mesh, double radius, double halfWidth)
{
    constexpr int kSides = 8;
    for (int side = 0; side < 2; ++side) {
        const double x = side == 0 ? -halfWidth : halfWidth;
        const Point n{side == 0 ? -1.0 : 1.0, 0, 0};
        const int centre = mesh.Vertex(Point{x, 0, 0}, n, 0.5, 0.5);
        for (int k = 0; k < kSides; ++k) {
            const double a = 2 * kPi * k / kSides;
            mesh.Vertex(Point{x, radius * std::cos(a), radius * std::sin(a)}, n, 0.5 + 0.5 * std::cos(a),
                        0.5 + 0.5 * std::sin(a));
        }
        for (int k = 0; k < kSides; ++k) {
            const int a = centre + 1 + k;
            const int b = centre + 1 + (k + 1) % kSides;
            if (side == 0)
                mesh.Triangle(centre, b, a);
            else
                mesh.Triangle(centre, a, b);
        }
    }
    // The tread, a face per side with its own normal; its texture's stripes
    // show the wheel turning.
    const int first = 2 * (kSides + 1);
    for (int k = 0; k < kSides; ++k) {
        const double a0 = 2 * kPi * k / kSides;
        const double a1 = 2 * kPi * (k + 1) / kSides;
        const double am = (a0 + a1) / 2;
        const Point n{0, std::cos(am), std::sin(am)};
        const double u = k % 2 ? 1.0 : 0.0;
        mesh.Vertex(Point{-halfWidth, radius * std::cos(a0), radius * std::sin(a0)}, n, u, 0);
        mesh.Vertex(Point{halfWidth, radius * std::cos(a0), radius * std::sin(a0)}, n, u, 1);
        mesh.Vertex(Point{halfWidth, radius * std::cos(a1), radius * std::sin(a1)}, n, 1 - u, 1);
        mesh.Vertex(Point{-halfWidth, radius * std::cos(a1), radius * std::sin(a1)}, n, 1 - u, 0);
        const int v = first + 4 * k;
        mesh.Quad(v, v + 3, v + 2, v + 1);
    }
}

// The muzzle-flash suffixes of a gun's four flares.
const char* const kFlares[] = {"", "_01", "_02", "_03"};
// The guns every car carries by the names of the shop's weapons: the
// race shows the one of the chosen weapon slot.
const char* const kGuns[] = {"mgun", "rlauncher"};

// Where the guns stand: low on the car's flanks, inside the height of
// every model's body. A gun turns only about the vertical, so its shots
// cross the road at its own height, and from there they meet any car.
constexpr double kGunHeight = 0.8;

// A gun on a flank with its four muzzle flashes, which the race shows one
// after the other as the gun fires: the machine gun on the right, the
// rocket launcher, a fatter tube, on the left.
void AddGun(MeshText& mesh, const CarShape& car, int which)
{
    const std::string name = kGuns[which];
    const double tube = which == 0 ? 0.04 : 0.09;
    const double side = car.body.x + 0.16;
    mesh.BeginNode(name);
    mesh.Line("placement " + Num(which == 0 ? side : -side) + " " + Num(car.cabShift - 0.2) + " " +
              Num(kGunHeight) + " 0 0 0 1");
    mesh.Block(Point{0, 0, 0}, Point{0.14, 0.2, 0.1});
    mesh.Block(Point{0, -0.55, 0.02}, Point{tube, 0.4, tube});
    for (int i = 0; i < 4; ++i) {
        mesh.BeginNode("flare_" + name + kFlares[i]);
        mesh.Line("placement 0 -1.0 0.02 0 0 0 1");
        const double s = 0.15 + 0.04 * i;
        mesh.Block(Point{0, 0, 0}, Point{s, 0.05, s});
        mesh.EndNode();
    }
    mesh.EndNode();
}

std::string MeshDescription(const CarShape& car)
{
    MeshText mesh("physics");
    mesh.BeginNode("body");
    mesh.Line("placement 0 0 0 0 0 0 1");
    mesh.Line("body " + Num(car.body.x) + " " + Num(car.body.y) + " " + Num(car.body.z + car.cab.z) + " " +
              Num(car.mass));
    const double bodyCentre = car.wheelRadius + car.body.z;
    mesh.Block(Point{0, 0, bodyCentre}, car.body);
    // A bonnet scoop and a bumper at each end make the nose plain to see.
    mesh.Block(Point{0, -car.body.y - 0.08, bodyCentre - car.body.z * 0.4}, Point{car.body.x, 0.08, 0.12});
    mesh.Block(Point{0, car.body.y + 0.08, bodyCentre - car.body.z * 0.4}, Point{car.body.x, 0.08, 0.12});
    // One collision box over the body, its sizes whole edge lengths (width,
    // height, length); its centre is raised by half its second size when
    // read. It reaches over the wheels' sensors, so a car that meets a
    // wall meets it with its body, not with wheels sunk into it.
    mesh.Line("part box " + Num(car.body.x * 2) + " " + Num(car.body.z * 2) + " " + Num(car.body.y * 2) +
              " 0 0 " + Num(car.wheelRadius) + " 0 0 0 1 0 " + Num(car.mass));
    mesh.BeginNode("cab");
    mesh.Line("placement 0 " + Num(car.cabShift) + " " + Num(bodyCentre + car.body.z + car.cab.z) +
              " 0 0 0 1");
    mesh.Block(Point{0, 0, 0}, car.cab);
    mesh.EndNode();
    for (int gun = 0; gun < 2; ++gun)
        AddGun(mesh, car, gun);
    for (int i = 0; i < 4; ++i) {
        // w0 and w2 on the left, front wheels first.
        const double x = (i % 2 == 0 ? -1 : 1) * car.track;
        const double y = (i < 2 ? -1 : 1) * car.wheelbase;
        mesh.BeginNode("w" + std::to_string(i));
        mesh.Line("placement " + Num(x) + " " + Num(y) + " " + Num(car.wheelRadius) + " 0 0 0 1");
        AddWheel(mesh, car.wheelRadius, 0.14);
        mesh.EndNode();
    }
    mesh.EndNode();
    return mesh.Text();
}

// The player's own car belongs to the script object "jeep", the opponent
// of grid slot N to "rivalN": activated at the level's start, a car tells
// its script its address, and the script arms it, takes its hits and (the
// player's) hands it to each frame's scene.
std::string SceneLines(const std::string& colour, const std::string& script, const std::string& description)
{
    std::string lines = "description = " + description + ".xml\n";
    lines += sample::Section("body", "diffuse.fx", "car_" + colour + ".tga") + "shadow = 1\n";
    if (!script.empty())
        lines += "script = " + script + "\n";
    lines += sample::Section("cab", "diffuse.fx", "car_glass.tga");
    for (const char* gun : kGuns) {
        lines += sample::Section(gun, "diffuse.fx", "gun.tga");
        for (const char* flare : kFlares)
            lines += sample::Section(std::string("flare_") + gun + flare, "diffuse.fx", "flash.tga");
    }
    for (int i = 0; i < 4; ++i)
        lines += sample::Section("w" + std::to_string(i), "diffuse.fx", "wheel.tga");
    return lines;
}

std::string Description(const CarShape& car)
{
    // The car's forces are in newtons, so they grow with its mass: springs
    // that carry it a few centimetres down, side grip of some metres per
    // second squared.
    const double drive = WheelDrive(car);
    const double gripFront = car.grip * car.mass;
    const double gripBack = 2.4 * gripFront;
    const double spring = 40.0 * car.mass;
    const double damping = 6.0 * car.mass;
    std::string x = "<?xml version=\"1.0\" ?>\n<car>\n";
    x += "  <physics>\n    <geometry>\n";
    x += "      <wheels count=\"4\" x=\"0.0\" y=\"" + Num(car.wheelRadius * 2) + "\" length=\"" +
         Num(car.wheelRadius * 2 + 0.3) + "\" radius=\"" + Num(car.wheelRadius) + "\" front_min_radius=\"" +
         Num(car.wheelRadius * 0.5) + "\" back_min_radius=\"" + Num(car.wheelRadius * 0.5) + "\" width=\"" +
         Num(car.track * 2) + "\" />\n";
    x += "    </geometry>\n    <params>\n";
    x += "      <wheels spring1=\"" + Num(spring) + "\" spring2=\"" + Num(spring) + "\" damping=\"" +
         Num(damping) + "\" />\n";
    x += "      <speed max_front_speed=\"" + Num(car.topSpeed) + "\" max_rear_speed=\"" +
         Num(car.topSpeed / 2) + "\" angle=\"30.0\" />\n";
    x += "      <acceleration front=\"" + Num(drive) + "\" back=\"" + Num(drive) +
         "\" brake=\"120.0\" accel_front=\"" + Num(drive) + "\" accel_back=\"" + Num(drive / 2) +
         "\" speed_front=\"" + Num(car.topSpeed) + "\" speed_back=\"" + Num(car.topSpeed / 2) + "\" />\n";
    x += "      <friction front=\"" + Num(gripFront) + "\" back=\"" + Num(gripBack) + "\" slide=\"0.9\" />\n";
    x += "      <inertion yaw=\"0.2\" pitch=\"0.1\" />\n";
    x += "    </params>\n  </physics>\n";
    // The race hands "angle" to the camera's pitch as it stands, and the
    // camera takes its pitch in radians: the eye stands high enough behind
    // the car to see the road ahead over its roof.
    x += "  <camera distance=\"9.0\" height=\"3.6\" angle=\"0.3\" angle_div=\"8.0\" distance_div=\"6.0\" "
         "blur=\"1.0\" fov=\"65.0\" fov_div=\"40.0\" min=\"10\" max=\"30\" />\n";
    x += "  <camera2 distance=\"5.0\" height=\"2.2\" angle=\"0.2\" angle_div=\"8.0\" distance_div=\"6.0\" "
         "blur=\"1.0\" fov=\"70.0\" />\n";
    x += "  <camera3 distance=\"0.5\" height=\"1.2\" blur=\"1.0\" />\n";
    x += "  <render>\n    <shadow name=\"shadow.tga\" />\n  </render>\n";
    x += "</car>\n";
    return x;
}

// The mesh (with its own scene file, which the loader does not ask for)
// and the description of a model.
bool WriteModel(const CarShape& car, const std::string& colour, bool players, const fs::path& sources,
                const fs::path& descriptions)
{
    const std::string meshFile = std::string(car.model) + ".p3d";
    return sample::WriteFile(sources / (meshFile + ".txt"),
                             MeshDescription(car) + "scene\n" +
                                 SceneLines(colour, players ? "jeep" : "", car.model)) &&
           sample::WriteFile(descriptions / (std::string(car.model) + ".xml"), Description(car));
}

bool WriteScene(const fs::path& file, const CarShape& car, const std::string& colour,
                const std::string& script, const std::string& description)
{
    return sample::WriteFile(file, "mesh = " + std::string(car.model) + ".p3d\n" +
                                       SceneLines(colour, script, description));
}

// The model of an opponent slot with the slot's own tuning.
CarShape Tuned(const Opponent& opponent)
{
    CarShape car = kOpponentCars[opponent.model];
    car.topSpeed += opponent.extraSpeed;
    car.grip *= opponent.gripFactor;
    return car;
}

// A slot's own description, "MODELslot.xml" (as "coupe2.xml"), which the
// slot's scene files on every level name.
std::string SlotDescription(int slot)
{
    return std::string(kOpponentCars[kSlots[slot - 1].model].model) + std::to_string(slot);
}

bool WriteCars(const fs::path& sources, const fs::path& meshes, const fs::path& descriptions)
{
    // The player's: "zil_130_.rdf" comes with its mesh; in demo mode the
    // game asks for "zil_130__enemy.rdf".
    if (!WriteModel(kPlayerCar, "blue", true, sources, descriptions) ||
        !WriteScene(meshes / "zil_130__enemy.rdf", kPlayerCar, "blue", "", kPlayerCar.model))
        return false;
    for (const CarShape& car : kOpponentCars)
        if (!WriteModel(car, "red", false, sources, descriptions))
            return false;
    const int slots = static_cast<int>(std::size(kSlots));
    for (int slot = 1; slot <= slots; ++slot)
        if (!sample::WriteFile(descriptions / (SlotDescription(slot) + ".xml"),
                               Description(Tuned(kSlots[slot - 1]))))
            return false;
    for (const char* level : kLevelModels) {
        const std::string model = level;
        if (!WriteScene(meshes / (model + "_enemy.rdf"), kOpponentCars[0], "red", "", kOpponentCars[0].model))
            return false;
        for (int slot = 1; slot <= slots; ++slot) {
            const Opponent& opponent = kSlots[slot - 1];
            const fs::path file = meshes / (model + std::to_string(slot) + "_enemy.rdf");
            if (!WriteScene(file, kOpponentCars[opponent.model], opponent.colour,
                            "rival" + std::to_string(slot), SlotDescription(slot)))
                return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C");
    if (argc != 4) {
        std::fprintf(stderr, "Usage: samplecars MESH_SOURCES MESH_FOLDER DESCRIPTION_FOLDER\n");
        return 2;
    }
    return WriteCars(argv[1], argv[2], argv[3]) ? 0 : 1;
}
