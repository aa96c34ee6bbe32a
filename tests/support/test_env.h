// Isolation and process helpers for tests that run under Wine with one shared prefix.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testenv {

// A fresh folder below the test root, removed with its contents on destruction.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& label);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Points one shell folder (`name` among the "User Shell Folders" values of `root`) at `folder` for the life of
// the object; then back to the value it had, or to `fallback` when it had none.
class ShellFolderRedirect {
public:
    ShellFolderRedirect(HKEY root, const wchar_t* name, int csidl, const std::wstring& folder, std::wstring fallback);
    ~ShellFolderRedirect();
    ShellFolderRedirect(const ShellFolderRedirect&) = delete;
    ShellFolderRedirect& operator=(const ShellFolderRedirect&) = delete;

private:
    HKEY root_;
    const wchar_t* name_;
    int csidl_;
    std::wstring saved_;
};

// Points the per-user and all-users application-data folders at fresh folders for the life of the object, by
// the shell's own "User Shell Folders" values, so the program under test needs no hook of its own.
class IsolatedFolders {
public:
    IsolatedFolders();
    IsolatedFolders(const IsolatedFolders&) = delete;
    IsolatedFolders& operator=(const IsolatedFolders&) = delete;

    const std::wstring& appData() const { return appData_; }
    const std::wstring& commonAppData() const { return commonAppData_; }
    std::wstring userModules() const { return appData_ + L"\\Quillon\\Skylume\\Modules"; }
    std::wstring commonModules() const { return commonAppData_ + L"\\Quillon\\Skylume\\Modules"; }

private:
    TempFolder root_;
    std::wstring appData_;
    std::wstring commonAppData_;
    ShellFolderRedirect appDataRedirect_;
    ShellFolderRedirect commonAppDataRedirect_;
};

// A copy of the built program and its language libraries in a folder of its own.
class ProgramFolder {
public:
    ProgramFolder();
    const std::wstring& path() const { return folder_.path(); }
    std::wstring exe() const { return folder_ / L"SkylumeSetting.exe"; }
    std::wstring operator/(const std::wstring& name) const { return folder_ / name; }

private:
    TempFolder folder_;
};

struct ProcessResult {
    bool finished = false; // false when the time-out ended it
    DWORD exitCode = 0;
};

// Runs a program with the given arguments (each quoted) and waits for it.
ProcessResult RunProgram(const std::wstring& exe, const std::vector<std::wstring>& arguments, DWORD timeoutMs = 20000);

// A started process that is ended on destruction if it still runs.
class RunningProcess {
public:
    RunningProcess(const std::wstring& exe, const std::vector<std::wstring>& arguments);
    ~RunningProcess();
    RunningProcess(const RunningProcess&) = delete;
    RunningProcess& operator=(const RunningProcess&) = delete;
    bool started() const { return info_.hProcess != nullptr; }
    DWORD id() const { return info_.dwProcessId; }
    HANDLE handle() const { return info_.hProcess; }
    // Waits for the process to end; nullopt on time-out.
    std::optional<DWORD> Wait(DWORD timeoutMs);

private:
    PROCESS_INFORMATION info_ = {};
};

// The display program's stand-in (Skylume.exe beside the tests), running for the life of the object and recording
// every code it hears.
class DisplayMonitor {
public:
    DisplayMonitor();
    // The codes heard so far, one line each ("0xABE00001 cmf-1.dat"), once the monitor has handled every message
    // posted to it before the call (a program that has ended has posted all of its broadcasts).
    std::string Codes() const;
    std::wstring operator/(const std::wstring& name) const { return log_ / name; }

private:
    TempFolder log_{L"monitor"};
    RunningProcess process_;
    HWND window_ = nullptr;
};

// Waits until a top-level window of the process with this class (and title, if given) exists.
HWND WaitForWindow(DWORD processId, const std::wstring& windowClass, DWORD timeoutMs = 40000);
// Any top-level window of the class, shown or hidden (such as the display-program monitor's).
HWND WaitForAnyWindowOfClass(const std::wstring& windowClass, DWORD timeoutMs = 20000);
// The static texts of a message box.
std::wstring MessageBoxText(HWND box);
// The static texts of a message box, which is then answered with `button` and waited for until it closes;
// "(no message box)" for none.
std::wstring AnswerMessageBox(HWND box, int button);

