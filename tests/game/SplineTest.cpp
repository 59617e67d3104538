#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "Render/EffectLibrary.h"
#include "Render/Material.h"
#include "Render/MaterialLibrary.h"
#include "Render/RenderObject.h"
#include "Render/TextureLibrary.h"
#include "core/FileReader.h"
#include "core/PackFile.h"
#include "core/Singletons.h"
#include "game/Spline.h"
#include "physics/PhysicsWorld.h"
#include "support/ScratchFolder.h"
#include "core/ServiceOverride.h"

namespace {

constexpr float kPi = 3.14159265f;

// A segment as the level file stores it: start, end, then the two control
// points. Straight segments with their control points at a third and two
// thirds run at an even pace, so the point at t lies at start + t * (end -
// start).
struct Segment {
    Vector3 start, end, control1, control2;
};

Segment Straight(const Vector3& a, const Vector3& b)
{
    const Vector3 d{b.x - a.x, b.y - a.y, b.z - a.z};
    return {a,
            b,
            {a.x + d.x / 3, a.y + d.y / 3, a.z + d.z / 3},
            {a.x + 2 * d.x / 3, a.y + 2 * d.y / 3, a.z + 2 * d.z / 3}};
}

class Bytes {
  public:
    void Int(std::int32_t v) { Append(&v, 4); }
    void Float(float v) { Append(&v, 4); }
    void Text(const std::string& text)
    {
        Int(static_cast<std::int32_t>(text.size()));
        Append(text.data(), text.size());
    }
    void Point(const Vector3& p)
    {
        Float(p.x);
        Float(p.y);
        Float(p.z);
    }
    void Spline(const std::string& name, bool closed, const std::vector<Segment>& segments)
    {
        Text(name);
        Int(closed ? 1 : 0);
        Int(static_cast<std::int32_t>(segments.size()));
        for (const Segment& s : segments) {
            Point(s.start);
            Point(s.end);
            Point(s.control1);
            Point(s.control2);
        }
    }
    std::string data;

  private:
    void Append(const void* p, std::size_t n) { data.append(static_cast<const char*>(p), n); }
};

class SplineTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        GetPackFileList().Clear();
        folder.UseAsDataRoot();
    }

    // Loads the bytes as one spline record; the result of Load in loaded.
    CPSpline& Load(const std::string& bytes)
    {
        folder.Write("spline.bin", bytes);
        CPFileReader reader("spline.bin", false);
        EXPECT_EQ(reader.Load(), S_OK);
        loaded = spline.Load(reader);
        return spline;
    }
    CPSpline& Load(const std::string& name, bool closed, const std::vector<Segment>& segments)
    {
        Bytes bytes;
        bytes.Spline(name, closed, segments);
        return Load(bytes.data);
    }
    CPLine* Line(std::size_t index) { return spline.GetLines()[index].get(); }

    ScratchFolder folder;
    LogCapture log;
    CPSpline spline;
    bool loaded = false;
};

// 100 units along +x measure 90 (the segment is measured to t = 0.9), so
// lines start every 10.5 / 90 of the way: at x = 100 * 10.5 * i / 90.
float StraightX(int i) { return 100.0f * 10.5f * static_cast<float>(i) / 90.0f; }

} // namespace

