#include "pages/visualizer/visualizer_page.h"

#include "res/resource.h"
#include "ui/categories.h"
#include "win32/app.h"

CCWVisualizer::CCWVisualizer(HWND categoryList, HWND okButton, HFONT font)
    : CInformationPage(IDD_PAGE_VISUALIZER, categoryList, okButton, font) {
    SetIdentity(IDS_VISUALIZER_TITLE, IDS_VISUALIZER_DESCRIPTION, kCategoryVisualizer);
}

BOOL CCWVisualizer::OnInitDialog() {
    CInformationPage::OnInitDialog();
    line_.Bind(hwnd(), IDC_VISUALIZER_LINE);
    return TRUE;
}
