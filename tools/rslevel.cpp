// Builds a level file (".lvl") from a text description.
//   rslevel DESCRIPTION LEVEL
//
// The description holds one statement a line ("#" starts a comment):
//   header A B C D                 the four header floats (default 0 0 1500 0)
//   lights N                       N light records, all zero (default 0)
//   object NAME X Y Z [QX QY QZ QW [SX SY SZ]]
//                                  an object record; the rotation defaults
//                                  to 0 0 0 1, the scale to 1 1 1
//   spline NAME open|closed        starts a spline record; its segments follow
//   segment X0 Y0 Z0 X1 Y1 Z1 X2 Y2 Z2 X3 Y3 Z3
//                                  a cubic piece by its four control points
//   line X0 Y0 Z0 X3 Y3 Z3         a straight piece, control points at thirds
//   end                            ends the spline
// Names are single words (commas allowed). Objects and splines keep the
// order of the description.
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Segment {
    float points[4][3] = {}; // in curve order B0 B1 B2 B3
};

struct Spline {
    std::string name;
    bool closed = false;
    std::vector<Segment> segments;
};

struct Object {
    std::string name;
    float values[10] = {0, 0, 0, 0, 0, 0, 1, 1, 1, 1};
};

struct Description {
    float header[4] = {0.0f, 0.0f, 1500.0f, 0.0f};
    int lights = 0;
    std::vector<Object> objects;
    std::vector<Spline> splines;
};

class Writer {
  public:
    void Int(std::int32_t value) { Raw(&value, 4); }
    void Float(float value) { Raw(&value, 4); }
    void Text(const std::string& text)
    {
        Int(static_cast<std::int32_t>(text.size()));
        Raw(text.data(), text.size());
    }
    void Raw(const void* data, std::size_t size) { bytes.append(static_cast<const char*>(data), size); }
    std::string bytes;
};

bool Fail(int line, const std::string& message)
{
    std::fprintf(stderr, "line %d: %s\n", line, message.c_str());
    return false;
}

// Reads exactly `count` finite numbers, then no more words.
bool ReadNumbers(std::istringstream& in, float* out, int count)
{
    for (int i = 0; i < count; ++i) {
        if (!(in >> out[i]) || !std::isfinite(out[i]))
            return false;
    }
    std::string rest;
    return !(in >> rest);
}

// Reads between `least` and `most` numbers; how many came back in `count`.
bool ReadSomeNumbers(std::istringstream& in, float* out, int most, int& count)
{
    count = 0;
    std::string word;
    while (in >> word) {
        if (count == most)
            return false;
        std::istringstream number(word);
        number.imbue(std::locale::classic());
        if (!(number >> out[count]) || !std::isfinite(out[count]) || !number.eof())
            return false;
        ++count;
    }
    return true;
}

bool ParseObject(std::istringstream& in, int lineNumber, Description& description)
{
    Object object;
    if (!(in >> object.name))
        return Fail(lineNumber, "object needs a name");
    int count = 0;
    if (!ReadSomeNumbers(in, object.values, 10, count) || (count != 3 && count != 7 && count != 10))
        return Fail(lineNumber, "object needs 3, 7 or 10 numbers after its name");
    description.objects.push_back(object);
    return true;
}

bool ParseSegment(const std::string& word, std::istringstream& in, int lineNumber, Spline& spline)
{
    Segment segment;
    if (word == "segment") {
        if (!ReadNumbers(in, &segment.points[0][0], 12))
            return Fail(lineNumber, "segment needs 12 numbers");
    } else {
        float ends[6];
        if (!ReadNumbers(in, ends, 6))
            return Fail(lineNumber, "line needs 6 numbers");
        for (int p = 0; p < 4; ++p) {
            const float t = static_cast<float>(p) / 3.0f;
            for (int axis = 0; axis < 3; ++axis)
                segment.points[p][axis] = ends[axis] + (ends[3 + axis] - ends[axis]) * t;
        }
    }
    spline.segments.push_back(segment);
    return true;
}

