// Layout arithmetic of the custom controls, kept free of window handles so that it can be checked directly.
#pragma once

namespace controls {

struct Placement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Placement&) const = default;
};

// Where a picture of the given size goes in a box when it must keep its proportions: as wide as the box, or as
// high as the box when that would be too tall, centred. Empty when either size is empty.
Placement FitPictureInBox(int boxWidth, int boxHeight, int pictureWidth, int pictureHeight);

enum class TextAlignment { Left, Center, Right };

// The horizontal run of a link's text inside its control; the control's whole height belongs to it.
struct TextSpan {
    int left = 0;
    int width = 0;
    bool operator==(const TextSpan&) const = default;
};

// Left-aligned text keeps one pixel free so that the focus rectangle stays inside the control.
TextSpan PlaceTextSpan(int clientWidth, int textWidth, TextAlignment alignment);
bool SpanContains(const TextSpan& span, int clientHeight, int x, int y);

} // namespace controls
