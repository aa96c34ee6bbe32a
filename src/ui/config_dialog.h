// The settings window: a modal dialog with the category list, the page area and OK, Cancel and Help.
#pragma once
#include "win32/dialog.h"
#include "win32/handle.h"

class CTesselConfigDialog : public win32::Dialog {
public:
    explicit CTesselConfigDialog(HWND parent = nullptr);

protected:
    BOOL OnInitDialog() override;

private:
    win32::Icon bigIcon_;
    win32::Icon smallIcon_;
};
