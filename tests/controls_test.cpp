// The custom controls, driven through real windows and read back pixel by pixel.
#include <windows.h>
#include <gdiplus.h>

#include "ui/controls/config_item_window.h"
#include "ui/controls/control_geometry.h"
#include "ui/controls/group_title_window.h"
#include "ui/controls/image_control.h"
#include "ui/controls/link_control.h"
#include "win32/handle.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using controls::FitPictureInBox;
using controls::Placement;
using controls::PlaceTextSpan;
using controls::SpanContains;
using controls::TextAlignment;
using controls::TextSpan;

namespace {

constexpr COLORREF kPage = RGB(215, 221, 224);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kDisabledFrame = 0x00CDC9C3;
constexpr COLORREF kDisabledText = 0x00B3B1AC;
constexpr COLORREF kUnderline = RGB(170, 177, 187);
constexpr COLORREF kUnvisited = RGB(0, 0, 255);
constexpr COLORREF kVisited = RGB(100, 0, 200);

struct Command {
    int id;
    HWND control;
};
std::vector<Command> g_commands;

HFONT g_hostFont = nullptr;

// Keeps its font as a dialog does, so that controls can take it from their parent.
LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        g_commands.push_back({LOWORD(wParam), reinterpret_cast<HWND>(lParam)});
        return 0;
    case WM_SETFONT:
        g_hostFont = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(g_hostFont);
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// The client area as the control paints it, through WM_PRINTCLIENT into a 32-bit DIB.
class Pixels {
public:
    explicit Pixels(HWND window) {
        RECT client{};
        ::GetClientRect(window, &client);
        width_ = client.right;
        height_ = client.bottom;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HDC screen = ::GetDC(nullptr);
        win32::Bitmap dib(::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        HDC dc = ::CreateCompatibleDC(screen);
        ::ReleaseDC(nullptr, screen);
        HGDIOBJ previous = ::SelectObject(dc, dib.get());
        // A colour no control draws, so an unpainted area is noticed.
        RECT all{0, 0, width_, height_};
        HBRUSH marker = ::CreateSolidBrush(RGB(1, 2, 3));
        ::FillRect(dc, &all, marker);
        ::DeleteObject(marker);
        ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        ::GdiFlush();
        auto* words = static_cast<const std::uint32_t*>(bits);
        data_.assign(words, words + size_t(width_) * size_t(height_));
        ::SelectObject(dc, previous);
        ::DeleteDC(dc);
    }
    int width() const { return width_; }
    int height() const { return height_; }
    COLORREF at(int x, int y) const {
        std::uint32_t p = data_[size_t(y) * size_t(width_) + size_t(x)];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    int Count(COLORREF color) const {
        int n = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                n += at(x, y) == color;
        return n;
    }
    // Bounding box of the pixels differing from `background` inside [x0, x1) x [y0, y1).
    std::optional<RECT> Ink(COLORREF background, int x0, int y0, int x1, int y1) const {
        std::optional<RECT> box;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                if (at(x, y) == background)
                    continue;
                if (!box)
                    box = RECT{x, y, x, y};
                box->left = std::min<LONG>(box->left, x);
                box->top = std::min<LONG>(box->top, y);
                box->right = std::max<LONG>(box->right, x);
                box->bottom = std::max<LONG>(box->bottom, y);
            }
        return box;
    }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> data_;
};

std::string Hex(COLORREF color) {
    char text[16];
    wsprintfA(text, "0x%06X", unsigned(color));
    return text;
}

// A visible top-level window to hold the controls and collect the commands they post.
class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(Stage(), nullptr);
        // Each test gets a fresh parent inside the one top-level window of the run: under Xvfb without a window
        // manager, showing or hiding a top-level window waits two seconds for the window manager that never comes.
        host = ::CreateWindowExW(0, kHostClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 500, 400, Stage(), nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(host, nullptr);
        font.reset(::CreateFontW(-24, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, L"Tahoma"));
        ASSERT_TRUE(font);
        ::SendMessageW(host, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        ::SetFocus(host);
        Pump();
        g_commands.clear();
    }
    void TearDown() override {
        if (host)
            ::DestroyWindow(host);
        Pump();
        g_hostFont = nullptr;
        g_commands.clear();
    }

    static constexpr wchar_t kHostClass[] = L"ControlsTestHost";
    static HWND Stage() {
        static HWND stage = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = HostProc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
            wc.lpszClassName = kHostClass;
            ::RegisterClassExW(&wc);
            HWND window = ::CreateWindowExW(0, kHostClass, L"controls", WS_POPUP | WS_VISIBLE, 0, 0, 520, 420, nullptr,
                                            nullptr, wc.hInstance, nullptr);
            ::SetForegroundWindow(window);
            return window;
        }();
        return stage;
    }

