#include "pages/photo/photo_view_dialog.h"

#include "res/resource.h"

#include <commctrl.h>
#include <windowsx.h>

#include <string>

CPhotoViewConfDialog::CPhotoViewConfDialog(CPhotoViewConf* conf, HWND parent)
    : VelourDialog2(IDD_PHOTO_VIEW, parent), conf_(conf) {}

BOOL CPhotoViewConfDialog::OnInitDialog() {
    VelourDialog2::OnInitDialog();
    group_.Bind(hwnd(), IDC_PHOTO_VIEW_GROUP);
    slideshow_.Bind(hwnd(), IDC_PHOTO_VIEW_SLIDESHOW);
    labels_[0].Bind(hwnd(), IDC_PHOTO_VIEW_INTERVAL_LABEL);
    labels_[1].Bind(hwnd(), IDC_PHOTO_VIEW_SECONDS);
    okButton_.Bind(hwnd(), IDOK);
    cancelButton_.Bind(hwnd(), IDCANCEL);
    HWND edit = item(IDC_PHOTO_VIEW_INTERVAL);
    HWND spin = item(IDC_PHOTO_VIEW_SPIN);
    interval_.Attach(edit);
    interval_.Velour();
    spin_.Attach(spin);
    ::SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(2, 0));
    ::SendMessageW(edit, EM_LIMITTEXT, 3, 0);
    ::SendMessageW(spin, UDM_SETBUDDY, WPARAM(edit), 0);
    ::SendMessageW(spin, UDM_SETRANGE32, photo::kMinInterval, photo::kMaxInterval);

    // The arrows sit just right of the edit, one pixel taller than it at top and bottom.
    RECT editRect, spinRect;
    ::GetWindowRect(edit, &editRect);
    ::GetWindowRect(spin, &spinRect);
    ::MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&editRect), 2);
    ::MoveWindow(spin, editRect.right + 2, editRect.top - 1, spinRect.right - spinRect.left,
                 editRect.bottom - editRect.top + 2, FALSE);

    Button_SetCheck(item(IDC_PHOTO_VIEW_SLIDESHOW), conf_->slideshow ? BST_CHECKED : BST_UNCHECKED);
    ::SetWindowTextW(edit, std::to_wstring(conf_->interval).c_str());
    ApplyEnableRule();
    return TRUE;
}

void CPhotoViewConfDialog::ApplyEnableRule() {
    const BOOL enabled = Button_GetCheck(item(IDC_PHOTO_VIEW_SLIDESHOW)) == BST_CHECKED;
    for (int id : {IDC_PHOTO_VIEW_INTERVAL_LABEL, IDC_PHOTO_VIEW_INTERVAL, IDC_PHOTO_VIEW_SPIN, IDC_PHOTO_VIEW_SECONDS})
        ::EnableWindow(item(id), enabled);
}

// Every change leaves two digits between 10 and 60; putting a corrected text back runs this once more, and the
// second pass finds nothing to change.
void CPhotoViewConfDialog::CorrectInterval() {
    HWND edit = item(IDC_PHOTO_VIEW_INTERVAL);
    std::wstring text(size_t(::GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(size_t(::GetWindowTextW(edit, text.data(), int(text.size()))));
    DWORD start = 0, end = 0;
    ::SendMessageW(edit, EM_GETSEL, WPARAM(&start), LPARAM(&end));
    const photo::IntervalEdit corrected = photo::CorrectIntervalText(text, int(start));
    if (corrected.changed)
        ::SetWindowTextW(edit, corrected.text.c_str());
    ::SendMessageW(edit, EM_SETSEL, corrected.caret, corrected.caret);
    ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

bool CPhotoViewConfDialog::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_PHOTO_VIEW_SLIDESHOW && code == BN_CLICKED) {
        ApplyEnableRule();
        return true;
    }
    if (id == IDC_PHOTO_VIEW_INTERVAL && code == EN_CHANGE) {
        CorrectInterval();
        return true;
    }
    return VelourDialog2::OnCommand(id, code, control);
}

void CPhotoViewConfDialog::OnOK() {
    conf_->slideshow = Button_GetCheck(item(IDC_PHOTO_VIEW_SLIDESHOW)) == BST_CHECKED ? 1 : 0;
    HWND edit = item(IDC_PHOTO_VIEW_INTERVAL);
    std::wstring text(size_t(::GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(size_t(::GetWindowTextW(edit, text.data(), int(text.size()))));
    conf_->interval = photo::ParseDecimal(text);
    EndDialog(IDOK);
}
