#include "test_env.h"

#include <shlobj.h>
#include <atomic>
#include <stdexcept>
#include <thread>

namespace testenv {
namespace {

constexpr wchar_t kUserShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::optional<std::wstring> ReadValue(HKEY root, const wchar_t* path, const wchar_t* name) {
    wchar_t buffer[1024];
    DWORD size = sizeof(buffer);
    if (::RegGetValueW(root, path, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, buffer, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer);
}

void Redirect(HKEY root, const wchar_t* name, const std::wstring& folder) {
    const DWORD bytes = DWORD((folder.size() + 1) * sizeof(wchar_t));
    if (::RegSetKeyValueW(root, kUserShellFolders, name, REG_EXPAND_SZ, folder.c_str(), bytes) != ERROR_SUCCESS ||
        ::RegSetKeyValueW(root, kShellFolders, name, REG_SZ, folder.c_str(), bytes) != ERROR_SUCCESS)
        throw std::runtime_error("cannot write the shell folders keys");
}

std::wstring Quote(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            quoted.append(backslashes * 2 + 1, L'\\');
        else
            quoted.append(backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

PROCESS_INFORMATION Start(const std::wstring& exe, const std::vector<std::wstring>& arguments) {
    std::wstring commandLine = Quote(exe);
    for (const auto& argument : arguments)
        commandLine += L" " + Quote(argument);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info))
        return {};
    ::CloseHandle(info.hThread);
    info.hThread = nullptr;
    return info;
}

} // namespace

TempFolder::TempFolder(const std::wstring& label) {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring root = std::wstring(temp) + L"skylume-tests";
    ::CreateDirectoryW(root.c_str(), nullptr);
    path_ = root + L"\\" + label + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(counter++) +
            L"-" + std::to_wstring(::GetTickCount());
    DeleteTree(path_);
    MakeFolders(path_);
}

TempFolder::~TempFolder() {
    DeleteTree(path_);
}

ShellFolderRedirect::ShellFolderRedirect(HKEY root, const wchar_t* name, int csidl, const std::wstring& folder,
                                         std::wstring fallback)
    : root_(root), name_(name), csidl_(csidl),
      saved_(ReadValue(root, kUserShellFolders, name).value_or(std::move(fallback))) {
    Redirect(root_, name_, folder);
}

ShellFolderRedirect::~ShellFolderRedirect() {
    Redirect(root_, name_, saved_);
    // "Shell Folders" holds expanded paths; the shell rewrites it from "User Shell Folders" on the next query.
    wchar_t path[MAX_PATH];
    ::SHGetFolderPathW(nullptr, csidl_, nullptr, SHGFP_TYPE_CURRENT, path);
}

IsolatedFolders::IsolatedFolders()
    : root_(L"folders"), appData_(root_ / L"AppData"), commonAppData_(root_ / L"ProgramData"),
      appDataRedirect_(HKEY_CURRENT_USER, L"AppData", CSIDL_APPDATA, appData_, L"%USERPROFILE%\\AppData\\Roaming"),
      commonAppDataRedirect_(HKEY_LOCAL_MACHINE, L"Common AppData", CSIDL_COMMON_APPDATA, commonAppData_,
                             L"%ProgramData%") {
    MakeFolders(appData_);
    MakeFolders(commonAppData_);
}

ProgramFolder::ProgramFolder() : folder_(L"program") {
    const std::wstring built = FolderOfThisExecutable();
    static const wchar_t* const kFiles[] = {L"SkylumeSetting.exe",       L"DaystreamSetting_jpn.dll",
                                            L"SkylumeSetting_fra.dll",   L"SkylumeSetting_gbr.dll",
                                            L"SkylumeSetting_ita.dll",   L"SkylumeSetting_deu.dll",
                                            L"DaystreamSetting_usa.dll", L"SkylumeSetting_esp.dll",
                                            L"SkylumeSetting_rus.dll",   L"citydb.dat"};
    for (const wchar_t* name : kFiles)
        if (!::CopyFileW((built + L"\\" + name).c_str(), (folder_ / name).c_str(), FALSE))
            throw std::runtime_error("cannot copy the built program");
}

ProcessResult RunProgram(const std::wstring& exe, const std::vector<std::wstring>& arguments, DWORD timeoutMs) {
    RunningProcess process(exe, arguments);
    ProcessResult result;
    if (!process.started())
        return result;
    if (auto code = process.Wait(timeoutMs)) {
        result.finished = true;
        result.exitCode = *code;
    }
    return result;
}

RunningProcess::RunningProcess(const std::wstring& exe, const std::vector<std::wstring>& arguments)
    : info_(Start(exe, arguments)) {}

RunningProcess::~RunningProcess() {
    if (!info_.hProcess)
        return;
    if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(info_.hProcess, 1);
        ::WaitForSingleObject(info_.hProcess, 5000);
    }
    ::CloseHandle(info_.hProcess);
}

std::optional<DWORD> RunningProcess::Wait(DWORD timeoutMs) {
    if (::WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    ::GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

HWND WaitForWindow(DWORD processId, const std::wstring& windowClass, DWORD timeoutMs) {
    return WaitForTopLevel(
        processId, [&windowClass](HWND window) { return ClassOf(window) == windowClass; }, timeoutMs);
}

DisplayMonitor::DisplayMonitor()
    : process_(FolderOfThisExecutable() + L"\\Skylume.exe", {L"--log", log_.path()}),
      // A broadcast reaches only windows that exist when it is posted.
      window_(WaitForAnyWindowOfClass(L"SkylumeDisplayMonitor")) {}

std::string DisplayMonitor::Codes() const {
    static const UINT sync = ::RegisterWindowMessageW(L"SkylumeMonitorSync");
    HANDLE synced = ::CreateEventW(nullptr, FALSE, FALSE, L"SkylumeMonitorSynced");
    if (window_ && ::PostMessageW(window_, sync, 0, 0))
        ::WaitForSingleObject(synced, 10000);
    ::CloseHandle(synced);
    return ReadFile(log_ / L"codes.txt").value_or("");
}

HWND WaitForAnyWindowOfClass(const std::wstring& windowClass, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    do {
        if (HWND window = ::FindWindowW(windowClass.c_str(), nullptr))
            return window;
        ::Sleep(20);
    } while (::GetTickCount() - start < timeoutMs);
    return nullptr;
}

std::wstring MessageBoxText(HWND box) {
    std::wstring text;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::lstrcmpiW(ClassOf(child).c_str(), L"Static") != 0)
            continue;
        wchar_t buffer[2048] = {};
        ::GetWindowTextW(child, buffer, 2048);
        text += buffer;
    }
    return text;
}

std::wstring AnswerMessageBox(HWND box, int button) {
    if (!box)
        return L"(no message box)";
    const std::wstring text = MessageBoxText(box);
    ::PostMessageW(box, WM_COMMAND, button, 0);
    for (int i = 0; i < 100 && ::IsWindow(box); ++i)
        ::Sleep(20);
    return text;
}

std::string PhotoLayouts(const std::string& slideshow, const std::string& interval) {
    std::string xml;
    for (const char* name : {"SingleLayout", "TileLayout", "BoardLayout", "CinemaLayout", "CompositeLayout"})
        xml += std::string("<") + name + "><slideshow>" + slideshow + "</slideshow><interval>" + interval +
               "</interval></" + name + ">";
    return xml;
}

std::string WithoutCr(std::string text) {
    std::erase(text, '\r');
    return text;
}

std::string Utf16File(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text)
        bytes += {char(c & 0xFF), char(c >> 8)};
    return bytes;
}

