// The HTML Help viewer for the program's help file: one per process.
#pragma once
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
    HelpViewer();
    std::wstring path_;
    unsigned long cookie_ = 0;
};
