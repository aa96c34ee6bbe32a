// French texts.
#define TXT_DIALOG_FONT 8, "MS Shell Dlg"
#define TXT_CANCEL "Annuler"
#define TXT_HELP "&Aide"
#define TXT_IDS_PAGE_LOAD_FAILED "Impossible de démarrer les paramètres de Skylume car des fichiers nécessaires sont manquants ou endommagés.\r\nRéinstallez Skylume."
#define TXT_IDS_FLASH_MISSING "Impossible de démarrer les paramètres de Skylume car Flash Player n'est pas installé.\r\nInstallez Flash Player 9.0 ou une version ultérieure, puis relancez les paramètres."
#define TXT_IDS_SETTINGS_TITLE "Paramètres de %s"
#define TXT_IDS_BROWSER_MENU_ENTRY "Ajouter le flux RSS à %s"
