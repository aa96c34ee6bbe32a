// Russian texts.
#define TXT_DIALOG_FONT 8, "MS Shell Dlg"
#define TXT_CANCEL "Отмена"
#define TXT_HELP "&Справка"
#define TXT_IDS_PAGE_LOAD_FAILED "Не удается запустить настройки Skylume: необходимые файлы отсутствуют или повреждены.\r\nУстановите Skylume еще раз."
#define TXT_IDS_FLASH_MISSING "Не удается запустить настройки Skylume: Flash Player не установлен.\r\nУстановите Flash Player 9.0 или более позднюю версию и снова запустите настройки."
#define TXT_IDS_SETTINGS_TITLE "Настройки %s"
#define TXT_IDS_BROWSER_MENU_ENTRY "Добавить RSS-канал в %s"
