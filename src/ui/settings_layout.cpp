#include "ui/settings_layout.h"

#include "res/resource.h"
#include "win32/dpi.h"

#include <cstdlib>

namespace {
// At 96 DPI.
constexpr int kMargin = 8;
constexpr int kListWidth = 168;
constexpr int kTitleBandHeight = 44;
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 24;
constexpr int kButtonGap = 6;
constexpr int kItemHeight = 34;
constexpr int kIconLeft = 6;
constexpr int kIconSize = 24;
constexpr int kIconTextGap = 6;
constexpr int kTextRightInset = 4;
} // namespace

SettingsLayout LayOutSettingsWindow(SIZE templateClient, int dpi, SIZE baseUnits) {
    auto scaled = [dpi](int pixels) { return win32::ScaleToDpi(pixels, dpi); };
    SettingsLayout layout;
    const int margin = scaled(kMargin);
    const int listWidth = scaled(kListWidth);
    const int pageWidth = ::MulDiv(kPageWidthUnits, baseUnits.cx, 4);
    layout.client = {margin + listWidth + margin + pageWidth + margin, templateClient.cy};
    const int buttonHeight = scaled(kButtonHeight), buttonWidth = scaled(kButtonWidth);
    const int buttonTop = layout.client.cy - margin - buttonHeight;
    layout.list = {margin, margin, margin + listWidth, buttonTop - margin};
    const int pageLeft = margin + listWidth + margin;
    const int right = layout.client.cx - margin;
    layout.band = {pageLeft, margin, right, margin + scaled(kTitleBandHeight)};
    layout.page = {pageLeft, layout.band.bottom, right, buttonTop - margin};
    const int gap = scaled(kButtonGap);
    for (int i = 0; i < 3; ++i) {
        const int left = right - (3 - i) * buttonWidth - (2 - i) * gap;
        layout.buttons[i] = {left, buttonTop, left + buttonWidth, buttonTop + buttonHeight};
    }
    layout.itemHeight = CategoryItemHeight(dpi);
    return layout;
}

int CategoryItemHeight(int dpi) {
    return win32::ScaleToDpi(kItemHeight, dpi);
}

CategoryItemLayout LayOutCategoryItem(int dpi) {
    auto scaled = [dpi](int pixels) { return win32::ScaleToDpi(pixels, dpi); };
    const int iconLeft = scaled(kIconLeft), iconSize = scaled(kIconSize);
    return {iconLeft, iconSize, iconLeft + iconSize + scaled(kIconTextGap), scaled(kTextRightInset)};
}

int BitmapScaleForDpi(int dpi) {
    int best = 100;
    for (int scale : {150, 200})
        if (std::abs(dpi * 100 - scale * win32::kDesignDpi) < std::abs(dpi * 100 - best * win32::kDesignDpi))
            best = scale;
    return best;
}

int ScaledBitmapId(int bitmapId, int scale) {
    return scale == 200 ? bitmapId + IDB_OFFSET_200 : scale == 150 ? bitmapId + IDB_OFFSET_150 : bitmapId;
}
