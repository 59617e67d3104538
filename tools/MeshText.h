// Builds the text descriptions that rsmesh turns into mesh and scene files:
// nodes of vertices and triangles, with a few solid shapes the sample
// objects are made of.
#pragma once

#include <cmath>
#include <string>

#include "SampleFiles.h"

namespace sample {

struct Point {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

class MeshText {
  public:
    explicit MeshText(const std::string& layout) { m_text = "layout " + layout + "\n"; }

    void BeginNode(const std::string& name)
    {
        m_text += "node " + name + "\n";
        m_vertexCount = 0;
    }
    void EndNode() { m_text += "end\n"; }
    void Line(const std::string& line) { m_text += line + "\n"; }

    // The index the new vertex has in its node.
    int Vertex(const Point& p, const Point& n, double u, double v)
    {
        m_text += "vertex " + Num(p.x) + " " + Num(p.y) + " " + Num(p.z) + " " + Num(n.x) + " " + Num(n.y) +
                  " " + Num(n.z) + " " + Num(u) + " " + Num(v) + "\n";
        return m_vertexCount++;
    }
    void Triangle(int a, int b, int c)
    {
        m_text += "triangle " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c) + "\n";
    }
    void Quad(int a, int b, int c, int d)
    {
        Triangle(a, b, c);
        Triangle(a, c, d);
    }

    // An axis-aligned block from its centre and half extents, each face with
    // its own four corners so that its normal is flat.
    void Block(const Point& c, const Point& h)
    {
        static const int kFaces[6][4][3] = {
            {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}},      // top
            {{-1, 1, -1}, {1, 1, -1}, {1, -1, -1}, {-1, -1, -1}},  // bottom
            {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}},  // front (-y)
            {{1, 1, -1}, {-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}},      // back (+y)
            {{1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}},      // right (+x)
            {{-1, 1, -1}, {-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}}}; // left (-x)
        static const int kNormals[6][3] = {{0, 0, 1}, {0, 0, -1}, {0, -1, 0},
                                           {0, 1, 0}, {1, 0, 0},  {-1, 0, 0}};
        static const double kU[4] = {0, 1, 1, 0};
        static const double kV[4] = {1, 1, 0, 0};
        for (int f = 0; f < 6; ++f) {
            const Point n{double(kNormals[f][0]), double(kNormals[f][1]), double(kNormals[f][2])};
            int corner[4];
            for (int k = 0; k < 4; ++k) {
                const Point p{c.x + h.x * kFaces[f][k][0], c.y + h.y * kFaces[f][k][1],
                              c.z + h.z * kFaces[f][k][2]};
                corner[k] = Vertex(p, n, kU[k], kV[k]);
            }
            Quad(corner[0], corner[1], corner[2], corner[3]);
        }
    }

    // A part box of a plain node, enclosing what the game tests against.
    void Box(const Point& c, const Point& h)
    {
        Line("box " + Num(c.x) + " " + Num(c.y) + " " + Num(c.z) + " " + Num(h.x) + " " + Num(h.y) + " " +
             Num(h.z));
    }

    // Every later line is the scene file's.
    void Scene(const std::string& lines) { m_text += "scene\n" + lines; }

    const std::string& Text() const { return m_text; }

  private:
    std::string m_text;
    int m_vertexCount = 0;
};

// The section of a scene file that gives a part its effect and texture.
inline std::string Section(const std::string& part, const std::string& effect, const std::string& texture)
{
    return "[" + part + "]\neffectfile = " + effect + "\ntexturefile1 = " + texture + "\n";
}

} // namespace sample
