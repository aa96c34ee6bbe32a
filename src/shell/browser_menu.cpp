#include "shell/browser_menu.h"

#include "res/resource.h"
#include "shell/folders.h"
#include "shell/language.h"
#include "shell/privileges.h"
#include "win32/app.h"
#include "win32/atomic_file.h"
#include "win32/handle.h"
#include "win32/registry.h"
#include "win32/strings.h"

#include <windows.h>
#include <lm.h>
#include <winternl.h>
#include <shlobj.h>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace shell {
namespace {

constexpr wchar_t kMenuExtKeyFormat[] = L"Software\\Microsoft\\Internet Explorer\\MenuExt\\%s";
constexpr DWORD kMenuContexts = 0x22; // links and the page itself

const char* const kScriptLines[] = {
    "<html>",
    "<body>",
    "<script language=\"javascript\">",
    "<!--",
    "\tvar win = external.menuArguments;",
    "\tvar sFile;",
    "\tvar element = win.document.activeElement;",
    "\tif (element.href)",
    "\t{",
    "\t\tsFile=element.href;",
    "\t}",
    "\telse",
    "\t{",
    "\t\tsFile = win.location.href;",
    "\t}",
    "\ttry",
    "\t{",
    "  \t\tvar WshShell = new ActiveXObject(\"WScript.Shell\");",
    "  \t\tvar sFDPath = '%s';",
    "  \t\tvar oExec = WshShell.run('\"' + sFDPath + '\" -addrss \"' + sFile + '\"', 1);",
    "\t}",
    "\tcatch(ex)",
    "\t{",
    "\t}",
    "-->",
    "</script>",
    "</body>",
    "</html>",
};

std::string ToAnsi(const std::wstring& text) {
    if (text.empty())
        return {};
    int length = ::WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(size_t(length), '\0');
    ::WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), int(text.size()), result.data(), length, nullptr, nullptr);
    return result;
}

std::wstring ExecutablePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

void AddOrRemoveEntry(HKEY root, const std::wstring& entryKey, int mode, const std::wstring& scriptPath) {
    if (mode == 1) {
        win32::WriteRegString(root, entryKey, L"", scriptPath);
        win32::WriteRegDword(root, entryKey, L"Contexts", kMenuContexts);
    } else {
        ::RegDeleteKeyW(root, entryKey.c_str());
    }
}

// Loads a user's hive under HKEY_USERS\hiveName, changes the entry there and unloads it.
void ChangeEntryInHive(const std::wstring& hiveFile, const std::wstring& hiveName, const std::wstring& entryKey,
                       int mode, const std::wstring& scriptPath) {
    if (::RegLoadKeyW(HKEY_USERS, hiveName.c_str(), hiveFile.c_str()) != ERROR_SUCCESS)
        return;
    AddOrRemoveEntry(HKEY_USERS, win32::FormatString(L"%s\\%s", hiveName.c_str(), entryKey.c_str()), mode, scriptPath);
    ::RegUnLoadKeyW(HKEY_USERS, hiveName.c_str());
}

using ConvertSidFunction = LONG(WINAPI*)(UNICODE_STRING*, PSID, BOOLEAN);

