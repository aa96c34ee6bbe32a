// Base of the custom controls: one C++ object per child window. The window procedure finds the object in a table
// of the process, filled at WM_NCCREATE for windows made in code and by Attach for windows a dialog template made
// (a window's user data would cost a server request to set under Wine, for every item of a module page).
// No exception leaves the window procedure.
#pragma once
#include "win32/dialog.h"

#include <windows.h>

namespace controls {

class ControlWindow {
public:
    ControlWindow() = default;
    // Destroys a window it created; a window it only attached to is handed back to its dialog.
    virtual ~ControlWindow();
    ControlWindow(const ControlWindow&) = delete;
    ControlWindow& operator=(const ControlWindow&) = delete;

    HWND hwnd() const noexcept { return hwnd_; }
    int id() const noexcept { return hwnd_ ? ::GetDlgCtrlID(hwnd_) : 0; }

    // Takes over an existing window, such as a control of a dialog template; false when it is not a window or
    // already belongs to an object.
    bool Attach(HWND window);
    bool SubclassDlgItem(int id, HWND dialog) { return Attach(win32::CachedDialogItem(dialog, id)); }

protected:
    // Registers a class whose windows run through this base; `ownProcedure` false registers it with the
    // default procedure, and the object then subclasses each window it owns. True when the class exists.
    static bool RegisterControlClass(const wchar_t* name, UINT style, HCURSOR cursor, HBRUSH background,
                                     bool ownProcedure);
    static HINSTANCE ModuleInstance() noexcept;

    bool CreateControl(const wchar_t* className, const wchar_t* text, DWORD style, const RECT& rect, HWND parent,
                       int id, DWORD exStyle = 0);

    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Called once the object owns its window, whichever way it got it.
    virtual void OnAttached() {}
    // The window is going away; the object stays usable and may create another.
    virtual void OnWindowGone() {}
    LRESULT CallDefault(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Bind(HWND window);
    void Unbind();

    HWND hwnd_ = nullptr;
    WNDPROC previousProc_ = nullptr;
    bool created_ = false;
};

} // namespace controls
