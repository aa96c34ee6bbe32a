// Italian texts.
#define TXT_DIALOG_FONT 8, "MS Shell Dlg"
#define TXT_CANCEL "Annulla"
#define TXT_HELP "&Guida"
#define TXT_IDS_PAGE_LOAD_FAILED                                                                                       \
    "Impossibile avviare le impostazioni di Skylume perché alcuni file necessari mancano o sono "                     \
    "danneggiati.\r\nReinstallare Skylume."
#define TXT_IDS_FLASH_MISSING                                                                                            \
    "Impossibile avviare le impostazioni di Skylume perché Flash Player non è installato.\r\nInstallare Flash Player " \
    "9.0 o versione successiva, quindi riavviare le impostazioni."
#define TXT_IDS_SETTINGS_TITLE "Impostazioni di %s"
#define TXT_IDS_BROWSER_MENU_ENTRY "Aggiungi feed RSS a %s"
#define TXT_IDS_VELOUR_OK "OK"
#define TXT_IDS_VELOUR_CANCEL "Annulla"
#define TXT_IDS_VELOUR_ABORT "&Interrompi"
#define TXT_IDS_VELOUR_RETRY "&Riprova"
#define TXT_IDS_VELOUR_IGNORE "&Ignora"
#define TXT_IDS_VELOUR_YES "&Sì"
#define TXT_IDS_VELOUR_NO "&No"
#define TXT_IDS_VELOUR_TRY_AGAIN "&Riprova"
#define TXT_IDS_VELOUR_CONTINUE "&Continua"
#define TXT_IDS_GENERAL_TITLE "Generale"
#define TXT_IDS_GENERAL_DESCRIPTION "Moduli da visualizzare e protezione dello schermo"
#define TXT_GENERAL_MODULE_GROUP "Moduli"
#define TXT_GENERAL_MODULE_NOTE "I moduli selezionati vengono visualizzati sullo schermo."
#define TXT_GENERAL_MODULE_LABEL "&Elenco moduli:"
#define TXT_GENERAL_UP "&Su"
#define TXT_GENERAL_DOWN "&Giù"
#define TXT_GENERAL_BURNIN_GROUP "Protezione dal burn-in dello schermo"
#define TXT_GENERAL_BURNIN_NOTE                                                                                        \
    "Se si utilizza uno schermo al plasma, attivando questa funzione si riduce il rischio di burn-in."
#define TXT_GENERAL_BURNIN_CHECK "Attiva la &protezione dal burn-in"
#define TXT_GENERAL_MODE_GROUP "Schermata di conferma"
#define TXT_GENERAL_MODE_CHECK                                                                                         \
    "Mostra la schermata "                                                                                             \
    "Cambia &modalità di funzionamento"                                                                               \
    ""
#define TXT_IDS_VERSION_TITLE "Versione"
#define TXT_IDS_VERSION_DESCRIPTION "Versione del prodotto"
#define TXT_VERSION_OWNER "Copyright (C) Quillon Corporation. Tutti i diritti riservati."
#define TXT_IDS_VISUALIZER_TITLE "Visualizzatore"
#define TXT_IDS_VISUALIZER_DESCRIPTION "Modulo Visualizzatore"
#define TXT_VISUALIZER_LINE "Visualizzatore"
