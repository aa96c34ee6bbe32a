// The dialog layer between the skinned library's dialog and the program's own dialogs: Enter presses a focused
// skinned push button, and a minimised or maximised dialog always comes back at its normal size and place.
#pragma once
#include "velour/velour_dialog.h"

class CTesselDialog : public VelourDialog2 {
public:
    using VelourDialog2::VelourDialog2;
    bool PreTranslateMessage(MSG& msg) override;

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool adjustingPlacement_ = false;
};