std::wstring FolderOfThisExecutable();
bool FileExists(const std::wstring& path);
// The sizes of the files that `pattern` (a path whose last part may hold wildcards) matches.
std::vector<size_t> FileSizes(const std::wstring& pattern);
bool WriteFile(const std::wstring& path, const std::string& bytes);
std::optional<std::string> ReadFile(const std::wstring& path);
void MakeFolders(const std::wstring& path);
// The five layouts of a photo data file's main element, each with this slideshow flag and interval.
std::string PhotoLayouts(const std::string& slideshow, const std::string& interval);
// Text without CRs, for comparing saved files: Wine's save writes a "\r\n" text node as a bare LF.
std::string WithoutCr(std::string text);
// The bytes of a UTF-16 (little-endian) file with its byte-order mark.
std::string Utf16File(const std::wstring& text);
void DeleteTree(const std::wstring& path);

} // namespace testenv

namespace testenv {

// Calls the export `name` (DllRegisterServer, say) of `library`, a stand-in built beside the tests.
HRESULT CallExport(const std::wstring& library, const char* name);

// Registers the Flash stand-in (built beside the tests) for the life of the object, reporting `version`;
// std::nullopt leaves the control unregistered, as on a machine without Flash Player.
class FlashPlayer {
public:
    explicit FlashPlayer(std::optional<DWORD> version);
    ~FlashPlayer();
    FlashPlayer(const FlashPlayer&) = delete;
    FlashPlayer& operator=(const FlashPlayer&) = delete;
};

// Deletes a registry key tree now and again on destruction.
class RegistryKeyCleaner {
public:
    RegistryKeyCleaner(HKEY root, std::wstring path);
    ~RegistryKeyCleaner();
    RegistryKeyCleaner(const RegistryKeyCleaner&) = delete;
    RegistryKeyCleaner& operator=(const RegistryKeyCleaner&) = delete;

private:
    HKEY root_;
    std::wstring path_;
};

} // namespace testenv

namespace testenv {
// A file of the source tree (for the shipped data files), as a Windows path.
std::wstring SourceFile(const std::wstring& relative);
// Copies a folder tree (files and sub-folders) into `target`, creating it; files are overwritten.
void CopyTree(const std::wstring& source, const std::wstring& target);
// Copies the shipped all-users Modules tree (data/common/Modules, with every module's default data file) into
// `commonModules`, so a windowed run finds every page's defaults.
void InstallShippedModules(const std::wstring& commonModules);
// The shipped all-users defaults (data/common) in the isolated all-users tree, as an installer puts them.
void InstallShippedDefaults(const IsolatedFolders& folders);

// The window of the thread that owns `window` which has the keyboard focus.
HWND FocusOfWindowThread(HWND window);
// Types keys as a user would (they go to the foreground window): each entry is a virtual key, pressed and
// released in order; modifiers listed first are held while the last key is pressed. Then waits `settleMs` for the
// keys to arrive (0 for a caller that waits for their effect itself).
void TypeChord(std::initializer_list<WORD> keys, DWORD settleMs = 300);
// Runs `modal`, which shows a modal dialog on this thread and returns when it ends, while `drive` works the dialog
// from a second thread. Should the dialog outlive `drive` by `graceMs` (a driver that failed or gave up), the
// dialogs left on this thread are cancelled, so the test fails instead of hanging.
void DriveModal(const std::function<void()>& modal, const std::function<void()>& drive, DWORD graceMs = 10000);
} // namespace testenv

namespace testenv {
inline constexpr wchar_t kSettingsWindowClass[] = L"TesselSetting0505301612";
// Starts the program into `process` and waits until its settings window is ready (OK is enabled once a page is
// selected); nullptr when no window came.
HWND OpenSettingsWindow(const std::wstring& exe, std::unique_ptr<RunningProcess>& process);
// The page of the settings window (a dialog of class #32770) that has controls with all these ids.
HWND FindPage(HWND window, std::initializer_list<int> ids);
// The page in view.
HWND CurrentPage(HWND window);
// A visible top-level window of the process that `match` accepts, waited for; nullptr on time-out.
HWND WaitForTopLevel(DWORD processId, const std::function<bool(HWND)>& match, DWORD timeoutMs = 10000);
std::wstring ClassOf(HWND window);
// The first descendant window of this class (compared without regard to case), depth first.
HWND FindDescendant(HWND parent, const std::wstring& className);
std::wstring TextOf(HWND window);
// The drop-down list windows of combo boxes on this thread (each a top-level window of its own).
int ComboListWindowCount();
// Selects `path` in the folder browser `browser` of the process; the path goes through the process's own memory,
// since a pointer does not cross processes. ChooseFolderInBrowser then presses OK.
void SelectFolderInBrowser(DWORD processId, HWND browser, const std::wstring& path);
void ChooseFolderInBrowser(DWORD processId, HWND browser, const std::wstring& path);
// Sets a string value, creating its key.
void SetRegistryText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value);
} // namespace testenv
