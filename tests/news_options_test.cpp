// The news options page inside the real settings window: loading rules, defaults created on save, the browser
// list from the registry, and the enabling rules.
#include "test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace testenv;

namespace {

constexpr wchar_t kBrowsersKey[] = L"Software\\Clients\\StartMenuInternet";
constexpr wchar_t kChoiceKey[] = L"Software\\Quillon\\Tessel\\Internet";
constexpr int kRefresh = 1018, kMaxItem = 1021, kRotate = 1016, kRotation = 1048, kOpenUrl = 1049, kBrowser = 1022;
constexpr int kOriginal = 1012, kNewer = 1013, kOlder = 1014, kAutoDownload = 1025, kAutoPlay = 1026, kSkip = 1027;

std::string NewsData(const std::string& refresh, const std::string& main, const std::string& extra = "") {
    return "<conf_data><interval enable=\"true\">10</interval><refresh>" + refresh +
           "</refresh><main openURL=\"true\">" + main + "</main>" + extra + "</conf_data>";
}

class NewsOptionsTest : public ::testing::Test {
protected:
    NewsOptionsTest() {
        InstallShippedDefaults(folders);
        MakeFolders(rssFolder() + L"\\Cache");
    }
    ~NewsOptionsTest() override {
        if (process && window)
            ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    }
    IsolatedFolders folders;
    ProgramFolder program;
    FlashPlayer flash{0x000A0000};
    RegistryKeyCleaner browsers{HKEY_LOCAL_MACHINE, std::wstring(kBrowsersKey) + L"\\SkylumeTest"};
    RegistryKeyCleaner plainBrowser{HKEY_LOCAL_MACHINE, std::wstring(kBrowsersKey) + L"\\SkylumePlain"};
    RegistryKeyCleaner missingBrowser{HKEY_LOCAL_MACHINE, std::wstring(kBrowsersKey) + L"\\SkylumeMissing"};
    RegistryKeyCleaner browserChoice{HKEY_CURRENT_USER, kChoiceKey};
    std::unique_ptr<RunningProcess> process;
    HWND window = nullptr, page = nullptr;

