#pragma once

#include <string>
#include <unordered_map>

#include "core/Object.h"

class CPFont;

// Holds the fonts of the screens by name and lays texts out in them.
class CPInterfaceManager {
  public:
    // Render objects hold indices of 16 bits: a text lays out at most this
    // many glyphs.
    static constexpr std::size_t kMaxGlyphs = 65536 / 4;

    CPInterfaceManager();
    ~CPInterfaceManager();
    CPInterfaceManager(const CPInterfaceManager&) = delete;
    CPInterfaceManager& operator=(const CPInterfaceManager&) = delete;

    // Takes the font (the manager deletes it); a font already held under
    // the name is deleted. Null is refused.
    void AddFont(const std::string& name, CPFont* font);
    // The font of that name; a name no font was added under gets an empty
    // font, which stays.
    CPFont& GetFont(const std::string& name);
    std::size_t GetFontCount() const { return m_fonts.size(); }

    // Lays the text out as one quad per byte into the text object's render
    // object, starting at (x, y); "^" starts a new line. Returns the render
    // object; empty, with nothing changed, when the object is empty or
    // does not hold a mesh render object.
    CPObjectPtr LayoutText(CPObjectPtr textObject, float x, float y, const std::string& fontName,
                           const std::string& text);

  private:
    std::unordered_map<std::string, CPObjectPtr> m_fonts;
};
