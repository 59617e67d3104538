// The sample's menu screens fit the smallest window the game opens, 640 x
// 480: a screen made for 1024 x 768 is centred on it, so only the part
// from (192, 144) to (832, 624) shows. Every panel, button and text of
// each screen lies there, and every button and text on its screen's panel.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Box {
    std::string name;
    float left = 0, top = 0, width = 0, height = 0;
    float Right() const { return left + width; }
    float Bottom() const { return top + height; }
};

// The part of a 1024 x 768 screen a centred 640 x 480 window shows.
const Box kShown{"640x480", 192, 144, 640, 480};
// A text line of the sample font.
constexpr float kLineHeight = 16;

bool Inside(const Box& inner, const Box& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.Right() <= outer.Right() &&
           inner.Bottom() <= outer.Bottom();
}

std::vector<float> Numbers(const std::string& fields)
{
    std::string spaced = fields;
    std::replace(spaced.begin(), spaced.end(), ',', ' ');
    std::istringstream in(spaced);
    std::vector<float> numbers;
    for (std::string word; in >> word;) {
        char* end = nullptr;
        const float value = std::strtof(word.c_str(), &end);
        if (end != word.c_str() && *end == '\0')
            numbers.push_back(value);
    }
    return numbers;
}

// The windows, buttons and texts of a screen file as boxes on the 1024 x
// 768 screen; a text is its start point and one line high. The cursor
// follows the mouse and is left out.
std::vector<Box> ReadBoxes(const std::string& path)
{
    std::ifstream file(path);
    std::vector<Box> boxes;
    std::string kind;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line == "window" || line == "button" || line == "text" || line == "textedit") {
            kind = line;
            continue;
        }
        if (kind.empty() || line.empty() || line.rfind("//", 0) == 0)
            continue;
        const std::size_t space = line.find(' ');
        Box box;
        box.name = line.substr(0, space);
        const std::vector<float> n = Numbers(space == std::string::npos ? "" : line.substr(space + 1));
        if (box.name == "cursor" || n.size() < 2)
            continue;
        box.left = n[0];
        box.top = n[1];
        const bool sized = (kind == "window" || kind == "button") && n.size() >= 4;
        box.width = sized ? n[2] : 1;
        box.height = sized ? n[3] : kLineHeight;
        boxes.push_back(box);
        if (kind != "button") // a button's three states follow, one line each
            kind.clear();
    }
    return boxes;
}

TEST(SampleScreens, EveryPanelButtonAndTextShowsOnA640x480Window)
{
    for (const char* screen : {"mainmenu", "profile", "shop", "results"}) {
        SCOPED_TRACE(screen);
        const std::vector<Box> boxes =
            ReadBoxes(std::string(RS_SOURCE_DIR) + "/data/sample/Data/Interface/" + screen + "1024.int");
        const auto panel =
            std::find_if(boxes.begin(), boxes.end(), [](const Box& box) { return box.name == "panel"; });
        ASSERT_NE(panel, boxes.end());
        const auto title =
            std::find_if(boxes.begin(), boxes.end(), [](const Box& box) { return box.name == "title"; });
        ASSERT_NE(title, boxes.end());
        ASSERT_GE(boxes.size(), 6u);
        for (const Box& box : boxes) {
            EXPECT_TRUE(Inside(box, kShown)) << box.name << " at " << box.left << "," << box.top << " "
                                             << box.width << "x" << box.height << " is cut off";
            if (&box == &*panel)
                continue;
            EXPECT_TRUE(Inside(box, *panel))
                << box.name << " at " << box.left << "," << box.top << " lies off the panel";
        }
    }
}

// A panel is stretched far over its cell of the screen's picture, which
// wraps: a cell reaching the picture's outer texels blends the far side of
// the picture (the bars of the heads-up display) into the panel's edge.
TEST(SampleScreens, PanelsTakeTheirCellFromInsideThePicture)
{
    for (const char* screen : {"mainmenu", "profile", "shop", "results"}) {
        SCOPED_TRACE(screen);
        std::ifstream file(std::string(RS_SOURCE_DIR) + "/data/sample/Data/Interface/" + screen + "1024.int");
        std::vector<float> picture;
        std::vector<float> panel;
        for (std::string line; std::getline(file, line);) {
            if (line.rfind("screen.tga,", 0) == 0)
                picture = Numbers(line.substr(line.find(',') + 1));
            if (line.rfind("panel ", 0) == 0)
                panel = Numbers(line.substr(6));
        }
        ASSERT_EQ(picture.size(), 2u);
        ASSERT_GE(panel.size(), 8u);
        const float left = panel[4], top = panel[5], width = panel[6], height = panel[7];
        EXPECT_GE(left, 1.0f);
        EXPECT_GE(top, 1.0f);
        EXPECT_LE(left + width, picture[0] - 1.0f);
        EXPECT_LE(top + height, picture[1] - 1.0f);
    }
}

} // namespace
