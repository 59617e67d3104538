#pragma once

#include <string>

class CPInterfaceManager;

// Reads the fonts of the screens from a font file and hands them to the
// interface manager. The file holds one section per font:
//   [main]
//   texture = font_main.tga        glyph picture in Data\Textures
//   effect = interface.fx          effect of the font's material
//   size = 256,64                  the picture's width and height in pixels
//   cell = 16,16                   width and height of a glyph cell
//   columns = 16                   cells in a row of the picture
//   line_height = 16               pixels from one line of text to the next
//   glyph = 65,10,14               character code, cell index, advance
// A file that cannot be read, or in which any font is incomplete or holds a
// value out of range, adds no font: the reason goes to the log.
class CPFontFile {
  public:
    static constexpr const char* kDefaultFile = "Data\\Interface\\fonts.txt";

    static bool Load(const std::string& fileName, CPInterfaceManager& manager);
};
