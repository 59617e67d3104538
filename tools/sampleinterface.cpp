// Generates the sample interface: the main menu, profile, shop, heads-up
// display and results screens (.int), the picture they cut their windows from, and the
// font: a glyph picture drawn from a 5 x 7 dot table and the font file that
// tells where each glyph lies. The same bytes on every run.
//   sampleinterface TEXTURE_FOLDER INTERFACE_FOLDER
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "SampleFiles.h"

namespace fs = std::filesystem;

namespace {

// Dots of the glyphs, one byte per row (bit 4 is the leftmost column).
struct Glyph {
    char code;
    std::uint8_t rows[7];
};

const Glyph kGlyphs[] = {
    {'0', {14, 17, 19, 21, 25, 17, 14}}, {'1', {4, 12, 4, 4, 4, 4, 14}},
    {'2', {14, 17, 1, 2, 4, 8, 31}},     {'3', {31, 2, 4, 2, 1, 17, 14}},
    {'4', {2, 6, 10, 18, 31, 2, 2}},     {'5', {31, 16, 30, 1, 1, 17, 14}},
    {'6', {6, 8, 16, 30, 17, 17, 14}},   {'7', {31, 1, 2, 4, 8, 8, 8}},
    {'8', {14, 17, 17, 14, 17, 17, 14}}, {'9', {14, 17, 17, 15, 1, 2, 12}},
    {'A', {14, 17, 17, 31, 17, 17, 17}}, {'B', {30, 17, 17, 30, 17, 17, 30}},
    {'C', {14, 17, 16, 16, 16, 17, 14}}, {'D', {28, 18, 17, 17, 17, 18, 28}},
    {'E', {31, 16, 16, 30, 16, 16, 31}}, {'F', {31, 16, 16, 30, 16, 16, 16}},
    {'G', {14, 17, 16, 23, 17, 17, 15}}, {'H', {17, 17, 17, 31, 17, 17, 17}},
    {'I', {14, 4, 4, 4, 4, 4, 14}},      {'J', {7, 2, 2, 2, 2, 18, 12}},
    {'K', {17, 18, 20, 24, 20, 18, 17}}, {'L', {16, 16, 16, 16, 16, 16, 31}},
    {'M', {17, 27, 21, 21, 17, 17, 17}}, {'N', {17, 17, 25, 21, 19, 17, 17}},
    {'O', {14, 17, 17, 17, 17, 17, 14}}, {'P', {30, 17, 17, 30, 16, 16, 16}},
    {'Q', {14, 17, 17, 17, 21, 18, 13}}, {'R', {30, 17, 17, 30, 20, 18, 17}},
    {'S', {15, 16, 16, 14, 1, 1, 30}},   {'T', {31, 4, 4, 4, 4, 4, 4}},
    {'U', {17, 17, 17, 17, 17, 17, 14}}, {'V', {17, 17, 17, 17, 17, 10, 4}},
    {'W', {17, 17, 17, 21, 21, 21, 10}}, {'X', {17, 17, 10, 4, 10, 17, 17}},
    {'Y', {17, 17, 10, 4, 4, 4, 4}},     {'Z', {31, 1, 2, 4, 8, 16, 31}},
    {' ', {0, 0, 0, 0, 0, 0, 0}},        {'.', {0, 0, 0, 0, 0, 12, 12}},
    {',', {0, 0, 0, 0, 12, 4, 8}},       {':', {0, 12, 12, 0, 12, 12, 0}},
    {'-', {0, 0, 0, 31, 0, 0, 0}},       {'+', {0, 4, 4, 31, 4, 4, 0}},
    {'/', {0, 1, 2, 4, 8, 16, 0}},       {'!', {4, 4, 4, 4, 4, 0, 4}},
    {'?', {14, 17, 1, 2, 4, 0, 4}},      {'%', {24, 25, 2, 4, 8, 19, 3}},
    {'(', {2, 4, 8, 8, 8, 4, 2}},        {')', {8, 4, 2, 2, 2, 4, 8}},
    {'\'', {4, 4, 8, 0, 0, 0, 0}},       {'_', {0, 0, 0, 0, 0, 0, 31}},
    {'#', {10, 10, 31, 10, 31, 10, 10}}, {'*', {0, 4, 21, 14, 21, 4, 0}},
    {'"', {10, 10, 0, 0, 0, 0, 0}},      {'=', {0, 0, 31, 0, 31, 0, 0}},
};

// Each glyph has a cell of 16 x 16 pixels: its dots are 2 x 2 pixels, with
// a pixel of margin left and top. 16 cells a row on a 256 x 64 picture.
constexpr int kCell = 16;
constexpr int kColumns = 16;
constexpr int kFontWidth = 256;
constexpr int kFontHeight = 64;

std::string FontPicture()
{
    std::vector<std::uint32_t> pixels(kFontWidth * kFontHeight, 0x00FFFFFFu);
    int index = 0;
    for (const Glyph& glyph : kGlyphs) {
        const int left = (index % kColumns) * kCell + 1;
        const int top = (index / kColumns) * kCell + 1;
        for (int row = 0; row < 7; ++row)
            for (int column = 0; column < 5; ++column) {
                if (!(glyph.rows[row] & (16 >> column)))
                    continue;
                for (int dy = 0; dy < 2; ++dy)
                    for (int dx = 0; dx < 2; ++dx)
                        pixels[(top + row * 2 + dy) * kFontWidth + left + column * 2 + dx] = 0xFFFFFFFFu;
            }
        ++index;
    }
    return sample::TgaBytes(kFontWidth, kFontHeight, pixels);
}

std::string GlyphLine(char shown, int cell, int advance)
{
    const std::string code = std::to_string(static_cast<int>(static_cast<unsigned char>(shown)));
    return "glyph = " + code + "," + std::to_string(cell) + "," + std::to_string(advance) + "\n";
}

// The font file: the picture, its size, the cell grid and one line per
// character: its code, its cell and its advance in pixels. Small letters
// share the capitals' cells.
std::string FontFile()
{
    std::string t = "// Sample font: glyph cells on font_main.tga\n[main]\ntexture = font_main.tga\n"
                    "effect = interface.fx\nsize = 256,64\ncell = 16,16\ncolumns = 16\nline_height = 16\n";
    int index = 0;
    for (const Glyph& glyph : kGlyphs) {
        const int advance = glyph.code == ' ' ? 10 : 14;
        t += GlyphLine(glyph.code, index, advance);
        if (glyph.code >= 'A' && glyph.code <= 'Z')
            t += GlyphLine(static_cast<char>(glyph.code - 'A' + 'a'), index, advance);
        ++index;
    }
    return t;
}

// The screens' picture: a panel, a button in its three states, the cursor
// and the bars of the heads-up display, each in its own cell. The panels
// take their cell one texel in from its edges: the picture wraps, so a
// panel drawn from its outer texels would blend in the bars' colours from
// the far side of the picture along its own edge.
std::string ScreenPicture()
{
    const int w = 256;
    const int h = 256;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w * h), 0);
    auto fill = [&](int x0, int y0, int x1, int y1, std::uint32_t colour) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                pixels[static_cast<std::size_t>(y * w + x)] = colour;
    };
    fill(0, 0, 128, 128, 0xC0101830u); // panel
    fill(2, 2, 126, 126, 0xC0203050u);
    fill(128, 0, 256, 32, 0xFF304870u);    // button
    fill(128, 32, 256, 64, 0xFF4870A8u);   // button, mouse over
    fill(128, 64, 256, 96, 0xFF203050u);   // button, pressed
    fill(128, 96, 256, 112, 0xFFD03020u);  // damage bar
    fill(128, 112, 256, 128, 0xFF2060E0u); // nitro bar
    for (int y = 0; y < 16; ++y)           // cursor: an arrow head
        fill(0, 128 + y, y + 1, 129 + y, 0xFFFFFFFFu);
    return sample::TgaBytes(w, h, pixels);
}

