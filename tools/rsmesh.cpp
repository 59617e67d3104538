// Builds a mesh file, and optionally the scene file that names it, from a
// text description.
//   rsmesh DESCRIPTION MESH [SCENE]
//
// The description holds one statement a line ("#" starts a comment):
//   layout plain|physics|animated      first; the node layout of the file
//   node NAME ... end                  a node; nodes nest inside nodes
//   vertex X Y Z [NX NY NZ [U V]]      a vertex of the node (or frame)
//   triangle I J K                     three indices into those vertices
//   box CX CY CZ HX HY HZ              a part box (plain nodes)
//   placement X Y Z QX QY QZ QW        the node's placement (physics)
//   body S1 S2 S3 MASS                 the node's rigid body (physics, animated)
//   ownpart S1 S2 S3 MASS              an animated node's own box
//   part box|cylinder S1 S2 S3 X Y Z QX QY QZ QW R MASS   a collision part
//   rate R                             frame time R / 2400 s (animated)
//   frame                              starts the next frame (animated)
//   scene                              every later line goes to the scene
//                                      file, after "mesh = MESH's name"
// The top-level nodes become the file's nodes.
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

enum class Layout { kPlain, kPhysics, kAnimated };

struct Vertex {
    float position[3] = {};
    float normal[3] = {0, 0, 1};
    std::uint32_t diffuse = 0xFFFFFFFF;
    std::uint32_t specular = 0;
    float uv1[2] = {};
    float uv2[2] = {};
};
static_assert(sizeof(Vertex) == 48, "mesh vertices are 48 bytes");

struct Geometry {
    std::vector<Vertex> vertices;
    std::vector<std::uint16_t> indices;
};

struct Part {
    std::int32_t kind = 0;
    float values[12] = {}; // s1 s2 s3, position, rotation (x y z w), cylinder size, mass
};

struct Node {
    std::string name;
    float placement[7] = {0, 0, 0, 0, 0, 0, 1};
    Part body;
    Part ownPart;
    float rate = 240.0f;
    std::vector<Geometry> frames{1}; // plain and physics nodes use the first
    std::vector<float> boxes;        // six values per box
    std::vector<Part> parts;
    std::vector<std::unique_ptr<Node>> children;
};

struct Description {
    Layout layout = Layout::kPlain;
    std::vector<std::unique_ptr<Node>> nodes;
    std::string scene;
};

class Writer {
  public:
    void Int(std::int32_t value) { Raw(&value, 4); }
    void Float(float value) { Raw(&value, 4); }
    void Raw(const void* data, std::size_t size) { bytes.append(static_cast<const char*>(data), size); }
    void Name(const std::string& name)
    {
        std::string field(260, '\0');
        std::memcpy(&field[0], name.data(), std::min<std::size_t>(name.size(), 259));
        bytes += field;
    }
    void Geometry(const ::Geometry& geometry)
    {
        Int(static_cast<std::int32_t>(geometry.vertices.size()));
        Raw(geometry.vertices.data(), geometry.vertices.size() * sizeof(Vertex));
        Int(static_cast<std::int32_t>(geometry.indices.size()));
        Raw(geometry.indices.data(), geometry.indices.size() * 2);
    }
    void Part(const ::Part& part)
    {
        Int(part.kind);
        Raw(part.values, sizeof(part.values));
    }
    void Parts(const std::vector<::Part>& parts)
    {
        Int(static_cast<std::int32_t>(parts.size()));
        for (const ::Part& part : parts)
            Part(part);
    }

    std::string bytes;
};

bool Fail(int line, const std::string& message)
{
    std::fprintf(stderr, "line %d: %s\n", line, message.c_str());
    return false;
}

// Reads `count` numbers (at least `required`) into values.
bool ReadNumbers(std::istringstream& in, float* values, int required, int count)
{
    int read = 0;
    for (; read < count && (in >> values[read]); ++read) {
    }
    return read >= required;
}

