#include "Render/ParticleFile.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "Render/EffectManager.h"
#include "Render/Material.h"
#include "Render/MaterialLibrary.h"
#include "Render/ParticleEffect.h"
#include "core/FileReader.h"
#include "core/Log.h"
#include "core/StringUtils.h"
#include "core/TextReader.h"
#include "core/Tokenizer.h"

namespace {

// The prototypes' materials are drawn like the scene files' sprites.
constexpr int kMaterialOption = 0;
constexpr float kMaxValue = 1.0e6f;

struct Section {
    std::string name;
    std::string kind;
    // particles
    std::string effectFile;
    std::string texture;
    CPParticleSettings settings;
    bool hasLife = false, hasSize = false, hasCount = false;
    // emitter
    CPEmitterDesc emitter;
    bool hasDirection = false, hasSpeed = false;
};

// Finite numbers separated by ","; false unless there are exactly `count`.
bool ParseFloats(const std::string& text, float* values, std::size_t count)
{
    CPTokenizer tokenizer(text, ",", true);
    std::size_t read = 0;
    for (std::string token; tokenizer.NextToken(token);) {
        TrimString(token);
        if (read == count || token.empty())
            return false;
        double value = 0.0;
        const char* end = token.data() + token.size();
        const auto result = std::from_chars(token.data(), end, value);
        if (result.ec != std::errc() || result.ptr != end || !(std::fabs(value) <= kMaxValue))
            return false;
        values[read++] = static_cast<float>(value);
    }
    return read == count;
}

bool ParseInt(const std::string& text, int& value)
{
    std::string token = text;
    TrimString(token);
    const char* end = token.data() + token.size();
    const auto result = std::from_chars(token.data(), end, value);
    return !token.empty() && result.ec == std::errc() && result.ptr == end;
}

bool ParseVector(const std::string& text, Vector3& vector)
{
    float values[3] = {0.0f, 0.0f, 0.0f};
    if (!ParseFloats(text, values, 3))
        return false;
    vector = Vector3{values[0], values[1], values[2]};
    return true;
}

class ParticleParser {
  public:
    explicit ParticleParser(std::string fileName) : m_fileName(std::move(fileName)) {}

    bool Parse(CPTextReader& reader)
    {
        std::string line;
        bool isHeader = false;
        while (reader.NextEntry(line, isHeader)) {
            if (isHeader) {
                if (line.empty())
                    return Fail("a section has no name");
                m_sections.emplace_back();
                m_sections.back().name = line;
                continue;
            }
            if (!TakeValue(line))
                return false;
        }
        for (const Section& section : m_sections)
            if (!CheckComplete(section))
                return false;
        return true;
    }

    const std::vector<Section>& Sections() const { return m_sections; }

    bool Fail(const std::string& why)
    {
        LogLine("Particle file \"" + m_fileName + "\" cannot be used: " + why +
                "; no particle effect was loaded");
        return false;
    }

  private:
    bool FailLine(const std::string& line, const std::string& why)
    {
        return Fail("\"" + line + "\" in section \"" + m_sections.back().name + "\" " + why);
    }

    bool TakeValue(const std::string& line)
    {
        if (m_sections.empty())
            return Fail("\"" + line + "\" stands before the first section");
        std::string key;
        std::string value;
        if (!SplitKeyValue(line, key, value))
            return FailLine(line, "is no key = value line");
        ToLowerString(key);
        Section& section = m_sections.back();
        if (key == "kind") {
            if (value != "particles" && value != "emitter")
                return FailLine(line, "names no kind of particles or emitter");
            section.kind = value;
            return true;
        }
        if (section.kind.empty())
            return FailLine(line, "comes before the section's kind");
        const bool known = section.kind == "particles" ? TakeParticles(key, value, section)
                                                       : TakeEmitter(key, value, section);
        if (!m_known)
            return FailLine(line, "has an unknown key");
        return known || FailLine(line, "has a value out of range");
    }

