// Resource ids shared by the program's own Japanese set and every language library.
#pragma once

#define IDI_APPLICATION_ICON 128
#define IDD_SETTINGS 129

#define IDC_HELP_BUTTON 1000
#define IDC_CATEGORY_LIST 1001

#define IDS_PAGE_LOAD_FAILED 154
#define IDS_FLASH_MISSING 166
#define IDS_SETTINGS_TITLE 176
#define IDS_BROWSER_MENU_ENTRY 193
#define IDS_MISSING_RESOURCES_ESP 259
#define IDS_MISSING_RESOURCES_RUS 260
