#include <gtest/gtest.h>

#include "view_layout.h"

namespace {

using tovtex_tool::ViewLayout;

// Fitting, 1:1 and level changes place the picture so that the texel under
// each pixel is the one the window shows there.
TEST(ViewLayoutTest, PlacesTexelsOnPixels) {
    struct Case {
        const char* name;
        int levelWidth, levelHeight;
        bool oneToOne;
        int x, y;  // a pixel of the 640 x 464 area
        bool inside;
        int u, v;  // the texel under it
    };
    const Case cases[] = {
        {"fitted square: left edge", 64, 64, false, 88, 0, true, 0, 0},
        {"fitted square: last pixel", 64, 64, false, 551, 463, true, 63, 63},
        {"fitted square: beside it", 64, 64, false, 87, 10, false, 0, 0},
        {"1:1 square: corner pixel", 64, 64, true, 288, 200, true, 0, 0},
        {"1:1 square: one texel each", 64, 64, true, 351, 263, true, 63, 63},
        {"1:1 square: past the end", 64, 64, true, 352, 263, false, 0, 0},
        {"1:1 odd size", 5, 3, true, 318, 231, true, 0, 0},
        {"fitted wide picture", 1280, 64, false, 639, 216, true, 1279, 1},
    };
    for (const Case& c : cases) {
        ViewLayout layout = ViewLayout::Fit(640, 464, c.levelWidth, c.levelHeight);
        if (c.oneToOne) {
            layout.OneToOne(640, 464);
            EXPECT_EQ(layout.zoom, 1.0) << c.name;
            EXPECT_EQ(layout.left, static_cast<int>(layout.left)) << c.name;
        }
        int u = -1, v = -1;
        ASSERT_EQ(layout.TexelAt(c.x, c.y, c.levelWidth, c.levelHeight, &u, &v), c.inside) << c.name;
        if (c.inside) {
            EXPECT_EQ(u, c.u) << c.name;
            EXPECT_EQ(v, c.v) << c.name;
        }
    }
}

TEST(ViewLayoutTest, ZoomKeepsThePointUnderTheMouseAndLevelsKeepTheRectangle) {
    ViewLayout layout = ViewLayout::Fit(640, 464, 64, 64);  // zoom 7.25 at (88, 0)
    int u = 0, v = 0;
    ASSERT_TRUE(layout.TexelAt(200, 100, 64, 64, &u, &v));
    layout.ZoomAbout(2.0, 200, 100);
    int u2 = 0, v2 = 0;
    ASSERT_TRUE(layout.TexelAt(200, 100, 64, 64, &u2, &v2));
    EXPECT_EQ(u2, u);
    EXPECT_EQ(v2, v);
    layout.ZoomAbout(1e9, 0, 0);
    EXPECT_EQ(layout.zoom, ViewLayout::MAX_ZOOM);
    layout.ZoomAbout(1e-9, 0, 0);
    EXPECT_EQ(layout.zoom, ViewLayout::MIN_ZOOM);

    // Level 1 of a 64-texel picture fills the same screen rectangle.
    ViewLayout level = ViewLayout::Fit(640, 464, 64, 64);
    level.ChangeLevel(64, 32);
    EXPECT_DOUBLE_EQ(level.zoom * 32, 7.25 * 64);
    ASSERT_TRUE(level.TexelAt(551, 463, 32, 32, &u, &v));
    EXPECT_EQ(u, 31);
    EXPECT_EQ(v, 31);
}

}  // namespace
