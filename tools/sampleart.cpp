// Generates the sample data's look: textures drawn in code, effect files,
// the sky and its clouds, the particle prototypes and the shot kinds. The
// same bytes on every run.
//   sampleart TEXTURE_FOLDER DATA_FOLDER
// TEXTURE_FOLDER receives the pictures (packed later); DATA_FOLDER gets
// Effects\ and Clouds\.
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "SampleFiles.h"
#include "platform/Random.h"

namespace fs = std::filesystem;
using sample::Num;

namespace {

using Painter = std::function<std::uint32_t(int x, int y, int size)>;

std::uint32_t Argb(int a, int r, int g, int b)
{
    auto clamp = [](int v) { return static_cast<std::uint32_t>(std::clamp(v, 0, 255)); };
    return (clamp(a) << 24) | (clamp(r) << 16) | (clamp(g) << 8) | clamp(b);
}

// A grain of -range..range from the platform sequence.
int Grain(int range) { return platform::Rand() % (2 * range + 1) - range; }

double Radial(int x, int y, int size)
{
    const double dx = (x + 0.5) / size * 2 - 1;
    const double dy = (y + 0.5) / size * 2 - 1;
    return std::min(1.0, std::sqrt(dx * dx + dy * dy));
}

std::vector<std::uint32_t> Paint(int size, const Painter& painter)
{
    std::vector<std::uint32_t> pixels;
    pixels.reserve(static_cast<std::size_t>(size * size));
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            pixels.push_back(painter(x, y, size));
    return pixels;
}

Painter Solid(int r, int g, int b, int grain)
{
    return [=](int, int, int) {
        const int n = Grain(grain);
        return Argb(255, r + n, g + n, b + n);
    };
}

Painter Checker(std::uint32_t a, std::uint32_t b, int cells)
{
    return [=](int x, int y, int size) { return ((x * cells / size + y * cells / size) % 2) ? a : b; };
}

// Alpha falls from the centre to the rim.
Painter Soft(int r, int g, int b, double power)
{
    return [=](int x, int y, int size) {
        const double a = std::pow(1.0 - Radial(x, y, size), power);
        return Argb(static_cast<int>(a * 255), r, g, b);
    };
}

// A car's paint: its colour with a pale stripe down the middle of each
// face and a dark sill along its foot.
Painter CarPaint(int r, int g, int b)
{
    return [=](int x, int y, int size) {
        const int n = Grain(6);
        if (std::abs(2 * x + 1 - size) < size / 5)
            return Argb(255, (r + 255) / 2 + n, (g + 255) / 2 + n, (b + 255) / 2 + n);
        if (y >= size * 7 / 8)
            return Argb(255, r / 3 + n, g / 3 + n, b / 3 + n);
        return Argb(255, r + n, g + n, b + n);
    };
}

// Tread stripes across the tyre and a pale hub in the middle of its sides.
std::uint32_t Wheel(int x, int y, int size)
{
    if (Radial(x, y, size) < 0.35)
        return Argb(255, 190, 190, 195);
    return (x * 4 / size) % 2 ? Argb(255, 20, 20, 20) : Argb(255, 55, 55, 55);
}

std::uint32_t Road(int x, int y, int size)
{
    const int n = Grain(12);
    const bool dash = std::abs(x - size / 2) < 2 && y < size / 2;
    const bool edge = x < 3 || x >= size - 3;
    if (dash || edge)
        return Argb(255, 230 + n / 3, 230 + n / 3, 220);
    return Argb(255, 80 + n, 80 + n, 84 + n);
}

std::uint32_t Wall(int x, int, int size)
{
    return (x * 4 / size) % 2 ? Argb(255, 220, 30, 30) : Argb(255, 240, 240, 240);
}

// The gloom circuit's road: darker, with yellow edges and no middle line.
std::uint32_t DarkRoad(int x, int, int size)
{
    const int n = Grain(10);
    if (x < 3 || x >= size - 3)
        return Argb(255, 220 + n / 3, 190 + n / 3, 40);
    return Argb(255, 50 + n, 48 + n, 56 + n);
}

std::uint32_t DarkWall(int x, int y, int size)
{
    return ((x + y) * 4 / size) % 2 ? Argb(255, 230, 200, 20) : Argb(255, 25, 25, 25);
}

std::uint32_t Arrow(int x, int y, int size)
{
    // Points to the picture's top: a triangle over a stem.
    const int half = size / 2;
    const bool head = y < half && std::abs(x - half) < y;
    const bool stem = y >= half && std::abs(x - half) < size / 6;
    return (head || stem) ? Argb(220, 40, 120, 255) : Argb(0, 40, 120, 255);
}

std::uint32_t Sky(int, int y, int size)
{
    const double t = double(y) / size;
    return Argb(255, static_cast<int>(90 + 120 * t), static_cast<int>(140 + 90 * t), 230);
}

std::uint32_t Loading(int x, int y, int size)
{
    const bool bar = y > size * 3 / 4 && y < size * 3 / 4 + 4 && x > size / 8 && x < size * 7 / 8;
    return bar ? Argb(255, 240, 200, 40) : Argb(255, 20, 24, 40 + y * 40 / size);
}

struct Picture {
    const char* name;
    int size;
    Painter painter;
};

std::vector<Picture> Pictures()
{
    return {
        {"road.tga", 64, Road},
        {"wall.tga", 32, Wall},
        {"post.tga", 16, Checker(Argb(255, 20, 20, 20), Argb(255, 250, 250, 250), 2)},
        {"banner.tga", 64, Checker(Argb(255, 10, 10, 10), Argb(255, 245, 245, 245), 8)},
        {"checkpoint.tga", 32, Checker(Argb(255, 250, 200, 0), Argb(255, 30, 30, 30), 4)},
        {"arrow.tga", 32, Arrow},
        {"bonus.tga", 32, Solid(60, 200, 90, 10)},
        {"bonus_red.tga", 32, Solid(220, 60, 50, 10)},
        {"bonus_blue.tga", 32, Solid(60, 110, 230, 10)},
        {"barrier.tga", 32, Checker(Argb(255, 240, 120, 20), Argb(255, 250, 250, 250), 4)},
        {"road2.tga", 64, DarkRoad},
        {"wall2.tga", 32, DarkWall},
        {"glow.tga", 32, Soft(255, 240, 120, 1.5)},
        {"car_blue.tga", 32, CarPaint(30, 80, 220)},
        {"car_red.tga", 32, CarPaint(210, 30, 30)},
        {"car_yellow.tga", 32, CarPaint(235, 205, 30)},
        {"car_orange.tga", 32, CarPaint(240, 120, 20)},
        {"car_white.tga", 32, CarPaint(225, 225, 225)},
        {"car_purple.tga", 32, CarPaint(140, 40, 180)},
        {"car_cyan.tga", 32, CarPaint(30, 200, 210)},
        {"car_black.tga", 32, CarPaint(40, 40, 45)},
        {"car_glass.tga", 16, Solid(120, 170, 200, 6)},
        {"gun.tga", 16, Solid(70, 72, 78, 6)},
        {"flash.tga", 16, Soft(255, 230, 120, 1.0)},
        {"wheel.tga", 16, Wheel},
        {"shadow.tga", 32, Soft(0, 0, 0, 1.0)},
        {"error.tga", 16, Checker(Argb(255, 255, 0, 255), Argb(255, 0, 0, 0), 4)},
        {"load.tga", 64, Loading},
        {"cloud.tga", 64, Soft(255, 255, 255, 2.0)},
        {"sky.tga", 64, Sky},
        {"sun.tga", 32, Soft(255, 250, 200, 3.0)},
        {"spark.tga", 8, Soft(255, 220, 120, 1.0)},
        {"dust.tga", 16, Soft(170, 150, 120, 1.5)},
        {"smoke.tga", 32, Soft(90, 90, 90, 1.5)},
    };
}

// An uncompressed 32-bit DDS of one level: the terrain's textures.
std::string DdsBytes(int size, const std::vector<std::uint32_t>& pixels)
{
    std::string bytes = "DDS ";
    auto word = [&bytes](std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    const std::uint32_t edge = static_cast<std::uint32_t>(size);
    word(124);
    word(0x100F); // caps, height, width, pitch, pixel format
    word(edge);
    word(edge);
    word(edge * 4);
    word(0);
    word(0);
    for (int i = 0; i < 11; ++i)
        word(0);
    word(32);
    word(0x40); // RGB
    word(0);
    word(32);
    word(0x00FF0000);
    word(0x0000FF00);
    word(0x000000FF);
    word(0);
    word(0x1000); // texture
    for (int i = 0; i < 4; ++i)
        word(0);
    for (std::uint32_t pixel : pixels)
        word(pixel);
    return bytes;
}

bool WriteTextures(const fs::path& folder)
{
    for (const Picture& picture : Pictures()) {
        const std::string bytes =
            sample::TgaBytes(picture.size, picture.size, Paint(picture.size, picture.painter));
        if (!sample::WriteFile(folder / picture.name, bytes))
            return false;
    }
    return sample::WriteFile(folder / "color.dds", DdsBytes(64, Paint(64, Solid(70, 120, 50, 14)))) &&
           sample::WriteFile(folder / "detail1.dds", DdsBytes(32, Paint(32, Solid(128, 128, 128, 30))));
}

// Effects: parameters the engine sets by semantic and one technique; the
// scanner resolves them by name and draws one pass per pass listed.
std::string Effect(const std::string& technique, int textures, const std::string& states)
{
    std::string text = "// " + technique +
                       "\nfloat4x4 g_mWorldViewProjection : WORLDVIEWPROJECTION;\n"
                       "float4 g_vLight : LIGHTDIRECTION;\n";
    for (int i = 0; i < textures; ++i)
        text += "texture tex" + std::to_string(i) + ";\n";
    return text + "technique " + technique + " { pass P0 { " + states + "} }\n";
}

bool WriteEffects(const fs::path& folder)
{
    const std::string blend = "AlphaBlendEnable = true; ZWriteEnable = false; ";
    const std::pair<const char*, std::string> effects[] = {
        {"diffuse.fx", Effect("Diffuse", 1, "")},
        {"terrain2.fx", Effect("Terrain", 2, "")},
        {"simple.fx", Effect("Simple", 1, "")},
        {"error.fx", Effect("Error", 0, "")},
        {"test.fx", Effect("Lines", 0, "")},
        {"interface.fx", Effect("Interface", 1, blend)},
        {"interface2.fx", Effect("InterfaceSmooth", 1, blend)},
        {"lensflare.fx", Effect("LensFlare", 1, blend)},
        {"holey.fx", Effect("Holey", 1, "AlphaTestEnable = true; ")},
        {"holey_shadow.fx", Effect("HoleyShadow", 1, "AlphaTestEnable = true; ")},
        {"volume_cloud.fx", Effect("VolumeCloud", 1, blend)},
        {"skyscape_light.fx", Effect("SkyLight", 0, "")},
        {"sky.fx", Effect("Sky", 1, "ZWriteEnable = false; ")},
        {"skypart.fx", Effect("SkyPart", 1, blend)},
        {"skypart2.fx", Effect("SkyPartGlow", 1, blend)},
        {"particle.fx", Effect("Particle", 1, blend)},
    };
    for (const auto& effect : effects)
        if (!sample::WriteFile(folder / effect.first, effect.second))
            return false;
    return true;
}

std::string Rgb(int r, int g, int b)
{
    return std::to_string(r) + " " + std::to_string(g) + " " + std::to_string(b);
}

// The skyscape: a header, keyframes, one sky part (the sun), one cloud set
// and the layer file. Each line starts with a label the reader skips. The
// sky names its pictures and effects by their path in the data folder.
// The game draws its sky through a projection whose far plane stands at
// 1000: the dome and the sun stay inside it, or the clipped sky shows the
// fog colour behind.
struct SkyKey {
    const char* name;
    int band[3][3];
    int sun[3];
    int ambient[3];
    int fog[3];
    double sunAngle;
};

// The day circuit's sky: a day that slowly turns to evening and back.
const SkyKey kDaySky[] = {
    {"day",
     {{200, 220, 240}, {120, 170, 230}, {60, 110, 210}},
     {255, 250, 230},
     {120, 120, 130},
     {190, 200, 220},
     40.0},
    {"evening",
     {{240, 170, 120}, {150, 110, 160}, {50, 50, 120}},
     {255, 180, 120},
     {90, 80, 90},
     {200, 160, 140},
     15.0},
};

// The gloom circuit's: a low violet dusk that darkens to a night sky,
// under its own, heavier clouds.
const SkyKey kGloomSky[] = {
    {"dusk", {{110, 90, 130}, {60, 50, 90}, {25, 20, 50}}, {200, 150, 170}, {60, 55, 75}, {70, 60, 85}, 8.0},
    {"night", {{50, 50, 80}, {25, 25, 55}, {8, 8, 25}}, {150, 150, 200}, {40, 40, 60}, {35, 35, 50}, 4.0},
};

std::string Skyscape(const SkyKey (&keys)[2], const char* title, const char* cloudSet, const char* layers)
{
    std::string t = std::string("// sample sky: ") + title + "\n";
    t += "time_scale 1.0\nstart_keyframe 0\nradius 900.0\nvertical_scale 0.5\nslices 16\ncentre 0.0 0.0 "
         "-100.0\n";
    t += "texture data\\textures\\sky.tga\neffect data\\effects\\sky.fx\nbands 3\nkeyframes 2\nparts 1\n"
         "part_effect1 data\\effects\\skypart.fx\n"
         "part_effect2 data\\effects\\skypart2.fx\ncloud_sets 1\nlayers " +
         std::string(layers) + "\n";
    for (const auto& key : keys) {
        t += std::string("// keyframe ") + key.name + "\nduration 600.0\nlevel 255.0\nangle 0.0\ngrey 2\n";
        for (const auto& band : key.band)
            t += "band " + Rgb(band[0], band[1], band[2]) + "\n";
        t += "sun " + Rgb(key.sun[0], key.sun[1], key.sun[2]) + "\n";
        t += "ambient " + Rgb(key.ambient[0], key.ambient[1], key.ambient[2]) + "\n";
        t += "colour4 " + Rgb(key.fog[0], key.fog[1], key.fog[2]) + "\n";
        t += "colour3 " + Rgb(key.sun[0], key.sun[1], key.sun[2]) + "\n";
        t += "fog " + Rgb(key.fog[0], key.fog[1], key.fog[2]) + "\n";
        t += "extra_x 0.0\nextra_y 0.0\nextra_z 0.0\nbrighten 0\n";
        t += "sun_angle " + Num(key.sunAngle) + "\nsun_effect 0\nsun_size 1.0\nsun_frame_step 0\n";
    }
    t += "// the sun\ndirection 0.3 0.5 0.8\nsize 120.0\ndistance 800.0\nbase_angle 0.0\nframes 1\nframe "
         "data\\textures\\sun.tga\n";
    t += "cloud_set " + std::string(cloudSet) + "\n";
    return t;
}

// Clouds at a height, spread round the sky; the gloom's hang lower and
// closer together.
std::string CloudSet(double height, int count, double reach)
{
    std::string t = "position 0.0 0.0 " + Num(height) +
                    "\nvalue1 1.0\nvalue2 0\nvector 0.0 0.0 0.0\nvalue3 1.0\nclouds " +
                    std::to_string(count) + "\n";
    const double offsets[8][2] = {{-600, 200}, {300, 500}, {500, -400},  {-300, -600},
                                  {-100, 100}, {650, 50},  {-550, -250}, {150, -650}};
    for (int i = 0; i < count; ++i)
        t += "cloud cloud1.txt\noffset " + Num(offsets[i][0] * reach) + " " + Num(offsets[i][1] * reach) +
             " 0.0\nscale " + Num(1.0 + 0.25 * (i % 4)) + "\nrotation " + Num(0.7 * i) + "\nextra 0.0\n";
    return t;
}

// One cloud: two core points and a ring of puffs around each.
std::string Cloud()
{
    std::string t = "cores 2\ncore -40.0 0.0 0.0\ncore 40.0 0.0 10.0\n";
    const int perCore = 6;
    t += "puffs " + std::to_string(2 * perCore) + "\n";
    for (int core = 0; core < 2; ++core)
        for (int i = 0; i < perCore; ++i) {
            const double a = 6.283185307 * i / perCore;
            const double cx = (core == 0 ? -40.0 : 40.0) + 30.0 * std::cos(a);
            t += "centre " + Num(cx) + " " + Num(30.0 * std::sin(a)) + " " +
                 Num(10.0 * core + 8.0 * std::sin(2 * a)) + "\nvalues 0 0\nvalue3 1.0\ncore " +
                 std::to_string(core) + "\nhalf_sizes 40.0 30.0\n";
        }
    t += "p1 20.0\np2 20.0\np3 128.0\np4 128.0\np5 128.0\np6 128.0\np7 128.0\np8 128.0\n";
    return t;
}

std::string Layers(const char* cloudSet)
{
    return "layers 1\nfade_time 10.0\nduration 300.0\nspread 0.2\ncloud_set " + std::string(cloudSet) +
           "\nvalue1 0\nvalue2 "
           "0\n"
           "value3 0.0\nvalue4 0.0\nvalue5 0\nvalue6 0.0\nvalue7 0\nvalue8 0\novercast 0\nweight 1.0\nvalue9 "
           "0\n";
}

bool WriteSky(const fs::path& folder)
{
    // Level 0 (a level of another name, the menus) and level 1 share the
    // day sky; level 2 has the gloom.
    const std::string day =
        Skyscape(kDaySky, "a day that slowly turns to evening and back", "cloudset1.txt", "layers1.txt");
    return sample::WriteFile(folder / "skyscape0.txt", day) &&
           sample::WriteFile(folder / "skyscape1.txt", day) &&
           sample::WriteFile(
               folder / "skyscape2.txt",
               Skyscape(kGloomSky, "a gloomy dusk that darkens to night", "cloudset2.txt", "layers2.txt")) &&
           sample::WriteFile(folder / "cloudset1.txt", CloudSet(400.0, 4, 1.0)) &&
           sample::WriteFile(folder / "cloudset2.txt", CloudSet(250.0, 8, 0.7)) &&
           sample::WriteFile(folder / "cloud1.txt", Cloud()) &&
           sample::WriteFile(folder / "layers1.txt", Layers("cloudset1.txt")) &&
           sample::WriteFile(folder / "layers2.txt", Layers("cloudset2.txt"));
}

// The particle prototypes and the emitters that spawn them, one section
// each; emitter keys are the fields of an emitter record.
std::string Particles()
{
    std::string t = "// Effect prototypes: sprites that live, grow and fade.\n";
    const struct {
        const char* name;
        const char* texture;
        double life, size, grow, gravity;
        int count;
    } prototypes[] = {
        {"iskra", "spark.tga", 0.4, 0.15, 0.0, -9.8, 12},
        {"dust", "dust.tga", 1.2, 0.8, 1.5, 0.0, 4},
        {"smoke", "smoke.tga", 2.5, 1.0, 2.0, 0.6, 3},
    };
    for (const auto& p : prototypes)
        t += std::string("[") + p.name +
             "]\nkind = particles\neffectfile = particle.fx\ntexturefile1 = " + p.texture +
             "\nlife = " + Num(p.life) + "\nsize = " + Num(p.size) + "\ngrow = " + Num(p.grow) +
             "\ngravity = " + Num(p.gravity) + "\ncount = " + std::to_string(p.count) + "\n";
    t += "// Emitters: what a particle system's tick asks for.\n";
    const struct {
        const char* name;
        const char* effect;
        double speed;
        int cone;
        double spread;
    } emitters[] = {
        {"sparks", "iskra", 6.0, 60, 0.1},
        {"wheel_dust", "dust", 1.0, 30, 0.3},
        {"engine_smoke", "smoke", 0.8, 20, 0.2},
    };
    for (const auto& e : emitters)
        t += std::string("[") + e.name + "]\nkind = emitter\neffect = " + e.effect +
             "\ndirection = 0.000,0.000,1.000\nspeed = " + Num(e.speed) +
             "\ncone = " + std::to_string(e.cone) + "\nspread = " + Num(e.spread) + "," + Num(e.spread) +
             "," + Num(e.spread) +
             "\nparam_a = 0.000\nparam_b = 0.000\nparam_d = 0.000\nvector_c = 0.000,0.000,0.000\nflag = 0\n";
    return t;
}

// Tracers and rockets show a streak in flight; plasma, gauss and gibs
// draw nothing of their own.
std::string ModelOfShot(const std::string& name)
{
    if (name.rfind("trasser", 0) == 0)
        return "tracer.rdf";
    if (name.find("rocket") != std::string::npos)
        return "rocket.rdf";
    return "none";
}

// The shot kinds, one line each: "name class parameters... sound". Every
// kind the game launches by name is here: the player's weapons, the
// enemies' shots and hits, the bonuses' sparks, the flame thrower's flames,
// the hits the projectiles launch and the super weapon.
std::string Shots()
{
    std::string t = "// Shot kinds: name class parameters... sound.\n"
                    "// projectile: model speed range hit-kind gravity damage sound\n";
    const struct {
        const char* name;
        double speed, range;
        const char* hit;
        double gravity, damage;
    } projectiles[] = {
        // The rocket launcher lobs: it tilts to land a rocket that leaves
        // at 17 and falls under 9.8 on the point aimed at.
        {"trasser11", 400, 300, "sparks", 0, 5},     {"trasser12", 400, 350, "sparks", 0, 9},
        {"trasser13", 300, 120, "sparks", 0, 4},     {"srocket1", 120, 400, "rocket_exp", 0, 25},
        {"rocket1", 17, 500, "rocket_exp", 9.8, 45}, {"plazma", 150, 400, "plazma_exp", 0, 30},
        {"gauss1", 600, 600, "sparks", 0, 60},       {"trasser21", 300, 250, "sparks", 0, 3},
        {"trasser22", 300, 300, "sparks", 0, 6},     {"trasser23", 250, 100, "sparks", 0, 2},
        {"srocket2", 90, 400, "rocket_exp", 0, 15},  {"plazma_shot2", 110, 400, "plazma_exp", 0, 10},
        {"gib1", 12, 40, "blood1", 9.8, 0},          {"gib2", 10, 40, "blood1", 9.8, 0},
    };
    for (const auto& p : projectiles)
        t += std::string(p.name) + " projectile " + ModelOfShot(p.name) + " " + Num(p.speed) + " " +
             Num(p.range) + " " + p.hit + " " + Num(p.gravity) + " " + Num(p.damage) + " none\n";
    t += "// effect: effect lifetime sound\n";
    const struct {
        const char* name;
        const char* effect;
        double lifetime;
    } effects[] = {
        {"sparks", "iskra", 0.5},         {"sparks4", "iskra", 1.0},       {"sparks4red", "iskra", 1.0},
        {"sparks4_remont", "iskra", 1.0}, {"sparks4_gloom", "smoke", 1.5}, {"rocket_exp", "smoke", 1.5},
        {"rocket_exp2", "smoke", 2.0},    {"plazma_exp", "iskra", 0.8},    {"blood1", "dust", 1.0},
        {"oil1", "smoke", 3.0},           {"super", "none", 0.1},
    };
    for (const auto& e : effects)
        t += std::string(e.name) + " effect " + e.effect + " " + Num(e.lifetime) + " none\n";
    t += "// flame: gravity (negative rises) sound\nflame flame -2.000 none\n";
    // Laid by the mine key under the shop's mine's own name.
    t += "// mine: arming time, trigger radius, damage, blast kind, lift, sound\n"
         "mine1 mine 1.000 1.500 40.000 rocket_exp2 6.000 none\n";
    return t;
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C");
    if (argc != 3) {
        std::fprintf(stderr, "Usage: sampleart TEXTURE_FOLDER DATA_FOLDER\n");
        return 2;
    }
    platform::SeedRand(7);
    const fs::path data = argv[2];
    const bool ok = WriteTextures(argv[1]) && WriteEffects(data / "Effects") && WriteSky(data / "Clouds") &&
                    sample::WriteFile(data / "Effects" / "particles.txt", Particles()) &&
                    sample::WriteFile(data / "Effects" / "shots.txt", Shots());
    return ok ? 0 : 1;
}