TEST_F(SplineTest, SegmentIsMeasuredToNineTenthsOfItsParameter)
{
    Load("c_path", false, {Straight({0, 0, 0}, {100, 0, 0}), Straight({0, 0, 0}, {0, 30, 40})});
    ASSERT_EQ(spline.GetSegments().size(), 2u);
    EXPECT_NEAR(spline.GetSegments()[0]->length, 90.0f, 1e-3f);
    EXPECT_NEAR(spline.GetSegments()[1]->length, 45.0f, 1e-3f);
    EXPECT_NEAR(spline.GetTotalLength(), 135.0f, 1e-3f);
    EXPECT_EQ(spline.GetSplineName(), "c_path");
    // Control points are stored as B0, B3, B1, B2.
    const CPSplineSegment& first = *spline.GetSegments()[0];
    EXPECT_NEAR(first.b1.x, 100.0f / 3, 1e-4f);
    EXPECT_NEAR(first.b2.x, 200.0f / 3, 1e-4f);
    EXPECT_EQ(first.b3.x, 100.0f);
    // The curve itself: halfway along a bent segment.
    CPSplineSegment bent;
    bent.b0 = {0, 0, 0};
    bent.b1 = {0, 4, 0};
    bent.b2 = {4, 4, 0};
    bent.b3 = {4, 0, 8};
    const Vector3 half = bent.Evaluate(0.5f);
    // (1/8)B0 + (3/8)B1 + (3/8)B2 + (1/8)B3
    EXPECT_NEAR(half.x, 2.0f, 1e-6f);
    EXPECT_NEAR(half.y, 3.0f, 1e-6f);
    EXPECT_NEAR(half.z, 1.0f, 1e-6f);
}

TEST_F(SplineTest, OpenSplineKeepsNoLineRunningPastItsEnd)
{
    Load("c_path", false, {Straight({0, 0, 0}, {100, 0, 0})});
    EXPECT_TRUE(loaded);
    // Passes at d = 0 .. 84; the one at 84 would end at 94.5 > 90.
    ASSERT_EQ(spline.GetRingSize(), 8u);
    ASSERT_EQ(spline.GetLines().size(), 9u); // with the spare line
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(Line(i)->start.x, StraightX(i), 1e-3f);
        EXPECT_NEAR(Line(i)->end.x, StraightX(i + 1), 1e-3f);
        EXPECT_NEAR(Line(i)->centre.x, (StraightX(i) + StraightX(i + 1)) / 2, 1e-3f);
        EXPECT_EQ(Line(i)->next, Line((i + 1) % 8));
        EXPECT_EQ(Line(i)->previous, Line((i + 7) % 8));
    }
    EXPECT_EQ(spline.GetFirstLine(), Line(0));
    EXPECT_EQ(spline.GetCurrentLine(), Line(0));
    // The spare line hangs off the last line but is not in the ring.
    EXPECT_EQ(Line(8)->previous, Line(7));
    EXPECT_EQ(Line(8)->next, nullptr);
}

TEST_F(SplineTest, RecordsFollowOneAnotherInTheFile)
{
    Bytes bytes;
    bytes.Spline("left", false, {Straight({0, 0, 0}, {100, 0, 0})});
    bytes.Spline("right", true, {Straight({0, 10, 0}, {100, 10, 0}), Straight({100, 10, 0}, {0, 10, 0})});
    bytes.Int(77);
    folder.Write("two.bin", bytes.data);
    CPFileReader reader("two.bin", false);
    ASSERT_EQ(reader.Load(), S_OK);
    CPSpline left, right;
    EXPECT_TRUE(left.Load(reader));
    EXPECT_TRUE(right.Load(reader));
    EXPECT_EQ(left.GetSplineName(), "left");
    EXPECT_EQ(right.GetSplineName(), "right");
    EXPECT_TRUE(right.IsClosed());
    EXPECT_EQ(right.GetSegments().size(), 2u);
    EXPECT_EQ(reader.ReadInt(), 77);
}

TEST_F(SplineTest, ClosedSplineWrapsItsLastLineToTheStart)
{
    Load("c_path", true, {Straight({0, 0, 0}, {100, 0, 0})});
    ASSERT_EQ(spline.GetRingSize(), 9u);
    // The last pass starts at 84 and ends at 94.5 - 90 = 4.5, x = 5.
    EXPECT_NEAR(Line(8)->start.x, StraightX(8), 1e-3f);
    EXPECT_NEAR(Line(8)->end.x, 5.0f, 1e-3f);
    EXPECT_EQ(Line(8)->next, Line(0));
    EXPECT_EQ(Line(0)->previous, Line(8));
}