    std::wstring rssFolder() const { return folders.userModules() + L"\\RSS"; }
    std::wstring dataPath() const { return rssFolder() + L"\\data.xml"; }
    void WriteData(const std::string& xml) { ASSERT_TRUE(WriteFile(dataPath(), xml)); }
    void Open() {
        window = OpenSettingsWindow(program.exe(), process);
        ASSERT_TRUE(window);
        page = FindPage(window, {kRefresh, kOpenUrl, kNewer, kAutoDownload, kSkip});
        ASSERT_TRUE(page);
    }
    int Selection(int id) const { return int(::SendMessageW(::GetDlgItem(page, id), CB_GETCURSEL, 0, 0)); }
    bool Checked(int id) const { return ::SendMessageW(::GetDlgItem(page, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    bool Enabled(int id) const { return ::IsWindowEnabled(::GetDlgItem(page, id)) != FALSE; }
    void Click(int id) { ::SendMessageW(::GetDlgItem(page, id), BM_CLICK, 0, 0); }
    void PressOk() {
        ::PostMessageW(window, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(process->Wait(10000).has_value());
        window = nullptr;
    }
    void AddBrowser(const std::wstring& key, const std::wstring& command, const wchar_t* localized,
                    const wchar_t* name) {
        const std::wstring path = std::wstring(kBrowsersKey) + L"\\" + key;
        SetRegistryText(HKEY_LOCAL_MACHINE, path + L"\\shell\\open\\command", nullptr, command);
        if (localized)
            SetRegistryText(HKEY_LOCAL_MACHINE, path, L"LocalizedString", localized);
        if (name)
            SetRegistryText(HKEY_LOCAL_MACHINE, path, nullptr, name);
    }
    std::vector<std::wstring> BrowserNames() const {
        std::vector<std::wstring> names;
        HWND combo = ::GetDlgItem(page, kBrowser);
        for (int i = 0, n = int(::SendMessageW(combo, CB_GETCOUNT, 0, 0)); i < n; ++i) {
            wchar_t text[256] = {};
            ::SendMessageW(combo, CB_GETLBTEXT, i, LPARAM(text));
            names.push_back(text);
        }
        return names;
    }
};

TEST_F(NewsOptionsTest, ARefreshOutsideTheTableRestoresTheDefaultFile) {
    WriteData(NewsData("45", "<maxitem>10</maxitem>"));
    Open();
    EXPECT_EQ(ReadFile(dataPath()), ReadFile(SourceFile(L"data/common/Modules/RSS/data.xml")));
    EXPECT_EQ(Selection(kRefresh), 2); // the default's 60 minutes
}

TEST_F(NewsOptionsTest, ValuesSelectTheirRowsAndSortTextIgnoresLetterCase) {
    WriteData(NewsData("1440", "<maxitem>50</maxitem><sort>NEWER</sort>"));
    Open();
    EXPECT_EQ(Selection(kRefresh), 6);
    EXPECT_EQ(Selection(kMaxItem), 5);
    EXPECT_EQ(Selection(kRotation), 2);
    EXPECT_TRUE(Checked(kNewer));
    EXPECT_FALSE(Checked(kOriginal) || Checked(kOlder));
}

TEST_F(NewsOptionsTest, MissingPodcastValuesLoadCheckedAndAreCreatedOnSave) {
    WriteData(NewsData("30", "<maxitem>5</maxitem>", "<other>kept</other>"));
    Open();
    EXPECT_TRUE(Checked(kAutoDownload) && Checked(kAutoPlay) && Checked(kSkip));
    Click(kAutoPlay);
    EXPECT_FALSE(Enabled(kSkip));
    Click(kAutoPlay);
    EXPECT_TRUE(Enabled(kSkip));
    Click(kOlder);
    PressOk();
    const std::string data = ReadFile(dataPath()).value_or("");
    EXPECT_NE(data.find("<podcast><autoDownload>true</autoDownload><autoPlay>true</autoPlay><skipPlayed>true"
                        "</skipPlayed></podcast>"),
              std::string::npos)
        << data;
    EXPECT_NE(data.find("<sort>older</sort>"), std::string::npos) << data;
    EXPECT_NE(data.find("<other>kept</other>"), std::string::npos) << data;
}

TEST_F(NewsOptionsTest, DisplayOptionsNeedASiteAndTheBrowserNeedsItsCheckBox) {
    ASSERT_TRUE(WriteFile(rssFolder() + L"\\Cache\\channels.opml",
                          "<opml version=\"1.0\"><head><title>t</title></head><body/></opml>"));
    WriteData(NewsData("30", "<maxitem>5</maxitem><sort>Oldest</sort>"));
    Open();
    EXPECT_TRUE(Checked(kOriginal)) << "an unknown sort text checks the feed order";
    EXPECT_FALSE(Enabled(kRefresh));
    EXPECT_FALSE(Enabled(kMaxItem));
    EXPECT_FALSE(Enabled(kRotate));
    EXPECT_FALSE(Enabled(kRotation));
    EXPECT_TRUE(Enabled(kAutoDownload));
    Click(kOpenUrl);
    EXPECT_FALSE(Enabled(kBrowser));
}

TEST_F(NewsOptionsTest, BrowsersComeFromTheRegistryWithTheirLocalizedNames) {
    const std::wstring exe = program.exe();
    const std::wstring library = program / L"DaystreamSetting_usa.dll";
    AddBrowser(L"SkylumeTest", L"\"" + exe + L"\" -url", (L"@" + library + L",-193").c_str(), L"Unused name");
    AddBrowser(L"SkylumePlain", exe, nullptr, L"Plain Browser");
    AddBrowser(L"SkylumeMissing", L"C:\\nowhere\\browser.exe", nullptr, L"Missing Browser");
    WriteData(NewsData("30", "<maxitem>5</maxitem>"));
    Open();
    std::vector<std::wstring> names = BrowserNames();
    EXPECT_NE(std::find(names.begin(), names.end(), L"Add RSS Feed to %s"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), L"Plain Browser"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), L"Missing Browser"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), L"Unused name"), names.end());
    EXPECT_TRUE(Enabled(kBrowser));

    // Choosing only another browser is no change of the page, but OK still writes the choice.
    const auto plain = std::find(names.begin(), names.end(), L"Plain Browser") - names.begin();
    HWND combo = ::GetDlgItem(page, kBrowser);
    ::SendMessageW(combo, CB_SETCURSEL, WPARAM(plain), 0);
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(kBrowser, CBN_SELCHANGE), LPARAM(combo));
    const std::optional<std::string> data = ReadFile(dataPath());
    PressOk();
    EXPECT_EQ(ReadFile(dataPath()), data);
    EXPECT_EQ(ReadFile(folders.userModules() + L"\\cmf.dat").value_or("").find(std::string("R\0S\0S\0", 6)),
              std::string::npos);
    wchar_t chosen[64] = {};
    DWORD size = sizeof(chosen);
    EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, kChoiceKey, nullptr, RRF_RT_REG_SZ, nullptr, chosen, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(chosen), L"SkylumePlain");
}

} // namespace
