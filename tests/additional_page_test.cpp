// Additional module pages built from real description files in a real page window: the description rules,
// the value rules of each kind, the saved file, and scrolling through the window's own scroll bar.
#include "pages/additional_modules/additional_module_page.h"
#include "pages/additional_modules/conf_controls.h"
#include "pages/additional_modules/description_rules.h"
#include "test_env.h"
#include "win32/app.h"
#include "win32/com.h"
#include "win32/strings.h"

#include <commctrl.h>
#include <dlgs.h>
#include <gtest/gtest.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>

using namespace testenv;
using additional::RowLabel;

namespace {

// The cases of these rules that a built page shows are checked on the page (PerChildRulesOfTheFiveKinds,
// StoredValuesFollowTheValueRulesOfEachKind); these are the ones no page below reaches.
TEST(DescriptionRules, LabelsNumbersStepsAndTypeLists) {
    EXPECT_EQ(RowLabel(L"Unit:"), L"Unit:");
    EXPECT_EQ(RowLabel(L""), L":");
    EXPECT_EQ(additional::ParseDecimal(L"-7"), -7);
    for (const wchar_t* refused : {L"", L"-", L"0x10", L"+5", L" 5", L"5.0", L"2147483648"})
        EXPECT_FALSE(additional::ParseDecimal(refused)) << refused;
    EXPECT_EQ(additional::ParseDecimal(L"-2147483648"), INT32_MIN);
    EXPECT_EQ(additional::SliderStep(0, 10, 10), 10) << "a step as wide as the range is one step";
    EXPECT_EQ(additional::SliderStep(0, 10, 20), 1);
    EXPECT_EQ(additional::SliderStep(0, 10, -5), 1);
    EXPECT_EQ(additional::SliderStep(0, 10, std::nullopt), 1);
    EXPECT_FALSE(additional::IsSliderValue(L"25", 10, 20, 5));
    EXPECT_EQ(additional::FileTypeList({}, L"All|*.*||"), L"All|*.*||");
}

std::string Description(const std::wstring& items) {
    return win32::WideToUtf8(
        L"<?xml version=\"1.0\" encoding=\"UTF-8\"?><conf_window name='Test' description='For tests'>" + items +
        L"</conf_window>");
}

std::wstring Item(const std::wstring& key, const std::wstring& control, const std::wstring& extra = L"") {
    return L"<item name='" + key + L"'>" + control + extra + L"</item>";
}

// A module folder with its description files, a settings window stand-in, and the page built from them.
class AdditionalPage : public ::testing::Test {
protected:
    AdditionalPage() : folder(L"additional") {
        language.reset(::LoadLibraryExW((FolderOfThisExecutable() + L"\\DaystreamSetting_usa.dll").c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE));
        app.setResourceHandle(language.get());
        host = ::CreateWindowExW(WS_EX_CONTROLPARENT, L"#32770", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 480, 360,
                                 nullptr, nullptr, nullptr, nullptr);
        LOGFONTW logFont = {};
        logFont.lfHeight = 12;
        wcscpy_s(logFont.lfFaceName, L"MS UI Gothic");
        font.reset(::CreateFontIndirectW(&logFont));
    }
    ~AdditionalPage() override {
        page.reset();
        ::DestroyWindow(host);
    }

    void WriteDescription(const std::wstring& name, const std::string& xml) {
        ASSERT_TRUE(WriteFile(folder / name, xml));
    }

