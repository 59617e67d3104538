#include "SkyTestWorld.h"

#include <sstream>

#include "DynamicSky/VertexObject.h"

namespace skytest {

namespace {

void U8(Bytes& out, std::uint32_t v) { out.push_back(static_cast<std::uint8_t>(v)); }
void U16(Bytes& out, std::uint32_t v)
{
    U8(out, v & 0xFF);
    U8(out, v >> 8);
}

} // namespace

const char* const kTwoPassEffect = "texture tex0;\ntechnique Two { pass P0 { } pass P1 { } }\n";
const char* const kOnePassEffect = "texture tex0;\ntechnique One { pass P0 { } }\n";
const char* const kBrokenEffect = "float time;\ntechnique Broken { pass P0 { ZWriteEnable = true; }\n";

Bytes Tga(int width, int height, std::uint32_t argb)
{
    Bytes out;
    U8(out, 0);
    U8(out, 0);
    U8(out, 2);
    out.resize(out.size() + 5, 0);
    U16(out, 0);
    U16(out, 0);
    U16(out, static_cast<std::uint32_t>(width));
    U16(out, static_cast<std::uint32_t>(height));
    U8(out, 32);
    U8(out, 0x28);
    for (int i = 0; i < width * height; ++i) {
        U16(out, argb & 0xFFFF);
        U16(out, argb >> 16);
    }
    return out;
}

SkyWorld::SkyWorld()
{
    folder.UseAsDataRoot();
    device.BeginScene();
}

SkyWorld::~SkyWorld() = default;

int SkyWorld::CountReports(int line) const
{
    const std::string text = log.Text();
    const std::string needle = "DXError if DynamicSky\\VertexObject on line " + std::to_string(line) + "\n";
    int count = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}

std::string SkyText::Text() const
{
    std::ostringstream out;
    out << "timescale " << timeScale << "\n"
        << "start " << start << "\n"
        << "radius " << radius << "\n"
        << "vscale " << verticalScale << "\n"
        << "slices " << slices << "\n"
        << "centre " << centre << "\n"
        << "texture " << texture << "\n"
        << "effect " << effect << "\n"
        << "bands " << bands << "\n"
        << "keyframes " << keyframes.size() << "\n"
        << "parts " << parts.size() << "\n"
        << "parteffect1 " << partEffect1 << "\n"
        << "parteffect2 " << partEffect2 << "\n"
        << "sets " << sets.size() << "\n"
        << "layers " << layerFile << "\n";
    for (const KeyframeText& k : keyframes) {
        out << "duration " << k.duration << "\nlevel " << k.level << "\nangle " << k.angle << "\ngrey "
            << k.grey << "\n";
        for (const std::string& band : k.bands)
            out << "band " << band << "\n";
        out << "sun " << k.sun << "\nambient " << k.ambient << "\ncolour4 " << k.colour4 << "\ncolour3 "
            << k.colour3 << "\nfog " << k.fog << "\nex 0\ney 0\nez 0\nbrighten " << k.brighten << "\n";
        for (const KeyframeText::Part& p : k.parts)
            out << "pangle " << p.angle << "\npeffect " << p.effect << "\npsize " << p.size << "\npstep "
                << p.step << "\n";
    }
    for (const PartText& p : parts) {
        out << "direction " << p.direction << "\nquad " << p.quadSize << "\ndistance " << p.distance
            << "\nbase " << p.baseAngle << "\nframes " << p.frames.size() << "\n";
        for (const std::string& frame : p.frames)
            out << "frame " << frame << "\n";
    }
    for (const std::string& set : sets)
        out << "set " << set << "\n";
    return out.str();
}

std::string LayersText(const std::vector<LayerText>& layers)
{
    std::ostringstream out;
    out << "count " << layers.size() << "\n";
    for (const LayerText& l : layers)
        out << "fade " << l.fadeTime << "\nduration " << l.duration << "\nspread " << l.spread << "\nset "
            << l.set << "\nv1 1\nv2 2\nv3 3.5\nv4 4.5\nv5 5\nv6 6.5\nv7 7\nv8 8\novercast " << l.overcast
            << "\nweight " << l.weight << "\nv9 9\n";
    return out.str();
}

std::string CloudSetText(const std::string& position, const std::vector<std::string>& descriptions)
{
    std::ostringstream out;
    out << "position " << position << "\nvalue1 1.5\nvalue2 2\nvector 1 2 3\nvalue3 3.5\ncount "
        << descriptions.size() << "\n";
    for (const std::string& d : descriptions)
        out << "file " << d << "\noffset 1 2 3\nscale 1\nrotation 0\nextra 7\n";
    return out.str();
}

std::string FirstLines(const std::string& text, int lines)
{
    std::size_t at = 0;
    for (int i = 0; i < lines && at != std::string::npos; ++i) {
        at = text.find('\n', at);
        if (at != std::string::npos)
            ++at;
    }
    return at == std::string::npos ? text : text.substr(0, at);
}

int LineCount(const std::string& text)
{
    int count = 0;
    for (char c : text)
        count += c == '\n';
    return count;
}

} // namespace skytest