bool Parse(std::istream& text, Description& description)
{
    std::string line;
    int lineNumber = 0;
    Spline* spline = nullptr;
    while (std::getline(text, line)) {
        ++lineNumber;
        const std::size_t comment = line.find('#');
        if (comment != std::string::npos)
            line.erase(comment);
        std::istringstream in(line);
        in.imbue(std::locale::classic());
        std::string word;
        if (!(in >> word))
            continue;
        if (spline) {
            if (word == "end") {
                spline = nullptr;
            } else if (word == "segment" || word == "line") {
                if (!ParseSegment(word, in, lineNumber, *spline))
                    return false;
            } else {
                return Fail(lineNumber, "\"" + word + "\" inside a spline; segment, line or end expected");
            }
            continue;
        }
        if (word == "header") {
            if (!ReadNumbers(in, description.header, 4))
                return Fail(lineNumber, "header needs 4 numbers");
        } else if (word == "lights") {
            if (!(in >> description.lights) || description.lights < 0)
                return Fail(lineNumber, "lights needs a count of 0 or more");
        } else if (word == "object") {
            if (!ParseObject(in, lineNumber, description))
                return false;
        } else if (word == "spline") {
            Spline next;
            std::string kind;
            if (!(in >> next.name >> kind) || (kind != "open" && kind != "closed"))
                return Fail(lineNumber, "spline needs a name and open or closed");
            next.closed = kind == "closed";
            description.splines.push_back(next);
            spline = &description.splines.back();
        } else {
            return Fail(lineNumber, "unknown statement \"" + word + "\"");
        }
    }
    if (spline)
        return Fail(lineNumber, "the spline \"" + spline->name + "\" has no end");
    return true;
}

std::string Write(const Description& description)
{
    Writer out;
    for (float value : description.header)
        out.Float(value);
    out.Int(description.lights);
    if (description.lights > 0) {
        out.bytes.append(4 + 12 * 4, '\0');
        out.bytes.append(static_cast<std::size_t>(description.lights - 1) * 28, '\0');
    }
    out.Int(static_cast<std::int32_t>(description.objects.size()));
    for (const Object& object : description.objects) {
        out.Text(object.name);
        for (float value : object.values)
            out.Float(value);
    }
    out.Int(static_cast<std::int32_t>(description.splines.size()));
    for (const Spline& spline : description.splines) {
        out.Text(spline.name);
        out.Int(spline.closed ? 1 : 0);
        out.Int(static_cast<std::int32_t>(spline.segments.size()));
        // Stored as start, end, then the two inner control points.
        for (const Segment& segment : spline.segments) {
            for (int p : {0, 3, 1, 2}) {
                for (float value : segment.points[p])
                    out.Float(value);
            }
        }
    }
    return out.bytes;
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C");
    if (argc != 3) {
        std::fprintf(stderr, "Usage: %s DESCRIPTION LEVEL\n", argv[0]);
        return 2;
    }
    std::ifstream text(argv[1]);
    if (!text) {
        std::fprintf(stderr, "cannot read \"%s\"\n", argv[1]);
        return 1;
    }
    Description description;
    if (!Parse(text, description))
        return 1;
    const std::string bytes = Write(description);
    // Written beside the target and renamed over it, so that a failed write
    // never leaves half a level behind.
    const std::string temporary = std::string(argv[2]) + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !out.flush()) {
            std::remove(temporary.c_str());
            std::fprintf(stderr, "cannot write \"%s\"\n", argv[2]);
            return 1;
        }
    }
    if (std::rename(temporary.c_str(), argv[2]) != 0) {
        std::remove(temporary.c_str());
        std::fprintf(stderr, "cannot write \"%s\"\n", argv[2]);
        return 1;
    }
    return 0;
}
