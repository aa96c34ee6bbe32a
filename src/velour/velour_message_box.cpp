#include "velour/velour_message_box.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "res/resource.h"
#include "velour/velour_controls.h"
#include "velour/velour_paint.h"
#include "win32/gdi.h"
#include "win32/app.h"
#include "win32/dialog_template.h"

using namespace velour;

namespace {

using ButtonSpec = VelourBoxButton;

constexpr ButtonSpec kOk{IDOK, IDS_VELOUR_OK, L"OK"};
constexpr ButtonSpec kCancel{IDCANCEL, IDS_VELOUR_CANCEL, L"Cancel"};
constexpr ButtonSpec kAbort{IDABORT, IDS_VELOUR_ABORT, L"&Abort"};
constexpr ButtonSpec kRetry{IDRETRY, IDS_VELOUR_RETRY, L"&Retry"};
constexpr ButtonSpec kIgnore{IDIGNORE, IDS_VELOUR_IGNORE, L"&Ignore"};
constexpr ButtonSpec kYes{IDYES, IDS_VELOUR_YES, L"&Yes"};
constexpr ButtonSpec kNo{IDNO, IDS_VELOUR_NO, L"&No"};
constexpr ButtonSpec kTryAgain{IDTRYAGAIN, IDS_VELOUR_TRY_AGAIN, L"&Try Again"};
constexpr ButtonSpec kContinue{IDCONTINUE, IDS_VELOUR_CONTINUE, L"&Continue"};

std::wstring ButtonText(const ButtonSpec& spec) {
    std::wstring text = win32::LoadResString(spec.stringId);
    return text.empty() ? spec.fallback : text;
}

LPCWSTR IconName(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        return IDI_HAND;
    case MB_ICONQUESTION:
        return IDI_QUESTION;
    case MB_ICONEXCLAMATION:
        return IDI_EXCLAMATION;
    case MB_ICONASTERISK:
        return IDI_ASTERISK;
    default:
        return nullptr;
    }
}

struct DialogFont {
    WORD pointSize = 8;
    std::wstring face = L"MS Shell Dlg";
};

