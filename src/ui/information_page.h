// The base of pages that only show information and keep no data (the product version, the installed visualizer):
// nothing to load, save or ask about at OK, and static texts on the page's background.
#pragma once
#include "ui/conf_window_inf.h"
#include "win32/handle.h"

class CInformationPage : public CConfWindowInf {
public:
    using CConfWindowInf::CConfWindowInf;
    int LoadData() override { return 1; }
    void SaveData() override {}
    int IsModified() override { return 0; }

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    win32::Brush background_;
};
