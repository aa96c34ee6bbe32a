// The view settings of one photo layout: slideshow on or off and the seconds each photo stays (10 to 60).
#pragma once
#include "pages/photo/photo_data.h"
#include "velour/velour_controls.h"
#include "velour/velour_dialog.h"

class CPhotoViewConfDialog : public VelourDialog2 {
public:
    // Edits `conf` in place, and only when the user confirms.
    CPhotoViewConfDialog(CPhotoViewConf* conf, HWND parent);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnOK() override;

private:
    void ApplyEnableRule();
    void CorrectInterval();

    CPhotoViewConf* conf_;
    VelourGroupBox group_;
    VelourCheckBox slideshow_;
    VelourStatic labels_[2];
    VelourEdit interval_;
    VelourSpinButtonCtrl spin_;
    VelourButton2 okButton_;
    VelourButton2 cancelButton_;
};
