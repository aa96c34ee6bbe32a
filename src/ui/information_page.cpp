#include "ui/information_page.h"

BOOL CInformationPage::OnInitDialog() {
    CConfWindowInf::OnInitDialog();
    background_.reset(::CreateSolidBrush(kPageBackground));
    return TRUE;
}

bool CInformationPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_CTLCOLORSTATIC) {
        ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        result = reinterpret_cast<LRESULT>(background_.get());
        return true;
    }
    return CConfWindowInf::OnMessage(message, wParam, lParam, result);
}
