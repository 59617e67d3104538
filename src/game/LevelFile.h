#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/MathTypes.h"

class CPSpline;

// One object of a level file: its name and placement. The rotation is
// stored as written; objects stand turned by its conjugate.
struct CPLevelObjectRecord {
    std::string name;
    Vector3 position;
    Quaternion rotation;
    Vector3 scale{1.0f, 1.0f, 1.0f};
};

// The contents of a ".lvl" file: a header of four floats, the lights
// (only their count matters), the object records and the spline records.
// All little-endian:
//   4 floats                header (the third is half the level width)
//   int32 N                 lights; N > 0: 4 bytes and 12 floats, then
//                           N - 1 records of 28 bytes
//   int32 M, M records      text name, 3 floats position, 4 floats
//                           rotation (x y z w), 3 floats scale
//   int32 K, K records      splines (CPSpline::Load)
// A text is an int32 length followed by that many bytes.
struct CPLevelFile {
    static constexpr std::uint32_t kFirstLightBytes = 4 + 12 * 4;
    static constexpr std::uint32_t kFurtherLightBytes = 28;
    // An object record with an empty name.
    static constexpr std::uint32_t kMinObjectBytes = 4 + 10 * 4;
    // A spline record with an empty name and no segments.
    static constexpr std::uint32_t kMinSplineBytes = 3 * 4;

    CPLevelFile();
    ~CPLevelFile();
    CPLevelFile(const CPLevelFile&) = delete;
    CPLevelFile& operator=(const CPLevelFile&) = delete;

    std::array<float, 4> header{};
    std::int32_t lightCount = 0;
    std::vector<CPLevelObjectRecord> objects;
    // Owned until taken.
    std::vector<std::unique_ptr<CPSpline>> splines;

    // Reads the file whole. False, with a line in the log naming the file
    // and the fault, when it cannot be read, is cut short, lists more than
    // it holds, holds a number that is not finite or a broken spline; the
    // contents are then empty.
    bool Read(const std::string& fileName);

  private:
    bool Fail(const std::string& fileName, const std::string& fault);
};
