// German texts.
#define TXT_DIALOG_FONT 8, "MS Shell Dlg"
#define TXT_CANCEL "Abbrechen"
#define TXT_HELP "&Hilfe"
#define TXT_IDS_PAGE_LOAD_FAILED "Die Skylume-Einstellungen können nicht gestartet werden, weil erforderliche Dateien fehlen oder beschädigt sind.\r\nBitte installieren Sie Skylume neu."
#define TXT_IDS_FLASH_MISSING "Die Skylume-Einstellungen können nicht gestartet werden, weil Flash Player nicht installiert ist.\r\nInstallieren Sie Flash Player 9.0 oder höher und starten Sie die Einstellungen erneut."
#define TXT_IDS_SETTINGS_TITLE "%s-Einstellungen"
#define TXT_IDS_BROWSER_MENU_ENTRY "RSS-Feed zu %s hinzufügen"