    HWND host = nullptr;
    win32::Font font;
};

// ---- Layout arithmetic

TEST(ControlGeometry, PictureKeepsItsShapeCentredInTheBox) {
    // Wide: fills the width, centred vertically.
    EXPECT_EQ(FitPictureInBox(100, 100, 200, 100), (Placement{0, 25, 100, 50}));
    EXPECT_EQ(FitPictureInBox(300, 200, 400, 100), (Placement{0, 62, 300, 75}));
    // Tall: fills the height, centred horizontally; scaled to the width the second would be 400 high.
    EXPECT_EQ(FitPictureInBox(100, 100, 100, 200), (Placement{25, 0, 50, 100}));
    EXPECT_EQ(FitPictureInBox(200, 100, 100, 200), (Placement{75, 0, 50, 100}));
    // The box's own shape fills the box.
    EXPECT_EQ(FitPictureInBox(160, 120, 640, 480), (Placement{0, 0, 160, 120}));
    EXPECT_EQ(FitPictureInBox(100, 100, 7, 7), (Placement{0, 0, 100, 100}));
    // Large sizes do not overflow; empty sizes place nothing.
    EXPECT_EQ(FitPictureInBox(30000, 30000, 60000, 30000), (Placement{0, 7500, 30000, 15000}));
    EXPECT_EQ(FitPictureInBox(100, 100, 0, 50), Placement{});
    EXPECT_EQ(FitPictureInBox(0, 100, 50, 50), Placement{});
}

TEST(ControlGeometry, TextSpanFollowsTheAlignment) {
    EXPECT_EQ(PlaceTextSpan(100, 40, TextAlignment::Left), (TextSpan{1, 40}));
    EXPECT_EQ(PlaceTextSpan(100, 40, TextAlignment::Center), (TextSpan{30, 40}));
    EXPECT_EQ(PlaceTextSpan(100, 40, TextAlignment::Right), (TextSpan{59, 40}));
}

TEST(ControlGeometry, SpanHitTestCoversExactlyTheTextColumnsOverTheWholeHeight) {
    TextSpan span{10, 20};
    EXPECT_TRUE(SpanContains(span, 16, 10, 0));
    EXPECT_TRUE(SpanContains(span, 16, 29, 15));
    EXPECT_FALSE(SpanContains(span, 16, 9, 5));
    EXPECT_FALSE(SpanContains(span, 16, 30, 5));
    EXPECT_FALSE(SpanContains(span, 16, 15, 16));
    EXPECT_FALSE(SpanContains(span, 16, 15, -1));
    EXPECT_FALSE(SpanContains(TextSpan{10, 0}, 16, 10, 5));
}

// ---- Text band

TEST_F(ControlsTest, ConfigItemFrameIsBlackWhenEnabledAndGreyWhenDisabled) {
    CConfigItemWindow band(font.get(), RGB(0, 0, 0), kPage, DT_SINGLELINE | DT_VCENTER | DT_PATH_ELLIPSIS, 1);
    ASSERT_TRUE(band.Create(WS_VISIBLE, RECT{10, 10, 310, 50}, host, 501));
    band.SetTexts(L"Title", L"Desc");
    {
        Pixels face(band.hwnd());
        for (auto [x, y] : {std::pair{0, 0}, {299, 0}, {0, 39}, {299, 39}, {150, 0}, {0, 20}, {299, 20}, {150, 39}})
            EXPECT_EQ(face.at(x, y), kBlack) << x << "," << y;
        EXPECT_EQ(face.at(2, 2), kPage);
        EXPECT_GT(face.Count(RGB(0, 0, 0)), 2 * 300 + 2 * 38) << "no text in the text colour";
    }
    ::EnableWindow(band.hwnd(), FALSE);
    {
        Pixels face(band.hwnd());
        for (auto [x, y] : {std::pair{0, 0}, {299, 0}, {0, 39}, {299, 39}, {150, 0}, {0, 20}})
            EXPECT_EQ(face.at(x, y), kDisabledFrame) << x << "," << y;
        EXPECT_EQ(face.Count(kBlack), 0);
        EXPECT_GT(face.Count(kDisabledText), 0) << "text not in the disabled colour";
    }
}

// Without a frame the band fills to its edges; the title sits left and the description right, five dots in.
TEST_F(ControlsTest, ConfigItemWithoutFramePutsTheTitleLeftAndTheDescriptionRight) {
    constexpr int kWidth = 400, kHeight = 60;
    CConfigItemWindow band(font.get(), RGB(255, 255, 255), 0x00807974, DT_SINGLELINE | DT_VCENTER, 0);
    ASSERT_TRUE(band.Create(WS_VISIBLE, RECT{0, 0, kWidth, kHeight}, host, 503));
    {
        Pixels empty(band.hwnd());
        EXPECT_EQ(empty.at(0, 0), 0x00807974u);
        EXPECT_EQ(empty.at(kWidth - 1, kHeight - 1), 0x00807974u);
        EXPECT_EQ(empty.Count(RGB(255, 255, 255)), 0) << "empty texts draw nothing";
    }

    band.SetTexts(L"HH", L"");
    auto title = Pixels(band.hwnd()).Ink(0x00807974, 0, 0, kWidth, kHeight);
    ASSERT_TRUE(title);
    EXPECT_GE(title->left, 5);
    EXPECT_LE(title->left, 9);
    EXPECT_LT(title->right, kWidth / 2);
    // Vertically centred: the glyphs' middle lies near the band's middle.
    EXPECT_NEAR((title->top + title->bottom) / 2.0, kHeight / 2.0, 4.0);

    band.SetTexts(L"", L"HH");
    auto description = Pixels(band.hwnd()).Ink(0x00807974, 0, 0, kWidth, kHeight);
    ASSERT_TRUE(description);
    EXPECT_LE(description->right, kWidth - 6);
    EXPECT_GE(description->right, kWidth - 10);
    EXPECT_GT(description->left, kWidth / 2);
    // The same glyphs, so the same size wherever they are drawn.
    EXPECT_EQ(description->right - description->left, title->right - title->left);
    EXPECT_EQ(description->top, title->top);

    // An ampersand in the description is shown, not taken as an access-key mark.
    band.SetTexts(L"", L"A&B");
    auto withAmpersand = Pixels(band.hwnd()).Ink(0x00807974, 0, 0, kWidth, kHeight);
    band.SetTexts(L"", L"AB");
    auto without = Pixels(band.hwnd()).Ink(0x00807974, 0, 0, kWidth, kHeight);
    ASSERT_TRUE(withAmpersand && without);
    EXPECT_GT(withAmpersand->right - withAmpersand->left, without->right - without->left + 5);
}

// A control whose handler throws must not take the process down with it.
class ThrowingBand : public CConfigItemWindow {
public:
    using CConfigItemWindow::CConfigItemWindow;
    static constexpr UINT kThrow = WM_APP + 7;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kThrow)
            throw std::runtime_error("handler failed");
        return CConfigItemWindow::OnMessage(message, wParam, lParam);
    }
};

