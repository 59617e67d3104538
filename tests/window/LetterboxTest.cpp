// Where the game's picture goes on a surface of another size.
#if RS_HAVE_WINDOW

#include <gtest/gtest.h>

#include "platform/gl/Letterbox.h"

TEST(Letterbox, FillsOneWayKeepingTheAspectWithCentredBars)
{
    const struct {
        std::uint32_t pictureWidth, pictureHeight;
        int surfaceWidth, surfaceHeight;
        platform::Letterbox box;
    } cases[] = {
        {640, 480, 640, 480, {0, 0, 640, 480}},       // its own size
        {640, 480, 1920, 1080, {240, 0, 1440, 1080}}, // 4:3 on 16:9: bars left and right
        {1280, 720, 1024, 768, {0, 96, 1024, 576}},   // 16:9 on 4:3: bars above and below
        {1280, 720, 1920, 1080, {0, 0, 1920, 1080}},  // same aspect, larger
        {1920, 1080, 1280, 720, {0, 0, 1280, 720}},   // same aspect, smaller
        {640, 480, 0, 0, {0, 0, 0, 0}},               // no surface
    };
    for (const auto& c : cases) {
        const platform::Letterbox box =
            platform::Letterbox::Fit(c.pictureWidth, c.pictureHeight, c.surfaceWidth, c.surfaceHeight);
        EXPECT_EQ(box.x, c.box.x) << c.surfaceWidth << "x" << c.surfaceHeight;
        EXPECT_EQ(box.y, c.box.y) << c.surfaceWidth << "x" << c.surfaceHeight;
        EXPECT_EQ(box.width, c.box.width) << c.surfaceWidth << "x" << c.surfaceHeight;
        EXPECT_EQ(box.height, c.box.height) << c.surfaceWidth << "x" << c.surfaceHeight;
    }
}

TEST(Letterbox, TakesTheMouseOnTheSurfaceToThePicturesPixels)
{
    const platform::Letterbox box = platform::Letterbox::Fit(640, 480, 1920, 1080);
    float x = 0, y = 0;
    box.ToPicture(640, 480, 240.0f, 0.0f, &x, &y); // the picture's top left corner
    EXPECT_FLOAT_EQ(x, 0.0f);
    EXPECT_FLOAT_EQ(y, 0.0f);
    box.ToPicture(640, 480, 960.0f, 540.0f, &x, &y); // the middle
    EXPECT_FLOAT_EQ(x, 320.0f);
    EXPECT_FLOAT_EQ(y, 240.0f);
    box.ToPicture(640, 480, 100.0f, 540.0f, &x, &y); // on the left bar: off the picture
    EXPECT_LT(x, 0.0f);
}

#endif
