// Dialog layers of the skinned-control library: AbstractDialog routes the dialog's colour and background
// messages to virtual handlers, VelourDialog answers them in the skin's colours, and VelourDialog2 is the class
// the program's dialogs derive from.
#pragma once
#include <windows.h>

#include "win32/dialog.h"
#include "win32/handle.h"

class AbstractDialog : public win32::Dialog {
public:
    AbstractDialog(UINT templateId, HWND parent);

protected:
    BOOL OnInitDialog() override;
    // Derived dialogs chain here for the messages they leave alone, so the colour handlers below still run.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // WM_CTLCOLOR* of the dialog's controls (controlType: CTLCOLOR_STATIC, CTLCOLOR_BTN, ...); the brush is
    // handed back to the control, nullptr lets the system choose.
    virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT controlType);
    // Fills the dialog's background; false leaves it to the system.
    virtual bool OnEraseBackground(HDC) { return false; }
};

class VelourDialog : public AbstractDialog {
public:
    VelourDialog(UINT templateId, HWND parent);

protected:
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT controlType) override;
    bool OnEraseBackground(HDC dc) override;
    HBRUSH pageBrush() const { return pageBrush_.get(); }

private:
    win32::Brush pageBrush_;
    win32::Brush fieldBrush_;
};

class VelourDialog2 : public VelourDialog {
public:
    explicit VelourDialog2(UINT templateId, HWND parent = nullptr);
};