TEST_F(ControlsTest, ExceptionsStopAtTheWindowProcedure) {
    ThrowingBand band(font.get(), RGB(0, 0, 0), kPage, DT_SINGLELINE, 0);
    ASSERT_TRUE(band.Create(WS_VISIBLE, RECT{0, 0, 50, 20}, host, 506));
    EXPECT_EQ(::SendMessageW(band.hwnd(), ThrowingBand::kThrow, 0, 0), 0);
    EXPECT_TRUE(::IsWindow(band.hwnd()));
}

TEST_F(ControlsTest, DestroyingTheObjectDestroysTheWindowItCreated) {
    HWND window = nullptr;
    {
        CConfigItemWindow band(font.get(), RGB(0, 0, 0), kPage, DT_SINGLELINE, 0);
        ASSERT_TRUE(band.Create(WS_VISIBLE, RECT{0, 0, 50, 20}, host, 507));
        window = band.hwnd();
    }
    EXPECT_FALSE(::IsWindow(window));
}

// ---- Group title

// The title is the font's height plus six, with its underline from the indent to the right edge.
TEST_F(ControlsTest, GroupTitleIsTheFontHeightPlusSixAndUnderlinedToTheRightEdge) {
    CGroupTitleWindow title(font.get());
    int height = 0;
    ASSERT_TRUE(title.Create(L"Group", WS_VISIBLE, 10, 20, 200, height, host, 602));
    EXPECT_EQ(height, 24 + 6);
    RECT rect{};
    ::GetWindowRect(title.hwnd(), &rect);
    ::MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(rect.right - rect.left, 200);
    EXPECT_EQ(rect.bottom - rect.top, 30);
    Pixels face(title.hwnd());
    const int lineY = 24 + 2;
    EXPECT_EQ(face.at(199, lineY), kUnderline) << Hex(face.at(199, lineY));
    EXPECT_EQ(face.at(5, lineY), kUnderline);
    EXPECT_EQ(face.at(100, lineY), kUnderline);
    EXPECT_EQ(face.at(4, lineY), kPage);
    EXPECT_EQ(face.at(100, lineY - 1), kPage);
    EXPECT_EQ(face.at(100, lineY + 1), kPage);
    EXPECT_EQ(face.Count(kUnderline), 195);
}