TEST_F(SplineTest, LineGeometryAndAngles)
{
    struct Case {
        Vector3 to;
        float angle;
    } cases[] = {
        {{100, 0, 0}, kPi},            // along +x
        {{-100, 0, 0}, 0.0f},          // along -x
        {{0, 100, 0}, 3 * kPi / 2},    // along +y
        {{0, -100, 0}, kPi / 2},       // along -y
        {{60, 80, 0}, kPi + 0.927295f} // acos(0.6)
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        CPSpline s;
        Bytes bytes;
        bytes.Spline("left", false, {Straight({0, 0, 0}, c.to)});
        folder.Write("one.bin", bytes.data);
        CPFileReader reader("one.bin", false);
        ASSERT_EQ(reader.Load(), S_OK);
        ASSERT_TRUE(s.Load(reader));
        const CPLine& line = *s.GetFirstLine();
        EXPECT_NEAR(line.angle, c.angle, 1e-5f);
        const float ux = c.to.x / 100.0f, uy = c.to.y / 100.0f;
        EXPECT_NEAR(line.normal.x, uy, 1e-5f);
        EXPECT_NEAR(line.normal.y, -ux, 1e-5f);
        // The normal form holds at both ends.
        EXPECT_NEAR(line.normal.x * line.end.x + line.normal.y * line.end.y + line.lineConstant, 0.0f, 1e-4f);
        EXPECT_NEAR(line.boundsMin.x, std::fmin(line.start.x, line.end.x), 0.0f);
        EXPECT_NEAR(line.boundsMax.y, std::fmax(line.start.y, line.end.y), 0.0f);
    }
}

TEST_F(SplineTest, VerticalStretchMakesNoLineAndTheNextPassFillsIt)
{
    Load("c_path", false, {Straight({0, 0, 0}, {0, 0, 50}), Straight({0, 0, 50}, {100, 0, 50})});
    // The rise measures 45, the run 90. Passes 0 .. 31.5 end on the rise
    // (same x and y); d = 42 ends 7.5 into the run; passes up to 115.5 end
    // before 135.
    ASSERT_EQ(spline.GetRingSize(), 8u);
    EXPECT_EQ(spline.GetFirstLine(), Line(0));
    EXPECT_NEAR(Line(0)->start.x, 0.0f, 1e-5f);
    EXPECT_NEAR(Line(0)->start.z, 50.0f * 42.0f / 45.0f, 1e-3f);
    EXPECT_NEAR(Line(0)->end.x, 100.0f * 7.5f / 90.0f, 1e-3f);
}

