// Generates the sample cars: their physics meshes (as rsmesh descriptions),
// the scene files the level loads them by, and their XML descriptions. The
// same bytes on every run.
//   samplecars MESH_SOURCES MESH_FOLDER DESCRIPTION_FOLDER
// The player drives "zil_130_" (the game's default model), the opponents of
// level1 "tvr", whose scene files the level asks for as "tvr1_enemy.rdf" and
// on, one per opponent.
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>

#include "MeshText.h"
#include "SampleFiles.h"

namespace fs = std::filesystem;
using sample::MeshText;
using sample::Num;
using sample::Point;

namespace {

struct CarShape {
    const char* model;
    const char* texture;
    Point body;        // half extents of the lower body
    Point cabin;       // half extents of the cabin on top of it
    double cabinShift; // cabin centre along y (forward is -y)
    double wheelbase;  // half the distance between the axles
    double track;      // half the distance between left and right wheels
    double wheelRadius;
    double mass;
    // Handling written into the description. The car's forces are in
    // newtons, so they grow with its mass: springs that carry it a few
    // centimetres down, drive and grip of a few metres per second squared.
    double maxFrontSpeed; // the speed the drive and the air's drag settle at
    double accelFront;    // drive of one wheel
    double frictionFront; // side grip of one wheel
    double frictionBack;
    double springFront; // per metre of a wheel's sensor in the ground
    double springRear;
    double damping;
};

const CarShape kCars[] = {
    {"zil_130_",
     "car_zil.tga",
     {1.1, 2.8, 0.55},
     {1.0, 0.9, 0.6},
     -1.6,
     1.9,
     1.0,
     0.55,
     2400.0,
     23.0,
     4200.0,
     24000.0,
     57600.0,
     96000.0,
     96000.0,
     14400.0},
    {"tvr",
     "car_tvr.tga",
     {0.9, 2.1, 0.35},
     {0.75, 0.8, 0.3},
     0.3,
     1.3,
     0.85,
     0.4,
     1200.0,
     23.0,
     2100.0,
     12000.0,
     28800.0,
     48000.0,
     48000.0,
     7200.0},
};

constexpr int kOpponents = 7;

std::string MeshDescription(const CarShape& car)
{
    MeshText mesh("physics");
    mesh.BeginNode("body");
    mesh.Line("placement 0 0 0 0 0 0 1");
    mesh.Line("body " + Num(car.body.x) + " " + Num(car.body.y) + " " + Num(car.body.z + car.cabin.z) + " " +
              Num(car.mass));
    const double bodyCentre = car.wheelRadius + car.body.z;
    mesh.Block(Point{0, 0, bodyCentre}, car.body);
    mesh.Block(Point{0, car.cabinShift, bodyCentre + car.body.z + car.cabin.z}, car.cabin);
    // One collision box over the body; its centre is raised by half its
    // second size when read.
    mesh.Line("part box " + Num(car.body.x) + " " + Num(car.body.z * 2) + " " + Num(car.body.y) + " 0 0 " +
              Num(car.wheelRadius) + " 0 0 0 1 0 " + Num(car.mass));
    for (int i = 0; i < 4; ++i) {
        // w0 and w2 on the left, front wheels first.
        const double x = (i % 2 == 0 ? -1 : 1) * car.track;
        const double y = (i < 2 ? -1 : 1) * car.wheelbase;
        mesh.BeginNode("w" + std::to_string(i));
        mesh.Line("placement " + Num(x) + " " + Num(y) + " " + Num(car.wheelRadius) + " 0 0 0 1");
        mesh.Block(Point{0, 0, 0}, Point{0.15, car.wheelRadius, car.wheelRadius});
        mesh.EndNode();
    }
    mesh.EndNode();
    return mesh.Text();
}

// The player's own car belongs to the script object "jeep": activated at
// the level's start, it tells that script its address, and the script
// hands it to each frame's scene.
std::string SceneLines(const CarShape& car, bool players)
{
    std::string lines = "description = " + std::string(car.model) + ".xml\n";
    lines += sample::Section("body", "diffuse.fx", car.texture) + "shadow = 1\n";
    if (players)
        lines += "script = jeep\n";
    for (int i = 0; i < 4; ++i)
        lines += sample::Section("w" + std::to_string(i), "diffuse.fx", "wheel.tga");
    return lines;
}

std::string Description(const CarShape& car)
{
    std::string x = "<?xml version=\"1.0\" ?>\n<car>\n";
    x += "  <physics>\n    <geometry>\n";
    x += "      <wheels count=\"4\" x=\"0.0\" y=\"" + Num(car.wheelRadius * 2) + "\" length=\"" +
         Num(car.wheelRadius * 2 + 0.3) + "\" radius=\"" + Num(car.wheelRadius) + "\" front_min_radius=\"" +
         Num(car.wheelRadius * 0.5) + "\" back_min_radius=\"" + Num(car.wheelRadius * 0.5) + "\" width=\"" +
         Num(car.track * 2) + "\" />\n";
    x += "    </geometry>\n    <params>\n";
    x += "      <wheels spring1=\"" + Num(car.springFront) + "\" spring2=\"" + Num(car.springRear) +
         "\" damping=\"" + Num(car.damping) + "\" />\n";
    x += "      <speed max_front_speed=\"" + Num(car.maxFrontSpeed) + "\" max_rear_speed=\"" +
         Num(car.maxFrontSpeed / 2) + "\" angle=\"30.0\" />\n";
    x += "      <acceleration front=\"" + Num(car.accelFront) + "\" back=\"" + Num(car.accelFront) +
         "\" brake=\"120.0\" accel_front=\"" + Num(car.accelFront) + "\" accel_back=\"" +
         Num(car.accelFront / 2) + "\" speed_front=\"" + Num(car.maxFrontSpeed) + "\" speed_back=\"" +
         Num(car.maxFrontSpeed / 2) + "\" />\n";
    x += "      <friction front=\"" + Num(car.frictionFront) + "\" back=\"" + Num(car.frictionBack) +
         "\" slide=\"0.9\" />\n";
    x += "      <inertion yaw=\"0.2\" pitch=\"0.1\" />\n";
    x += "    </params>\n  </physics>\n";
    // The race hands "angle" to the camera's pitch as it stands, and the
    // camera takes its pitch in radians: a small angle lifts the eye a
    // little above the car.
    x += "  <camera distance=\"7.0\" height=\"2.0\" angle=\"0.25\" angle_div=\"8.0\" distance_div=\"6.0\" "
         "blur=\"1.0\" fov=\"60.0\" fov_div=\"40.0\" min=\"10\" max=\"30\" />\n";
    x += "  <camera2 distance=\"4.0\" height=\"1.5\" angle=\"0.15\" angle_div=\"8.0\" distance_div=\"6.0\" "
         "blur=\"1.0\" fov=\"70.0\" />\n";
    x += "  <camera3 distance=\"0.5\" height=\"1.2\" blur=\"1.0\" />\n";
    x += "  <render>\n    <shadow name=\"shadow.tga\" />\n  </render>\n";
    x += "</car>\n";
    return x;
}

bool WriteCar(const CarShape& car, const fs::path& sources, const fs::path& meshes,
              const fs::path& descriptions)
{
    const std::string model = car.model;
    const std::string meshFile = model + ".p3d";
    if (!sample::WriteFile(sources / (meshFile + ".txt"),
                           MeshDescription(car) + "scene\n" + SceneLines(car, true)))
        return false;
    if (!sample::WriteFile(descriptions / (model + ".xml"), Description(car)))
        return false;
    // The same car under the names the level asks for: in demo mode the
    // player's, and one per opponent slot.
    const std::string scene = "mesh = " + meshFile + "\n" + SceneLines(car, false);
    if (!sample::WriteFile(meshes / (model + "_enemy.rdf"), scene))
        return false;
    for (int i = 1; i <= kOpponents; ++i)
        if (!sample::WriteFile(meshes / (model + std::to_string(i) + "_enemy.rdf"), scene))
            return false;
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
    for (const CarShape& car : kCars)
        if (!WriteCar(car, argv[1], argv[2], argv[3]))
            return 1;
    return 0;
}
