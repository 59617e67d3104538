#include "game/Spline.h"

#include <algorithm>
#include <cmath>

#include "Render/Material.h"
#include "Render/MaterialLibrary.h"
#include "Render/RenderObject.h"
#include "core/FileReader.h"
#include "core/Log.h"
#include "core/Singletons.h"
#include "physics/PhysicsWorld.h"
#include "platform/Math.h"

namespace {

constexpr float kPi = 3.14159265358979323846f;
constexpr std::uint32_t kSegmentRecordSize = 48;

Vector3 ReadPoint(CPFileReader& reader)
{
    Vector3 point;
    point.x = reader.ReadFloat();
    point.y = reader.ReadFloat();
    point.z = reader.ReadFloat();
    return point;
}

CPMeshVertex LineVertex(const Vector3& position)
{
    CPMeshVertex vertex;
    vertex.position = position;
    vertex.diffuse = 0xFFFFFFFF;
    return vertex;
}

bool Inside(const Vector3& point, const Vector3& q, float half)
{
    return std::fabs(point.x - q.x) <= half && std::fabs(point.y - q.y) <= half;
}

bool LineInside(const Vector3& point, const CPLine& line, float half)
{
    return Inside(point, line.start, half) || Inside(point, line.end, half);
}

float DistanceSquared(const Vector3& point, const CPLine& line)
{
    const float dx = point.x - line.centre.x;
    const float dy = point.y - line.centre.y;
    return dx * dx + dy * dy;
}

// One of the two walkers of the search: not yet inside the square, inside,
// or gone out of it again.
struct Walker {
    CPLine* line = nullptr;
    int state = 0;

    void Visit(const Vector3& point, float half, float& best, CPLine*& result)
    {
        if (state == 2)
            return;
        const bool inside = LineInside(point, *line, half);
        if (!inside) {
            if (state == 1)
                state = 2;
            return;
        }
        state = 1;
        const float distance = DistanceSquared(point, *line);
        if (distance < best) {
            best = distance;
            result = line;
        }
    }
};

} // namespace

// --- Segments --------------------------------------------------------------------

Vector3 CPSplineSegment::Evaluate(float t) const
{
    const float s = 1.0f - t;
    const float w0 = s * s * s;
    const float w1 = 3.0f * s * s * t;
    const float w2 = 3.0f * s * t * t;
    const float w3 = t * t * t;
    return b0 * w0 + b1 * w1 + b2 * w2 + b3 * w3;
}

Vector3 CPSplineSegment::PointAtDistance(float d) const
{
    // A segment that measures nothing has no parameter for a distance: 0 / 0
    // would make every coordinate NaN.
    if (!(length > 0.0f))
        return b0;
    return Evaluate(d / length);
}

float CPSplineSegment::MeasureLength() const
{
    float measured = 0.0f;
    for (float t = 0.1f; t <= 1.0f; t += 0.1f)
        measured = Length(Evaluate(t) - b0);
    return measured;
}

// --- Spline ------------------------------------------------------------------------

CPSpline::CPSpline() : CPGameObject("CPSpline") {}

CPSpline::~CPSpline() { Clear(); }

void CPSpline::Clear()
{
    m_segments.clear();
    m_firstLine = nullptr;
    m_currentLine = nullptr;
    m_lines.clear();
    m_totalLength = 0.0f;
}

void CPSpline::PointAtDistance(float distance, Vector3& point) const
{
    float remaining = distance;
    for (const auto& segment : m_segments) {
        if (remaining <= segment->length) {
            point = segment->PointAtDistance(remaining);
            return;
        }
        remaining -= segment->length;
    }
}

bool CPSpline::Load(CPFileReader& reader)
{
    Clear();
    auto* mesh = new CPRenderObject(this);
    SetRenderObject(CPObjectPtr(mesh), kMeshObject);

    m_splineName = reader.ReadString();
    m_closed = reader.ReadInt() != 0;
    if (!ReadSegments(reader)) {
        m_segments.clear();
        m_totalLength = 0.0f;
        m_lines.push_back(std::make_unique<CPLine>());
        return false;
    }
    if (!std::isfinite(m_totalLength) || m_totalLength / kLineLength > static_cast<float>(kMaxLines)) {
        LogLine("CPSpline: the spline \"" + m_splineName + "\" is too long to cut into lines");
        m_lines.push_back(std::make_unique<CPLine>());
        return false;
    }
    BuildLines();
    FinishMesh();
    return true;
}

bool CPSpline::ReadSegments(CPFileReader& reader)
{
    const std::int32_t count = reader.ReadInt();
    if (reader.HasReadError()) {
        LogLine("CPSpline: the spline record ends before its segments");
        return false;
    }
    if (count > 0 && static_cast<std::uint32_t>(count) > reader.GetRemaining() / kSegmentRecordSize) {
        LogLine("CPSpline: the spline \"" + m_splineName + "\" lists " + std::to_string(count) +
                " segments, more than the file holds");
        return false;
    }
    m_totalLength = 0.0f;
    for (std::int32_t i = 0; i < count; ++i) {
        auto segment = std::make_unique<CPSplineSegment>();
        // Stored as start, end, then the two control points.
        segment->b0 = ReadPoint(reader);
        segment->b3 = ReadPoint(reader);
        segment->b1 = ReadPoint(reader);
        segment->b2 = ReadPoint(reader);
        segment->length = segment->MeasureLength();
        m_totalLength += segment->length;
        m_segments.push_back(std::move(segment));
    }
    return true;
}