// The end of a cut title is an ellipsis: its last inked columns hold only dots sitting on the baseline, where a
// letter cut at the edge would show a stem reaching up to the cap height.
TEST_F(ControlsTest, GroupTitleTooLongForItsWidthEndsInAnEllipsis) {
    auto topOfLastInkColumn = [](const Pixels& face, int bandHeight, RECT& ink) {
        auto box = face.Ink(kPage, 0, 0, face.width(), bandHeight);
        if (!box)
            return -1;
        ink = *box;
        for (int y = 0; y < bandHeight; ++y)
            if (face.at(box->right, y) != kPage)
                return y;
        return -1;
    };
    CGroupTitleWindow longTitle(font.get());
    int height = 0;
    ASSERT_TRUE(longTitle.Create(L"IIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIII", WS_VISIBLE, 0, 0, 150, height,
                                 host, 603));
    RECT ink{};
    int top = topOfLastInkColumn(Pixels(longTitle.hwnd()), 24, ink);
    ASSERT_GE(top, 0);
    EXPECT_GT(top, ink.top + (ink.bottom - ink.top) * 2 / 3) << "the last letters are not dots";
    EXPECT_LT(ink.right, 150) << "text ran past the window";
    EXPECT_GE(ink.left, 5);

    // The same check on a title that fits finds a full stem, so the check above can tell the two apart.
    CGroupTitleWindow shortTitle(font.get());
    ASSERT_TRUE(shortTitle.Create(L"III", WS_VISIBLE, 0, 40, 150, height, host, 604));
    RECT shortInk{};
    int shortTop = topOfLastInkColumn(Pixels(shortTitle.hwnd()), 24, shortInk);
    EXPECT_EQ(shortTop, shortInk.top);
    EXPECT_LT(shortInk.right, 100);
}

// ---- Link

class LinkTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        CLinkControl::ResetVisited();
    }
    void TearDown() override {
        CLinkControl::ResetVisited();
        ControlsTest::TearDown();
    }
    static LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }
    static LPARAM InsideText(const CLinkControl& link) { return Point(link.span().left + link.span().width / 2, 10); }
    static void Click(const CLinkControl& link, LPARAM point) {
        ::SendMessageW(link.hwnd(), WM_MOUSEMOVE, 0, point);
        ::SendMessageW(link.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, point);
        ::SendMessageW(link.hwnd(), WM_LBUTTONUP, 0, point);
        Pump();
    }
};

TEST_F(LinkTest, TextIsMeasuredWithTheParentsFont) {
    CLinkControl link;
    ASSERT_TRUE(link.Create(L"Calendar", WS_VISIBLE, RECT{10, 10, 310, 30}, host, 701));
    EXPECT_EQ(link.text(), L"Calendar");
    EXPECT_EQ(link.span().left, 1);
    HDC dc = ::GetDC(host);
    HGDIOBJ previous = ::SelectObject(dc, font.get());
    SIZE size{};
    ::GetTextExtentPoint32W(dc, L"Calendar", 8, &size);
    ::SelectObject(dc, previous);
    ::ReleaseDC(host, dc);
    EXPECT_EQ(link.span().width, size.cx);

    ::SetWindowTextW(link.hwnd(), L"Cal");
    EXPECT_EQ(link.text(), L"Cal");
    EXPECT_LT(link.span().width, size.cx / 2);
    link.SetText(L"Calendar of the year");
    wchar_t text[64]{};
    ::GetWindowTextW(link.hwnd(), text, 64);
    EXPECT_STREQ(text, L"Calendar of the year");
    EXPECT_GT(link.span().width, size.cx);
}