    bool TakeParticles(const std::string& key, const std::string& value, Section& section)
    {
        m_known = true;
        CPParticleSettings& s = section.settings;
        if (key == "effectfile")
            return !(section.effectFile = value).empty();
        if (key == "texturefile1")
            return !(section.texture = value).empty();
        if (key == "life") {
            section.hasLife = true;
            return ParseFloats(value, &s.life, 1) && s.life > 0.0f;
        }
        if (key == "size") {
            section.hasSize = true;
            return ParseFloats(value, &s.size, 1) && s.size >= 0.0f;
        }
        if (key == "grow")
            return ParseFloats(value, &s.grow, 1);
        if (key == "gravity")
            return ParseFloats(value, &s.gravity, 1);
        if (key == "count") {
            section.hasCount = true;
            return ParseInt(value, s.count) && s.count >= 1 && s.count <= CPParticleEffect::kMaxParticles;
        }
        m_known = false;
        return false;
    }

    bool TakeEmitter(const std::string& key, const std::string& value, Section& section)
    {
        m_known = true;
        CPEmitterDesc& e = section.emitter;
        if (key == "effect")
            return !(e.effectName = value).empty();
        if (key == "direction") {
            section.hasDirection = true;
            return ParseVector(value, e.direction) &&
                   (e.direction.x != 0.0f || e.direction.y != 0.0f || e.direction.z != 0.0f);
        }
        if (key == "speed") {
            section.hasSpeed = true;
            return ParseFloats(value, &e.speed, 1);
        }
        if (key == "cone")
            return ParseInt(value, e.coneAngle) &&
                   (e.coneAngle == 0 || (e.coneAngle >= 2 && e.coneAngle <= 360));
        if (key == "spread")
            return ParseVector(value, e.spread) && e.spread.x >= 0.0f && e.spread.y >= 0.0f &&
                   e.spread.z >= 0.0f;
        if (key == "param_a")
            return ParseFloats(value, &e.paramA, 1);
        if (key == "param_b")
            return ParseFloats(value, &e.paramB, 1);
        if (key == "param_d")
            return ParseFloats(value, &e.paramD, 1);
        if (key == "vector_c")
            return ParseVector(value, e.vectorC);
        if (key == "flag") {
            int flag = 0;
            if (!ParseInt(value, flag) || flag < 0 || flag > 255)
                return false;
            e.flag = static_cast<std::uint8_t>(flag);
            return true;
        }
        m_known = false;
        return false;
    }

    bool CheckComplete(const Section& section)
    {
        const std::string which = "section \"" + section.name + "\" ";
        if (section.kind.empty())
            return Fail(which + "has no kind");
        if (section.kind == "particles") {
            if (section.effectFile.empty() || section.texture.empty() || !section.hasLife ||
                !section.hasSize || !section.hasCount)
                return Fail(which + "lacks its effectfile, texturefile1, life, size or count");
            return true;
        }
        if (section.emitter.effectName.empty() || !section.hasDirection || !section.hasSpeed)
            return Fail(which + "lacks its effect, direction or speed");
        return true;
    }

    std::string m_fileName;
    std::vector<Section> m_sections;
    bool m_known = false;
};

} // namespace

bool CPParticleFile::Load(const std::string& fileName, CPEffectManager& manager)
{
    ParticleParser parser(fileName);
    CPFileReader file(fileName, false);
    if (Failed(file.Load()) || file.GetDataSize() == 0)
        return parser.Fail("it cannot be read");
    CPTextReader reader(reinterpret_cast<const char*>(file.GetData()),
                        static_cast<std::int32_t>(file.GetDataSize()));
    if (!parser.Parse(reader))
        return false;
    if (parser.Sections().empty())
        return parser.Fail("it holds no section");
    CPMaterialLibrary* materials = GetMaterialLibrary();
    for (const Section& section : parser.Sections()) {
        if (section.kind == "emitter") {
            manager.RegisterEmitter(section.name, section.emitter);
            continue;
        }
        CPObjectPtr material;
        if (materials)
            material =
                CPObjectPtr(materials->GetMaterial(section.effectFile, {section.texture}, kMaterialOption));
        manager.RegisterPrototype(section.name, new CPParticleEffect(section.settings, material));
    }
    return true;
}
