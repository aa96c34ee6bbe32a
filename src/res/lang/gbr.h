// English (United Kingdom) texts: the United States texts, with British usage where it differs.
#include "usa.h"

#undef TXT_IDS_FLASH_MISSING
#define TXT_IDS_FLASH_MISSING "Skylume Settings cannot start because Flash Player is not installed.\r\nInstall Flash Player 9.0 or later, then start Skylume Settings again."

// Wake-up timer page: the 24-hour clock.
#undef TXT_WAKEUP_TWELVE_HOUR
#define TXT_WAKEUP_TWELVE_HOUR 0