TEST_F(LinkTest, UnvisitedLinksAreBlueAndUnderlinedOnThePageColour) {
    CLinkControl link;
    ASSERT_TRUE(link.Create(L"Open the calendar", WS_VISIBLE, RECT{0, 0, 400, 30}, host, 702));
    Pixels face(link.hwnd());
    EXPECT_EQ(face.at(399, 0), kPage);
    EXPECT_EQ(face.at(0, 0), kPage);
    EXPECT_GT(face.Count(kUnvisited), 0);
    EXPECT_EQ(face.Count(kVisited), 0);
    // The underline: one row blue over the whole text.
    TextSpan span = link.span();
    bool underlined = false;
    for (int y = 0; y < face.height() && !underlined; ++y) {
        bool full = true;
        for (int x = span.left; x < span.left + span.width && full; ++x)
            full = face.at(x, y) == kUnvisited;
        underlined = full;
    }
    EXPECT_TRUE(underlined);
    // Nothing is drawn beyond the text.
    EXPECT_EQ(face.Ink(kPage, span.left + span.width + 1, 0, 400, 30), std::nullopt);
}

TEST_F(LinkTest, ClickingOneLinkTurnsEveryLinkVisited) {
    CLinkControl first, second;
    ASSERT_TRUE(first.Create(L"First link", WS_VISIBLE, RECT{0, 0, 300, 30}, host, 703));
    ASSERT_TRUE(second.Create(L"Second link", WS_VISIBLE, RECT{0, 40, 300, 70}, host, 704));
    ASSERT_EQ(Pixels(second.hwnd()).Count(kVisited), 0);

    Click(first, InsideText(first));
    ASSERT_EQ(g_commands.size(), 1u);
    EXPECT_EQ(g_commands[0].id, 703);
    EXPECT_EQ(g_commands[0].control, first.hwnd());
    EXPECT_TRUE(CLinkControl::Visited());
    EXPECT_EQ(::GetFocus(), first.hwnd());

    for (const CLinkControl* link : {&first, &second}) {
        Pixels face(link->hwnd());
        EXPECT_GT(face.Count(kVisited), 0) << link->id();
        EXPECT_EQ(face.Count(kUnvisited), 0) << link->id();
    }
    // A link made later in the same run starts visited too.
    CLinkControl third;
    ASSERT_TRUE(third.Create(L"Third", WS_VISIBLE, RECT{0, 80, 300, 110}, host, 705));
    EXPECT_GT(Pixels(third.hwnd()).Count(kVisited), 0);

    // Every further click still reaches the parent.
    Click(second, InsideText(second));
    ASSERT_EQ(g_commands.size(), 2u);
    EXPECT_EQ(g_commands[1].id, 704);
}

TEST_F(LinkTest, ClickBesideTheTextDoesNothing) {
    CLinkControl link;
    ASSERT_TRUE(link.Create(L"Link", WS_VISIBLE, RECT{0, 0, 300, 30}, host, 706));
    ::SetFocus(host);
    TextSpan span = link.span();
    ASSERT_LT(span.left + span.width + 20, 300);
    Click(link, Point(span.left + span.width + 10, 10));
    // Just past the last column of the text.
    Click(link, Point(span.left + span.width, 10));
    EXPECT_TRUE(g_commands.empty());
    EXPECT_FALSE(CLinkControl::Visited());
    EXPECT_NE(::GetFocus(), link.hwnd());
    EXPECT_EQ(Pixels(link.hwnd()).Count(kVisited), 0);
}

TEST_F(LinkTest, HandCursorOnlyOverTheText) {
    CLinkControl link;
    ASSERT_TRUE(link.Create(L"Link", WS_VISIBLE, RECT{0, 0, 300, 30}, host, 707));
    HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
    HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);
    ::SetCursor(arrow);
    ::SendMessageW(link.hwnd(), WM_MOUSEMOVE, 0, InsideText(link));
    EXPECT_EQ(::GetCursor(), hand);
    ::SendMessageW(link.hwnd(), WM_MOUSEMOVE, 0, Point(link.span().left + link.span().width + 10, 10));
    EXPECT_EQ(::GetCursor(), arrow);
    ::SendMessageW(link.hwnd(), WM_MOUSEMOVE, 0, InsideText(link));
    EXPECT_EQ(::GetCursor(), hand);
    ::SendMessageW(link.hwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(::GetCursor(), arrow);
}