    // Builds the page from the folder (language "usa"), with values from the folder's data.xml, and activates it
    // as the settings window does before it first shows a page, and runs its messages until it has made the items
    // below the view as well.
    int Build(const std::wstring& languageCode = L"usa", RECT rect = {0, 0, 460, 300}, bool activate = true) {
        page = std::make_unique<CCWAdditionalModule>(nullptr, nullptr, font.get());
        page->UseDataFile(DataFile());
        const int built = page->CreateFromFolder(L"Test", folder.path(), languageCode, rect, host);
        if (built && activate) {
            page->OnPageActivate();
            auto pending = [this] {
                return std::any_of(page->controls().begin(), page->controls().end(),
                                   [](const auto& control) { return !control->focusControl(); });
            };
            for (const DWORD start = ::GetTickCount(); pending() && ::GetTickCount() - start < 60000;) {
                ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
                MSG msg;
                while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                    ::DispatchMessageW(&msg);
            }
        }
        return built;
    }
    int BuildItems(const std::wstring& items) {
        WriteDescription(L"preference.xml", Description(items));
        return Build();
    }
    std::wstring DataFile() const { return folder / L"data.xml"; }
    void WriteValues(const std::wstring& items) {
        ASSERT_TRUE(WriteFile(DataFile(), win32::WideToUtf8(L"<conf_data>" + items + L"</conf_data>")));
    }
    static std::wstring Stored(const std::wstring& key, const std::wstring& value) {
        return L"<item name='" + key + L"'><value>" + value + L"</value></item>";
    }
    template <typename Kind> Kind* Control(size_t index) {
        return index < page->controls().size() ? dynamic_cast<Kind*>(page->controls()[index].get()) : nullptr;
    }
    const DescriptionVerdict* Verdict(const std::wstring& key) {
        for (const auto& verdict : page->verdicts())
            if (verdict.key == key)
                return &verdict;
        return nullptr;
    }

