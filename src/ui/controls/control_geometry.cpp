#include "ui/controls/control_geometry.h"

#include <cstdint>

namespace controls {

Placement FitPictureInBox(int boxWidth, int boxHeight, int pictureWidth, int pictureHeight) {
    if (boxWidth <= 0 || boxHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0)
        return {};
    // 64-bit products: a large photo times a large box overflows int.
    int width = boxWidth;
    int height = int(std::int64_t(boxWidth) * pictureHeight / pictureWidth);
    if (height > boxHeight) {
        height = boxHeight;
        width = int(std::int64_t(boxHeight) * pictureWidth / pictureHeight);
    }
    return {(boxWidth - width) / 2, (boxHeight - height) / 2, width, height};
}

TextSpan PlaceTextSpan(int clientWidth, int textWidth, TextAlignment alignment) {
    if (textWidth < 0)
        textWidth = 0;
    switch (alignment) {
    case TextAlignment::Center:
        return {(clientWidth - textWidth) / 2, textWidth};
    case TextAlignment::Right:
        return {clientWidth - 1 - textWidth, textWidth};
    case TextAlignment::Left:
        break;
    }
    return {1, textWidth};
}

bool SpanContains(const TextSpan& span, int clientHeight, int x, int y) {
    return x >= span.left && x < span.left + span.width && y >= 0 && y < clientHeight;
}

} // namespace controls
