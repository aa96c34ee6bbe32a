// English (United Kingdom) texts.
#define TXT_DIALOG_FONT 8, "MS Shell Dlg"
#define TXT_CANCEL "Cancel"
#define TXT_HELP "&Help"
#define TXT_IDS_PAGE_LOAD_FAILED "Skylume Settings cannot start because required files are missing or damaged.\r\nPlease reinstall Skylume."
#define TXT_IDS_FLASH_MISSING "Skylume Settings cannot start because Flash Player is not installed.\r\nInstall Flash Player 9.0 or later, then start Skylume Settings again."
#define TXT_IDS_SETTINGS_TITLE "%s Settings"
#define TXT_IDS_BROWSER_MENU_ENTRY "Add RSS Feed to %s"