std::string Header(const std::string& owner) { return owner + "\nscreen.tga,256,256\nlight,off\n"; }

std::string Button(const std::string& name, int x, int y)
{
    const std::string at = name + " " + std::to_string(x) + "," + std::to_string(y) + ",256,48,";
    return "button\n" + at + "128,0,128,32,true,center\n" + at + "128,32,128,32,true,center\n" + at +
           "128,64,128,32,true,center\n";
}

std::string Text(const std::string& name, int x, int y, const std::string& key, const std::string& anchor)
{
    return "text\n" + name + " main," + std::to_string(x) + "," + std::to_string(y) + "," + key + "," +
           anchor + "\n";
}

std::string Cursor() { return "window\ncursor 0,0,16,16,0,128,16,16\n"; }

// The buttons of a screen stand 60 pixels apart. On the game's screen
// of 640 x 480 a centred screen's point (x, y) shows at (x - 192, y - 144):
// the middle of a button placed at (x, y) is at (x - 64, y - 120). Every
// panel, button and text therefore keeps within 192..832 by 144..624.
std::string MainMenu()
{
    std::string t = "// Main menu: start a race, choose a profile, the shop, or leave\n" + Header("gamemenu");
    t += "window\npanel 312,164,400,460,1,1,126,126,true,center\n";
    t += Text("title", 412, 200, "title_main", "center");
    t += Text("profile_name", 412, 250, "menu_profile", "center");
    const char* buttons[][2] = {
        {"start", "menu_start"}, {"profile", "menu_profile"}, {"shop", "menu_shop"}, {"exit", "menu_exit"}};
    for (int i = 0; i < 4; ++i) {
        const int y = 300 + 60 * i;
        t += Button(buttons[i][0], 384, y) +
             Text(std::string(buttons[i][0]) + "_text", 430, y + 16, buttons[i][1], "center");
    }
    t += Text("money", 412, 560, "menu_money", "center");
    t += "textedit\nplayer_name 430,590,main,16,center\n";
    return t + Cursor();
}