TEST_F(LinkTest, EnterOrSpaceOnlyOnTheFocusedLinkPostsTheCommand) {
    CLinkControl link;
    ASSERT_TRUE(link.Create(L"Link", WS_VISIBLE | WS_TABSTOP, RECT{0, 0, 300, 30}, host, 708));
    ::SetFocus(host);
    ::SendMessageW(link.hwnd(), WM_KEYDOWN, VK_RETURN, 1);
    Pump();
    EXPECT_TRUE(g_commands.empty()) << "keys without the focus do nothing";
    EXPECT_FALSE(CLinkControl::Visited());

    ::SetFocus(link.hwnd());
    ASSERT_EQ(::GetFocus(), link.hwnd());
    ::SendMessageW(link.hwnd(), WM_KEYDOWN, VK_RETURN, 1);
    Pump();
    ASSERT_EQ(g_commands.size(), 1u);
    EXPECT_EQ(g_commands[0].id, 708);
    EXPECT_TRUE(CLinkControl::Visited());
    ::SendMessageW(link.hwnd(), WM_KEYDOWN, VK_SPACE, 1);
    Pump();
    ASSERT_EQ(g_commands.size(), 2u);
    // Other keys do nothing.
    ::SendMessageW(link.hwnd(), WM_KEYDOWN, 'A', 1);
    ::SendMessageW(link.hwnd(), WM_KEYDOWN, VK_TAB, 1);
    Pump();
    EXPECT_EQ(g_commands.size(), 2u);
}

TEST_F(LinkTest, FocusDrawsAFocusRectangleAroundTheText) {
    CLinkControl link;
    ASSERT_TRUE(link.Create(L"Link", WS_VISIBLE, RECT{0, 0, 300, 30}, host, 710));
    ::SetFocus(host);
    Pixels unfocused(link.hwnd());
    ::SetFocus(link.hwnd());
    Pixels focused(link.hwnd());
    // The focus rectangle's left side lies in the column left of the text.
    int column = link.span().left - 1;
    int changed = 0;
    for (int y = 0; y < 30; ++y)
        changed += focused.at(column, y) != unfocused.at(column, y);
    EXPECT_GT(changed, 3);
    RECT update{};
    ::SetFocus(host);
    EXPECT_TRUE(::GetUpdateRect(link.hwnd(), &update, FALSE)) << "losing the focus did not redraw";
}

// A dialog template with a link and a default button, as the pages build them.
std::vector<WORD> LinkDialogTemplate() {
    std::vector<WORD> t;
    auto dword = [&](DWORD v) {
        t.push_back(LOWORD(v));
        t.push_back(HIWORD(v));
    };
    auto text = [&](const wchar_t* s) {
        for (; *s; ++s)
            t.push_back(WORD(*s));
        t.push_back(0);
    };
    auto align = [&] {
        if (t.size() % 2)
            t.push_back(0);
    };
    dword(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION);
    dword(0);
    t.push_back(2);                     // items
    t.insert(t.end(), {0, 0, 200, 80}); // x, y, cx, cy
    t.push_back(0);                     // menu
    t.push_back(0);                     // class
    text(L"Links");                     // title
    t.push_back(9);                     // point size
    text(L"Tahoma");
    align();
    dword(WS_CHILD | WS_VISIBLE | WS_TABSTOP);
    dword(0);
    t.insert(t.end(), {10, 10, 150, 12, 801});
    text(CLinkControl::kClassName);
    text(L"Web calendar");
    t.push_back(0);
    align();
    dword(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON);
    dword(0);
    t.insert(t.end(), {10, 50, 50, 14, IDOK});
    t.insert(t.end(), {0xFFFF, 0x0080});
    text(L"OK");
    t.push_back(0);
    return t;
}

INT_PTR CALLBACK LinkDialogProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        g_commands.push_back({LOWORD(wParam), reinterpret_cast<HWND>(lParam)});
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

TEST_F(LinkTest, LinkFromADialogTemplateTakesEnterBeforeTheDefaultButton) {
    CLinkControl link; // registers the class the template names
    std::vector<WORD> dialogTemplate = LinkDialogTemplate();
    HWND dialog = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr),
                                               reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()), host,
                                               LinkDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(link.SubclassDlgItem(801, dialog));
    EXPECT_EQ(link.text(), L"Web calendar");
    EXPECT_GT(link.span().width, 20);
    EXPECT_GT(Pixels(link.hwnd()).Count(kUnvisited), 0);

    ::SetFocus(link.hwnd());
    ASSERT_EQ(::GetFocus(), link.hwnd());
    for (WPARAM key : {WPARAM(VK_RETURN), WPARAM(VK_SPACE)}) {
        ::PostMessageW(link.hwnd(), WM_KEYDOWN, key, 1);
        ::PostMessageW(link.hwnd(), WM_KEYUP, key, 0xC0000001);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!::IsDialogMessageW(dialog, &msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
    }
    ASSERT_EQ(g_commands.size(), 2u);
    EXPECT_EQ(g_commands[0].id, 801);
    EXPECT_EQ(g_commands[1].id, 801);
    ::DestroyWindow(dialog);
    EXPECT_EQ(link.hwnd(), nullptr);
}