TEST_F(SplineTest, SegmentOfNoLengthGivesItsStartNotANumber)
{
    Load("c_path", false, {Straight({5, 5, 0}, {5, 5, 0}), Straight({5, 5, 0}, {105, 5, 0})});
    ASSERT_TRUE(loaded);
    ASSERT_GE(spline.GetRingSize(), 1u);
    // The first pass starts on the empty segment: its start, not NaN.
    EXPECT_EQ(Line(0)->start.x, 5.0f);
    EXPECT_EQ(Line(0)->start.y, 5.0f);
    EXPECT_NEAR(Line(0)->end.x, StraightX(1) + 5.0f, 1e-3f);
    EXPECT_NEAR(Line(0)->angle, kPi, 1e-5f);
    for (std::size_t i = 0; i < spline.GetRingSize(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(std::isfinite(Line(i)->start.x) && std::isfinite(Line(i)->angle));
    }
}

TEST_F(SplineTest, ClosedSplineFarShorterThanALineEndsItsWrap)
{
    // A total of about 1e-18: taking it off the end of the first pass
    // (10.5) one total at a time would change nothing, for ever.
    Load("c_path", true, {Straight({0, 0, 0}, {1e-18f, 0, 0})});
    EXPECT_TRUE(loaded);
    EXPECT_GT(spline.GetTotalLength(), 0.0f);
    for (std::size_t i = 0; i < spline.GetRingSize(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(std::isfinite(Line(i)->start.x) && std::isfinite(Line(i)->end.x));
        EXPECT_TRUE(std::isfinite(Line(i)->angle));
    }
}

TEST_F(SplineTest, LineMeshHasThreeWhiteVerticesPerLine)
{
    Load("right", false, {Straight({0, 0, 0}, {100, 0, 0})});
    const auto* mesh = spline.GetRenderObject().As<CPRenderObject>();
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(spline.GetRenderKind(), CPGameObject::kMeshObject);
    ASSERT_EQ(mesh->GetVertices().size(), 24u);
    ASSERT_EQ(mesh->GetIndices().size(), 24u);
    for (std::size_t i = 0; i < 24; ++i)
        EXPECT_EQ(mesh->GetIndices()[i], i);
    EXPECT_EQ(mesh->GetVertices()[3].position.x, Line(1)->start.x);
    EXPECT_EQ(mesh->GetVertices()[4].position.x, Line(1)->end.x);
    EXPECT_EQ(mesh->GetVertices()[5].position.x, Line(1)->end.x);
    EXPECT_EQ(mesh->GetVertices()[5].diffuse, 0xFFFFFFFFu);
    EXPECT_EQ(mesh->GetWorldVertices().size(), 24u);
}

TEST_F(SplineTest, LineMeshTakesTheSharedTestMaterial)
{
    CPEffectLibrary effects;
    CPTextureLibrary textures;
    CPMaterialLibrary materials{effects, textures};
    ServiceOverride<GetMaterialLibrary, SetMaterialLibrary> installedMaterialLibrary(&materials);
    {
        CPSpline lines;
        Bytes bytes;
        bytes.Spline("c_path", false, {Straight({0, 0, 0}, {100, 0, 0})});
        folder.Write("mesh.bin", bytes.data);
        CPFileReader reader("mesh.bin", false);
        ASSERT_EQ(reader.Load(), S_OK);
        ASSERT_TRUE(lines.Load(reader));
        CPObjectPtr material;
        lines.GetRenderObject().As<CPRenderObject>()->GetMaterial(material);
        ASSERT_TRUE(material);
        EXPECT_EQ(material.Get(), materials.GetMaterial("test.fx", {"error.tga"}, 10));
        EXPECT_EQ(material.As<CPMaterial>()->GetOption(), 10);
    }
}

TEST_F(SplineTest, SplineNeverJoinsTheKernel)
{
    EXPECT_EQ(spline.GetTypeName(), "CPSpline");
    EXPECT_EQ(spline.GetName(), "CPSpline");
    spline.Activate(100);
    EXPECT_FALSE(spline.IsActive());
}

TEST_F(SplineTest, NameEndsAtTheFirstZeroByte)
{
    Bytes bytes;
    bytes.Text(std::string("c_path\0xy", 9));
    bytes.Int(0);
    bytes.Int(1);
    const Segment s = Straight({0, 0, 0}, {100, 0, 0});
    for (const Vector3& p : {s.start, s.end, s.control1, s.control2})
        bytes.Point(p);
    Load(bytes.data);
    EXPECT_EQ(spline.GetSplineName(), "c_path");
    EXPECT_EQ(spline.GetRingSize(), 8u);
}

TEST_F(SplineTest, SplinesWithoutLinesHaveNoRing)
{
    struct Case {
        const char* what;
        std::string bytes;
        bool loaded;
    };
    Bytes none, negative, flat, truncated, huge, cut;
    none.Spline("c_path", true, {});
    negative.Text("c_path");
    negative.Int(1);
    negative.Int(-3);
    flat.Spline("c_path", true, {Straight({0, 0, 0}, {0, 0, 90})});
    truncated.Spline("c_path", false, {Straight({0, 0, 0}, {100, 0, 0})});
    truncated.data.resize(truncated.data.size() - 4);
    huge.Text("c_path");
    huge.Int(0);
    huge.Int(0x7FFFFFFF);
    cut.Spline("c_path", false, {Straight({0, 0, 0}, {1e9f, 0, 0})});
    cut.data.resize(4 + 6 + 2); // inside the closed flag
    Bytes far;
    far.Spline("c_path", false, {Straight({0, 0, 0}, {1e9f, 0, 0})});
    const Case cases[] = {
        {"no segment", none.data, true},
        {"negative count", negative.data, true},
        {"vertical only", flat.data, true},
        {"segment cut short", truncated.data, false},
        {"count beyond the data", huge.data, false},
        {"record cut in its header", cut.data, false},
        {"too long to cut into lines", far.data, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CPSpline s;
        folder.Write("bad.bin", c.bytes);
        CPFileReader reader("bad.bin", false);
        ASSERT_EQ(reader.Load(), S_OK);
        EXPECT_EQ(s.Load(reader), c.loaded);
        EXPECT_EQ(s.GetFirstLine(), nullptr);
        EXPECT_EQ(s.GetRingSize(), 0u);
        // Searching and dropping a ringless spline answer nothing.
        CPLine* line = nullptr;
        float offset = 20.0f;
        EXPECT_EQ(s.FindClosestSegment({1, 2, 0}, offset, 1, line, -1), 0.0f);
        EXPECT_EQ(line, nullptr);
        EXPECT_EQ(offset, 0.0f);
        s.DropToGround();
    }
    EXPECT_TRUE(log.Contains("CPSpline"));
}

// --- Search ------------------------------------------------------------------

class SplineSearchTest : public SplineTest {
  protected:
    // 100 along +x, then 100 along +y: lines 0-7 run along x, line 8 turns
    // the corner from (93.33, 0) to (100, 5), lines 9-16 run along y.
    void SetUp() override
    {
        SplineTest::SetUp();
        Load("c_path", false, {Straight({0, 0, 0}, {100, 0, 0}), Straight({100, 0, 0}, {100, 100, 0})});
        ASSERT_EQ(spline.GetRingSize(), 17u);
    }
};

TEST_F(SplineSearchTest, FindsTheNearestLineAndItsSignedOffset)
{
    struct Case {
        Vector3 point;
        float half;
        int steps;
        int found;
        int answered;
        float angle;
        float offset;
    } cases[] = {
        // Right of the driving direction (-x) when y > 0.
        {{50, 3, 0}, 20, 0, 4, 4, kPi, -3.0f},
        {{50, -2, 0}, 40, 0, 4, 4, kPi, 2.0f},
        // Driving -y up the second leg: +x lies to the left.
        {{101, 10, 0}, 20, 0, 9, 9, 3 * kPi / 2, 1.0f},
        // One step ahead answers the corner line before it: direction
        // (0.8, 0.6), left normal of the driving direction (0.6, -0.8);
        // (101 - 93.33, 10) . (0.6, -0.8) = -3.4.
        {{101, 10, 0}, 40, 1, 9, 8, kPi + 0.6435011f, -3.4f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.found);
        CPLine* line = spline.GetFirstLine();
        float offset = c.half;
        const float angle = spline.FindClosestSegment(c.point, offset, c.steps, line, -1);
        EXPECT_EQ(line, Line(c.found));
        EXPECT_EQ(spline.GetCurrentLine(), Line(c.found));
        EXPECT_NEAR(angle, c.angle, 1e-4f);
        EXPECT_NEAR(offset, c.offset, 2e-3f);
        EXPECT_NEAR(angle, Line(c.answered)->angle, 0.0f);
    }
}

TEST_F(SplineSearchTest, FarPointAnswersTheStartLine)
{
    CPLine* line = Line(5);
    float offset = 20.0f;
    const float angle = spline.FindClosestSegment({-500, 1000, 0}, offset, 1, line, -1);
    EXPECT_EQ(line, Line(5));
    // Stepped once: line 4, along x at y = 0; driving -x, so +y is right.
    EXPECT_NEAR(angle, kPi, 1e-5f);
    EXPECT_NEAR(offset, -1000.0f, 1e-2f);
}

TEST_F(SplineSearchTest, NullOrSpareStartLineStartsFromTheFirstLine)
{
    for (CPLine* start : {static_cast<CPLine*>(nullptr), Line(17)}) {
        CPLine* line = start;
        float offset = 20.0f;
        spline.FindClosestSegment({5, 1, 0}, offset, 0, line, -1);
        EXPECT_EQ(line, Line(0));
        EXPECT_NEAR(offset, -1.0f, 1e-4f);
    }
}

TEST_F(SplineSearchTest, DropToGroundTakesTheGroundHeightOfEveryLine)
{
    // A world without a collision mesh answers 0 everywhere.
    Load("c_path", false, {Straight({0, 0, 7}, {100, 0, 7})});
    spline.DropToGround(); // no world: nothing changes
    EXPECT_NEAR(Line(2)->start.z, 7.0f, 1e-4f);
    CPPhysicsWorld world;
    ServiceOverride<GetPhysicsWorld, SetPhysicsWorld> installedPhysicsWorld(&world);
    spline.DropToGround();
    for (const auto& line : spline.GetLines()) {
        EXPECT_EQ(line->start.z, 0.0f);
        EXPECT_EQ(line->end.z, 0.0f);
        EXPECT_EQ(line->centre.z, 0.0f);
    }
}

TEST_F(SplineSearchTest, OfTwoEquallyNearLinesTheOneReachedFirstStays)
{
    // Lines 3 and 4 lie exactly 5 from the point on either side.
    Line(3)->centre = Vector3{40, 0, 0};
    Line(4)->centre = Vector3{50, 0, 0};
    const struct {
        int start;
        int found;
    } cases[] = {{0, 3}, {6, 4}, {3, 3}, {4, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start);
        CPLine* line = Line(c.start);
        float offset = 20.0f;
        spline.FindClosestSegment({45, 0, 0}, offset, 0, line, -1);
        EXPECT_EQ(line, Line(c.found));
    }
}

TEST_F(SplineSearchTest, DropToGroundGivesStartEndAndCentreTheHeightsUnderThem)
{
    // Ground that rises one unit every 8 along x: vertices at x = 0, 8, ...,
    // 104 on the rows y = -4 and y = 4, each at height x / 8.
    CPGameObject ground("land");
    auto* mesh = new CPRenderObject(&ground);
    ground.SetRenderObject(CPObjectPtr(mesh), CPGameObject::kMeshObject);
    ground.UpdateBounds();
    for (int i = 0; i <= 13; ++i) {
        for (float y : {-4.0f, 4.0f}) {
            CPMeshVertex v;
            v.position = Vector3{8.0f * i, y, static_cast<float>(i)};
            mesh->GetVertices().push_back(v);
        }
        if (i < 13) {
            const std::uint16_t k = static_cast<std::uint16_t>(2 * i);
            for (std::uint16_t index : {k, static_cast<std::uint16_t>(k + 1),
                                        static_cast<std::uint16_t>(k + 2), static_cast<std::uint16_t>(k + 1),
                                        static_cast<std::uint16_t>(k + 3), static_cast<std::uint16_t>(k + 2)})
                mesh->GetIndices().push_back(index);
        }
    }
    CPPhysicsWorld world;
    ASSERT_TRUE(world.BuildCollisionMesh(CPObjectPtr(mesh)));
    ServiceOverride<GetPhysicsWorld, SetPhysicsWorld> installedPhysicsWorld(&world);
    Load("c_path", false, {Straight({0, 0, 7}, {100, 0, 7})});
    spline.DropToGround();

    // The height of the vertex nearest to (x, 0, 0), found by hand from
    // the rows: the nearest column c with the distance (x - 8c)^2 + 16 + c^2.
    auto height = [](float x) {
        int best = 0;
        float bestDistance = 1e30f;
        for (int c = 0; c <= 13; ++c) {
            const float d = (x - 8.0f * c) * (x - 8.0f * c) + 16.0f + static_cast<float>(c * c);
            if (d < bestDistance) {
                bestDistance = d;
                best = c;
            }
        }
        return static_cast<float>(best);
    };
    for (std::size_t i = 0; i + 1 < spline.GetLines().size(); ++i) {
        SCOPED_TRACE(i);
        const CPLine& line = *Line(i);
        EXPECT_EQ(line.start.z, height(line.start.x));
        EXPECT_EQ(line.end.z, height(line.end.x));
        EXPECT_EQ(line.centre.z, height(line.centre.x));
    }
    // Start and end of one line stand on different ground.
    EXPECT_NE(Line(2)->start.z, Line(2)->end.z);
}
