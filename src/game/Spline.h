#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/GameObject.h"
#include "platform/MathTypes.h"

class CPFileReader;

// One cubic Bezier piece of a spline: control points B0 to B3 and the
// length the spline walks it by.
struct CPSplineSegment {
    Vector3 b0;
    Vector3 b1;
    Vector3 b2;
    Vector3 b3;
    float length = 0.0f;

    // The point at parameter t (not clamped).
    Vector3 Evaluate(float t) const;
    // Evaluate at t = d / length.
    Vector3 PointAtDistance(float d) const;
    // The straight distance from B0 to the point the parameter reaches last
    // when it runs 0.1, 0.2, ... in single precision while it is at most
    // 1 (that is t = 0.9): neither the arc length nor the full chord.
    float MeasureLength() const;
};

// A straight piece of a spline, linked into the spline's ring.
struct CPLine {
    virtual ~CPLine() = default;
    virtual std::string GetTypeName() const { return "CPLine"; }

    Vector3 start;
    // 10.5 units of segment length further along the spline.
    Vector3 end;
    // Only x and y are set.
    Vector3 boundsMin;
    Vector3 boundsMax;
    Vector3 centre;
    // Radians in [0, 2 pi]: the direction of travel, from end towards start.
    float angle = 0.0f;
    Vector2 normal;
    float lineConstant = 0.0f;
    CPLine* previous = nullptr;
    CPLine* next = nullptr;
};

// A spline of the level file, cut into lines of 10.5 units linked into a
// ring. The driving direction runs from each line to its previous line.
// Loading also builds a line mesh of the spline as its render object.
class CPSpline : public CPGameObject {
  public:
    static constexpr float kLineLength = 10.5f;
    // Three mesh vertices per line must fit 16-bit indices.
    static constexpr std::size_t kMaxLines = 65535 / 3;

    CPSpline();
    ~CPSpline() override;

    std::uint32_t GetObjectSize() const override { return sizeof(CPSpline); }
    std::string GetTypeName() const override { return "CPSpline"; }
    // A spline never joins the kernel nor tells a script anything.
    void Activate(int) override {}
    void Deactivate() override {}

    // Reads one spline record at the reader's cursor and builds the
    // segments, the lines, the ring and the line mesh. False, with a line
    // in the log, for a record that runs past the data or a spline too
    // long to cut into lines; the spline then has no ring.
    bool Load(CPFileReader& reader);

    // Sets the z of every line's start, end and centre to the ground height
    // under it. Nothing without a physics world.
    void DropToGround();

    // The line nearest to the point among those around it, searched
    // outwards from the given line in both directions within a square of
    // the half-size. The found line is stored in the spline's current line
    // and in line; the answer is the angle of the line `steps` lines ahead
    // of it in the driving direction, and halfSizeAndOffset receives the
    // point's signed distance from that line (positive on the left of the
    // driving direction). A null line starts from the first line; without a
    // ring the answer is 0, the offset 0 and line null.
    float FindClosestSegment(const Vector3& point, float& halfSizeAndOffset, std::int32_t steps,
                             CPLine*& line, std::int32_t unused);

    // The point at a distance along the spline; point keeps its value when
    // no segment takes the distance.
    void PointAtDistance(float distance, Vector3& point) const;

    const std::vector<std::unique_ptr<CPSplineSegment>>& GetSegments() const { return m_segments; }
    const std::vector<std::unique_ptr<CPLine>>& GetLines() const { return m_lines; }
    bool IsClosed() const { return m_closed; }
    float GetTotalLength() const { return m_totalLength; }
    const std::string& GetSplineName() const { return m_splineName; }
    // Null when the spline has no ring.
    CPLine* GetFirstLine() const { return m_firstLine; }
    CPLine* GetCurrentLine() const { return m_currentLine; }
    // The lines of the ring (every line but the spare one).
    std::size_t GetRingSize() const { return m_firstLine ? m_lines.size() - 1 : 0; }

  private:
    void Clear();
    bool ReadSegments(CPFileReader& reader);
    void BuildLines();
    void FillLine(CPLine& line, const Vector3& a, const Vector3& b);
    void CloseRing(CPLine* current);
    void FinishMesh();

    std::vector<std::unique_ptr<CPSplineSegment>> m_segments;
    bool m_closed = false;
    float m_totalLength = 0.0f;
    std::string m_splineName;
    CPLine* m_currentLine = nullptr;
    std::vector<std::unique_ptr<CPLine>> m_lines;
    CPLine* m_firstLine = nullptr;
};