std::wstring FolderOfThisExecutable() {
    wchar_t path[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring full(path, length);
    return full.substr(0, full.find_last_of(L'\\'));
}

std::vector<size_t> FileSizes(const std::wstring& pattern) {
    std::vector<size_t> sizes;
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return sizes;
    do
        sizes.push_back(size_t(found.nFileSizeLow));
    while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return sizes;
}

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WriteFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
    ::CloseHandle(file);
    return ok;
}

std::optional<std::string> ReadFile(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string bytes;
    char block[4096];
    DWORD read = 0;
    while (::ReadFile(file, block, sizeof(block), &read, nullptr) && read > 0)
        bytes.append(block, read);
    ::CloseHandle(file);
    return bytes;
}

void MakeFolders(const std::wstring& path) {
    ::SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
}

void DeleteTree(const std::wstring& path) {
    WIN32_FIND_DATAW entry;
    HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring child = path + L"\\" + name;
            ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(child);
            else
                ::DeleteFileW(child.c_str());
        } while (::FindNextFileW(find, &entry));
        ::FindClose(find);
    }
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryW(path.c_str());
}

} // namespace testenv

namespace testenv {
namespace {
constexpr wchar_t kFlashConfigKey[] = L"Software\\SkylumeStandIns\\Flash";
} // namespace

HRESULT CallExport(const std::wstring& library, const char* name) {
    HMODULE module = ::LoadLibraryW((FolderOfThisExecutable() + L"\\" + library).c_str());
    if (!module)
        return E_FAIL;
    using Export = HRESULT(STDAPICALLTYPE*)();
    auto function = reinterpret_cast<Export>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    const HRESULT hr = function ? function() : E_FAIL;
    ::FreeLibrary(module);
    return hr;
}

FlashPlayer::FlashPlayer(std::optional<DWORD> version) {
    if (!version) {
        CallExport(L"FlashStandIn.dll", "DllUnregisterServer");
        return;
    }
    if (FAILED(CallExport(L"FlashStandIn.dll", "DllRegisterServer")))
        throw std::runtime_error("cannot register the Flash stand-in");
    const DWORD value = *version;
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kFlashConfigKey, L"Version", REG_DWORD, &value, sizeof(value));
}

FlashPlayer::~FlashPlayer() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kFlashConfigKey);
    CallExport(L"FlashStandIn.dll", "DllRegisterServer");
}

