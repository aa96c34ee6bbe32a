// The Visualizer page: shown when the visualizer module is installed, with one line about it.
#pragma once
#include "ui/information_page.h"
#include "velour/velour_controls.h"

class CCWVisualizer : public CInformationPage {
public:
    CCWVisualizer(HWND categoryList, HWND okButton, HFONT font);

protected:
    BOOL OnInitDialog() override;

private:
    VelourStatic line_;
};
