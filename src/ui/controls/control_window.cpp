#include "ui/controls/control_window.h"

#include "win32/window_table.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace controls {

namespace {
// The object whose CreateWindowEx is under way on this thread; its window takes it at WM_NCCREATE. Windows of
// our classes made by a dialog template find no object here and stay unowned until Attach.
thread_local ControlWindow* creating = nullptr;

win32::WindowTable<ControlWindow*>& Objects() {
    static win32::WindowTable<ControlWindow*> objects;
    return objects;
}

ControlWindow* ObjectOf(HWND window) {
    return Objects().Find(window).value_or(nullptr);
}
} // namespace

ControlWindow::~ControlWindow() {
    if (!hwnd_)
        return;
    if (created_) {
        ::DestroyWindow(hwnd_);
        // Should destruction have been refused, the window must still forget this object.
        if (hwnd_)
            Unbind();
    } else {
        Unbind();
    }
}

HINSTANCE ControlWindow::ModuleInstance() noexcept {
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

bool ControlWindow::RegisterControlClass(const wchar_t* name, UINT style, HCURSOR cursor, HBRUSH background,
                                         bool ownProcedure) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(ModuleInstance(), name, &existing))
        return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = ownProcedure ? WindowProc : ::DefWindowProcW;
    wc.hInstance = ModuleInstance();
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool ControlWindow::CreateControl(const wchar_t* className, const wchar_t* text, DWORD style, const RECT& rect,
                                  HWND parent, int id, DWORD exStyle) {
    if (hwnd_)
        return false;
    creating = this;
    HWND window = ::CreateWindowExW(exStyle, className, text, style | WS_CHILD, rect.left, rect.top,
                                    rect.right - rect.left, rect.bottom - rect.top, parent,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ModuleInstance(), nullptr);
    creating = nullptr;
    if (!window)
        return false;
    created_ = true;
    if (hwnd_) {
        // Only now are the window's text and size in place.
        OnAttached();
        return true;
    }
    // A class with the default procedure never saw this object at WM_NCCREATE: subclass it now.
    if (!Attach(window)) {
        created_ = false;
        ::DestroyWindow(window);
        return false;
    }
    return true;
}

bool ControlWindow::Attach(HWND window) {
    if (hwnd_ || !window || !::IsWindow(window) || ObjectOf(window))
        return false;
    Bind(window);
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC)) != WindowProc)
        previousProc_ = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc)));
    OnAttached();
    return true;
}

void ControlWindow::Bind(HWND window) {
    hwnd_ = window;
    Objects().Set(window, this);
}

void ControlWindow::Unbind() {
    if (previousProc_)
        ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
    Objects().Erase(hwnd_);
    previousProc_ = nullptr;
    hwnd_ = nullptr;
    created_ = false;
}

LRESULT ControlWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallDefault(message, wParam, lParam);
}

LRESULT ControlWindow::CallDefault(UINT message, WPARAM wParam, LPARAM lParam) {
    if (previousProc_)
        return ::CallWindowProcW(previousProc_, hwnd_, message, wParam, lParam);
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK ControlWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ControlWindow* self = ObjectOf(window);
    if (!self && message == WM_NCCREATE && creating) {
        self = creating;
        creating = nullptr;
        self->Bind(window);
    }
    if (!self)
        return ::DefWindowProcW(window, message, wParam, lParam);

    LRESULT result = 0;
    try {
        result = self->OnMessage(message, wParam, lParam);
    } catch (...) {
        // A failed paint must still validate, or the system sends WM_PAINT forever.
        if (message == WM_PAINT)
            ::ValidateRect(window, nullptr);
        result = 0;
    }
    if (message == WM_NCDESTROY) {
        try {
            self->OnWindowGone();
        } catch (...) {
        }
        self->Unbind();
    }
    return result;
}

} // namespace controls