// The box speaks the active language in its font: the one the language's settings dialog template names.
DialogFont ActiveLanguageFont() {
    DialogFont font;
    HINSTANCE resources = win32::GetResourceHandle();
    HRSRC found = ::FindResourceW(resources, MAKEINTRESOURCEW(IDD_SETTINGS), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    HGLOBAL loaded = found ? ::LoadResource(resources, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data)
        return font;
    std::optional<win32::DialogTemplate> settings =
        win32::ParseDialogTemplate(data, ::SizeofResource(resources, found));
    if (settings && (settings->style & DS_SETFONT) && !settings->face.empty()) {
        font.pointSize = settings->pointSize;
        font.face = settings->face;
    }
    return font;
}

std::vector<WORD> BuildTemplate(const std::wstring& caption, const DialogFont& font, DWORD style, DWORD exStyle) {
    std::vector<WORD> data;
    auto addDword = [&](DWORD value) {
        data.push_back(LOWORD(value));
        data.push_back(HIWORD(value));
    };
    auto addString = [&](const std::wstring& text) {
        data.insert(data.end(), text.begin(), text.end());
        data.push_back(0);
    };
    addDword(style);
    addDword(exStyle);
    data.insert(data.end(), {0, 0, 0, 0, 0}); // no items; position and size are set once the text is measured
    data.push_back(0);                        // no menu
    data.push_back(0);                        // the standard dialog class
    addString(caption);
    data.push_back(font.pointSize);
    addString(font.face);
    return data;
}

struct Box {
    std::wstring text;
    UINT type = 0;
    HWND owner = nullptr;
    std::vector<ButtonSpec> buttons;
    size_t defaultIndex = 0;
    // What Escape and the close box answer; 0 when the set offers no way out but its buttons.
    int escapeResult = 0;
    HICON icon = nullptr;
    RECT iconRect{};
    int stripTop = 0;
    win32::Brush page{::CreateSolidBrush(kPage)};
    win32::Brush strip{::CreateSolidBrush(kStrip)};
    VelourStatic textSkin;
    std::vector<std::unique_ptr<VelourButton2>> buttonSkins;
};

SIZE MeasureText(HDC dc, const std::wstring& text, int maxWidth, UINT format) {
    RECT rect{0, 0, maxWidth, 0};
    ::DrawTextW(dc, text.c_str(), int(text.size()), &rect, format | DT_CALCRECT);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void Layout(HWND window, Box& box) {
    auto dialogUnits = [window](int x, int y) {
        RECT rect{0, 0, x, y};
        ::MapDialogRect(window, &rect);
        return SIZE{rect.right, rect.bottom};
    };
    const SIZE margin = dialogUnits(8, 8);
    const SIZE buttonSize = dialogUnits(50, 14);
    const int buttonGap = dialogUnits(4, 0).cx;
    const int buttonPadding = dialogUnits(10, 0).cx;
    const int stripPadding = dialogUnits(0, 6).cy;
    const int iconGap = dialogUnits(8, 0).cx;
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));

    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(box.owner ? box.owner : window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT work = monitor.rcWork;
    const int workWidth = work.right - work.left, workHeight = work.bottom - work.top;

    const int iconSize = box.icon ? ::GetSystemMetrics(SM_CXICON) : 0;
    const UINT textFormat = DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL;
    SIZE textSize{};
    std::vector<int> buttonWidths;
    {
        win32::WindowDc dc(window);
        win32::SelectObjectScope selected(dc.get(), font);
        const int maxTextWidth =
            std::max(int(dialogUnits(120, 0).cx), std::min(workWidth * 5 / 8, int(dialogUnits(280, 0).cx)));
        textSize = MeasureText(dc.get(), box.text.empty() ? L" " : box.text, maxTextWidth, textFormat);
        for (const ButtonSpec& spec : box.buttons) {
            SIZE label = MeasureText(dc.get(), ButtonText(spec), workWidth, DT_SINGLELINE);
            buttonWidths.push_back(std::max(int(buttonSize.cx), int(label.cx) + buttonPadding));
        }
    }
    int buttonsWidth = 0;
    for (int width : buttonWidths)
        buttonsWidth += width;
    buttonsWidth += buttonGap * int(buttonWidths.size() - 1);

    const int contentHeight = std::max(iconSize, int(textSize.cy));
    const int contentWidth = iconSize + (iconSize ? iconGap : 0) + textSize.cx;
    const int clientWidth = std::max(2 * margin.cx + contentWidth, 2 * margin.cx + buttonsWidth);
    box.stripTop = margin.cy + std::min(contentHeight, workHeight * 3 / 4) + margin.cy;
    const int clientHeight = box.stripTop + 2 * stripPadding + buttonSize.cy;
    box.iconRect = {margin.cx, margin.cy, margin.cx + iconSize, margin.cy + iconSize};

    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const int textLeft = margin.cx + (iconSize ? iconSize + iconGap : 0);
    const int textTop = margin.cy + std::max(0, (iconSize - int(textSize.cy)) / 2);
    const DWORD align = (box.type & MB_RIGHT) ? SS_RIGHT : SS_LEFT;
    HWND text = ::CreateWindowExW(0, L"Static", box.text.c_str(),
                                  WS_CHILD | WS_VISIBLE | WS_GROUP | align | SS_NOPREFIX | SS_EDITCONTROL, textLeft,
                                  textTop, clientWidth - margin.cx - textLeft,
                                  std::min(int(textSize.cy), int(box.stripTop - margin.cy - textTop)), window,
                                  reinterpret_cast<HMENU>(0xFFFF), instance, nullptr);
    ::SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    box.textSkin.Attach(text);

    int x = clientWidth - margin.cx - buttonsWidth;
    const int y = box.stripTop + stripPadding;
    HWND defaultButton = nullptr;
    for (size_t i = 0; i < box.buttons.size(); ++i) {
        const ButtonSpec& spec = box.buttons[i];
        const bool isDefault = i == box.defaultIndex;
        DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i == 0 ? WS_GROUP : 0) |
                      (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        HWND button =
            ::CreateWindowExW(0, L"Button", ButtonText(spec).c_str(), style, x, y, buttonWidths[i], buttonSize.cy,
                              window, reinterpret_cast<HMENU>(INT_PTR(spec.id)), instance, nullptr);
        ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        auto skin = std::make_unique<VelourButton2>();
        skin->Attach(button);
        box.buttonSkins.push_back(std::move(skin));
        if (isDefault)
            defaultButton = button;
        x += buttonWidths[i] + buttonGap;
    }

    RECT frame{0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&frame, DWORD(::GetWindowLongW(window, GWL_STYLE)), FALSE,
                         DWORD(::GetWindowLongW(window, GWL_EXSTYLE)));
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    HWND after = (box.type & (MB_TOPMOST | MB_SYSTEMMODAL)) ? HWND_TOPMOST : nullptr;
    ::SetWindowPos(window, after, work.left + (workWidth - width) / 2, work.top + (workHeight - height) / 2, width,
                   height, SWP_NOACTIVATE | (after ? 0 : SWP_NOZORDER));

    ::SendMessageW(window, DM_SETDEFID, WPARAM(box.buttons[box.defaultIndex].id), 0);
    if (!box.escapeResult)
        ::EnableMenuItem(::GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    ::SendMessageW(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    if (defaultButton)
        ::SetFocus(defaultButton);
}

void Paint(HWND window, const Box& box, HDC dc) {
    RECT client;
    ::GetClientRect(window, &client);
    RECT body = client, strip = client;
    body.bottom = strip.top = box.stripTop;
    ::FillRect(dc, &body, box.page.get());
    ::FillRect(dc, &strip, box.strip.get());
    win32::FillSolid(dc, {client.left, box.stripTop, client.right, box.stripTop + Scale(window, 1)}, kEdge);
    if (box.icon)
        ::DrawIconEx(dc, box.iconRect.left, box.iconRect.top, box.icon, box.iconRect.right - box.iconRect.left,
                     box.iconRect.bottom - box.iconRect.top, 0, nullptr, DI_NORMAL);
}

bool HasButton(const Box& box, int id) {
    return std::any_of(box.buttons.begin(), box.buttons.end(), [id](const ButtonSpec& b) { return b.id == id; });
}

INT_PTR CALLBACK BoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        try {
            Layout(window, *reinterpret_cast<Box*>(lParam));
        } catch (...) {
            ::EndDialog(window, 0);
        }
        return FALSE; // the default button has the focus
    }
    auto* box = reinterpret_cast<Box*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (!box)
        return FALSE;
    switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORDLG:
        ::SetTextColor(reinterpret_cast<HDC>(wParam), kText);
        ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<INT_PTR>(box->page.get());
    case WM_CTLCOLORBTN:
        return reinterpret_cast<INT_PTR>(box->strip.get());
    case WM_ERASEBKGND:
        Paint(window, *box, reinterpret_cast<HDC>(wParam));
        ::SetWindowLongPtrW(window, DWLP_MSGRESULT, 1);
        return TRUE;
    case WM_PRINTCLIENT:
        Paint(window, *box, reinterpret_cast<HDC>(wParam));
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        if (HasButton(*box, id))
            ::EndDialog(window, id);
        else if (id == IDCANCEL && box->escapeResult)
            ::EndDialog(window, box->escapeResult);
        return TRUE;
    }
    case WM_CLOSE:
        if (box->escapeResult)
            ::EndDialog(window, box->escapeResult);
        return TRUE;
    default:
        return FALSE;
    }
}

