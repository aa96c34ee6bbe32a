// Italian texts.
#define TXT_DIALOG_FONT 8, "MS Shell Dlg"
#define TXT_CANCEL "Annulla"
#define TXT_HELP "&Guida"
#define TXT_IDS_PAGE_LOAD_FAILED "Impossibile avviare le impostazioni di Skylume perché alcuni file necessari mancano o sono danneggiati.\r\nReinstallare Skylume."
#define TXT_IDS_FLASH_MISSING "Impossibile avviare le impostazioni di Skylume perché Flash Player non è installato.\r\nInstallare Flash Player 9.0 o versione successiva, quindi riavviare le impostazioni."
#define TXT_IDS_SETTINGS_TITLE "Impostazioni di %s"
#define TXT_IDS_BROWSER_MENU_ENTRY "Aggiungi feed RSS a %s"
