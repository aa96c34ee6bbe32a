// English (United Kingdom) texts: the United States texts, with British usage where it differs.
#include "usa.h"

#undef TXT_IDS_FLASH_MISSING
#define TXT_IDS_FLASH_MISSING "Skylume Settings cannot start because Flash Player is not installed.\r\nInstall Flash Player 9.0 or later, then start Skylume Settings again."
// World clock page, clock dialogs and calendar page.
#undef TXT_CLOCK_ANALOG
#define TXT_CLOCK_ANALOG "A&nalogue"
#undef TXT_EDIT_CLOCK_DAYLIGHT_GROUP
#define TXT_EDIT_CLOCK_DAYLIGHT_GROUP "Summer Time"
#undef TXT_EDIT_CLOCK_DAYLIGHT
#define TXT_EDIT_CLOCK_DAYLIGHT "Adjust for summer time a&utomatically"
