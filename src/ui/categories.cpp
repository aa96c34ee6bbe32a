#include "ui/categories.h"

#include "res/resource.h"

namespace {
struct CategoryInfo {
    const wchar_t* helpTopic;
    int bitmap;
    int selectedBitmap;
};
constexpr CategoryInfo kCategories[] = {
    {L"/html/T100SET_GENE.htm", IDB_CATEGORY_GENERAL, IDB_CATEGORY_GENERAL_SELECTED},
    {L"/html/T110SET_DISPL.htm", IDB_CATEGORY_DISPLAY, IDB_CATEGORY_DISPLAY_SELECTED},
    {L"/html/T120SET_TIMER.htm", IDB_CATEGORY_WAKEUP, IDB_CATEGORY_WAKEUP_SELECTED},
    {L"/html/T100SET_GENE.htm", IDB_CATEGORY_VERSION, IDB_CATEGORY_VERSION_SELECTED},
    {L"/html/T150SET_CLOCK.htm", IDB_CATEGORY_CLOCK, IDB_CATEGORY_CLOCK_SELECTED},
    {L"/html/T130SET_PHOT.htm", IDB_CATEGORY_PHOTO, IDB_CATEGORY_PHOTO_SELECTED},
    {L"/html/T140SET_NEWS.htm", IDB_CATEGORY_NEWS, IDB_CATEGORY_NEWS_SELECTED},
    {L"/html/T170SET_MUSIC.htm", IDB_CATEGORY_MUSIC, IDB_CATEGORY_MUSIC_SELECTED},
    {L"/html/T160SET_CALE.htm", IDB_CATEGORY_CALENDAR, IDB_CATEGORY_CALENDAR_SELECTED},
    {L"/html/T001WHAT.htm", IDB_CATEGORY_MODULE, IDB_CATEGORY_MODULE_SELECTED},
    {L"/html/T001WHAT.htm", IDB_CATEGORY_MODULE, IDB_CATEGORY_MODULE_SELECTED},
};
constexpr int kCount = int(sizeof(kCategories) / sizeof(kCategories[0]));
const CategoryInfo& Info(int category) {
    return kCategories[category >= 0 && category < kCount ? category : kCount - 1];
}
} // namespace

const wchar_t* HelpTopicOfCategory(int category) {
    return Info(category).helpTopic;
}

int CategoryBitmap(int category, bool selected) {
    return selected ? Info(category).selectedBitmap : Info(category).bitmap;
}
