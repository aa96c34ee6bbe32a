// SkylumeModuleCheck: reads an additional module's settings description exactly as the settings window does
// (the same page class builds a hidden page from it) and tells the module's author, item by item, what the page
// accepts, which rule refused the rest, and the value each control starts with. Optionally saves a picture of
// the page in a chosen language.
//
//     SkylumeModuleCheck <module folder> [--language jpn|usa|gbr|fra|ita|deu|esp|rus] [--picture page.png]
//                        [--size WIDTHxHEIGHT]
//
// Exit status: 0 when a page would be built and every item is accepted, 1 otherwise, 2 for a usage error.
#include "modules/additional/additional_module_page.h"
#include "res/resource.h"
#include "shell/language.h"
#include "win32/app.h"
#include "win32/atomic_file.h"
#include "win32/com.h"
#include "win32/handle.h"
#include "win32/strings.h"

#include <commctrl.h>
#include <gdiplus.h>
#include <objidl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The settings window's page area at its template size, where module pages are shown.
constexpr SIZE kDefaultPageSize = {560, 380};

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

struct Options {
    std::wstring folder;
    std::wstring language;
    std::wstring picture;
    SIZE size = kDefaultPageSize;
};

bool ParseOptions(int argc, wchar_t** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if (argument == L"--language" && i + 1 < argc) {
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
    return !options.folder.empty();
}

// The settings window's font: the face and height of its page template's font, weight 100.
HFONT CreatePageFont(HWND host) {
    win32::Dialog probe(IDD_PAGE_ADDITIONAL);
    LOGFONTW templateFont = {};
    if (probe.CreateModeless(host))
        if (HFONT font = reinterpret_cast<HFONT>(::SendMessageW(probe.hwnd(), WM_GETFONT, 0, 0)))
            ::GetObjectW(font, sizeof(templateFont), &templateFont);
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

// Prints the verdicts; true when every item was accepted.
bool Report(const CCWAdditionalModule& page) {
    bool allAccepted = true;
    int accepted = 0, refused = 0;
    for (const DescriptionVerdict& verdict : page.verdicts()) {
        std::wstring where = verdict.group.empty() ? L"" : L"[" + verdict.group + L"] ";
        if (verdict.key.empty()) {
            // A group, or an item without a name.
            if (!verdict.accepted)
                Print(L"  refused   " + where + L"- " + verdict.rule + L"\n");
            allAccepted = allAccepted && verdict.accepted;
            refused += verdict.accepted ? 0 : 1;
            continue;
        }
        if (verdict.accepted) {
            ++accepted;
            Print(L"  accepted  " + where + verdict.key + L" (" + verdict.kind + L") label " +
                  Quoted(verdict.control->label()) + L", starts with " + StartValue(*verdict.control) + L"\n");
        } else {
            ++refused;
            allAccepted = false;
            Print(L"  refused   " + where + verdict.key + L" - " + verdict.rule + L"\n");
        }
        for (const std::wstring& note : verdict.notes)
            Print(L"            note: " + note + L"\n");
    }
    Print(std::to_wstring(accepted) + L" accepted, " + std::to_wstring(refused) + L" refused.\n");
    return allAccepted;
}

bool SavePicture(HWND host, const std::wstring& path) {
    RECT rect;
    ::GetWindowRect(host, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = ::GetDC(nullptr);
    win32::MemoryDc memory(::CreateCompatibleDC(screen));
    win32::Bitmap bitmap(::CreateCompatibleBitmap(screen, width, height));
    HGDIOBJ old = ::SelectObject(memory.get(), bitmap.get());
    ::BitBlt(memory.get(), 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::SelectObject(memory.get(), old);
    ::ReleaseDC(nullptr, screen);

    // PNG encoder of GDI+.
    const CLSID png = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    win32::ComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put())))
        return false;
    {
        Gdiplus::Bitmap picture(bitmap.get(), nullptr);
        if (picture.Save(stream.get(), &png, nullptr) != Gdiplus::Ok)
            return false;
    }
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    std::string bytes(size_t(stat.cbSize.QuadPart), '\0');
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    stream->Read(bytes.data(), ULONG(bytes.size()), &read);
    return win32::WriteFileAtomically(path, bytes);
}

void Pump(int milliseconds) {
    const DWORD end = ::GetTickCount() + DWORD(milliseconds);
    MSG message;
    while (int(end - ::GetTickCount()) > 0) {
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::Sleep(10);
    }
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

    const size_t slash = options.folder.find_last_of(L"\\/");
    const std::wstring moduleName = slash == std::wstring::npos ? options.folder : options.folder.substr(slash + 1);
    Print(L"Module " + Quoted(moduleName) + L" in " + options.folder + L", language " + languageCode + L"\n");

    HWND host = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, L"#32770", L"", WS_POPUP, 0,
                                  0, options.size.cx, options.size.cy, nullptr, nullptr, nullptr, nullptr);
    win32::Font font(CreatePageFont(host));
    int result = 1;
    {
        CCWAdditionalModule page(nullptr, nullptr, font.get());
        page.UseDataFile(options.folder + L"\\data.xml");
        const RECT rect = {0, 0, options.size.cx, options.size.cy};
        const bool built = page.CreateFromFolder(moduleName, options.folder, languageCode, rect, host) > 0;
        for (const std::wstring& refusal : page.refusedFiles())
            Print(L"Not used: " + refusal + L"\n");
        if (!built) {
            Print(L"No page would be built.\n");
        } else {
            Print(L"Description " + page.descriptionFile() + L"\nPage " + Quoted(page.title()) + L", description " +
                  Quoted(page.description()) + L"\n");
            const bool allAccepted = Report(page);
            if (page.controls().empty())
                Print(L"The page would be built but shows no setting.\n");
            Print(allAccepted ? L"A page would be built; every item is accepted.\n"
                              : L"A page would be built; some items are refused.\n");
            result = allAccepted ? 0 : 1;
            if (!options.picture.empty()) {
                ::ShowWindow(page.hwnd(), SW_SHOW);
                ::ShowWindow(host, SW_SHOWNOACTIVATE);
                ::UpdateWindow(host);
                Pump(500);
                if (SavePicture(host, options.picture)) {
                    Print(L"Picture saved to " + options.picture + L"\n");
                } else {
                    Print(L"The picture could not be saved to " + options.picture + L"\n");
                    result = 2;
                }
            }
        }
    }
    ::DestroyWindow(host);
    return result;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        Print(L"usage: SkylumeModuleCheck <module folder> [--language jpn|usa|gbr|fra|ita|deu|esp|rus] "
              L"[--picture page.png] [--size WIDTHxHEIGHT]\n");
        return 2;
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