// ---- Picture box

class ImageTest : public ControlsTest {
protected:
    static void SetUpTestSuite() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token, &input, nullptr);
    }
    static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(token); }

    std::wstring Picture(const std::wstring& name, int width, int height, Gdiplus::Color color) {
        std::wstring path = folder / name;
        Gdiplus::Bitmap bitmap(width, height, PixelFormat24bppRGB);
        {
            Gdiplus::Graphics graphics(&bitmap);
            graphics.Clear(color);
        }
        CLSID png = PngEncoder();
        EXPECT_EQ(bitmap.Save(path.c_str(), &png, nullptr), Gdiplus::Ok);
        return path;
    }
    static CLSID PngEncoder() {
        UINT count = 0, size = 0;
        Gdiplus::GetImageEncodersSize(&count, &size);
        std::vector<BYTE> buffer(size);
        auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
        Gdiplus::GetImageEncoders(count, size, codecs);
        for (UINT i = 0; i < count; ++i)
            if (std::wstring(codecs[i].MimeType) == L"image/png")
                return codecs[i].Clsid;
        return CLSID{};
    }

    static inline ULONG_PTR token = 0;
    testenv::TempFolder folder{L"controls"};
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
};

// Without fit the picture is stretched over the box; fit, switched on after it is shown, letterboxes it on black.
TEST_F(ImageTest, WithoutFitThePictureIsStretchedAndWithFitLetterboxedOnBlack) {
    std::wstring path = Picture(L"wide.png", 200, 100, Gdiplus::Color(255, 255, 0, 0));
    CImageControl image;
    ASSERT_TRUE(image.Create(WS_VISIBLE, RECT{0, 0, 100, 100}, host, 901));
    image.Load(path);
    Pixels stretched(image.hwnd());
    for (auto [x, y] : {std::pair{50, 50}, {50, 5}, {50, 95}, {5, 5}, {95, 95}})
        EXPECT_EQ(stretched.at(x, y), RGB(255, 0, 0)) << x << "," << y;
    EXPECT_EQ(stretched.Count(kBlack), 0);

    image.SetFit(1);
    Pixels letterboxed(image.hwnd());
    EXPECT_EQ(letterboxed.at(50, 50), RGB(255, 0, 0));
    EXPECT_EQ(letterboxed.at(2, 30), RGB(255, 0, 0));
    EXPECT_EQ(letterboxed.at(50, 10), kBlack);
    EXPECT_EQ(letterboxed.at(50, 90), kBlack);
    EXPECT_EQ(letterboxed.at(0, 0), kBlack);
}

TEST_F(ImageTest, TallPictureWithFitIsPillarboxedOnBlack) {
    std::wstring path = Picture(L"tall.png", 100, 200, Gdiplus::Color(255, 0, 0, 255));
    CImageControl image;
    image.SetFit(1);
    ASSERT_TRUE(image.Create(WS_VISIBLE, RECT{0, 0, 100, 100}, host, 902));
    image.Load(path);
    Pixels pixels(image.hwnd());
    EXPECT_EQ(pixels.at(50, 50), RGB(0, 0, 255));
    EXPECT_EQ(pixels.at(50, 2), RGB(0, 0, 255));
    EXPECT_EQ(pixels.at(10, 50), kBlack);
    EXPECT_EQ(pixels.at(90, 50), kBlack);
}