    win32::ComInit com;
    win32::WinApp app;
    win32::Module language;
    TempFolder folder;
    HWND host = nullptr;
    win32::Font font;
    std::unique_ptr<CCWAdditionalModule> page;
};

TEST(AllFilesText, EveryLanguageLibraryHasTheFileSelectorsAllFilesList) {
    const std::pair<const wchar_t*, const wchar_t*> expected[] = {
        {L"DaystreamSetting_jpn.dll", L"すべてのファイル|*.*||"},
        {L"SkylumeSetting_fra.dll", L"Tous les dossiers|*.*||"},
        {L"DaystreamSetting_usa.dll", L"All files|*.*||"},
        {L"SkylumeSetting_gbr.dll", L"All files|*.*||"},
        {L"SkylumeSetting_deu.dll", L"All files|*.*||"},
        {L"SkylumeSetting_ita.dll", L"All files|*.*||"},
        {L"SkylumeSetting_esp.dll", L"All files|*.*||"},
        {L"SkylumeSetting_rus.dll", L"All files|*.*||"}};
    for (const auto& [library, text] : expected) {
        win32::Module module(
            ::LoadLibraryExW((FolderOfThisExecutable() + L"\\" + library).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        ASSERT_TRUE(module) << library;
        EXPECT_EQ(win32::LoadResString(module.get(), 5450), text) << library;
    }
}

TEST_F(AdditionalPage, WindowElementDecidesWhetherThereIsAPage) {
    WriteDescription(L"preference.xml", "<conf_window/>");
    EXPECT_EQ(Build(), 0);
    WriteDescription(L"preference.xml", "<conf_window description='x'/>");
    EXPECT_EQ(Build(), 0);
    WriteDescription(L"preference.xml", "<conf_window name='Weather'>");
    EXPECT_EQ(Build(), 0) << "not well-formed";
    WriteDescription(L"preference.xml", "<conf_window name='Weather' description='Forecast'/>");
    ASSERT_EQ(Build(), 1);
    EXPECT_EQ(page->title(), L"Weather");
    EXPECT_EQ(page->description(), L"Forecast");
    EXPECT_EQ(page->contentHeight(), 0);
}

TEST_F(AdditionalPage, LanguageFileFirstThenTheNeutralOne) {
    const std::wstring checkbox = L"<control name='checkbox'><label>x</label></control>";
    WriteDescription(L"preference_usa.xml", Description(Item(L"usa", checkbox)));
    WriteDescription(L"preference.xml", Description(Item(L"neutral", checkbox)));
    ASSERT_EQ(Build(L"usa"), 1);
    EXPECT_EQ(page->controls().at(0)->key(), L"usa");
    ASSERT_EQ(Build(L"fra"), 1);
    EXPECT_EQ(page->controls().at(0)->key(), L"neutral");
    WriteDescription(L"preference_usa.xml", "<other name='x'/>");
    ASSERT_EQ(Build(L"usa"), 1);
    EXPECT_EQ(page->controls().at(0)->key(), L"neutral");
    EXPECT_EQ(page->descriptionFile(), folder / L"preference.xml");
}

TEST_F(AdditionalPage, PerChildRulesOfTheFiveKinds) {
    ASSERT_EQ(
        BuildItems(Item(L"check", L"<control name='checkbox'><label>A check box label</label><default>true</default>"
                                  L"<default>0</default></control>") +
                   Item(L"edit", L"<control name='editbox'><label>Sixteen letters!</label><label>x</label></control>") +
                   Item(L"wide", L"<control name='editbox'><label>単位\xFF1A</label></control>") +
                   Item(L"step3", L"<control name='slider'><label>s</label><min>0</min><max>10</max><delta>3</delta>"
                                  L"<default>99</default></control>") +
                   Item(L"step5", L"<control name='slider'><label>s</label><min>x</min><min>0</min><max>10</max>"
                                  L"<delta>5</delta><default>7</default></control>") +
                   Item(L"flat", L"<control name='slider'><label>s</label><min>4</min><max>4</max></control>") +
                   Item(L"nooption", L"<control name='combobox'><label>c</label><default>a</default></control>") +
                   Item(L"combo", L"<control name='combobox'><label>c</label><option>b</option><option>a</option>"
                                  L"<option>a</option><default>z</default></control>") +
                   Item(L"nolabel", L"<control name='editbox'><default>a</default></control>") +
                   Item(L"two", L"<control name='gauge'><label>g</label></control><control name='slider'><label>s"
                                L"</label></control><control name='editbox'><label>first</label></control>"
                                L"<control name='checkbox'><label>second</label></control>") +
                   Item(L"files", L"<control name='fileselector'><label>f</label><filter ext='jpg' name='x'>J</filter>"
                                  L"<filter ext='png'>PNG picture</filter><filter ext=''>E</filter>"
                                  L"<filter ext='gif'>GIF picture</filter><default>Z:\\no\\such.file</default>"
                                  L"</control>")),
        1);
    auto* check = Control<CConfCheckBox>(0);
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->label(), L"A check box label");
    EXPECT_EQ(check->value(), L"0") << "\"true\" is not a check-box value";
    EXPECT_EQ(Control<CConfEditBox>(1)->label(), L"Sixteen lett:");
    EXPECT_EQ(Control<CConfEditBox>(2)->label(), L"単位\xFF1A");
    auto* step3 = Control<CConfSlider>(3);
    ASSERT_NE(step3, nullptr);
    EXPECT_EQ(step3->delta(), 1);
    EXPECT_EQ(step3->value(), L"0") << "a default outside min..max starts at min";
    auto* step5 = Control<CConfSlider>(4);
    ASSERT_NE(step5, nullptr);
    EXPECT_EQ(step5->delta(), 5);
    EXPECT_EQ(::SendMessageW(step5->slider(), TBM_GETRANGEMAX, 0, 0), 2);
    EXPECT_EQ(Verdict(L"flat")->rule, L"slider: min is not less than max");
    EXPECT_EQ(Verdict(L"nooption")->rule, L"combobox: no option");
    EXPECT_EQ(Verdict(L"nolabel")->rule, L"editbox: no label");
    auto* combo = Control<CConfComboBox>(5);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(ComboBox_GetCount(combo->focusControl()), 3) << "duplicates kept";
    EXPECT_EQ(combo->value(), L"b") << "a default naming no option becomes the first option";
    auto* two = Control<CConfEditBox>(6);
    ASSERT_NE(two, nullptr) << "the first acceptable control of an item counts";
    EXPECT_EQ(two->key(), L"two");
    EXPECT_EQ(two->label(), L"first:");
    auto* files = Control<CConfFileSelector>(7);
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(files->TypeList(), L"PNG picture|*.png|GIF picture|*.gif||");
    EXPECT_EQ(files->value(), L"");
    EXPECT_EQ(page->controls().size(), 8u);
}

// A combo item makes its list window only when the user opens it; opened, it keeps its value rules and its place
// in the page's tab order.
TEST_F(AdditionalPage, ComboItemMakesItsListWindowOnlyWhenOpened) {
    const std::wstring combo = L"<control name='combobox'><label>c</label><option>a</option><option>b</option>"
                               L"</control>";
    const int before = ComboListWindowCount();
    WriteValues(Stored(L"c1", L"b"));
    ASSERT_EQ(BuildItems(Item(L"c1", combo) + Item(L"c2", combo) + Item(L"c3", combo)), 1);
    EXPECT_EQ(ComboListWindowCount(), before);
    auto* first = Control<CConfComboBox>(0);
    EXPECT_EQ(first->value(), L"b");
    EXPECT_EQ(ComboBox_GetCurSel(first->focusControl()), 1);

    ::ShowWindow(page->hwnd(), SW_SHOW);
    HWND list = first->focusControl();
    ::SetFocus(list);
    ::SendMessageW(list, WM_KEYDOWN, VK_F4, 0);
    EXPECT_EQ(ComboListWindowCount(), before + 1);
    EXPECT_TRUE(ComboBox_GetDroppedState(list));
    HWND opened = ::GetFocus();
    EXPECT_TRUE(::IsChild(list, opened));
    ::SendMessageW(list, CB_SHOWDROPDOWN, FALSE, 0);
    ComboBox_SetCurSel(list, 0);
    EXPECT_EQ(page->IsModified(), 1);

    MSG tab = {opened, WM_KEYDOWN, VK_TAB, 0};
    EXPECT_TRUE(page->PreTranslateMessage(tab));
    EXPECT_EQ(::GetFocus(), Control<CConfComboBox>(1)->focusControl()) << "Tab goes on to the next item";
    page->SaveData();
    ASSERT_EQ(Build(), 1);
    EXPECT_EQ(Control<CConfComboBox>(0)->value(), L"a");
}

TEST_F(AdditionalPage, GroupsLayOutTheirItemsOrVanish) {
    const std::wstring good = L"<control name='checkbox'><label>x</label></control>";
    const std::wstring bad = L"<control name='combobox'><label>x</label></control>";
    ASSERT_EQ(BuildItems(L"<item><group>Only rejected</group>" + Item(L"a", bad) + Item(L"b", bad) + L"</item>"), 1);
    EXPECT_TRUE(page->groupTitles().empty());
    EXPECT_EQ(page->contentHeight(), 0);

    ASSERT_EQ(BuildItems(L"<item>" + Item(L"c", good) + L"</item>"), 1);
    EXPECT_TRUE(page->controls().empty()) << "a group without a title shows none of its items";
    EXPECT_EQ(Verdict(L"c")->rule, L"it stands in a group without a group title");

    ASSERT_EQ(BuildItems(Item(L"top", good) + L"<item><group>Display</group>" + Item(L"d", good) +
                         L"<item><item name='nested'>" + good + L"</item></item>" + Item(L"e", good) + L"</item>"),
              1);
    ASSERT_EQ(page->groupTitles().size(), 1u);
    ASSERT_EQ(page->controls().size(), 3u);
    RECT top, d, e, title;
    ::GetWindowRect(page->controls()[0]->hwnd(), &top);
    ::GetWindowRect(page->controls()[1]->hwnd(), &d);
    ::GetWindowRect(page->controls()[2]->hwnd(), &e);
    ::GetWindowRect(page->groupTitles()[0]->hwnd(), &title);
    EXPECT_EQ(title.top, top.bottom);
    EXPECT_EQ(d.top, title.bottom);
    EXPECT_EQ(d.left, top.left + 9) << "group items are indented";
    EXPECT_EQ(d.right, top.right);
    EXPECT_EQ(e.top, d.bottom) << "the rejected nested item leaves no gap";
    EXPECT_EQ(page->contentHeight(), e.bottom - top.top) << "no trailing group gap";
}

TEST_F(AdditionalPage, StoredValuesFollowTheValueRulesOfEachKind) {
    TempFolder files(L"stored");
    ASSERT_TRUE(WriteFile(files / L"kept.png", "png"));
    ASSERT_TRUE(WriteFile(files / L"gone.png", "png"));
    WriteDescription(
        L"preference.xml",
        Description(Item(L"check", L"<control name='checkbox'><label>c</label><default>1</default></control>") +
                    Item(L"slider", L"<control name='slider'><label>s</label><min>10</min><max>20</max><delta>5"
                                    L"</delta><default>20</default></control>") +
                    Item(L"slider2", L"<control name='slider'><label>s</label><min>10</min><max>20</max><delta>5"
                                     L"</delta></control>") +
                    Item(L"edit", L"<control name='editbox'><label>e</label></control>") +
                    Item(L"combo", L"<control name='combobox'><label>c</label><option>a</option><option>b</option>"
                                   L"</control>") +
                    Item(L"file", L"<control name='fileselector'><label>f</label></control>") +
                    Item(L"file2", L"<control name='fileselector'><label>f</label></control>")));
    WriteValues(Stored(L"check", L"0") + Stored(L"slider", L"15") + Stored(L"slider2", L"12") +
                Stored(L"edit", L"&lt;b&gt; &amp; \"q\"") +
                L"<item name='combo'><value>c</value><value>b</value></item>" + Stored(L"combo", L"a") +
                Stored(L"file", files / L"kept.png") + Stored(L"file2", files / L"gone.png") +
                Stored(L"stray", L"old"));
    ::DeleteFileW((files / L"gone.png").c_str());
    ASSERT_EQ(Build(), 1);
    auto* check = Control<CConfCheckBox>(0);
    EXPECT_EQ(Button_GetCheck(check->focusControl()), BST_UNCHECKED);
    auto* slider = Control<CConfSlider>(1);
    EXPECT_EQ(::SendMessageW(slider->slider(), TBM_GETRANGEMAX, 0, 0), 2) << "three positions";
    EXPECT_EQ(::SendMessageW(slider->slider(), TBM_GETPOS, 0, 0), 1);
    // The skin draws the thumb where the control says it is, also for a value set while the page was hidden.
    RECT channel{}, thumb{};
    ::SendMessageW(slider->slider(), TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    ::SendMessageW(slider->slider(), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    EXPECT_NEAR((thumb.left + thumb.right) / 2, (channel.left + channel.right) / 2, 2) << "the middle position";
    EXPECT_EQ(Control<CConfSlider>(2)->value(), L"10") << "12 is off the step: the default stays";
    EXPECT_EQ(Control<CConfEditBox>(3)->value(), L"<b> & \"q\"");
    EXPECT_EQ(Control<CConfComboBox>(4)->value(), L"b") << "the first valid value of the first item of the key";
    EXPECT_EQ(Control<CConfFileSelector>(5)->shownPath(), files / L"kept.png");
    EXPECT_EQ(Control<CConfFileSelector>(6)->shownPath(), L"") << "a deleted file leaves the default";
    EXPECT_EQ(page->IsModified(), 0);

    page->SaveData();
    auto first = ReadFile(DataFile());
    ASSERT_TRUE(first);
    const std::wstring expected =
        L"<conf_data>\r\n\t<item name=\"check\"><value>0</value></item>\r\n\t<item name=\"slider\"><value>15</value>"
        L"</item>\r\n\t<item name=\"slider2\"><value>10</value></item>\r\n\t<item name=\"edit\"><value>&lt;b&gt; "
        L"&amp; \"q\"</value></item>\r\n\t<item name=\"combo\"><value>b</value></item>\r\n\t<item name=\"file\">"
        L"<value>" +
        files / L"kept.png" + L"</value></item>\r\n\t<item name=\"file2\"><value/></item>\r\n</conf_data>";
    EXPECT_NE(WithoutCr(*first).find(WithoutCr(win32::WideToUtf8(expected))), std::string::npos) << *first;
    EXPECT_EQ(first->find("stray"), std::string::npos) << "keys no longer described are dropped";

    ASSERT_EQ(Build(), 1);
    EXPECT_EQ(page->IsModified(), 0);
    page->SaveData();
    EXPECT_EQ(ReadFile(DataFile()), first) << "a second save without changes is byte-identical";

    Button_SetCheck(Control<CConfCheckBox>(0)->focusControl(), BST_CHECKED);
    EXPECT_EQ(page->IsModified(), 1);
    ::SetWindowTextW(Control<CConfEditBox>(3)->focusControl(), L"new");
    page->SaveData();
    ASSERT_EQ(Build(), 1);
    EXPECT_EQ(Control<CConfCheckBox>(0)->value(), L"1");
    EXPECT_EQ(Control<CConfEditBox>(3)->value(), L"new");
}

// The settings window makes an additional page's item windows only when it first shows the page; until then the
// page loads, counts changes and saves exactly as it does once shown.
TEST_F(AdditionalPage, ItemWindowsWaitForTheFirstShowAndChangeNothing) {
    const RECT rect = {0, 0, 460, 300};
    WriteDescription(
        L"preference.xml",
        Description(Item(L"check", L"<control name='checkbox'><label>c</label></control>") +
                    Item(L"step", L"<control name='slider'><label>s</label><min>10</min><max>20</max><delta>5"
                                  L"</delta><default>17</default></control>") +
                    Item(L"combo", L"<control name='combobox'><label>c</label><option>a</option><option>b</option>"
                                   L"<default>z</default></control>") +
                    L"<item><group>G</group>" +
                    Item(L"edit", L"<control name='editbox'><label>e</label></control>",
                         L"<description>About the edit box</description>") +
                    L"</item>"));
    WriteValues(Stored(L"check", L"0") + Stored(L"edit", L"kept"));
    ASSERT_EQ(Build(L"usa", rect, false), 1);
    for (const auto& control : page->controls())
        EXPECT_EQ(control->hwnd(), nullptr) << "no window yet for " << control->key();
    EXPECT_EQ(Control<CConfComboBox>(2)->value(), L"a") << "a default that names no option gives way to the first";
    EXPECT_EQ(page->IsModified(), 1) << "the off-step default 17 would be shown as 15";
    page->SaveData();
    const auto unshown = ReadFile(DataFile());
    ASSERT_TRUE(unshown);
    for (const char* stored :
         {"\"check\"><value>0<", "\"step\"><value>15<", "\"combo\"><value>a<", "\"edit\"><value>kept<"})
        EXPECT_NE(unshown->find(stored), std::string::npos) << stored << " in " << *unshown;

    ASSERT_EQ(Build(L"usa", rect, false), 1);
    ::ShowWindow(page->hwnd(), SW_SHOW);
    for (const auto& control : page->controls())
        ASSERT_NE(control->focusControl(), nullptr) << control->key() << " is made on the first show";
    EXPECT_EQ(Button_GetCheck(Control<CConfCheckBox>(0)->focusControl()), BST_UNCHECKED);
    EXPECT_EQ(::SendMessageW(Control<CConfSlider>(1)->slider(), TBM_GETPOS, 0, 0), 1);
    EXPECT_EQ(ComboBox_GetCurSel(Control<CConfComboBox>(2)->focusControl()), 0);
    EXPECT_EQ(win32::WindowText(Control<CConfEditBox>(3)->focusControl()), L"kept");
    EXPECT_EQ(page->IsModified(), 0);
    page->SaveData();
    EXPECT_EQ(ReadFile(DataFile()), unshown) << "shown or not, the page saves the same";
}

TEST_F(AdditionalPage, TallDescriptionScrollsByLineStepsOnly) {
    std::wstring items;
    for (int i = 0; i < 40; ++i)
        items += Item(L"k" + std::to_wstring(i), L"<control name='editbox'><label>Item</label></control>",
                      i % 3 ? L"" : L"<description>A line of description above the control.</description>");
    WriteDescription(L"preference.xml", Description(items));
    ASSERT_EQ(Build(L"usa", {0, 0, 460, 300}, false), 1);
    HWND window = page->hwnd();
    ::ShowWindow(window, SW_SHOW);
    EXPECT_EQ(page->controls().back()->hwnd(), nullptr) << "an item below the view is made later";
    RECT client;
    ::GetClientRect(window, &client);
    EXPECT_TRUE(::GetWindowLongPtrW(window, GWL_STYLE) & WS_VSCROLL);
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ASSERT_TRUE(::GetScrollInfo(window, SB_VERT, &info));
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, page->contentHeight() - 1);
    EXPECT_EQ(int(info.nPage), client.bottom);
    EXPECT_EQ(page->lineStep(), 18) << "1.5 times the 12-pixel font";

    auto firstTop = [&] {
        RECT rect;
        ::GetWindowRect(page->controls()[0]->hwnd(), &rect);
        POINT point = {0, rect.top};
        ::ScreenToClient(window, &point);
        return int(point.y);
    };
    ::SendMessageW(window, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(::GetScrollPos(window, SB_VERT), 18);
    EXPECT_EQ(firstTop(), -18);
    ::SendMessageW(window, WM_VSCROLL, SB_PAGEDOWN, 0);
    ::SendMessageW(window, WM_VSCROLL, SB_PAGEUP, 0);
    EXPECT_EQ(::GetScrollPos(window, SB_VERT), 18) << "the trough does nothing";
    ::SendMessageW(window, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(firstTop(), -(page->contentHeight() - client.bottom)) << "the platform clamps to the scrollable range";
    // Made by the scroll that reached it, where the scroll brought it: the content's end at the page's bottom.
    RECT last{};
    ::GetWindowRect(page->controls().back()->hwnd(), &last);
    POINT bottom = {0, last.bottom};
    ::ScreenToClient(window, &bottom);
    EXPECT_EQ(bottom.y, client.bottom);
    ::SendMessageW(window, WM_VSCROLL, SB_TOP, 0);
    ::SendMessageW(window, WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(firstTop(), 0);
    ::SendMessageW(page->controls()[0]->hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(firstTop(), -3 * 18) << "a wheel notch over an item scrolls the page three line steps";
}

// Tab walks the items of a long page, each brought into view as it gets the focus, then the page's scroll bar,
// which then scrolls by the keyboard; the settings window's Shift+Tab from OK lands on the last item, in view.
TEST_F(AdditionalPage, KeyboardReachesEveryItemOfALongPage) {
    std::wstring items;
    for (int i = 0; i < 30; ++i)
        items += Item(L"k" + std::to_wstring(i), L"<control name='editbox'><label>Item</label></control>",
                      L"<description>A line of description above the control.</description>");
    WriteDescription(L"preference.xml", Description(items));
    ASSERT_EQ(Build(L"usa", {0, 0, 460, 300}, false), 1);
    HWND window = page->hwnd();
    ::ShowWindow(window, SW_SHOW);
    RECT client;
    ::GetClientRect(window, &client);
    auto inView = [&](HWND control) {
        RECT rect;
        ::GetWindowRect(::GetParent(control), &rect);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        return rect.top >= 0 && rect.bottom <= client.bottom;
    };
    auto pressTab = [&] {
        MSG tab = {::GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
        EXPECT_TRUE(page->PreTranslateMessage(tab));
    };

    CConfWindowInf& base = *page;
    // Shown, the page makes the items in view at once and the rest later; Tab makes them first.
    ASSERT_NE(page->controls().front()->focusControl(), nullptr);
    EXPECT_EQ(page->controls().back()->focusControl(), nullptr);
    base.FocusControl(page->controls().front()->focusControl());
    pressTab();
    ASSERT_NE(page->controls().back()->focusControl(), nullptr);
    base.FocusControl(page->controls().back()->focusControl());
    EXPECT_TRUE(inView(page->controls().back()->focusControl())) << "Shift+Tab from OK";
    base.FocusControl(page->controls().front()->focusControl());
    EXPECT_EQ(::GetScrollPos(window, SB_VERT), 0);
    for (size_t i = 1; i < page->controls().size(); ++i) {
        pressTab();
        HWND control = page->controls()[i]->focusControl();
        ASSERT_EQ(::GetFocus(), control) << i;
        EXPECT_TRUE(inView(control)) << "item " << i << " at scroll position " << ::GetScrollPos(window, SB_VERT);
    }
    pressTab();
    ASSERT_EQ(::GetFocus(), window) << "the scroll bar is the last stop";
    const int bottom = ::GetScrollPos(window, SB_VERT);
    auto key = [&](WPARAM virtualKey) {
        ::SendMessageW(window, WM_KEYDOWN, virtualKey, 0);
        return ::GetScrollPos(window, SB_VERT);
    };
    EXPECT_EQ(key(VK_HOME), 0);
    EXPECT_EQ(key(VK_DOWN), 18);
    EXPECT_EQ(key(VK_NEXT), 18 + client.bottom);
    EXPECT_EQ(key(VK_UP), client.bottom);
    EXPECT_EQ(key(VK_PRIOR), 0);
    EXPECT_EQ(key(VK_END), bottom);
    pressTab();
    EXPECT_NE(::GetFocus(), window) << "Tab leaves the page";
}

// The browse button opens the platform's open-file dialog with the item's type list; confirming a path makes it
// the item's value, cancelling changes nothing.
TEST_F(AdditionalPage, BrowseButtonTakesTheConfirmedFile) {
    ASSERT_TRUE(WriteFile(folder / L"chosen.txt", "text"));
    ASSERT_EQ(BuildItems(Item(L"file", L"<control name='fileselector'><label>f</label><filter ext='txt'>Text</filter>"
                                       L"</control>")),
              1);
    auto* selector = Control<CConfFileSelector>(0);
    ASSERT_NE(selector, nullptr);
    auto browse = [&](const std::wstring& typed, WPARAM button) {
        std::wstring filter;
        DriveModal([&] { ::SendMessageW(selector->focusControl(), BM_CLICK, 0, 0); },
                   [&] {
                       HWND dialog = WaitForTopLevel(::GetCurrentProcessId(), [&](HWND window) {
                           return window != host && ClassOf(window) == L"#32770" && ::GetWindow(window, GW_OWNER);
                       });
                       if (!dialog)
                           return;
                       wchar_t type[64] = {};
                       ::SendMessageW(::GetDlgItem(dialog, cmb1), CB_GETLBTEXT, 0, LPARAM(type));
                       filter = type;
                       for (int id : {edt1, cmb13})
                           ::SendMessageW(dialog, CDM_SETCONTROLTEXT, id, LPARAM(typed.c_str()));
                       ::PostMessageW(dialog, WM_COMMAND, button, 0);
                   });
        return filter;
    };
    EXPECT_EQ(browse(folder / L"chosen.txt", IDCANCEL), L"Text");
    EXPECT_EQ(selector->shownPath(), L"");
    browse(folder / L"chosen.txt", IDOK);
    EXPECT_EQ(selector->shownPath(), folder / L"chosen.txt");
    EXPECT_EQ(page->IsModified(), 1);
}

TEST_F(AdditionalPage, ThousandItemsAndTenThousandStrayValuesOpenAndSave) {
    const wchar_t* const controls[] = {
        L"<control name='checkbox'><label>c</label><default>0</default></control>",
        L"<control name='editbox'><label>e</label></control>",
        L"<control name='combobox'><label>c</label><option>a</option><option>b</option></control>",
        L"<control name='slider'><label>s</label><min>0</min><max>100</max><delta>5</delta></control>",
        L"<control name='fileselector'><label>f</label></control>"};
    std::wstring items, values;
    for (int i = 0; i < 1000; ++i)
        items += Item(L"k" + std::to_wstring(i), controls[i % 5]);
    for (int i = 0; i < 10000; ++i)
        values += Stored(L"stray" + std::to_wstring(i), L"old");
    for (int i = 0; i < 1000; i += 5)
        values += Stored(L"k" + std::to_wstring(i), L"1");
    WriteValues(values);
    ASSERT_EQ(BuildItems(items), 1);
    ASSERT_EQ(page->controls().size(), 1000u);
    EXPECT_EQ(page->controls()[5]->value(), L"1");
    page->SaveData();
    const std::string saved = ReadFile(DataFile()).value_or("");
    size_t count = 0;
    for (size_t at = saved.find("<item "); at != std::string::npos; at = saved.find("<item ", at + 1))
        ++count;
    EXPECT_EQ(count, 1000u);
    EXPECT_EQ(saved.find("stray"), std::string::npos);
}

} // namespace
