// Japanese texts.
#define TXT_DIALOG_FONT 9, "MS UI Gothic"
#define TXT_CANCEL "キャンセル"
#define TXT_HELP "ヘルプ(&H)"
#define TXT_IDS_PAGE_LOAD_FAILED "必要なファイルが存在しない、または壊れているため Daystream 設定を起動できません。\r\nDaystream を再インストールしてください"
#define TXT_IDS_FLASH_MISSING "Flash Player がインストールされていないため Daystream 設定を起動できません。\r\nFlash Player Ver.9.0 以降をインストールして、再度起動してください。"
#define TXT_IDS_SETTINGS_TITLE "%s の設定"
#define TXT_IDS_BROWSER_MENU_ENTRY "%s に RSS を追加"