// Each load replaces the shown picture; a missing or unreadable file shows nothing.
TEST_F(ImageTest, LoadingAnotherPictureReplacesTheShownOneAndABadFileShowsNothing) {
    std::wstring red = Picture(L"red.png", 50, 50, Gdiplus::Color(255, 255, 0, 0));
    std::wstring green = Picture(L"green.png", 50, 50, Gdiplus::Color(255, 0, 160, 0));
    CImageControl image;
    ASSERT_TRUE(image.Create(WS_VISIBLE, RECT{0, 0, 60, 60}, host, 905));
    image.Load(red);
    EXPECT_EQ(Pixels(image.hwnd()).at(30, 30), RGB(255, 0, 0));
    image.Load(green);
    EXPECT_EQ(Pixels(image.hwnd()).at(30, 30), RGB(0, 160, 0));
    image.Load(folder / L"absent.png");
    EXPECT_EQ(Pixels(image.hwnd()).Count(face), 60 * 60);

    image.Load(red);
    const std::wstring broken = folder / L"broken.png";
    ASSERT_TRUE(testenv::WriteFile(broken, "not a picture at all"));
    image.Load(broken);
    EXPECT_EQ(Pixels(image.hwnd()).Count(face), 60 * 60);
}

// The drawn picture is kept while the size stays: it survives the file, until a new size draws it anew.
TEST_F(ImageTest, DrawnPictureIsKeptUntilTheSizeChanges) {
    std::wstring path = Picture(L"kept.png", 40, 40, Gdiplus::Color(255, 255, 0, 0));
    CImageControl image;
    ASSERT_TRUE(image.Create(WS_VISIBLE, RECT{0, 0, 60, 60}, host, 906));
    image.Load(path);
    EXPECT_EQ(Pixels(image.hwnd()).at(30, 30), RGB(255, 0, 0));
    ASSERT_TRUE(::DeleteFileW(path.c_str())) << "the picture file is still held open";
    EXPECT_EQ(Pixels(image.hwnd()).at(30, 30), RGB(255, 0, 0));
    ::SetWindowPos(image.hwnd(), nullptr, 0, 0, 70, 60, SWP_NOMOVE | SWP_NOZORDER);
    Pixels resized(image.hwnd());
    EXPECT_EQ(resized.width(), 70);
    EXPECT_EQ(resized.at(30, 30), face);
}

TEST_F(ImageTest, PictureBoxMadeElsewhereIsTakenOverAndHandedBack) {
    std::wstring path = Picture(L"blue.png", 30, 30, Gdiplus::Color(255, 0, 0, 255));
    CImageControl::RegisterImageClass();
    HWND window = ::CreateWindowExW(0, CImageControl::kClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 40, 40, host,
                                    nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    auto original = ::GetWindowLongPtrW(window, GWLP_WNDPROC);
    {
        CImageControl image;
        ASSERT_TRUE(image.Attach(window));
        image.Load(path);
        EXPECT_EQ(Pixels(window).at(20, 20), RGB(0, 0, 255));
    }
    EXPECT_TRUE(::IsWindow(window));
    EXPECT_EQ(::GetWindowLongPtrW(window, GWLP_WNDPROC), original);
    CImageControl again;
    EXPECT_TRUE(again.Attach(window)) << "the window forgot the first object";
    EXPECT_FALSE(CImageControl().Attach(window)) << "a window belongs to one object at a time";
    ::DestroyWindow(window);
}

// Beside WM_PRINTCLIENT, which the other cases read, the text band and the picture box paint through WM_PAINT.
TEST_F(ImageTest, BandAndPictureBoxPaintThroughWmPaint) {
    CConfigItemWindow band(font.get(), RGB(0, 0, 0), kPage, DT_SINGLELINE | DT_VCENTER, 1);
    ASSERT_TRUE(band.Create(WS_VISIBLE, RECT{20, 20, 220, 60}, host, 505));
    std::wstring path = Picture(L"red.png", 40, 40, Gdiplus::Color(255, 255, 0, 0));
    CImageControl image;
    ASSERT_TRUE(image.Create(WS_VISIBLE, RECT{30, 100, 90, 160}, host, 908));
    image.Load(path);
    for (HWND control : {band.hwnd(), image.hwnd()})
        ::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    auto pixel = [](HWND control, int x, int y) {
        HDC dc = ::GetDC(control);
        const COLORREF color = ::GetPixel(dc, x, y);
        ::ReleaseDC(control, dc);
        return color;
    };
    EXPECT_EQ(pixel(band.hwnd(), 0, 0), kBlack);
    EXPECT_EQ(pixel(band.hwnd(), 3, 3), kPage);
    RECT update{};
    EXPECT_FALSE(::GetUpdateRect(band.hwnd(), &update, FALSE)) << "WM_PAINT did not validate";
    EXPECT_EQ(pixel(image.hwnd(), 30, 30), RGB(255, 0, 0));
}

} // namespace
