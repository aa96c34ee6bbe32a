// Spanish texts.
#define TXT_DIALOG_FONT 8, "MS Shell Dlg"
#define TXT_CANCEL "Cancelar"
#define TXT_HELP "Ay&uda"
#define TXT_IDS_PAGE_LOAD_FAILED "No se puede iniciar la configuración de Skylume porque faltan archivos necesarios o están dañados.\r\nVuelva a instalar Skylume."
#define TXT_IDS_FLASH_MISSING "No se puede iniciar la configuración de Skylume porque Flash Player no está instalado.\r\nInstale Flash Player 9.0 o posterior y vuelva a iniciar la configuración."
#define TXT_IDS_SETTINGS_TITLE "Configuración de %s"
#define TXT_IDS_BROWSER_MENU_ENTRY "Agregar fuente RSS a %s"
