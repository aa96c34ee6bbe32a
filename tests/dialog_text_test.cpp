// Every language library holds every resource of the program's own Japanese set, with dialog templates that
// agree in their controls (code addresses controls by id and class); every dialog template and message box keeps
// its access keys apart and its texts inside their controls; templates added later are found by enumeration and
// checked the same way.
#include "dialog_text_rules.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

#include "app/config_dialog.h"
#include "res/resource.h"
#include "shell/folders.h"
#include "shell/language.h"
#include "ui/settings_layout.h"
#include "velour/velour_message_box.h"
#include "win32/dpi.h"
#include "win32/handle.h"

namespace {

using AcceleratorTable = std::unique_ptr<HACCEL__, decltype(&::DestroyAcceleratorTable)>;

bool HasFault(const std::vector<std::wstring>& faults, const std::wstring& part) {
    for (const std::wstring& fault : faults)
        if (fault.find(part) != std::wstring::npos)
            return true;
    return false;
}

// The program's own resources, the Japanese set that every language library must match.
win32::Module ProgramModule() {
    return win32::Module(::LoadLibraryExW((shell::GetProgramFolder() + L"\\SkylumeSetting.exe").c_str(), nullptr,
                                          LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

// One language library's resources.
class LanguageResources {
protected:
    explicit LanguageResources(int language)
        : code(shell::GetLanguageCode(language)),
          library(::LoadLibraryExW(shell::GetLanguageLibraryName(language).c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}

    std::wstring code;
    win32::Module library;

    std::optional<win32::DialogTemplate> Dialog(LPCWSTR name) const {
        HRSRC found = ::FindResourceW(library.get(), name, RT_DIALOG);
        const void* data = found ? ::LockResource(::LoadResource(library.get(), found)) : nullptr;
        if (!data)
            return std::nullopt;
        return win32::ParseDialogTemplate(data, ::SizeofResource(library.get(), found));
    }
    std::wstring String(UINT id) const {
        const wchar_t* text = nullptr;
        const int length = ::LoadStringW(library.get(), id, reinterpret_cast<LPWSTR>(&text), 0);
        return length > 0 ? std::wstring(text, size_t(length)) : std::wstring();
    }
    AcceleratorTable PageAccelerators() const {
        return {::LoadAcceleratorsW(library.get(), MAKEINTRESOURCEW(IDR_PAGE_ACCELERATORS)), ::DestroyAcceleratorTable};
    }
    std::vector<std::wstring> DialogNames() const {
        std::vector<std::wstring> names;
        ::EnumResourceNamesW(
            library.get(), RT_DIALOG,
            [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR out) CALLBACK -> BOOL {
                reinterpret_cast<std::vector<std::wstring>*>(out)->push_back(
                    IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name)) : name);
                return TRUE;
            },
            reinterpret_cast<LONG_PTR>(&names));
        return names;
    }
};

class LanguageLibraryTexts : public ::testing::TestWithParam<int>, protected LanguageResources {
protected:
    LanguageLibraryTexts() : LanguageResources(GetParam()) {}
    win32::Module program = ProgramModule();
};

// Every language at the DPIs of 100, 125, 150 and 200 per cent.
class LanguageLayout : public ::testing::TestWithParam<std::tuple<int, int>>, protected LanguageResources {
protected:
    LanguageLayout() : LanguageResources(std::get<0>(GetParam())) {}
    int dpi = std::get<1>(GetParam());
};

// The drop-down lists the program fills from the string table: template, control, the entries' string ids.
struct ComboEntries {
    UINT dialog;
    uint32_t control;
    std::vector<UINT> strings;
};
const ComboEntries kComboEntries[] = {
    {IDD_PAGE_DISPLAY, IDC_DISPLAY_POSITION, {IDS_POSITION_CENTER, IDS_POSITION_RESIZE, IDS_POSITION_ZOOM}},
    {IDD_PAGE_PHOTO,
     IDC_PHOTO_LAYOUT,
     {IDS_LAYOUT_NORMAL, IDS_LAYOUT_CINEMA, IDS_LAYOUT_TILE, IDS_LAYOUT_SNAPSHOT, IDS_LAYOUT_COMPOSITE}},
    {IDD_PAGE_CALENDAR,
     IDC_CALENDAR_FIRST_DAY,
     {IDS_WEEKDAY_MONDAY, IDS_WEEKDAY_TUESDAY, IDS_WEEKDAY_WEDNESDAY, IDS_WEEKDAY_THURSDAY, IDS_WEEKDAY_FRIDAY,
      IDS_WEEKDAY_SATURDAY, IDS_WEEKDAY_SUNDAY}},
    {IDD_PAGE_NEWS_OPTIONS,
     IDC_NEWS_REFRESH,
     {IDS_NEWS_REFRESH_FIRST, IDS_NEWS_REFRESH_FIRST + 1, IDS_NEWS_REFRESH_FIRST + 2, IDS_NEWS_REFRESH_FIRST + 3,
      IDS_NEWS_REFRESH_FIRST + 4, IDS_NEWS_REFRESH_FIRST + 5, IDS_NEWS_REFRESH_1DAY}},
    {IDD_PAGE_NEWS_OPTIONS,
     IDC_NEWS_MAXITEM,
     {IDS_NEWS_MAXITEM_FIRST, IDS_NEWS_MAXITEM_FIRST + 1, IDS_NEWS_MAXITEM_FIRST + 2, IDS_NEWS_MAXITEM_FIRST + 3,
      IDS_NEWS_MAXITEM_FIRST + 4, IDS_NEWS_MAXITEM_FIRST + 5}},
    {IDD_PAGE_NEWS_OPTIONS,
     IDC_NEWS_ROTATION,
     {IDS_NEWS_ROTATION_FIRST, IDS_NEWS_ROTATION_FIRST + 1, IDS_NEWS_ROTATION_FIRST + 2, IDS_NEWS_ROTATION_FIRST + 3,
      IDS_NEWS_ROTATION_FIRST + 4, IDS_NEWS_ROTATION_FIRST + 5, IDS_NEWS_ROTATION_FIRST + 6}},
    {IDD_PAGE_WAKEUP, IDC_WAKEUP_AMPM, {IDS_WAKEUP_AM, IDS_WAKEUP_PM}},
};

// The titles of the built-in pages, as the category list shows them.
const UINT kPageTitles[] = {IDS_GENERAL_TITLE,  IDS_DISPLAY_TITLE, IDS_WAKEUP_TITLE,       IDS_VERSION_TITLE,
                            IDS_PHOTO_TITLE,    IDS_NEWS_TITLE,    IDS_NEWS_OPTIONS_TITLE, IDS_CLOCK_TITLE,
                            IDS_CALENDAR_TITLE, IDS_MUSIC_TITLE,   IDS_VISUALIZER_TITLE};
// The module pages, whose short titles the General page's module list shows.
const UINT kModulePageTitles[] = {IDS_PHOTO_TITLE,    IDS_NEWS_OPTIONS_TITLE, IDS_CLOCK_TITLE,
                                  IDS_CALENDAR_TITLE, IDS_MUSIC_TITLE,        IDS_VISUALIZER_TITLE};

// Held only by the program itself: the texts shown when no library can be loaded.
const std::set<UINT> kProgramOnlyStrings = {259, 260};

std::set<UINT> ResourceIds(HMODULE module, LPCWSTR type) {
    std::set<UINT> ids;
    ::EnumResourceNamesW(
        module, type,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR out) CALLBACK -> BOOL {
            if (IS_INTRESOURCE(name))
                reinterpret_cast<std::set<UINT>*>(out)->insert(UINT(reinterpret_cast<ULONG_PTR>(name)));
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

std::map<UINT, std::wstring> Strings(HMODULE module) {
    std::map<UINT, std::wstring> strings;
    for (UINT block : ResourceIds(module, RT_STRING))
        for (UINT id = (block - 1) * 16; id < block * 16; ++id) {
            const wchar_t* text = nullptr;
            int length = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
            if (length > 0)
                strings[id] = std::wstring(text, size_t(length));
        }
    return strings;
}

struct Control {
    DWORD id;
    std::wstring windowClass;
    bool operator==(const Control&) const = default;
};

// The controls of a dialog template, "(not an extended template)" for a template the resource compiler should
// have written as DIALOGEX.
std::vector<Control> DialogControls(HMODULE module, UINT id) {
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), RT_DIALOG);
    if (!found)
        return {};
    const void* data = ::LockResource(::LoadResource(module, found));
    auto words = static_cast<const WORD*>(data);
    std::optional<win32::DialogTemplate> dialog = win32::ParseDialogTemplate(data, ::SizeofResource(module, found));
    if (!dialog || words[0] != 1 || words[1] != 0xFFFF)
        return {{0xFFFFFFFF, L"(not an extended template)"}};
    std::vector<Control> controls;
    for (const win32::DialogItem& item : dialog->items)
        controls.push_back({item.id, item.classAtom ? L"#" + std::to_wstring(item.classAtom) : item.className});
    return controls;
}

std::wstring TextOf(const win32::DialogTemplate& dialog, uint32_t id) {
    for (const win32::DialogItem& item : dialog.items)
        if (item.id == id)
            return item.text;
    return {};
}

} // namespace

TEST_P(LanguageLibraryTexts, EveryDialogKeepsItsAccessKeysApart) {
    ASSERT_TRUE(library) << code;
    const std::vector<std::wstring> names = DialogNames();
    ASSERT_GE(names.size(), 2u) << code;
    // Pages (child templates) also answer the page accelerators.
    AcceleratorTable accelerators = PageAccelerators();
    ASSERT_TRUE(accelerators) << code;
    const std::wstring pageKeys = textrules::AltAcceleratorKeys(accelerators.get());
    for (const std::wstring& name : names) {
        std::optional<win32::DialogTemplate> dialog = Dialog(name.c_str());
        ASSERT_TRUE(dialog) << code << " dialog " << name << " does not read as a template";
        for (const std::wstring& fault : textrules::CheckAccessKeys(textrules::AccessKeyLabels(*dialog),
                                                                    (dialog->style & WS_CHILD) ? pageKeys : L""))
            ADD_FAILURE() << code << " dialog " << name << ": " << fault;
    }
}

TEST_P(LanguageLayout, EveryDialogKeepsItsTextsAndListEntriesInside) {
    ASSERT_TRUE(library) << code;
    const std::vector<std::wstring> names = DialogNames();
    ASSERT_GE(names.size(), 2u) << code;
    for (const std::wstring& name : names) {
        std::optional<win32::DialogTemplate> dialog = Dialog(name.c_str());
        ASSERT_TRUE(dialog) << code << " dialog " << name << " does not read as a template";
        for (const std::wstring& fault : textrules::CheckTextFit(*dialog, dpi))
            ADD_FAILURE() << code << " at " << dpi << " DPI, dialog " << name << ": " << fault;
    }
    for (const ComboEntries& combo : kComboEntries) {
        std::optional<win32::DialogTemplate> dialog = Dialog(MAKEINTRESOURCEW(combo.dialog));
        ASSERT_TRUE(dialog) << code << " dialog " << combo.dialog;
        std::vector<std::wstring> entries;
        for (UINT id : combo.strings) {
            entries.push_back(String(id));
            EXPECT_FALSE(entries.back().empty()) << code << " string " << id;
        }
        for (const std::wstring& fault : textrules::CheckComboItemFit(*dialog, combo.control, entries, dpi))
            ADD_FAILURE() << code << " at " << dpi << " DPI, dialog " << combo.dialog << ": " << fault;
    }
}

// The settings window gives every page the room its template is drawn for, and its lists room for their texts.
TEST_P(LanguageLayout, PagesAndListEntriesFitTheSettingsWindow) {
    ASSERT_TRUE(library) << code;
    std::optional<win32::DialogTemplate> settings = Dialog(MAKEINTRESOURCEW(IDD_SETTINGS));
    ASSERT_TRUE(settings) << code;
    const textrules::TemplateFont font = textrules::FontAt(*settings, dpi);
    const SIZE units = font.baseUnits;
    const SettingsLayout layout =
        LayOutSettingsWindow({::MulDiv(settings->cx, units.cx, 4), ::MulDiv(settings->cy, units.cy, 8)}, dpi, units);
    const SIZE page = {layout.page.right - layout.page.left, layout.page.bottom - layout.page.top};
    // As wide as at 96 DPI in Tahoma, in the font's own dialog units: no page ends shorter or runs further.
    EXPECT_EQ(page.cx, ::MulDiv(312, units.cx, 4)) << code << " at " << dpi << " DPI";
    EXPECT_EQ(layout.list.right - layout.list.left, ::MulDiv(168, dpi, 96)) << code << " at " << dpi << " DPI";
    for (const std::wstring& name : DialogNames()) {
        std::optional<win32::DialogTemplate> dialog = Dialog(name.c_str());
        if (!dialog || !(dialog->style & WS_CHILD))
            continue;
        for (const std::wstring& fault : textrules::CheckPagePlacement(*dialog, page, dpi))
            ADD_FAILURE() << code << " at " << dpi << " DPI, page " << name << ": " << fault;
    }

    // Category list: twelve categories (the built-in ones and one additional module), each an icon and its title
    // inside the list's one-pixel edge, beside a scroll bar when they do not all fit.
    const CategoryItemLayout item = LayOutCategoryItem(dpi);
    const int listHeight = layout.list.bottom - layout.list.top - 2;
    const int scrollBar = 12 * layout.itemHeight > listHeight ? win32::SystemMetricForDpi(SM_CXVSCROLL, dpi) : 0;
    const int titleRoom = layout.list.right - layout.list.left - 2 - scrollBar - item.textLeft - item.textRightInset;
    for (UINT id : kPageTitles)
        EXPECT_LE(textrules::LineWidth(font.font.get(), String(id)), titleRoom)
            << code << " at " << dpi << " DPI: the category \"" << String(id) << "\" is cut";

    // General page's module list: a check box and the module's short name, beside the list's scroll bar.
    std::optional<win32::DialogTemplate> general = Dialog(MAKEINTRESOURCEW(IDD_PAGE_GENERAL));
    ASSERT_TRUE(general) << code;
    for (const win32::DialogItem& control : general->items) {
        if (control.id != IDC_MODULE_LIST)
            continue;
        const RECT list = textrules::PixelRect(control, units);
        const int room = list.right - list.left - 2 - win32::SystemMetricForDpi(SM_CXVSCROLL, dpi) -
                         ::MulDiv(3 + 16 + 5 + 3, dpi, 96);
        for (UINT id : kModulePageTitles) {
            const std::wstring shown = ShortModuleName(String(id));
            EXPECT_LE(textrules::LineWidth(font.font.get(), shown), room)
                << code << " at " << dpi << " DPI: the module \"" << shown << "\" is cut";
        }
    }
}

TEST_P(LanguageLibraryTexts, EveryMessageBoxKeepsItsAccessKeysApart) {
    ASSERT_TRUE(library) << code;
    for (UINT type = MB_OK; type <= MB_CANCELTRYCONTINUE; ++type) {
        std::vector<std::wstring> labels;
        for (const VelourBoxButton& button : VelourMessageBoxButtons(type)) {
            labels.push_back(String(button.stringId));
            EXPECT_FALSE(labels.back().empty()) << code << " string " << button.stringId;
        }
        for (const std::wstring& fault : textrules::CheckAccessKeys(labels, L""))
            ADD_FAILURE() << code << " message box type " << type << ": " << fault;
    }
}

TEST_P(LanguageLibraryTexts, HelpKeyAndOkWordAreTheLanguagesOwn) {
    ASSERT_TRUE(library) << code;
    std::optional<win32::DialogTemplate> settings = Dialog(MAKEINTRESOURCEW(IDD_SETTINGS));
    ASSERT_TRUE(settings) << code;
    // The page accelerator for Help is Alt + the Help button's access key.
    const WORD helpKey = textrules::VirtualKeyOfLetter(textrules::AccessKey(TextOf(*settings, IDC_HELP_BUTTON)));
    ASSERT_NE(helpKey, 0) << code << ": the Help button's access key is not a key letter";
    AcceleratorTable accelerators = PageAccelerators();
    ACCEL entries[16];
    const int count = ::CopyAcceleratorTableW(accelerators.get(), entries, 16);
    int helpEntries = 0;
    for (int i = 0; i < count; ++i)
        if (entries[i].cmd == ID_PAGE_HELP) {
            ++helpEntries;
            EXPECT_EQ(entries[i].key, helpKey) << code;
            EXPECT_EQ(entries[i].fVirt & (FVIRTKEY | FALT | FCONTROL | FSHIFT), FVIRTKEY | FALT) << code;
        }
    EXPECT_EQ(helpEntries, 1) << code;
    // OK and Cancel say what the language's message boxes say.
    EXPECT_EQ(TextOf(*settings, IDOK), String(IDS_VELOUR_OK)) << code;
    EXPECT_EQ(TextOf(*settings, IDCANCEL), String(IDS_VELOUR_CANCEL)) << code;
}

TEST_P(LanguageLibraryTexts, HasEveryStringOfTheProgramsOwnSet) {
    ASSERT_TRUE(program && library) << code;
    std::map<UINT, std::wstring> own = Strings(program.get()), translated = Strings(library.get());
    ASSERT_FALSE(own.empty());
    for (const auto& [id, text] : own) {
        if (kProgramOnlyStrings.count(id))
            continue;
        EXPECT_TRUE(translated.count(id)) << "string " << id << " missing";
        // A "%s" in the Japanese text is filled by the code, so the translation must keep exactly one.
        auto count = [](const std::wstring& s) {
            size_t n = 0;
            for (size_t at = s.find(L"%s"); at != std::wstring::npos; at = s.find(L"%s", at + 2))
                ++n;
            return n;
        };
        if (translated.count(id)) {
            EXPECT_EQ(count(translated[id]), count(text)) << "string " << id;
        }
    }
}

TEST_P(LanguageLibraryTexts, HasEveryDialogBitmapIconAndAcceleratorId) {
    ASSERT_TRUE(program && library) << code;
    for (LPCWSTR type : {RT_DIALOG, RT_BITMAP, RT_GROUP_ICON, RT_ACCELERATOR}) {
        std::set<UINT> own = ResourceIds(program.get(), type), translated = ResourceIds(library.get(), type);
        for (UINT id : own)
            EXPECT_TRUE(translated.count(id)) << "resource type " << reinterpret_cast<ULONG_PTR>(type) << " id " << id;
    }
}

TEST_P(LanguageLibraryTexts, DialogTemplatesHaveTheSameControls) {
    ASSERT_TRUE(program && library) << code;
    std::set<UINT> dialogs = ResourceIds(program.get(), RT_DIALOG);
    ASSERT_FALSE(dialogs.empty());
    for (UINT id : dialogs) {
        std::vector<Control> own = DialogControls(program.get(), id), translated = DialogControls(library.get(), id);
        ASSERT_EQ(own.size(), translated.size()) << "dialog " << id;
        for (size_t i = 0; i < own.size(); ++i) {
            EXPECT_EQ(own[i].id, translated[i].id) << "dialog " << id << " control " << i;
            EXPECT_EQ(own[i].windowClass, translated[i].windowClass) << "dialog " << id << " control " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllLanguages, LanguageLibraryTexts, ::testing::Range(0, 8),
                         [](const ::testing::TestParamInfo<int>& info) {
                             const std::wstring code = shell::GetLanguageCode(info.param);
                             return std::string(code.begin(), code.end());
                         });
INSTANTIATE_TEST_SUITE_P(AllLanguagesAndScales, LanguageLayout,
                         ::testing::Combine(::testing::Range(0, 8), ::testing::Values(96, 120, 144, 192)),
                         [](const ::testing::TestParamInfo<std::tuple<int, int>>& info) {
                             const std::wstring code = shell::GetLanguageCode(std::get<0>(info.param));
                             return std::string(code.begin(), code.end()) + "_" +
                                    std::to_string(std::get<1>(info.param));
                         });

// The checks themselves fail on a template built with the faults they look for.
TEST(TextRules, FindClashingKeysStrayAmpersandsAndOverlongTexts) {
    auto item = [](uint16_t atom, uint32_t style, int16_t cx, int16_t cy, const wchar_t* text) {
        win32::DialogItem control;
        control.classAtom = atom;
        control.style = WS_CHILD | style;
        control.cx = cx, control.cy = cy;
        control.text = text;
        return control;
    };
    win32::DialogTemplate dialog;
    dialog.style = DS_SETFONT | WS_CHILD;
    dialog.pointSize = 8;
    dialog.face = L"MS Shell Dlg";
    dialog.items = {
        item(0x80, WS_VISIBLE | BS_AUTOCHECKBOX, 80, 12, L"&Play"),
        item(0x80, WS_VISIBLE | BS_PUSHBUTTON, 50, 14, L"&Pause"),
        item(0x82, WS_VISIBLE | SS_LEFT, 40, 10, L"Save &"),
        item(0x80, BS_PUSHBUTTON, 50, 14, L"&Print"),                      // hidden: no key
        item(0x82, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 60, 10, L"&Paste"), // shows its '&'
        item(0x82, WS_VISIBLE | SS_LEFT, 60, 10, L"This sentence is far too long for so small a label"),
        item(0x80, WS_VISIBLE | BS_PUSHBUTTON, 30, 14, L"An overlong button label"),
        item(0x80, WS_VISIBLE | BS_AUTORADIOBUTTON, 120, 12, L"&Сохранить"),
    };
    const std::vector<std::wstring> labels = textrules::AccessKeyLabels(dialog);
    EXPECT_EQ(labels.size(), 6u); // not the hidden button nor the label that shows its '&'
    std::vector<std::wstring> faults = textrules::CheckAccessKeys(labels, L"");
    EXPECT_TRUE(HasFault(faults, L"\"&Play\" and \"&Pause\" share the access key P"));
    EXPECT_TRUE(HasFault(faults, L"\"Save &\": '&' does not stand before a letter"));
    EXPECT_EQ(faults.size(), 2u);

    // Alt+C types "С" on the Russian layout: it takes the key of "&Сохранить" as well as of a Latin C.
    ACCEL helpOnC{FVIRTKEY | FALT, 'C', ID_PAGE_HELP};
    AcceleratorTable table{::CreateAcceleratorTableW(&helpOnC, 1), ::DestroyAcceleratorTable};
    faults = textrules::CheckAccessKeys(labels, textrules::AltAcceleratorKeys(table.get()));
    EXPECT_TRUE(HasFault(faults, L"\"&Сохранить\" uses the key of the accelerator Alt+"));
    EXPECT_EQ(textrules::VirtualKeyOfLetter(L'с'), 'C');

    win32::DialogItem combo = item(0x85, WS_VISIBLE | CBS_DROPDOWNLIST, 40, 60, L"");
    combo.id = 7;
    dialog.items.push_back(combo);
    faults = textrules::CheckComboItemFit(dialog, 7, {L"Short", L"An item far too long for the list"}, 96);
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_TRUE(HasFault(faults, L"\"An item far too long for the list\" (item of combo box 7) is "));
    dialog.items.pop_back();

    faults = textrules::CheckTextFit(dialog, 96);
    EXPECT_TRUE(HasFault(faults, L"\"This sentence is far too long for so small a label\" (control 0) is "));
    EXPECT_TRUE(HasFault(faults, L"px too tall"));
    EXPECT_TRUE(HasFault(faults, L"\"An overlong button label\" (control 0) is "));
    EXPECT_TRUE(HasFault(faults, L"px too wide"));
    EXPECT_EQ(faults.size(), 2u) << (faults.empty() ? L"" : faults[0]);

    // In a page of 100 x 100 pixels: a group box, a check box that runs out of it and one past the page's edge.
    win32::DialogItem group = item(0x80, WS_VISIBLE | BS_GROUPBOX, 40, 40, L"Group");
    win32::DialogItem leaving = item(0x80, WS_VISIBLE | BS_AUTOCHECKBOX, 40, 10, L"Leaving");
    leaving.x = 20, leaving.y = 10, leaving.id = 5;
    win32::DialogItem outside = item(0x80, WS_VISIBLE | BS_AUTOCHECKBOX, 40, 10, L"Outside");
    outside.x = 60, outside.y = 50, outside.id = 6;
    dialog.items = {group, leaving, outside};
    faults = textrules::CheckPagePlacement(dialog, {100, 100}, 96);
    EXPECT_TRUE(HasFault(faults, L"control 5 \"Leaving\" runs out of the group box"));
    EXPECT_TRUE(HasFault(faults, L"control 6 \"Outside\" lies outside the page"));
    EXPECT_EQ(faults.size(), 2u);
}

TEST(ProgramResources, HoldTheBuiltInMissingResourcesTexts) {
    const win32::Module program = ProgramModule();
    std::map<UINT, std::wstring> own = Strings(program.get());
    EXPECT_EQ(own[259].substr(0, 40), L"No se puede iniciar la configuracion de ");
    EXPECT_NE(own[259].find(L"da?ados"), std::wstring::npos);
    EXPECT_EQ(own[260].find(L"Не удается запустить настройки Skylume"), 0u);
}

TEST(ProgramResources, SettingsDialogTemplateReadsAsItsControls) {
    const win32::Module program = ProgramModule();
    // Predefined classes are stored as atoms: 0x80 button, 0x83 list box.
    std::vector<Control> expected = {{1001, L"#131"}, {IDOK, L"#128"}, {IDCANCEL, L"#128"}, {1000, L"#128"}};
    EXPECT_EQ(DialogControls(program.get(), 129), expected);
}
