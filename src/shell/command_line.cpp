#include "shell/command_line.h"

#include "win32/strings.h"

namespace shell {

void CTesselCommandLineInfo::ParseParam(const wchar_t* param, bool, bool) {
    std::wstring text = param ? param : L"";
    // The address after ADDRSS is kept exactly as typed.
    if (addRss == 1)
        url = text;
    std::wstring upper = win32::ToUpper(text);
    if (upper == L"INIT_DATA")
        initData = 1;
    else if (upper == L"HALT")
        halt = 1;
    else if (upper == L"REMOVESETTING")
        removeSetting = 1;
    else if (upper == L"ADDRSS")
        addRss = 1;
}

void ParseCommandLine(CTesselCommandLineInfo& info, int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i) {
        const wchar_t* param = argv[i] ? argv[i] : L"";
        bool flag = param[0] == L'-' || param[0] == L'/';
        if (flag)
            ++param;
        info.ParseParam(param, flag, i == argc - 1);
    }
}

} // namespace shell