// Without an owner, a task-modal box disables the thread's other top-level windows as the system's does.
BOOL CALLBACK DisableThreadWindow(HWND window, LPARAM list) {
    if (::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
        ::EnableWindow(window, FALSE);
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
}

} // namespace

std::vector<VelourBoxButton> VelourMessageBoxButtons(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {kOk, kCancel};
    case MB_ABORTRETRYIGNORE:
        return {kAbort, kRetry, kIgnore};
    case MB_YESNOCANCEL:
        return {kYes, kNo, kCancel};
    case MB_YESNO:
        return {kYes, kNo};
    case MB_RETRYCANCEL:
        return {kRetry, kCancel};
    case MB_CANCELTRYCONTINUE:
        return {kCancel, kTryAgain, kContinue};
    default:
        return {kOk};
    }
}

int VelourMessageBox(const wchar_t* text, const wchar_t* caption, UINT type, HWND owner) {
    try {
        Box box;
        box.text = text ? text : L"";
        box.type = type;
        box.owner = owner && ::IsWindow(owner) ? owner : nullptr;
        box.buttons = VelourMessageBoxButtons(type);
        box.defaultIndex = size_t((type & MB_DEFMASK) >> 8);
        if (box.defaultIndex >= box.buttons.size())
            box.defaultIndex = 0;
        box.escapeResult = HasButton(box, IDCANCEL) ? IDCANCEL : (type & MB_TYPEMASK) == MB_OK ? IDOK : 0;
        if (LPCWSTR icon = IconName(type))
            box.icon = ::LoadIconW(nullptr, icon);

        DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK;
        DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
        if (type & (MB_TOPMOST | MB_SYSTEMMODAL))
            exStyle |= WS_EX_TOPMOST;
        std::vector<WORD> dialogTemplate =
            BuildTemplate(caption ? caption : L"Error", ActiveLanguageFont(), style, exStyle);

        std::vector<HWND> disabled;
        if (!box.owner && (type & MB_TASKMODAL))
            ::EnumThreadWindows(::GetCurrentThreadId(), DisableThreadWindow, reinterpret_cast<LPARAM>(&disabled));
        if (box.icon)
            ::MessageBeep(type & MB_ICONMASK);
        INT_PTR result = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr),
                                                   reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()),
                                                   box.owner, BoxProc, reinterpret_cast<LPARAM>(&box));
        for (HWND window : disabled)
            ::EnableWindow(window, TRUE);
        return result > 0 ? int(result) : 0;
    } catch (...) {
        return 0;
    }
}
