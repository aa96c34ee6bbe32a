#include "shell/language.h"

#include "res/resource.h"
#include "shell/folders.h"
#include "win32/app.h"
#include "xmldata/xml_document.h"

#include <windows.h>
#include <optional>

namespace shell {
namespace {

constexpr const wchar_t* kLanguageCodes[kLanguageCount] = {L"jpn", L"fra", L"gbr", L"ita",
                                                           L"deu", L"usa", L"esp", L"rus"};
constexpr const wchar_t* kLibraryNames[kLanguageCount] = {
    L"DaystreamSetting_jpn.dll", L"SkylumeSetting_fra.dll",   L"SkylumeSetting_gbr.dll", L"SkylumeSetting_ita.dll",
    L"SkylumeSetting_deu.dll",   L"DaystreamSetting_usa.dll", L"SkylumeSetting_esp.dll", L"SkylumeSetting_rus.dll"};

std::optional<int> g_languageIndex;

int ValidIndex(int index) {
    return index >= 0 && index < kLanguageCount ? index : kFallbackLanguage;
}

// The language a data.xml names in ./locale below its root, or -1.
int LanguageIndexFromDataFile(const std::wstring& path) {
    try {
        xmldata::XmlDocument doc;
        if (!doc.Load(path))
            return -1;
        std::optional<std::wstring> code = doc.SelectText(L"./locale");
        // The settings window reads the same file next: it takes this document instead of parsing it again.
        doc.ParkForNextLoad(path);
        return code ? LanguageIndexFromCode(*code) : -1;
    } catch (const xmldata::XmlError&) {
        return -1;
    }
}

} // namespace

int GetSystemLanguageIndex() {
    const LANGID id = LANGID(::GetSystemDefaultLCID() & 0xFFFF);
    switch (id) {
    case 0x0411:
        return 0;
    case 0x040C:
    case 0x080C:
    case 0x0C0C:
    case 0x100C:
    case 0x140C:
        return 1;
    case 0x0809:
        return 2;
    case 0x0410:
    case 0x0810:
        return 3;
    case 0x0407:
    case 0x0807:
    case 0x0C07:
    case 0x1007:
    case 0x1407:
        return 4;
    default:
        return (id & 0xFF) == 0x0A ? 6 : kFallbackLanguage;
    }
}

int LanguageIndexFromCode(const std::wstring& code) {
    for (int i = 0; i < kLanguageCount; ++i)
        if (code == kLanguageCodes[i])
            return i;
    return -1;
}

int GetLanguageIndex() {
    if (g_languageIndex)
        return *g_languageIndex;
    int index = -1;
    std::wstring modules = GetModulesFolder(false, L"");
    if (!modules.empty())
        index = LanguageIndexFromDataFile(modules + L"\\" + kDataFileName);
    if (index < 0)
        index = GetAllUsersLanguageIndex();
    g_languageIndex = index;
    return index;
}

int GetAllUsersLanguageIndex() {
    std::wstring common;
    GetCommonModulesFolder(common);
    const int index = LanguageIndexFromDataFile(common + L"\\" + kDataFileName);
    return index >= 0 ? index : GetSystemLanguageIndex();
}

void ResetLanguageIndexCache() {
    g_languageIndex.reset();
}

std::wstring GetLanguageCode(int index) {
    return kLanguageCodes[ValidIndex(index)];
}

std::wstring GetLanguageLibraryName(int index) {
    return GetProgramFilePath(kLibraryNames[ValidIndex(index)]);
}

bool LanguageResources::LoadLanguageResources() {
    Release();
    library_.reset(::LoadLibraryW(GetLanguageLibraryName(GetLanguageIndex()).c_str()));
    if (!library_)
        return false;
    if (win32::WinApp* app = win32::GetApp())
        app->setResourceHandle(library_.get());
    return true;
}

void LanguageResources::Release() {
    if (!library_)
        return;
    if (win32::WinApp* app = win32::GetApp(); app && app->resourceHandle() == library_.get())
        app->setResourceHandle(nullptr);
    library_.reset();
}

bool LoadStringFromSystemLanguage(std::wstring& text, unsigned id) {
    win32::Module library(
        ::LoadLibraryExW(GetLanguageLibraryName(GetSystemLanguageIndex()).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!library)
        return false;
    std::wstring loaded = win32::LoadResString(library.get(), id);
    if (loaded.empty())
        return false;
    text = loaded;
    return true;
}

std::wstring MissingResourcesText(int languageIndex) {
    switch (languageIndex) {
    case 0:
        return L"必要なファイルが存在しない、または壊れているため Daystream の設定を起動できません。\r\n"
               L"Daystream を再インストールしてください。";
    case 1:
        return L"Impossible de démarrer Skylume car les fichiers nécessaires n'existent pas ou sont altérés.\r\n"
               L"Réinstallez Skylume.";
    case 2:
        return L"Cannot start Skylume settings because the necessary files do not exist or the files are "
               L"corrupted.\r\nPlease install Skylume again.";
    case 6:
        return win32::LoadResString(::GetModuleHandleW(nullptr), IDS_MISSING_RESOURCES_ESP);
    case 7:
        return win32::LoadResString(::GetModuleHandleW(nullptr), IDS_MISSING_RESOURCES_RUS);
    default:
        return L"Cannot start Daystream settings because the necessary files do not exist or the files are "
               L"corrupted.\r\nPlease install Daystream again.";
    }
}

} // namespace shell
