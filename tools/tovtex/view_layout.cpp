#include "view_layout.h"

#include <algorithm>
#include <cmath>

namespace tovtex_tool {

ViewLayout ViewLayout::Fit(int areaWidth, int areaHeight, int levelWidth, int levelHeight) {
    ViewLayout layout;
    if (levelWidth <= 0 || levelHeight <= 0 || areaWidth <= 0 || areaHeight <= 0) {
        return layout;
    }
    layout.zoom =
        std::clamp(std::min(static_cast<double>(areaWidth) / levelWidth, static_cast<double>(areaHeight) / levelHeight),
                   MIN_ZOOM, MAX_ZOOM);
    layout.left = std::floor((areaWidth - levelWidth * layout.zoom) / 2.0);
    layout.top = std::floor((areaHeight - levelHeight * layout.zoom) / 2.0);
    return layout;
}

void ViewLayout::ZoomAbout(double factor, double x, double y) {
    const double next = std::clamp(zoom * factor, MIN_ZOOM, MAX_ZOOM);
    const double u = (x - left) / zoom, v = (y - top) / zoom;
    zoom = next;
    left = x - u * zoom;
    top = y - v * zoom;
}

void ViewLayout::OneToOne(int areaWidth, int areaHeight) {
    ZoomAbout(1.0 / zoom, areaWidth / 2.0, areaHeight / 2.0);
    zoom = 1.0;
    left = std::round(left);
    top = std::round(top);
}

void ViewLayout::ChangeLevel(int oldWidth, int newWidth) {
    if (oldWidth > 0 && newWidth > 0) {
        zoom = std::clamp(zoom * oldWidth / newWidth, MIN_ZOOM, MAX_ZOOM);
    }
}

bool ViewLayout::TexelAt(int x, int y, int levelWidth, int levelHeight, int* u, int* v) const {
    // Pixel centres sit on whole coordinates; the quad's edges half a pixel
    // before the level's corner, so texel k covers pixel left + k at 1:1.
    const double fu = std::floor((x + 0.5 - left) / zoom), fv = std::floor((y + 0.5 - top) / zoom);
    if (fu < 0 || fv < 0 || fu >= levelWidth || fv >= levelHeight) {
        return false;
    }
    *u = static_cast<int>(fu);
    *v = static_cast<int>(fv);
    return true;
}

}  // namespace tovtex_tool
