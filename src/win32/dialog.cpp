#include "win32/dialog.h"

#include "win32/app.h"
#include "win32/window_table.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace win32 {

std::wstring WindowText(HWND window) {
    int length = ::GetWindowTextLengthW(window);
    std::wstring text(size_t(std::max(0, length)) + 1, L'\0');
    text.resize(size_t(::GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

namespace {

WindowTable<Dialog*>& Dialogs() {
    static WindowTable<Dialog*> dialogs;
    return dialogs;
}

// The controls of each dialog found so far, by identifier: GetDlgItem lists every child of the dialog through the
// server under Wine, and pages look their controls up again on every change.
using KnownItems = std::vector<std::pair<int, HWND>>;
WindowTable<KnownItems>& Items() {
    static WindowTable<KnownItems> items;
    return items;
}

// Messages whose answer is the dialog procedure's return value itself rather than DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
    return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_COMPAREITEM ||
           message == WM_VKEYTOITEM || message == WM_CHARTOITEM || message == WM_QUERYDRAGICON;
}
} // namespace

Dialog::Dialog(UINT templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

Dialog::~Dialog() {
    DestroyWindow();
}

INT_PTR Dialog::DoModal() {
    HWND parent = parent_;
    bool disabledParent = parent && ::IsWindowEnabled(parent);
    if (disabledParent)
        ::EnableWindow(parent, FALSE);
    modal_ = true;
    ended_ = false;
    result_ = -1;
    CreateFromTemplate(parent);
    if (hwnd_ && !ended_)
        ::ShowWindow(hwnd_, SW_SHOWNORMAL);

    MSG msg;
    bool quit = false;
    while (hwnd_ && !ended_) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            quit = got == 0;
            break;
        }
        if (!WalkPreTranslate(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    if (disabledParent)
        ::EnableWindow(parent, TRUE);
    if (hwnd_) {
        ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        if (parent && ::GetActiveWindow() == hwnd_)
            ::SetActiveWindow(parent);
    }
    DestroyWindow();
    modal_ = false;
    if (quit)
        ::PostQuitMessage(int(msg.wParam));
    return result_;
}

bool Dialog::CreateModeless(HWND parent) {
    parent_ = parent;
    modal_ = false;
    CreateFromTemplate(parent);
    return hwnd_ != nullptr;
}

// The template comes from the active resource library, but the window belongs to the program's own instance, so
// that window classes the program registered (the settings window's class among them) are found.
void Dialog::CreateFromTemplate(HWND parent) {
    HINSTANCE resources = GetResourceHandle();
    HRSRC found = ::FindResourceW(resources, MAKEINTRESOURCEW(templateId_), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    HGLOBAL loaded = found ? ::LoadResource(resources, found) : nullptr;
    auto* dialogTemplate = loaded ? static_cast<const DLGTEMPLATE*>(::LockResource(loaded)) : nullptr;
    if (!dialogTemplate)
        return;
    HINSTANCE owner = GetApp() ? GetApp()->instance() : ::GetModuleHandleW(nullptr);
    ::CreateDialogIndirectParamW(owner, dialogTemplate, parent, StaticProc, reinterpret_cast<LPARAM>(this));
}

void Dialog::DestroyWindow() {
    if (hwnd_)
        ::DestroyWindow(hwnd_);
}

void Dialog::EndDialog(INT_PTR result) {
    result_ = result;
    ended_ = true;
    // Wake the modal loop, which may be waiting in GetMessage.
    if (hwnd_)
        ::PostMessageW(hwnd_, WM_NULL, 0, 0);
}

Dialog* Dialog::FromHandle(HWND window) {
    return window ? Dialogs().Find(window).value_or(nullptr) : nullptr;
}

HWND CachedDialogItem(HWND dialog, int id) {
    // A remembered control still counts only while it is that dialog's child with that identifier (a control
    // can be destroyed, or its handle reused).
    HWND known = nullptr;
    Items().Read(dialog, [&](const KnownItems& items) {
        for (const auto& [itemId, control] : items)
            if (itemId == id)
                known = control;
    });
    if (known && ::IsWindow(known) && ::GetAncestor(known, GA_PARENT) == dialog &&
        int(::GetWindowLongPtrW(known, GWLP_ID)) == id)
        return known;
    HWND control = ::GetDlgItem(dialog, id);
    if (control)
        Items().Update(dialog, [&](KnownItems& items) {
            const auto same =
                std::find_if(items.begin(), items.end(), [id](const auto& item) { return item.first == id; });
            if (same != items.end())
                same->second = control;
            else
                items.emplace_back(id, control);
        });
    return control;
}

void ForgetDialogItems(HWND dialog) {
    Items().Erase(dialog);
}

bool Dialog::WalkPreTranslate(MSG& msg) {
    if (!hwnd_ || !msg.hwnd || (msg.hwnd != hwnd_ && !::IsChild(hwnd_, msg.hwnd)))
        return false;
    for (HWND window = msg.hwnd; window; window = ::GetParent(window)) {
        if (Dialog* dialog = FromHandle(window); dialog && dialog->PreTranslateMessage(msg))
            return true;
        if (window == hwnd_)
            break;
    }
    return false;
}

bool Dialog::PreTranslateMessage(MSG& msg) {
    // Only keyboard and mouse input goes through the dialog manager, as in MFC.
    const bool input = (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) ||
                       (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST);
    return input && hwnd_ && ::IsDialogMessageW(hwnd_, &msg);
}

bool Dialog::OnCommand(UINT id, UINT, HWND) {
    switch (id) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    default:
        return false;
    }
}

bool Dialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

INT_PTR CALLBACK Dialog::StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = window;
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        Dialogs().Set(window, self);
    } else {
        self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    }
    if (!self)
        return FALSE;
    INT_PTR answer = FALSE;
    // No exception may cross into the system's dialog manager.
    try {
        answer = self->Proc(message, wParam, lParam);
    } catch (...) {
        answer = FALSE;
    }
    if (message == WM_NCDESTROY) {
        Dialogs().Erase(window);
        ForgetDialogItems(window);
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return answer;
}

INT_PTR Dialog::Proc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
    case WM_CLOSE:
        if (modal_) {
            OnCancel();
            return TRUE;
        }
        break;
    case WM_DESTROY:
        OnDestroy();
        break;
    default:
        break;
    }
    LRESULT result = 0;
    if (!OnMessage(message, wParam, lParam, result))
        return FALSE;
    if (AnswersDirectly(message))
        return INT_PTR(result);
    ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
    return TRUE;
}

} // namespace win32