// The six save slots on the left, what to do with the chosen one on the
// right.
std::string Profiles()
{
    std::string t = "// Profiles: the six save slots; new, load, delete\n" + Header("profile");
    t += "window\npanel 212,150,600,470,1,1,126,126,true,center\n";
    t += Text("title", 412, 165, "title_profile", "center");
    for (int i = 1; i <= 6; ++i) {
        const int y = 140 + 60 * i;
        t += Button("slot" + std::to_string(i), 250, y) +
             Text("slot" + std::to_string(i) + "_text", 296, y + 16, "profile_empty", "center");
    }
    const char* buttons[][2] = {
        {"new", "menu_new"}, {"load", "menu_load"}, {"delete", "menu_delete"}, {"back", "menu_back"}};
    for (int i = 0; i < 4; ++i) {
        const int y = 200 + 60 * i;
        t += Button(buttons[i][0], 540, y) +
             Text(std::string(buttons[i][0]) + "_text", 586, y + 16, buttons[i][1], "center");
    }
    t += Text("chosen", 540, 470, "profile_chosen", "center");
    return t + Cursor();
}

// One item at a time: its name, price and text, stepped through with
// Previous and Next; Buy fits it with the money won.
std::string Shop()
{
    std::string t = "// Shop: the items on offer, one at a time, and what the car carries\n" + Header("shop");
    t += "window\npanel 212,150,600,470,1,1,126,126,true,center\n";
    t += Text("title", 412, 165, "title_shop", "center");
    t += Text("money", 260, 190, "shop_money", "center");
    t += Text("item", 260, 250, "shop_item", "center");
    t += Text("price", 260, 290, "shop_price", "center");
    t += Text("text", 260, 330, "shop_text", "center");
    t += Text("fitted", 260, 390, "shop_fitted", "center");
    t += Text("message", 260, 430, "shop_message", "center");
    const char* buttons[][2] = {
        {"prev", "menu_prev"}, {"next", "menu_next_item"}, {"buy", "menu_buy"}, {"back", "menu_back"}};
    for (int i = 0; i < 4; ++i) {
        const int x = i % 2 == 0 ? 250 : 540;
        const int y = 500 + 60 * (i / 2);
        t += Button(buttons[i][0], x, y) +
             Text(std::string(buttons[i][0]) + "_text", x + 46, y + 16, buttons[i][1], "center");
    }
    return t + Cursor();
}

std::string HeadsUp()
{
    std::string t =
        "// Heads-up display: place, lap, time, speed, damage and nitro\n" + Header("game_interface");
    t += "window\ntop_panel 0,0,1024,40,0,0,128,16,true,stretch\n";
    t += Text("place", 16, 12, "hud_place", "lu") + Text("lap", 200, 12, "hud_lap", "lu");
    t += Text("time", 512, 12, "hud_time", "cu") + Text("speed", 860, 12, "hud_speed", "ru");
    t += "window\ndamage_bar 16,720,200,16,128,96,128,16,true,ld\n";
    t += "window\nnitro_bar 16,742,200,16,128,112,128,16,true,ld\n";
    t += Text("message", 412, 340, "hud_message", "center");
    return t;
}

std::string Results()
{
    std::string t = "// Results: places and times of the race\n" + Header("results");
    t += "window\npanel 212,150,600,470,1,1,126,126,true,center\n";
    t += Text("title", 412, 165, "title_results", "center");
    for (int i = 1; i <= 8; ++i) {
        const std::string n = std::to_string(i);
        t += Text("place" + n, 260, 200 + 36 * i, "results_place" + n, "center");
        t += Text("name" + n, 320, 200 + 36 * i, "results_name" + n, "center");
        t += Text("time" + n, 620, 200 + 36 * i, "results_time" + n, "center");
    }
    // Continue goes on to the next circuit (or back to the menu after the
    // last one), Menu straight back.
    t += Button("continue", 250, 570) + Text("continue_text", 296, 586, "menu_continue", "center");
    t += Button("menu", 540, 570) + Text("menu_text", 586, 586, "menu_menu", "center");
    return t + Cursor();
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C");
    if (argc != 3) {
        std::fprintf(stderr, "Usage: sampleinterface TEXTURE_FOLDER INTERFACE_FOLDER\n");
        return 2;
    }
    const fs::path textures = argv[1];
    const fs::path screens = argv[2];
    const bool ok = sample::WriteFile(textures / "font_main.tga", FontPicture()) &&
                    sample::WriteFile(textures / "screen.tga", ScreenPicture()) &&
                    sample::WriteFile(screens / "fonts.txt", FontFile()) &&
                    sample::WriteFile(screens / "mainmenu1024.int", MainMenu()) &&
                    sample::WriteFile(screens / "hud1024.int", HeadsUp()) &&
                    sample::WriteFile(screens / "results1024.int", Results()) &&
                    sample::WriteFile(screens / "profile1024.int", Profiles()) &&
                    sample::WriteFile(screens / "shop1024.int", Shop());
    return ok ? 0 : 1;
}
