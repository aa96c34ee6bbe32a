#include "shell/command_line.h"
#include "app/setting_app.h"

#include <gtest/gtest.h>

using shell::CTesselCommandLineInfo;

namespace {
CTesselCommandLineInfo Parse(std::vector<std::wstring> arguments) {
    std::vector<wchar_t*> argv{const_cast<wchar_t*>(L"SkylumeSetting.exe")};
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    CTesselCommandLineInfo info;
    shell::ParseCommandLine(info, int(argv.size()), argv.data());
    return info;
}
} // namespace

TEST(CommandLine, KeywordsMatchWithSlashHyphenOrAnyCase) {
    for (const wchar_t* spelling : {L"INIT_DATA", L"/INIT_DATA", L"-init_data", L"Init_Data", L"/iNiT_dAtA"}) {
        CTesselCommandLineInfo info = Parse({spelling});
        EXPECT_EQ(info.initData, 1) << spelling;
        EXPECT_EQ(info.halt + info.removeSetting + info.addRss, 0) << spelling;
    }
    EXPECT_EQ(Parse({L"-halt"}).halt, 1);
    EXPECT_EQ(Parse({L"/RemoveSetting"}).removeSetting, 1);
    EXPECT_EQ(Parse({L"-addrss"}).addRss, 1);
}

TEST(CommandLine, OnlyOneLeadingMarkIsStrippedAndUnknownWordsAreIgnored) {
    CTesselCommandLineInfo info = Parse({L"//INIT_DATA", L"--HALT", L"INIT_DATAX", L"", L"ＨＡＬＴ"});
    EXPECT_EQ(info.initData + info.halt + info.removeSetting + info.addRss, 0);
    EXPECT_TRUE(info.url.empty());
}

TEST(CommandLine, AddressAfterAddrssKeepsItsCaseAndTheLastOneWins) {
    CTesselCommandLineInfo info = Parse({L"-addrss", L"http://Example.COM/Feed.XML?Q=A"});
    EXPECT_EQ(info.addRss, 1);
    EXPECT_EQ(info.url, L"http://Example.COM/Feed.XML?Q=A");

    // One leading mark is stripped before the parameter is seen, as for keywords.
    info = Parse({L"ADDRSS", L"/Feeds/One", L"http://b.example/Two"});
    EXPECT_EQ(info.url, L"http://b.example/Two");
}

TEST(CommandLine, ArgumentsBeforeAddrssAreNotAnAddress) {
    CTesselCommandLineInfo info = Parse({L"http://a.example/", L"ADDRSS"});
    EXPECT_EQ(info.addRss, 1);
    EXPECT_TRUE(info.url.empty());
}

TEST(MessageBoxIcon, PlainButtonSetsWithoutIconGetTheExclamation) {
    for (UINT buttons : {MB_OK, MB_OKCANCEL, MB_YESNOCANCEL, MB_YESNO})
        EXPECT_EQ(MessageBoxTypeWithDefaultIcon(buttons), buttons | MB_ICONEXCLAMATION);
    for (UINT buttons : {MB_RETRYCANCEL, MB_ABORTRETRYIGNORE})
        EXPECT_EQ(MessageBoxTypeWithDefaultIcon(buttons), buttons);
    EXPECT_EQ(MessageBoxTypeWithDefaultIcon(MB_OK | MB_ICONHAND), UINT(MB_OK | MB_ICONHAND));
    EXPECT_EQ(MessageBoxTypeWithDefaultIcon(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2),
              UINT(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
}
