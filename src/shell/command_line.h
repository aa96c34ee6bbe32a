// Keyword recognition for the installer, uninstaller and browser runs.
#pragma once
#include <string>

namespace shell {

class CTesselCommandLineInfo {
public:
    // Called once per argument, after one leading "/" or "-" was stripped (flag tells whether one was).
    void ParseParam(const wchar_t* param, bool flag, bool last);

    int initData = 0;
    std::wstring url;
    int halt = 0;
    int removeSetting = 0;
    int addRss = 0;
};

// Feeds every argument after the program path to ParseParam, stripping one leading "/" or "-".
void ParseCommandLine(CTesselCommandLineInfo& info, int argc, wchar_t** argv);

} // namespace shell
