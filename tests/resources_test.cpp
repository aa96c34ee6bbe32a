// Every language library must supply every resource the program's own Japanese set has, with dialog templates
// that agree in their controls, since code addresses controls by id and class.
#include "test_env.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "win32/dialog_template.h"

namespace {

const wchar_t* const kLibraries[] = {
    L"DaystreamSetting_jpn.dll", L"SkylumeSetting_fra.dll",   L"SkylumeSetting_gbr.dll", L"SkylumeSetting_ita.dll",
    L"SkylumeSetting_deu.dll",   L"DaystreamSetting_usa.dll", L"SkylumeSetting_esp.dll", L"SkylumeSetting_rus.dll"};
// Held only by the program itself: the texts shown when no library can be loaded.
const std::set<UINT> kProgramOnlyStrings = {259, 260};

struct Module {
    explicit Module(const std::wstring& path)
        : handle(::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~Module() {
        if (handle)
            ::FreeLibrary(handle);
    }
    HMODULE handle;
};

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

class LanguageLibrary : public ::testing::TestWithParam<const wchar_t*> {
protected:
    Module program{testenv::FolderOfThisExecutable() + L"\\SkylumeSetting.exe"};
    Module library{testenv::FolderOfThisExecutable() + L"\\" + GetParam()};
};

} // namespace

TEST_P(LanguageLibrary, HasEveryStringOfTheProgramsOwnSet) {
    ASSERT_TRUE(program.handle && library.handle);
    std::map<UINT, std::wstring> own = Strings(program.handle), translated = Strings(library.handle);
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

TEST_P(LanguageLibrary, HasEveryDialogBitmapIconAndAcceleratorId) {
    ASSERT_TRUE(program.handle && library.handle);
    for (LPCWSTR type : {RT_DIALOG, RT_BITMAP, RT_GROUP_ICON, RT_ACCELERATOR}) {
        std::set<UINT> own = ResourceIds(program.handle, type), translated = ResourceIds(library.handle, type);
        for (UINT id : own)
            EXPECT_TRUE(translated.count(id)) << "resource type " << reinterpret_cast<ULONG_PTR>(type) << " id " << id;
    }
}

TEST_P(LanguageLibrary, DialogTemplatesHaveTheSameControls) {
    ASSERT_TRUE(program.handle && library.handle);
    std::set<UINT> dialogs = ResourceIds(program.handle, RT_DIALOG);
    ASSERT_FALSE(dialogs.empty());
    for (UINT id : dialogs) {
        std::vector<Control> own = DialogControls(program.handle, id), translated = DialogControls(library.handle, id);
        ASSERT_EQ(own.size(), translated.size()) << "dialog " << id;
        for (size_t i = 0; i < own.size(); ++i) {
            EXPECT_EQ(own[i].id, translated[i].id) << "dialog " << id << " control " << i;
            EXPECT_EQ(own[i].windowClass, translated[i].windowClass) << "dialog " << id << " control " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllLanguages, LanguageLibrary, ::testing::ValuesIn(kLibraries));

TEST(ProgramResources, HoldTheBuiltInMissingResourcesTexts) {
    Module program{testenv::FolderOfThisExecutable() + L"\\SkylumeSetting.exe"};
    std::map<UINT, std::wstring> own = Strings(program.handle);
    EXPECT_EQ(own[259].substr(0, 40), L"No se puede iniciar la configuracion de ");
    EXPECT_NE(own[259].find(L"da?ados"), std::wstring::npos);
    EXPECT_EQ(own[260].find(L"Не удается запустить настройки Skylume"), 0u);
}

TEST(ProgramResources, SettingsDialogTemplateReadsAsItsControls) {
    Module program{testenv::FolderOfThisExecutable() + L"\\SkylumeSetting.exe"};
    // Predefined classes are stored as atoms: 0x80 button, 0x83 list box.
    std::vector<Control> expected = {{1001, L"#131"}, {IDOK, L"#128"}, {IDCANCEL, L"#128"}, {1000, L"#128"}};
    EXPECT_EQ(DialogControls(program.handle, 129), expected);
}
