#include "win32/dialog.h"

#include "win32/app.h"

namespace win32 {

Dialog::Dialog(UINT templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

Dialog::~Dialog() { DestroyWindow(); }

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
        if (!PreTranslateMessage(msg)) {
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

bool Dialog::PreTranslateMessage(MSG& msg) {
    return hwnd_ && ::IsDialogMessageW(hwnd_, &msg);
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

bool Dialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

INT_PTR CALLBACK Dialog::StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = window;
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
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
    if (OnMessage(message, wParam, lParam, result)) {
        ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    return FALSE;
}

} // namespace win32
