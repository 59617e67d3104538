#include "core/StringUtils.h"

#include <cctype>
#include <cmath>

bool IsBlankChar(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string& TrimString(std::string& s)
{
    std::size_t begin = 0;
    while (begin < s.size() && IsBlankChar(s[begin]))
        ++begin;
    s.erase(0, begin);
    std::size_t end = s.size();
    while (end > 0 && IsBlankChar(s[end - 1]))
        --end;
    s.erase(end);
    return s;
}

bool IsIntegerString(const std::string& s)
{
    for (char c : s) {
        if ((c < '0' || c > '9') && c != '-')
            return false;
    }
    return true;
}

// The C library's case functions take an unsigned char value; bytes above
// 127 in a plain (signed) char would be negative and undefined.
std::string& ToLowerString(std::string& s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string& ToUpperString(std::string& s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

float IntersectRayPlane(const Vector3& origin, const Vector3& direction, const Plane& plane)
{
    const float denominator = direction.z * plane.c + direction.y * plane.b + direction.x * plane.a;
    if (denominator >= 0.0f)
        return -1.0f;
    const float distance = plane.a * origin.x + plane.b * origin.y + plane.c * origin.z + plane.d;
    return -distance / denominator;
}

namespace {

struct Point2 {
    float p, q;
};

// Whether the edge from e1 to e2 passes at or above the point, counted
// when the point's p lies within the edge's span. A half-open span
// ([min, max)) lets two edges that meet in a corner count once between them.
bool EdgeAbove(const Point2& point, const Point2& e1, const Point2& e2, bool closedSpan)
{
    const bool within = closedSpan
                            ? ((e1.p <= point.p && point.p <= e2.p) || (e2.p <= point.p && point.p <= e1.p))
                            : ((e1.p <= point.p && point.p < e2.p) || (e2.p <= point.p && point.p < e1.p));
    if (!within)
        return false;
    // An edge that runs straight along q has no height at p (0/0); the
    // edges beside it decide.
    if (e1.p == e2.p)
        return false;
    const float edgeQ = e1.q + (point.p - e1.p) * (e2.q - e1.q) / (e2.p - e1.p);
    return point.q <= edgeQ;
}

} // namespace

bool IsPointInTriangle(const Vector3& p, const Vector3& a, const Vector3& b, const Vector3& c)
{
    const Vector3 u{a.x - b.x, a.y - b.y, a.z - b.z};
    const Vector3 v{c.x - b.x, c.y - b.y, c.z - b.z};
    const float nx = std::fabs(u.y * v.z - u.z * v.y);
    const float ny = std::fabs(u.x * v.z - u.z * v.x);
    const float nz = std::fabs(u.x * v.y - u.y * v.x);

    auto project = [&](const Vector3& w) -> Point2 {
        if (nz >= nx && nz > ny)
            return {w.x, w.y};
        if (ny >= nz && ny >= nx)
            return {w.x, w.z};
        return {w.y, w.z};
    };
    const Point2 point = project(p);
    const Point2 pa = project(a);
    const Point2 pb = project(b);
    const Point2 pc = project(c);

    int crossings = 0;
    crossings += EdgeAbove(point, pa, pb, false) ? 1 : 0;
    crossings += EdgeAbove(point, pb, pc, false) ? 1 : 0;
    crossings += EdgeAbove(point, pc, pa, true) ? 1 : 0;
    return crossings == 1;
}

double ClampedAcos(float x)
{
    if (x > 1.0f)
        return std::acos(1.0);
    if (x < -1.0f)
        return std::acos(-1.0);
    return std::acos(static_cast<double>(x));
}

double ClampedAsin(float x)
{
    if (x > 1.0f)
        return std::asin(1.0);
    if (x < -1.0f)
        return std::asin(-1.0);
    return std::asin(static_cast<double>(x));
}

bool SplitKeyValue(const std::string& line, std::string& key, std::string& value)
{
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos)
        return false;
    key = line.substr(0, equals);
    value = line.substr(equals + 1);
    TrimString(key);
    TrimString(value);
    return true;
}
