// The HTML Help viewer for the program's help file: one per process.
#pragma once
#include <windows.h>

#include <string>

class HelpViewer {
public:
    static HelpViewer& Instance();
    ~HelpViewer();
    HelpViewer(const HelpViewer&) = delete;
    HelpViewer& operator=(const HelpViewer&) = delete;

    // Remembers the help file (whether or not it exists).
    void RegisterPath(const std::wstring& path);
    // Opens "file::topic"; false when no file is registered or it does not exist.
    bool OpenTopic(const std::wstring& topic);
    const std::wstring& path() const { return path_; }

private:
    using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
    HelpViewer();
    bool EnsureLoaded();

    std::wstring path_;
    bool registered_ = false;
    HMODULE library_ = nullptr;
    HtmlHelpFunction htmlHelp_ = nullptr;
    DWORD_PTR cookie_ = 0;
};
