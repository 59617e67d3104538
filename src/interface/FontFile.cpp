#include "interface/FontFile.h"

#include <charconv>
#include <cstdint>
#include <memory>
#include <vector>

#include "Render/Material.h"
#include "Render/MaterialLibrary.h"
#include "core/FileReader.h"
#include "core/Log.h"
#include "core/StringUtils.h"
#include "core/TextReader.h"
#include "core/Tokenizer.h"
#include "interface/Font.h"
#include "interface/InterfaceManager.h"

namespace {

// Fonts share the option of the screens' own materials.
constexpr int kMaterialOption = 200;

struct GlyphEntry {
    int code = 0;
    int cell = 0;
    int advance = 0;
};

struct FontEntry {
    std::string name;
    std::string texture;
    std::string effect = "interface.fx";
    int size[2] = {0, 0};
    int cell[2] = {0, 0};
    int columns = 0;
    int lineHeight = 0;
    std::vector<GlyphEntry> glyphs;
};

// Whole numbers separated by ","; false unless there are exactly `count`.
bool ParseInts(const std::string& text, int* values, std::size_t count)
{
    CPTokenizer tokenizer(text, ",", true);
    std::size_t read = 0;
    for (std::string token; tokenizer.NextToken(token);) {
        TrimString(token);
        if (read == count || token.empty())
            return false;
        const char* end = token.data() + token.size();
        const auto result = std::from_chars(token.data(), end, values[read]);
        if (result.ec != std::errc() || result.ptr != end)
            return false;
        ++read;
    }
    return read == count;
}

class FontParser {
  public:
    explicit FontParser(std::string fileName) : m_fileName(std::move(fileName)) {}

    bool Parse(CPTextReader& reader)
    {
        std::string line;
        bool isHeader = false;
        while (reader.NextEntry(line, isHeader)) {
            ++m_line;
            if (isHeader) {
                if (line.empty())
                    return Fail("a font section has no name");
                m_fonts.emplace_back();
                m_fonts.back().name = line;
                continue;
            }
            if (!TakeValue(line))
                return false;
        }
        if (m_fonts.empty())
            return Fail("it holds no font");
        for (const FontEntry& font : m_fonts)
            if (!CheckComplete(font))
                return false;
        return true;
    }

    const std::vector<FontEntry>& Fonts() const { return m_fonts; }

  private:
    bool Fail(const std::string& why)
    {
        LogLine("Font file \"" + m_fileName + "\" cannot be used: " + why + "; no font was loaded");
        return false;
    }
    bool FailLine(const std::string& line, const std::string& why)
    {
        return Fail("value line " + std::to_string(m_line) + " \"" + line + "\" " + why);
    }

    bool TakeValue(const std::string& line)
    {
        if (m_fonts.empty())
            return FailLine(line, "stands before the first font section");
        std::string key;
        std::string value;
        if (!SplitKeyValue(line, key, value))
            return FailLine(line, "is no key = value line");
        ToLowerString(key);
        FontEntry& font = m_fonts.back();
        bool ok = true;
        if (key == "texture")
            font.texture = value;
        else if (key == "effect")
            font.effect = value;
        else if (key == "size")
            ok = ParseInts(value, font.size, 2) && font.size[0] > 0 && font.size[1] > 0;
        else if (key == "cell")
            ok = ParseInts(value, font.cell, 2) && font.cell[0] > 0 && font.cell[1] > 0;
        else if (key == "columns")
            ok = ParseInts(value, &font.columns, 1) && font.columns > 0;
        else if (key == "line_height")
            ok = ParseInts(value, &font.lineHeight, 1) && font.lineHeight > 0;
        else if (key == "glyph")
            return TakeGlyph(line, value, font);
        else
            return FailLine(line, "has an unknown key");
        return ok || FailLine(line, "has a value out of range");
    }

    bool TakeGlyph(const std::string& line, const std::string& value, FontEntry& font)
    {
        int fields[3] = {0, 0, 0};
        if (!ParseInts(value, fields, 3))
            return FailLine(line, "needs a code, a cell and an advance");
        if (fields[0] < 0 || fields[0] > 255 || fields[1] < 0 || fields[2] < 0)
            return FailLine(line, "has a value out of range");
        font.glyphs.push_back(GlyphEntry{fields[0], fields[1], fields[2]});
        return true;
    }

    // Every glyph's cell must lie inside the picture.
    bool CheckComplete(const FontEntry& font)
    {
        const std::string which = "font \"" + font.name + "\" ";
        if (font.texture.empty() || font.size[0] == 0 || font.cell[0] == 0 || font.columns == 0 ||
            font.lineHeight == 0)
            return Fail(which + "lacks its texture, size, cell, columns or line_height");
        if (font.glyphs.empty())
            return Fail(which + "has no glyph");
        // Products in 64 bits: a file may give any int, and an overflowed
        // product would pass a font whose cells lie outside its picture.
        if (static_cast<std::int64_t>(font.columns) * font.cell[0] > font.size[0])
            return Fail(which + "has more columns than its picture is wide");
        for (const GlyphEntry& glyph : font.glyphs) {
            const std::int64_t bottom =
                (static_cast<std::int64_t>(glyph.cell) / font.columns + 1) * font.cell[1];
            if (bottom > font.size[1])
                return Fail(which + "puts character " + std::to_string(glyph.code) + " in cell " +
                            std::to_string(glyph.cell) + ", below its picture");
        }
        return true;
    }

    std::string m_fileName;
    int m_line = 0;
    std::vector<FontEntry> m_fonts;
};

std::unique_ptr<CPFont> BuildFont(const FontEntry& entry)
{
    auto font = std::make_unique<CPFont>();
    const float cellWidth = static_cast<float>(entry.cell[0]) / static_cast<float>(entry.size[0]);
    const float cellHeight = static_cast<float>(entry.cell[1]) / static_cast<float>(entry.size[1]);
    for (const GlyphEntry& glyph : entry.glyphs) {
        CPFont::GlyphRect& rect = font->glyphs[static_cast<std::size_t>(glyph.code)];
        rect.left = static_cast<float>(glyph.cell % entry.columns) * cellWidth;
        rect.top = static_cast<float>(glyph.cell / entry.columns) * cellHeight;
        rect.right = rect.left + cellWidth;
        rect.bottom = rect.top + cellHeight;
        font->widths[static_cast<std::size_t>(glyph.code)] = static_cast<float>(glyph.advance);
    }
    font->lineHeight = static_cast<float>(entry.lineHeight);
    if (CPMaterialLibrary* library = GetMaterialLibrary())
        font->material = CPObjectPtr(library->GetMaterial(entry.effect, {entry.texture}, kMaterialOption));
    else
        LogLine("Font \"" + entry.name + "\": no material library; its texts are drawn without texture");
    return font;
}

} // namespace

bool CPFontFile::Load(const std::string& fileName, CPInterfaceManager& manager)
{
    CPFileReader file(fileName, false);
    if (file.Load() != S_OK) {
        LogLine("Font file \"" + fileName + "\" cannot be read; no font was loaded");
        return false;
    }
    CPTextReader reader(reinterpret_cast<const char*>(file.GetData()),
                        static_cast<std::int32_t>(file.GetDataSize()));
    FontParser parser(fileName);
    if (!parser.Parse(reader))
        return false;
    for (const FontEntry& entry : parser.Fonts())
        manager.AddFont(entry.name, BuildFont(entry).release());
    return true;
}
