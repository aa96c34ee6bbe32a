// English (United Kingdom) texts: the United States texts, with British usage where it differs.
#include "usa.h"

#undef TXT_IDS_FLASH_MISSING
#define TXT_IDS_FLASH_MISSING "Skylume Settings cannot start because Flash Player is not installed.\r\nInstall Flash Player 9.0 or later, then start Skylume Settings again."

// British spelling of the visualizer page.
#undef TXT_IDS_VISUALIZER_TITLE
#define TXT_IDS_VISUALIZER_TITLE "Visualiser"
#undef TXT_IDS_VISUALIZER_DESCRIPTION
#define TXT_IDS_VISUALIZER_DESCRIPTION "Visualiser module"
#undef TXT_VISUALIZER_LINE
#define TXT_VISUALIZER_LINE "Visualiser"
// Display page and photo pages.
#undef TXT_IDS_POSITION_CENTER
#define TXT_IDS_POSITION_CENTER "Centre"
// World clock page, clock dialogs and calendar page.
#undef TXT_CLOCK_ANALOG
#define TXT_CLOCK_ANALOG "A&nalogue"
#undef TXT_EDIT_CLOCK_DAYLIGHT_GROUP
#define TXT_EDIT_CLOCK_DAYLIGHT_GROUP "Summer time"
#undef TXT_EDIT_CLOCK_DAYLIGHT
#define TXT_EDIT_CLOCK_DAYLIGHT "Adjust for summer time a&utomatically"
// Wake-up timer page: the 24-hour clock.
#undef TXT_WAKEUP_TWELVE_HOUR
#define TXT_WAKEUP_TWELVE_HOUR 0
