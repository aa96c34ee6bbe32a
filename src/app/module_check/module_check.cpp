// SkylumeModuleCheck: reads an additional module's settings description exactly as the settings window does
// (the same page class builds a hidden page from it) and tells the module's author, one line per finding with
// the item's key, what the page accepts, which rule refused the rest, what it does otherwise than written, and
// the value each control starts with. Optionally saves a picture of the page in a chosen language.
//
//     SkylumeModuleCheck <module folder> [--language jpn|usa|gbr|fra|ita|deu|esp|rus] [--picture page.png]
//                        [--size WIDTHxHEIGHT]
//     SkylumeModuleCheck /?      (usage, in the system's language)
//
// Exit status: 0 when a page would be built and shows every item as described, 1 otherwise, 2 for a usage error.
#include "app/config_dialog.h"
#include "app/module_check/page_picture.h"
#include "app/module_check/parse_failure.h"
#include "pages/additional_modules/additional_module_page.h"
#include "res/resource.h"
#include "shell/folders.h"
#include "shell/language.h"
#include "win32/app.h"
#include "win32/com.h"
#include "win32/dialog.h"
#include "win32/handle.h"
#include "win32/strings.h"

#include <commctrl.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void Print(const std::wstring& text) {
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0, written = 0;
    if (::GetConsoleMode(out, &mode)) {
        ::WriteConsoleW(out, text.c_str(), DWORD(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = win32::WideToUtf8(text);
    ::WriteFile(out, bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

std::wstring FileName(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// One finding: its verdict word in a column, then where it stands and its key.
enum class Level { Accepted, Refused, Warning, Error, Note };

struct Tally {
    int accepted = 0, refused = 0, warnings = 0, errors = 0;
};

void Report(Tally& tally, Level level, const std::wstring& line) {
    static const wchar_t* const words[] = {L"accepted", L"refused", L"warning", L"error", L"note"};
    std::wstring word = words[int(level)];
    word.resize(10, L' ');
    Print(L"  " + word + line + L"\n");
    switch (level) {
    case Level::Accepted:
        ++tally.accepted;
        break;
    case Level::Refused:
        ++tally.refused;
        break;
    case Level::Warning:
        ++tally.warnings;
        break;
    case Level::Error:
        ++tally.errors;
        break;
    case Level::Note:
        break;
    }
}

struct Options {
    bool help = false;
    std::wstring folder;
    std::wstring language;
    std::wstring picture;
    SIZE size = {0, 0}; // empty: the page's size in the chosen language
};

bool ParseOptions(int argc, wchar_t** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if (argument == L"/?" || argument == L"-?" || argument == L"--help") {
            options.help = true;
        } else if (argument == L"--language" && i + 1 < argc) {
            options.language = argv[++i];
            if (shell::LanguageIndexFromCode(options.language) < 0)
                return false;
        } else if (argument == L"--picture" && i + 1 < argc) {
            options.picture = argv[++i];
        } else if (argument == L"--size" && i + 1 < argc) {
            int width = 0, height = 0;
            if (swscanf(argv[++i], L"%dx%d", &width, &height) != 2 || width < 100 || height < 50)
                return false;
            options.size = {width, height};
        } else if (options.folder.empty() && argument.rfind(L"--", 0) != 0) {
            options.folder = argument;
        } else {
            return false;
        }
    }
    while (options.folder.size() > 3 && (options.folder.back() == L'\\' || options.folder.back() == L'/'))
        options.folder.pop_back();
    return options.help || !options.folder.empty();
}

void PrintUsage() {
    std::wstring usage;
    if (!shell::LoadStringFromSystemLanguage(usage, IDS_MODULE_CHECK_USAGE))
        usage = L"SkylumeModuleCheck <module folder> [--language jpn|usa|gbr|fra|ita|deu|esp|rus] "
                L"[--picture page.png] [--size WIDTHxHEIGHT]";
    Print(usage + L"\n");
}

// The settings window's font: the face and height of its page template's font, weight 100.
HFONT CreatePageFont(HWND host) {
    win32::Dialog probe(IDD_PAGE_ADDITIONAL);
    LOGFONTW templateFont = {};
    if (probe.CreateModeless(host))
        if (HFONT font = reinterpret_cast<HFONT>(::SendMessageW(probe.hwnd(), WM_GETFONT, 0, 0)))
            ::GetObjectW(font, sizeof(templateFont), &templateFont);
    probe.DestroyWindow();
    LOGFONTW font = {};
    font.lfHeight = templateFont.lfHeight ? templateFont.lfHeight : 12;
    wcscpy_s(font.lfFaceName, templateFont.lfHeight ? templateFont.lfFaceName : L"MS UI Gothic");
    font.lfWeight = 100;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = PROOF_QUALITY;
    font.lfPitchAndFamily = VARIABLE_PITCH;
    return ::CreateFontIndirectW(&font);
}

std::wstring StartValue(const CConfControlInf& control) {
    if (std::wstring(control.kind()) == L"checkbox")
        return control.value() == L"1" ? L"checked" : L"unchecked";
    return Quoted(control.value());
}

// The description files that were not used: a missing language file is the module's choice; any other refusal
// costs the users of that language their page, or everybody theirs when no page is built.
void ReportFiles(const CCWAdditionalModule& page, bool built, Tally& tally) {
    using Problem = DescriptionFileRefusal::Problem;
    for (const DescriptionFileRefusal& file : page.refusedFiles()) {
        const std::wstring then = built ? L"; " + FileName(page.descriptionFile()) + L" is used instead" : L"";
        const bool last = &file == &page.refusedFiles().back();
        switch (file.problem) {
        case Problem::Missing:
            Report(tally, built || !last ? Level::Note : Level::Error, FileName(file.path) + L" - missing" + then);
            break;
        case Problem::NotWellFormed: {
            const ParseFailure failure = LocateParseFailure(file.path);
            std::wstring where = FileName(file.path);
            if (failure.line > 0)
                where += L":" + std::to_wstring(failure.line) + L":" + std::to_wstring(failure.column);
            Report(tally, built ? Level::Warning : Level::Error,
                   where + L" - not well-formed: " + failure.reason + then);
            break;
        }
        case Problem::Refused:
            Report(tally, built ? Level::Warning : Level::Error, FileName(file.path) + L" - " + file.rule + then);
            break;
        }
    }
}

void ReportVerdicts(const CCWAdditionalModule& page, Tally& tally) {
    using Subject = DescriptionVerdict::Subject;
    for (const DescriptionVerdict& verdict : page.verdicts()) {
        const std::wstring where = verdict.group.empty() ? L"" : L"[" + verdict.group + L"] ";
        std::wstring key;
        switch (verdict.subject) {
        case Subject::Page:
            key = L"conf_window";
            break;
        case Subject::Item:
            key = verdict.key.empty() ? Quoted(L"") : verdict.key;
            break;
        case Subject::ItemWithoutName:
        case Subject::Group:
            break;
        }
        if (verdict.subject == Subject::Item && verdict.accepted)
            Report(tally, Level::Accepted,
                   where + key + L" (" + verdict.kind + L") label " + Quoted(verdict.control->label()) +
                       L", starts with " + StartValue(*verdict.control));
        else if (!verdict.accepted)
            Report(tally, Level::Refused, where + key + (key.empty() ? L"- " : L" - ") + verdict.rule);
        for (const std::wstring& note : verdict.notes)
            Report(tally, Level::Warning, where + key + (key.empty() ? L"- " : L" - ") + note);
    }
}

// Per-user copies of the description are made only when missing, so users who opened the settings window
// before keep the old copy: the author hears it whenever the module has been on this machine before.
void ReportEarlierCopies(const std::wstring& moduleName, Tally& tally) {
    std::wstring common;
    const bool installed = (shell::GetCommonModulesFolder(common) &&
                            ::GetFileAttributesW((common + L"\\" + moduleName).c_str()) != INVALID_FILE_ATTRIBUTES) ||
                           !shell::GetModulesFolder(false, moduleName).empty();
    if (installed)
        Report(tally, Level::Note,
               moduleName +
                   L" - the module was on this machine before: each user who has opened the settings window "
                   L"since keeps the copy of the description made then (%APPDATA%" +
                   shell::kModulesFolder + L"\\" + moduleName +
                   L") and sees a changed description only once that copy is deleted");
}

int Check(const Options& options) {
    const int languageIndex =
        options.language.empty() ? shell::GetLanguageIndex() : shell::LanguageIndexFromCode(options.language);
    const std::wstring languageCode = shell::GetLanguageCode(languageIndex);
    const std::wstring library = shell::GetLanguageLibraryName(languageIndex);
    win32::Module resources(::LoadLibraryExW(library.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!resources) {
        Print(L"The language library " + library + L" is missing; the checker must stand beside the program.\n");
        return 2;
    }
    win32::WinApp app;
    app.setResourceHandle(resources.get());

    const std::wstring moduleName = FileName(options.folder);
    Print(L"Module " + Quoted(moduleName) + L" in " + options.folder + L", language " + languageCode + L"\n");

    // The page lives in a hidden window: the picture is drawn from the windows themselves, not the screen.
    win32::OwnedWindow hostWindow(::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, L"#32770", L"", WS_POPUP, 0,
                                                    0, 100, 100, nullptr, nullptr, nullptr, nullptr));
    HWND host = hostWindow.get();
    win32::Font font(CreatePageFont(host));
    const SIZE size = options.size.cx ? options.size : SettingsPageSize(host);
    if (size.cx <= 0 || size.cy <= 0) {
        Print(L"The language library " + library + L" has no settings window to measure the page by.\n");
        return 2;
    }
    ::SetWindowPos(host, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    Tally tally;
    int result = 1;
    {
        CCWAdditionalModule page(nullptr, nullptr, font.get());
        page.UseDataFile(options.folder + L"\\data.xml");
        const RECT rect = {0, 0, size.cx, size.cy};
        const bool built = page.CreateFromFolder(moduleName, options.folder, languageCode, rect, host) > 0;
        // The items' windows, which the settings window makes when it shows the page.
        if (built)
            page.RealizeAllItems();
        if (built)
            Print(L"Description " + page.descriptionFile() + L"\nPage " + Quoted(page.title()) + L", description " +
                  Quoted(page.description()) + L"\n");
        ReportFiles(page, built, tally);
        if (IsBuiltInModuleFolder(moduleName))
            Report(tally, Level::Error,
                   moduleName + L" - the settings window makes no page for a module folder of this name (Clock, "
                                L"Calendar, RSS, Music, Photo, locale, Visualizer, in any letter case)");
        ReportVerdicts(page, tally);
        if (built && page.controls().empty())
            Report(tally, Level::Error, L"conf_window - the page would show no setting");
        ReportEarlierCopies(moduleName, tally);
        auto count = [](int number, const wchar_t* word) {
            return std::to_wstring(number) + L" " + word + (number == 1 ? L"" : L"s");
        };
        Print(std::to_wstring(tally.accepted) + L" accepted, " + std::to_wstring(tally.refused) + L" refused, " +
              count(tally.warnings, L"warning") + L", " + count(tally.errors, L"error") + L".\n");
        if (!built)
            Print(L"No page would be built.\n");
        else if (tally.errors > 0)
            Print(L"A page would be built, but users would not get what it describes.\n");
        else if (tally.refused + tally.warnings > 0)
            Print(L"A page would be built; some items are refused or not shown as described.\n");
        else
            Print(L"A page would be built; every item is accepted.\n");
        result = built && tally.errors + tally.refused + tally.warnings == 0 ? 0 : 1;
        if (built && !options.picture.empty()) {
            ::ShowWindow(page.hwnd(), SW_SHOW);
            if (SavePagePicture(page.hwnd(), options.picture)) {
                Print(L"Picture saved to " + options.picture + L"\n");
            } else {
                Print(L"The picture could not be saved to " + options.picture + L"\n");
                result = 2;
            }
        }
    }
    return result;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options) || options.help) {
        PrintUsage();
        return options.help ? 0 : 2;
    }
    win32::ComInit com;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR gdiplus = 0;
    Gdiplus::GdiplusStartup(&gdiplus, &input, nullptr);
    const int result = Check(options);
    Gdiplus::GdiplusShutdown(gdiplus);
    return result;
}
