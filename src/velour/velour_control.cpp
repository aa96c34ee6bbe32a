#include "velour/velour_controls.h"

#include "velour/velour_paint.h"
#include "win32/dialog.h"
#include "win32/gdi.h"

using namespace velour;

namespace {
class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = previous_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
    bool previous_;
};

bool IsControl(const WindowHook* hook) {
    return dynamic_cast<const VelourControl*>(hook) != nullptr;
}
} // namespace

const wchar_t* VelourRuntimeClassName(HWND control) {
    VelourControl* object = VelourControl::FromWindow(control);
    return object ? object->RuntimeClassName() : nullptr;
}

VelourControl* VelourControl::FromWindow(HWND control) {
    return static_cast<VelourControl*>(WindowHook::Find(control, IsControl));
}

bool VelourControl::Bind(HWND dialog, int id) {
    return dialog && Attach(win32::CachedDialogItem(dialog, id));
}

bool VelourControl::Attach(HWND control) {
    if (!control || FromWindow(control))
        return false;
    return Hook(control);
}

void VelourControl::OnHooked() {
    // Keyboard focus is always shown in the skin; most dialogs have cleared the flag for all their controls already.
    if (::SendMessageW(hwnd(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)
        ::SendMessageW(hwnd(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    InvalidateFace(TRUE);
}

void VelourControl::OnUnhooking() {
    InvalidateFace(TRUE);
}

void VelourControl::InvalidateFace(BOOL erase) {
    if (::IsWindowVisible(hwnd()))
        ::InvalidateRect(hwnd(), nullptr, erase);
    else
        faceKnown_ = false;
}

int VelourControl::Scaled(int pixelsAt96) const {
    return Scale(hwnd(), pixelsAt96);
}

bool VelourControl::MayChangeFace(UINT message, WPARAM wParam) const {
    if (IsCtlColorMessage(message))
        return false;
    switch (message) {
    case WM_MOUSEMOVE:
        // Only a drag can change the face (a button pushed while the pointer is over it); hot tracking is handled
        // on its own.
        return (wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_GETFONT:
    case WM_GETDLGCODE:
    case WM_GETOBJECT:
    case WM_GETICON:
    case WM_GETMINMAXINFO:
    case WM_QUERYUISTATE:
    case WM_NOTIFYFORMAT:
    case WM_NCHITTEST:
    case WM_NCCALCSIZE:
    case WM_NCPAINT:
    case WM_NCMOUSEMOVE:
    case WM_NCMOUSELEAVE:
    case WM_SETCURSOR:
    case WM_MOUSEACTIVATE:
    case WM_ERASEBKGND:
    case WM_SYNCPAINT:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
    case WM_MOVE:
    case WM_SHOWWINDOW:
    case WM_CHILDACTIVATE:
    case WM_PARENTNOTIFY:
    case WM_STYLECHANGING:
    case WM_MEASUREITEM:
    case WM_DESTROY:
        return false;
    default:
        return true;
    }
}

void VelourControl::CheckFaceState() {
    if (!faceKnown_ || !DrawsFace())
        return;
    // Hidden, the face needs nothing now: it is painted in full when the control is shown.
    if (!::IsWindowVisible(hwnd())) {
        faceKnown_ = false;
        return;
    }
    ULONGLONG state = 0;
    {
        BusyScope busy(busy_);
        state = FaceState();
    }
    if (state != lastFaceState_) {
        lastFaceState_ = state;
        ::InvalidateRect(hwnd(), nullptr, FALSE);
    }
}

void VelourControl::Paint(HDC given) {
    BusyScope busy(busy_);
    if (given) {
        RECT client;
        ::GetClientRect(hwnd(), &client);
        PaintFace(given, client);
    } else if (PaintsOpaque()) {
        win32::PaintBuffered(hwnd(), [this](HDC dc, const RECT& client) { PaintFace(dc, client); });
    } else {
        win32::PaintScope paint(hwnd());
        RECT client;
        ::GetClientRect(hwnd(), &client);
        if (paint.dc())
            PaintFace(paint.dc(), client);
    }
    lastFaceState_ = FaceState();
    faceKnown_ = true;
}

LRESULT VelourControl::HookProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (busy_)
        return Default(message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
    case WM_PRINTCLIENT:
        if (!DrawsFace())
            break;
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        if (DrawsFace())
            return 1;
        break;
    case WM_MOUSEMOVE:
        if (!hot_ && DrawsFace()) {
            hot_ = true;
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd(), 0};
            ::TrackMouseEvent(&track);
            ::InvalidateRect(hwnd(), nullptr, FALSE);
        }
        break;
    case WM_MOUSELEAVE:
        if (hot_) {
            hot_ = false;
            ::InvalidateRect(hwnd(), nullptr, FALSE);
        }
        break;
    case WM_ENABLE:
        // Pages are loaded hidden, and under Wine every repaint the standard control asks for is a server request.
        if (!KeepsEnabledState() && !::IsWindowVisible(hwnd())) {
            faceKnown_ = false;
            return 0;
        }
        [[fallthrough]];
    case WM_SETTEXT:
    case WM_SETFONT:
    case WM_SIZE: {
        LRESULT result = Default(message, wParam, lParam);
        if (DrawsFace())
            InvalidateFace();
        return result;
    }
    default:
        break;
    }
    LRESULT result = Default(message, wParam, lParam);
    if (MayChangeFace(message, wParam))
        CheckFaceState();
    return result;
}
