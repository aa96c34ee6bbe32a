// What each page category brings to the settings window: its help topic and its list bitmaps.
#pragma once

enum PageCategory {
    kCategoryGeneral = 0,
    kCategoryDisplay = 1,
    kCategoryWakeup = 2,
    kCategoryVersion = 3,
    kCategoryClock = 4,
    kCategoryPhoto = 5,
    kCategoryNews = 6,
    kCategoryMusic = 7,
    kCategoryCalendar = 8,
    kCategoryVisualizer = 9,
    kCategoryAdditionalModule = 10,
};

const wchar_t* HelpTopicOfCategory(int category);
inline constexpr wchar_t kDefaultHelpTopic[] = L"/html/T001WHAT.htm";
// Bitmap ids of the category list: normal and selected.
int CategoryBitmap(int category, bool selected);
