#include "velour/velour_controls.h"

#include "velour/velour_paint.h"
#include "win32/gdi.h"

using namespace velour;

namespace {
const wchar_t kObjectProperty[] = L"Velour.Control";

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
} // namespace

const wchar_t* VelourRuntimeClassName(HWND control) {
    VelourControl* object = VelourControl::FromWindow(control);
    return object ? object->RuntimeClassName() : nullptr;
}

VelourControl* VelourControl::FromWindow(HWND control) {
    return control ? static_cast<VelourControl*>(::GetPropW(control, kObjectProperty)) : nullptr;
}

bool VelourControl::Bind(HWND dialog, int id) {
    return dialog && Attach(::GetDlgItem(dialog, id));
}

bool VelourControl::Attach(HWND control) {
    if (!control || FromWindow(control))
        return false;
    return Hook(control);
}

void VelourControl::OnHooked() {
    ::SetPropW(hwnd(), kObjectProperty, this);
    ::SendMessageW(hwnd(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void VelourControl::OnUnhooking() {
    if (FromWindow(hwnd()) == this)
        ::RemovePropW(hwnd(), kObjectProperty);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

int VelourControl::Scaled(int pixelsAt96) const {
    return Scale(hwnd(), pixelsAt96);
}

void VelourControl::CheckFaceState() {
    if (!DrawsFace())
        return;
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
}

LRESULT VelourControl::HookProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (busy_)
        return Default(message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        if (!DrawsFace())
            break;
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
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
    case WM_SETTEXT:
    case WM_SETFONT:
    case WM_ENABLE:
    case WM_SIZE: {
        LRESULT result = Default(message, wParam, lParam);
        if (DrawsFace())
            ::InvalidateRect(hwnd(), nullptr, FALSE);
        return result;
    }
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_GETFONT:
    case WM_GETDLGCODE:
    case WM_NCPAINT:
    case WM_DESTROY:
        return Default(message, wParam, lParam);
    default:
        break;
    }
    LRESULT result = Default(message, wParam, lParam);
    CheckFaceState();
    return result;
}