RegistryKeyCleaner::RegistryKeyCleaner(HKEY root, std::wstring path) : root_(root), path_(std::move(path)) {
    ::RegDeleteTreeW(root_, path_.c_str());
    ::RegDeleteKeyW(root_, path_.c_str());
}

RegistryKeyCleaner::~RegistryKeyCleaner() {
    ::RegDeleteTreeW(root_, path_.c_str());
    ::RegDeleteKeyW(root_, path_.c_str());
}

} // namespace testenv

namespace testenv {

void InstallShippedModules(const std::wstring& commonModules) {
    CopyTree(SourceFile(L"data/common/Modules"), commonModules);
}

void CopyTree(const std::wstring& source, const std::wstring& target) {
    MakeFolders(target);
    WIN32_FIND_DATAW entry;
    HANDLE find = ::FindFirstFileW((source + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CopyTree(source + L"\\" + name, target + L"\\" + name);
        else
            ::CopyFileW((source + L"\\" + name).c_str(), (target + L"\\" + name).c_str(), FALSE);
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
}

void InstallShippedDefaults(const IsolatedFolders& folders) {
    CopyTree(SourceFile(L"data/common"), folders.commonAppData() + L"\\Quillon\\Skylume");
}

std::wstring SourceFile(const std::wstring& relative) {
#ifdef SKYLUME_SOURCE_DIR
    std::wstring path = std::wstring(L"Z:") + SKYLUME_SOURCE_DIR + L"/" + relative;
#else
    std::wstring path = relative;
#endif
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

HWND FocusOfWindowThread(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

void TypeChord(std::initializer_list<WORD> keys, DWORD settleMs) {
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT down = {};
        down.type = INPUT_KEYBOARD;
        down.ki.wVk = key;
        inputs.push_back(down);
    }
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) {
        INPUT up = {};
        up.type = INPUT_KEYBOARD;
        up.ki.wVk = *it;
        up.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(up);
    }
    ::SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
    ::Sleep(settleMs);
}

namespace {
// Cancels a dialog of the thread that takes input: the innermost of nested modal dialogs.
BOOL CALLBACK CancelEnabledDialog(HWND window, LPARAM) {
    if (ClassOf(window) == L"#32770" && ::IsWindowVisible(window) && ::IsWindowEnabled(window))
        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}
} // namespace

void DriveModal(const std::function<void()>& modal, const std::function<void()>& drive, DWORD graceMs) {
    const DWORD modalThread = ::GetCurrentThreadId();
    std::atomic<bool> ended{false};
    std::thread driver([&] {
        drive();
        for (DWORD waited = 0; !ended; waited += 50, ::Sleep(50))
            if (waited >= graceMs)
                ::EnumThreadWindows(modalThread, CancelEnabledDialog, 0);
    });
    modal();
    ended = true;
    driver.join();
}

HWND OpenSettingsWindow(const std::wstring& exe, std::unique_ptr<RunningProcess>& process) {
    process = std::make_unique<RunningProcess>(exe, std::vector<std::wstring>{});
    HWND window = WaitForWindow(process->id(), kSettingsWindowClass);
    for (int i = 0; window && i < 100 && !::IsWindowEnabled(::GetDlgItem(window, IDOK)); ++i)
        ::Sleep(50);
    return window;
}

HWND FindPage(HWND window, std::initializer_list<int> ids) {
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        bool all = ClassOf(child) == L"#32770";
        for (int id : ids)
            all = all && ::GetDlgItem(child, id);
        if (all)
            return child;
    }
    return nullptr;
}

HWND WaitForTopLevel(DWORD processId, const std::function<bool(HWND)>& match, DWORD timeoutMs) {
    struct Search {
        DWORD processId;
        const std::function<bool(HWND)>* match;
        HWND found;
    };
    const DWORD start = ::GetTickCount();
    do {
        Search search{processId, &match, nullptr};
        ::EnumWindows(
            [](HWND window, LPARAM data) CALLBACK -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                DWORD owner = 0;
                ::GetWindowThreadProcessId(window, &owner);
                if (owner == s->processId && ::IsWindowVisible(window) && (*s->match)(window))
                    s->found = window;
                return s->found == nullptr;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        ::Sleep(50);
    } while (::GetTickCount() - start < timeoutMs);
    return nullptr;
}

HWND FindDescendant(HWND parent, const std::wstring& className) {
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::lstrcmpiW(ClassOf(child).c_str(), className.c_str()) == 0)
            return child;
        if (HWND found = FindDescendant(child, className))
            return found;
    }
    return nullptr;
}

void ChooseFolderInBrowser(DWORD processId, HWND browser, const std::wstring& path) {
    SelectFolderInBrowser(processId, browser, path);
    ::Sleep(200);
    ::PostMessageW(browser, WM_COMMAND, IDOK, 0);
}

void SetRegistryText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    ::RegSetKeyValueW(root, key.c_str(), name, REG_SZ, value.c_str(), DWORD((value.size() + 1) * sizeof(wchar_t)));
}

} // namespace testenv
