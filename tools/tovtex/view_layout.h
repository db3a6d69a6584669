#pragma once
// Where `tovtex view` puts the shown level in its window: the screen
// position of the level's top-left corner and the screen pixels per texel.
// Plain arithmetic, no device.

namespace tovtex_tool {

struct ViewLayout {
    double left = 0.0;  // screen x of the level's left edge
    double top = 0.0;   // screen y of its top edge
    double zoom = 1.0;  // screen pixels per texel of the shown level

    static constexpr double MIN_ZOOM = 1.0 / 64.0;
    static constexpr double MAX_ZOOM = 64.0;

    // The whole level as large as fits the area (width x height from 0, 0),
    // centred.
    static ViewLayout Fit(int areaWidth, int areaHeight, int levelWidth, int levelHeight);

    // Zooms by factor (clamped to MIN_ZOOM..MAX_ZOOM) keeping the texture
    // point under the screen point (x, y) where it is.
    void ZoomAbout(double factor, double x, double y);

    // One texel per pixel, the point under the area's centre kept, corners
    // on whole pixels so each texel covers exactly one pixel.
    void OneToOne(int areaWidth, int areaHeight);

    // Another level of the same picture: the same screen rectangle.
    void ChangeLevel(int oldWidth, int newWidth);

    void Pan(double dx, double dy) {
        left += dx;
        top += dy;
    }

    // The texel under the pixel (x, y), false when it lies outside the level.
    bool TexelAt(int x, int y, int levelWidth, int levelHeight, int* u, int* v) const;
};

}  // namespace tovtex_tool