void CPSpline::BuildLines()
{
    m_lines.push_back(std::make_unique<CPLine>());
    m_firstLine = m_lines.back().get();
    CPLine* current = m_firstLine;

    // A and B come out of one point that keeps its value when no segment
    // takes a distance.
    Vector3 point;
    for (float d = 0.0f; d < m_totalLength; d += kLineLength) {
        PointAtDistance(d, point);
        const Vector3 a = point;
        float d2 = d + kLineLength;
        Vector3 b = a;
        if (m_closed) {
            // Subtracting a total that is tiny next to d2 would change
            // nothing and loop for ever.
            if (d2 > m_totalLength) {
                d2 = std::fmod(d2, m_totalLength);
                if (d2 == 0.0f)
                    d2 = m_totalLength;
            }
            PointAtDistance(d2, point);
            b = point;
        } else if (d2 <= m_totalLength) {
            PointAtDistance(d2, point);
            b = point;
        }
        // Also skips a stretch too short to give a direction (its squared
        // length underflows) and any point that is not a number.
        const float dx = b.x - a.x;
        const float dy = b.y - a.y;
        if (!(dx * dx + dy * dy > 0.0f))
            continue;
        FillLine(*current, a, b);
        m_lines.push_back(std::make_unique<CPLine>());
        CPLine* added = m_lines.back().get();
        current->next = added;
        added->previous = current;
        current = added;
    }
    CloseRing(current);
}

void CPSpline::FillLine(CPLine& line, const Vector3& a, const Vector3& b)
{
    line.start = a;
    line.end = b;
    const float dx = b.x - a.x;
    const float dy = b.y - a.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    const float ux = dx / length;
    const float uy = dy / length;
    line.normal = {uy, -ux};
    line.lineConstant = ux * a.y - uy * a.x;
    const float c = std::clamp(ux, -1.0f, 1.0f);
    line.angle = uy > 0.0f ? kPi + std::acos(c) : kPi - std::acos(c);
    line.boundsMin = {std::min(a.x, b.x), std::min(a.y, b.y), 0.0f};
    line.boundsMax = {std::max(a.x, b.x), std::max(a.y, b.y), 0.0f};
    line.centre = (a + b) * 0.5f;

    auto* mesh = GetRenderObject().As<CPRenderObject>();
    auto& vertices = mesh->GetVertices();
    const auto k = static_cast<std::uint16_t>(vertices.size());
    vertices.push_back(LineVertex(a));
    vertices.push_back(LineVertex(b));
    vertices.push_back(LineVertex(b));
    auto& indices = mesh->GetIndices();
    indices.push_back(k);
    indices.push_back(static_cast<std::uint16_t>(k + 1));
    indices.push_back(static_cast<std::uint16_t>(k + 2));
}

void CPSpline::CloseRing(CPLine* current)
{
    CPLine* last = current->previous;
    if (!last) {
        // Not one line was filled: the only line is the spare, and there is
        // no ring to search.
        LogLine("CPSpline: the spline \"" + m_splineName + "\" yields no line");
        m_firstLine = nullptr;
        m_currentLine = nullptr;
        return;
    }
    m_firstLine->previous = last;
    last->next = m_firstLine;
    m_currentLine = m_firstLine;
}

void CPSpline::FinishMesh()
{
    auto* mesh = GetRenderObject().As<CPRenderObject>();
    if (CPMaterialLibrary* library = GetMaterialLibrary())
        mesh->SetMaterial(CPObjectPtr(library->GetMaterial("test.fx", {"error.tga"}, 10)));
    mesh->GetWorldVertices() = mesh->GetVertices();
}

void CPSpline::DropToGround()
{
    const CPPhysicsWorld* world = GetPhysicsWorld();
    if (!world)
        return;
    auto heightAt = [world](const Vector3& point) {
        return world->GetNearestVertexHeight({point.x, point.y, 0.0f});
    };
    for (const auto& line : m_lines) {
        line->centre.z = heightAt(line->centre);
        line->start.z = heightAt(line->start);
        line->end.z = heightAt(line->end);
    }
}

float CPSpline::FindClosestSegment(const Vector3& point, float& halfSizeAndOffset, std::int32_t steps,
                                   CPLine*& line, std::int32_t)
{
    CPLine* start = line ? line : m_firstLine;
    // A line outside the ring (the spare one, which has no next line)
    // cannot start a walk.
    if (start && (!start->previous || !start->next))
        start = m_firstLine;
    if (!start || !m_firstLine) {
        halfSizeAndOffset = 0.0f;
        line = nullptr;
        return 0.0f;
    }
    const float half = halfSizeAndOffset;
    m_currentLine = start;
    float best = 100.0f * half;
    CPLine* result = start;

    Walker backward{start->previous, 0};
    Walker forward{start->next, 0};
    if (Inside(point, start->start, half))
        backward.state = 1;
    if (Inside(point, start->end, half))
        forward.state = 1;
    if (backward.state == 1 || forward.state == 1)
        best = std::min(best, DistanceSquared(point, *start));

    while (!(backward.state == 2 && forward.state == 2) && backward.line != forward.line) {
        backward.Visit(point, half, best, result);
        forward.Visit(point, half, best, result);
        backward.line = backward.line->previous;
        forward.line = forward.line->next;
    }
    m_currentLine = result;
    line = result;

    const CPLine* answered = result;
    for (std::int32_t i = 0; i < steps; ++i)
        answered = answered->previous;

    const Vector3& a = answered->start;
    const Vector3& b = answered->end;
    halfSizeAndOffset = ((a.x - b.x) * point.y + (b.y - a.y) * point.x - (b.y * a.x - b.x * a.y)) /
                        std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));
    return answered->angle;
}