bool GetSidString(PSID sid, wchar_t* buffer, size_t bufferLength) {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    auto convert = ntdll ? reinterpret_cast<ConvertSidFunction>(
                               reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlConvertSidToUnicodeString")))
                         : nullptr;
    if (!convert || bufferLength == 0)
        return false;
    UNICODE_STRING text = {};
    if (convert(&text, sid, TRUE) != 0)
        return false;
    size_t length = std::min<size_t>(text.Length / sizeof(wchar_t), bufferLength - 1);
    std::copy_n(text.Buffer, length, buffer);
    buffer[length] = L'\0';
    using FreeFunction = void(WINAPI*)(UNICODE_STRING*);
    if (auto freeString =
            reinterpret_cast<FreeFunction>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlFreeUnicodeString"))))
        freeString(&text);
    return true;
}

void ChangeEntryForLocalUsers(const std::wstring& profilesRoot, const std::wstring& entryKey, int mode,
                              const std::wstring& scriptPath) {
    DWORD resume = 0;
    NET_API_STATUS status;
    do {
        USER_INFO_0* users = nullptr;
        DWORD read = 0, total = 0;
        status = ::NetUserEnum(nullptr, 0, 0, reinterpret_cast<BYTE**>(&users), MAX_PREFERRED_LENGTH, &read, &total,
                               &resume);
        if (status != NERR_Success && status != ERROR_MORE_DATA)
            break;
        for (DWORD i = 0; i < read; ++i) {
            BYTE sid[512];
            DWORD sidSize = sizeof(sid);
            wchar_t domain[512];
            DWORD domainSize = 512;
            SID_NAME_USE use;
            if (!::LookupAccountNameW(nullptr, users[i].usri0_name, sid, &sidSize, domain, &domainSize, &use))
                continue;
            wchar_t sidText[256];
            if (!GetSidString(sid, sidText, 256))
                continue;
            std::wstring hiveFile =
                win32::FormatString(L"%s\\%s\\%s", profilesRoot.c_str(), users[i].usri0_name, L"ntuser.dat");
            ChangeEntryInHive(hiveFile, sidText, entryKey, mode, scriptPath);
        }
        if (users)
            ::NetApiBufferFree(users);
    } while (status == ERROR_MORE_DATA);
}

} // namespace

std::string BuildBrowserMenuScript(const std::string& exePathAnsi) {
    std::string escaped;
    for (char c : exePathAnsi) {
        escaped += c;
        if (c == '\\')
            escaped += '\\';
    }
    std::string script;
    const size_t count = sizeof(kScriptLines) / sizeof(kScriptLines[0]);
    for (size_t i = 0; i < count; ++i) {
        std::string line = kScriptLines[i];
        if (size_t at = line.find("%s"); at != std::string::npos)
            line.replace(at, 2, escaped);
        script += line;
        if (i + 1 < count)
            script += "\r\n";
    }
    return script;
}

void WriteBrowserMenuScript() {
    win32::WriteFileAtomically(GetProgramFilePath(kBrowserMenuScriptName),
                               BuildBrowserMenuScript(ToAnsi(ExecutablePath())));
}

std::wstring BrowserMenuEntryName() {
    std::wstring format;
    if (GetLanguageIndex() == GetSystemLanguageIndex() || !LoadStringFromSystemLanguage(format, IDS_BROWSER_MENU_ENTRY))
        format = win32::LoadResString(IDS_BROWSER_MENU_ENTRY);
    const win32::WinApp* app = win32::GetApp();
    return win32::FormatString(format.c_str(), app ? app->appName().c_str() : L"Skylume");
}

void RegisterBrowserMenuEntry(int mode) {
    LanguageResources resources;
    resources.LoadLanguageResources();
    const std::wstring entryKey = win32::FormatString(kMenuExtKeyFormat, BrowserMenuEntryName().c_str());
    const std::wstring scriptPath = GetProgramFilePath(kBrowserMenuScriptName);

    AddOrRemoveEntry(HKEY_CURRENT_USER, entryKey, mode, scriptPath);
    EnableProcessPrivilege(SE_RESTORE_NAME, true);

    wchar_t profile[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, profile, CSIDL_PROFILE, FALSE))
        return;
    std::wstring profilesRoot = profile;
    profilesRoot = profilesRoot.substr(0, profilesRoot.find_last_of(L'\\'));

    ChangeEntryInHive(win32::FormatString(L"%s\\%s\\%s", profilesRoot.c_str(), L"Default User", L"ntuser.dat"), L"def",
                      entryKey, mode, scriptPath);
    ChangeEntryForLocalUsers(profilesRoot, entryKey, mode, scriptPath);
}

} // namespace shell
