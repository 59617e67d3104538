#pragma once

#include <string>

#include "platform/MathTypes.h"

// Small helpers shared across the engine. Strings are byte strings and
// nothing here depends on a locale beyond the default "C" one.

// Space, tab, carriage return and line feed.
bool IsBlankChar(char c);

// Removes blank bytes from both ends, in place; returns the same string.
std::string& TrimString(std::string& s);

// True when every byte is a digit or "-" (anywhere, any number of times);
// true for the empty string.
bool IsIntegerString(const std::string& s);

// Cuts a "key = value" line at its first "=" into the trimmed key and
// value; false, leaving both untouched, when the line holds no "=".
bool SplitKeyValue(const std::string& line, std::string& key, std::string& value);

// Changes the case of every byte in place; returns the same string.
std::string& ToLowerString(std::string& s);
std::string& ToUpperString(std::string& s);

// The ray parameter t where origin + t * direction meets the plane, or -1
// when the ray is parallel to it or meets it from behind (the direction
// does not point against the plane's normal). t may be negative when the
// plane lies behind the origin; callers decide which range they accept.
float IntersectRayPlane(const Vector3& origin, const Vector3& direction, const Plane& plane);

// Whether p lies inside the triangle a, b, c as seen along the axis the
// triangle faces most. Points exactly on an edge may count either way.
bool IsPointInTriangle(const Vector3& p, const Vector3& a, const Vector3& b, const Vector3& c);

// Arccosine and arcsine that clamp their argument to [-1, 1] first, so a
// rounding error just outside the range does not give NaN.
double ClampedAcos(float x);
double ClampedAsin(float x);
