// Where the settings window puts its parts, free of window handles. Lengths in pixels are designed at 96 DPI
// and scaled; the page is measured in dialog units of the window's font, as its templates are, so a page
// template lies in its page the same way whatever the DPI and the font.
#pragma once
#include <windows.h>

// The room every page template is drawn for, in dialog units: 300 units of template and the gap beside it.
inline constexpr int kPageWidthUnits = 312;

struct SettingsLayout {
    SIZE client = {};
    RECT list = {};
    RECT band = {};
    RECT page = {};
    RECT buttons[3] = {}; // OK, Cancel, Help
    int itemHeight = 0;   // category list items
};

// The layout for a window whose template gives it `templateClient` pixels, at `dpi`, with the font's dialog base
// units (`baseUnits`: pixels per 4 horizontal and per 8 vertical dialog units). The client is as wide as the
// list and the page need; its height stays the template's.
SettingsLayout LayOutSettingsWindow(SIZE templateClient, int dpi, SIZE baseUnits);

int CategoryItemHeight(int dpi);

// One category list item: its icon cell and where its text runs, relative to the item rectangle.
struct CategoryItemLayout {
    int iconLeft = 0;
    int iconSize = 0;
    int textLeft = 0;
    int textRightInset = 0;
};
CategoryItemLayout LayOutCategoryItem(int dpi);

// The bitmap set (100, 150 or 200 per cent) whose size is nearest the DPI; on a tie the smaller, which is then
// drawn at its own size rather than shrunk.
int BitmapScaleForDpi(int dpi);
// The resource id of a bitmap in that set.
int ScaledBitmapId(int bitmapId, int scale);