bool ReadStatement(const std::string& word, std::istringstream& in, Description& description,
                   std::vector<Node*>& open, int line)
{
    if (word == "layout") {
        std::string name;
        in >> name;
        if (name == "plain")
            description.layout = Layout::kPlain;
        else if (name == "physics")
            description.layout = Layout::kPhysics;
        else if (name == "animated")
            description.layout = Layout::kAnimated;
        else
            return Fail(line, "unknown layout \"" + name + "\"");
        return true;
    }
    if (word == "node") {
        auto node = std::make_unique<Node>();
        if (!(in >> node->name))
            return Fail(line, "a node needs a name");
        Node* raw = node.get();
        (open.empty() ? description.nodes : open.back()->children).push_back(std::move(node));
        open.push_back(raw);
        return true;
    }
    if (open.empty())
        return Fail(line, "\"" + word + "\" outside a node");
    Node& node = *open.back();
    if (word == "end") {
        open.pop_back();
        return true;
    }
    if (word == "vertex") {
        float values[8] = {0, 0, 0, 0, 0, 1, 0, 0};
        if (!ReadNumbers(in, values, 3, 8))
            return Fail(line, "a vertex needs x, y and z");
        Vertex vertex;
        std::memcpy(vertex.position, values, 12);
        std::memcpy(vertex.normal, values + 3, 12);
        std::memcpy(vertex.uv1, values + 6, 8);
        node.frames.back().vertices.push_back(vertex);
        return true;
    }
    if (word == "triangle") {
        long index[3];
        if (!(in >> index[0] >> index[1] >> index[2]))
            return Fail(line, "a triangle needs three indices");
        for (long i : index) {
            if (i < 0 || i >= static_cast<long>(node.frames.back().vertices.size()))
                return Fail(line, "index " + std::to_string(i) + " names no vertex of the node");
            node.frames.back().indices.push_back(static_cast<std::uint16_t>(i));
        }
        return true;
    }
    if (word == "box") {
        float values[6];
        if (!ReadNumbers(in, values, 6, 6))
            return Fail(line, "a box needs a centre and half extents");
        node.boxes.insert(node.boxes.end(), values, values + 6);
        return true;
    }
    if (word == "placement")
        return ReadNumbers(in, node.placement, 7, 7) || Fail(line, "a placement needs 7 numbers");
    if (word == "body" || word == "ownpart") {
        Part& part = word == "body" ? node.body : node.ownPart;
        float values[4];
        if (!ReadNumbers(in, values, 4, 4))
            return Fail(line, word + " needs three sizes and a mass");
        std::memcpy(part.values, values, 12);
        part.values[6] = part.values[7] = part.values[8] = 0; // rotation x y z
        part.values[9] = 1;                                   // and w
        part.values[11] = values[3];
        return true;
    }
    if (word == "part") {
        std::string kind;
        in >> kind;
        Part part;
        part.kind = kind == "box" ? 0 : kind == "cylinder" ? 1 : -1;
        if (part.kind < 0)
            return Fail(line, "a part is a box or a cylinder");
        if (!ReadNumbers(in, part.values, 12, 12))
            return Fail(line, "a part needs 12 numbers");
        node.parts.push_back(part);
        return true;
    }
    if (word == "rate")
        return static_cast<bool>(in >> node.rate) || Fail(line, "a rate needs a number");
    if (word == "frame") {
        if (!node.frames.back().vertices.empty() || node.frames.size() > 1)
            node.frames.emplace_back();
        return true;
    }
    return Fail(line, "unknown statement \"" + word + "\"");
}

bool ReadDescription(std::istream& in, Description& description)
{
    std::vector<Node*> open;
    std::string text;
    bool inScene = false;
    for (int line = 1; std::getline(in, text); ++line) {
        if (inScene) {
            description.scene += text + "\n";
            continue;
        }
        std::istringstream words(text.substr(0, text.find('#')));
        std::string word;
        if (!(words >> word))
            continue;
        if (word == "scene") {
            inScene = true;
            continue;
        }
        if (!ReadStatement(word, words, description, open, line))
            return false;
    }
    if (!open.empty())
        return Fail(0, "the node \"" + open.back()->name + "\" has no end");
    if (description.nodes.empty())
        return Fail(0, "the description has no node");
    return true;
}

void WriteNode(Writer& out, const Node& node, Layout layout)
{
    switch (layout) {
    case Layout::kPlain:
        out.Int(0);
        out.Name(node.name);
        out.Geometry(node.frames.front());
        out.Int(static_cast<std::int32_t>(node.boxes.size() / 6));
        for (std::size_t i = 0; i < node.boxes.size(); i += 6) {
            float record[24] = {};
            std::memcpy(record, &node.boxes[i], 12);
            std::memcpy(record + 4, &node.boxes[i + 3], 12);
            out.Raw(record, sizeof(record));
        }
        break;
    case Layout::kPhysics:
        out.Int(0);
        out.Name(node.name);
        out.Raw(node.placement, sizeof(node.placement));
        out.Part(node.body);
        out.Geometry(node.frames.front());
        out.Parts(node.parts);
        break;
    case Layout::kAnimated:
        out.Name(node.name);
        out.Raw(node.placement, sizeof(node.placement));
        out.Part(node.body);
        out.Part(node.ownPart);
        out.Int(static_cast<std::int32_t>(node.frames.size()));
        out.Float(node.rate);
        for (const Geometry& frame : node.frames)
            out.Geometry(frame);
        out.Parts(node.parts);
        break;
    }
    out.Int(static_cast<std::int32_t>(node.children.size()));
    for (const auto& child : node.children)
        WriteNode(out, *child, layout);
}

std::string MeshBytes(const Description& description)
{
    Writer out;
    if (description.layout == Layout::kAnimated) {
        // One root: the animated objects read a single tree.
        out.Int(0);
        out.Int(0);
        WriteNode(out, *description.nodes.front(), description.layout);
        return out.bytes;
    }
    out.Int(0);
    out.Int(static_cast<std::int32_t>(description.nodes.size()));
    for (const auto& node : description.nodes)
        WriteNode(out, *node, description.layout);
    return out.bytes;
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (out.good())
        return true;
    std::fprintf(stderr, "Cannot write \"%s\"\n", path.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C");
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "Usage: rsmesh DESCRIPTION MESH [SCENE]\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "Cannot read \"%s\"\n", argv[1]);
        return 1;
    }
    Description description;
    if (!ReadDescription(in, description))
        return 1;
    if (description.layout == Layout::kAnimated && description.nodes.size() != 1) {
        std::fprintf(stderr, "An animated mesh has one root node\n");
        return 1;
    }
    if (!WriteFile(argv[2], MeshBytes(description)))
        return 1;
    if (argc == 4) {
        const std::string meshName = std::filesystem::path(argv[2]).filename().string();
        if (!WriteFile(argv[3], "mesh = " + meshName + "\n" + description.scene))
            return 1;
    }
    return 0;
}
