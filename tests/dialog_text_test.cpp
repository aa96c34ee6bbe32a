// Every dialog template and message box of every language library keeps its access keys apart and its texts
// inside their controls; templates added later are found by enumeration and checked the same way.
#include "dialog_text_rules.h"

#include <gtest/gtest.h>

#include <memory>

#include "res/resource.h"
#include "shell/language.h"
#include "velour/velour_message_box.h"
#include "win32/handle.h"

namespace {

using AcceleratorTable = std::unique_ptr<HACCEL__, decltype(&::DestroyAcceleratorTable)>;

bool HasFault(const std::vector<std::wstring>& faults, const std::wstring& part) {
    for (const std::wstring& fault : faults)
        if (fault.find(part) != std::wstring::npos)
            return true;
    return false;
}

class LanguageLibraryTexts : public ::testing::TestWithParam<int> {
protected:
    std::wstring code = shell::GetLanguageCode(GetParam());
    win32::Module library{::LoadLibraryExW(shell::GetLanguageLibraryName(GetParam()).c_str(), nullptr,
                                           LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)};

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
};

std::wstring TextOf(const win32::DialogTemplate& dialog, uint32_t id) {
    for (const win32::DialogItem& item : dialog.items)
        if (item.id == id)
            return item.text;
    return {};
}

} // namespace

TEST_P(LanguageLibraryTexts, EveryDialogKeepsItsAccessKeysApartAndItsTextsInside) {
    ASSERT_TRUE(library) << code;
    std::vector<std::wstring> names;
    ::EnumResourceNamesW(
        library.get(), RT_DIALOG,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR out) CALLBACK -> BOOL {
            reinterpret_cast<std::vector<std::wstring>*>(out)->push_back(
                IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name)) : name);
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&names));
    ASSERT_GE(names.size(), 2u) << code;
    // Pages (child templates) also answer the page accelerators.
    AcceleratorTable accelerators = PageAccelerators();
    ASSERT_TRUE(accelerators) << code;
    const std::wstring pageKeys = textrules::AltAcceleratorKeys(accelerators.get());
    for (const std::wstring& name : names) {
        std::optional<win32::DialogTemplate> dialog = Dialog(name.c_str());
        ASSERT_TRUE(dialog) << code << " dialog " << name << " does not read as a template";
        std::vector<std::wstring> faults = textrules::CheckAccessKeys(textrules::AccessKeyLabels(*dialog),
                                                                      (dialog->style & WS_CHILD) ? pageKeys : L"");
        for (std::wstring& fault : textrules::CheckTextFit(*dialog))
            faults.push_back(std::move(fault));
        for (const std::wstring& fault : faults)
            ADD_FAILURE() << code << " dialog " << name << ": " << fault;
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

INSTANTIATE_TEST_SUITE_P(AllLanguages, LanguageLibraryTexts, ::testing::Range(0, 8),
                         [](const ::testing::TestParamInfo<int>& info) {
                             const std::wstring code = shell::GetLanguageCode(info.param);
                             return std::string(code.begin(), code.end());
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

    faults = textrules::CheckTextFit(dialog);
    EXPECT_TRUE(HasFault(faults, L"\"This sentence is far too long for so small a label\" (control 0) is "));
    EXPECT_TRUE(HasFault(faults, L"px too tall"));
    EXPECT_TRUE(HasFault(faults, L"\"An overlong button label\" (control 0) is "));
    EXPECT_TRUE(HasFault(faults, L"px too wide"));
    EXPECT_EQ(faults.size(), 2u) << (faults.empty() ? L"" : faults[0]);
}
