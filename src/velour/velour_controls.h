// Skinned controls. Each object binds to an existing dialog control (as DDX_Control would), keeps every standard
// message of that control working and only takes over its drawing.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "velour/velour_hook.h"
#include "velour/velour_paint.h"

// The class name of the skinned object bound to a control, or nullptr when none is bound.
const wchar_t* VelourRuntimeClassName(HWND control);

class VelourControl : public velour::WindowHook {
public:
    // Unhooks here, while the object is still a VelourControl, so that the plain control is drawn again.
    ~VelourControl() override { Unhook(); }
    // Binds to the dialog's control `id`; false when there is no such control or it is already bound.
    bool Bind(HWND dialog, int id);
    bool Attach(HWND control);
    void Detach() { Unhook(); }
    HWND hwnd() const { return hookedWindow(); }
    virtual const wchar_t* RuntimeClassName() const = 0;

    static VelourControl* FromWindow(HWND control);

protected:
    LRESULT HookProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnHooked() override;
    void OnUnhooking() override;
    // Whether the control's face is drawn here (by PaintFace) rather than by the standard control.
    virtual bool DrawsFace() const { return false; }
    virtual void PaintFace(HDC, const RECT&) {}
    // Whether PaintFace draws every pixel, so painting can go through an off-screen buffer.
    virtual bool PaintsOpaque() const { return true; }
    // A summary of what the face shows; the face is redrawn whenever it changes after a message, because the
    // standard controls also draw straight to the screen outside WM_PAINT.
    virtual ULONGLONG FaceState() { return 0; }
    // Whether handling `message` can change what FaceState summarises: only then is it read again (each read is a
    // few messages and, under Wine, a server request for the focus). Queries, layout and painting messages cannot.
    virtual bool MayChangeFace(UINT message, WPARAM wParam) const;
    // Whether the standard control keeps state of its own when enabled or disabled; buttons and static controls
    // only repaint, which a hidden control need not do (it is painted in full once shown).
    virtual bool KeepsEnabledState() const { return true; }
    // Asks for the face to be painted again; a control that cannot be seen is painted in full once it is shown.
    void InvalidateFace(BOOL erase = FALSE);
    bool hot() const { return hot_; }
    int Scaled(int pixelsAt96) const;

private:
    void CheckFaceState();
    void Paint(HDC given);
    bool hot_ = false;
    // Set while the face is painted or its state read, so the queries this sends to itself pass straight through.
    bool busy_ = false;
    // Whether lastFaceState_ is what the face on screen shows: false until the face is first painted, and again
    // while the control is hidden (showing it paints it in full).
    bool faceKnown_ = false;
    ULONGLONG lastFaceState_ = 0;
};

// Push buttons, check boxes, radio buttons and group boxes share one painter chosen by the button's style, so a
// class bound to a differently styled button still draws it correctly.
class VelourButtonBase : public VelourControl {
protected:
    bool KeepsEnabledState() const override { return false; }
    bool DrawsFace() const override;
    void PaintFace(HDC dc, const RECT& client) override;
    bool PaintsOpaque() const override;
    ULONGLONG FaceState() override;
    bool MayChangeFace(UINT message, WPARAM wParam) const override;
    LRESULT HookProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual bool FlatFace() const { return false; }

private:
    void PaintPush(HDC dc, const RECT& client, bool checkedLook);
    void PaintCheck(HDC dc, const RECT& client, bool radio);
    void PaintGroup(HDC dc, const RECT& client);
};

// A tool-like push button: flat face until pointed at.
class VelourButton : public VelourButtonBase {
public:
    const wchar_t* RuntimeClassName() const override { return L"VelourButton"; }

protected:
    bool FlatFace() const override { return true; }
};

// The dialog push button (OK, Cancel, Help).
class VelourButton2 : public VelourButtonBase {
public:
    const wchar_t* RuntimeClassName() const override { return L"VelourButton2"; }
};

class VelourCheckBox : public VelourButtonBase {
public:
    const wchar_t* RuntimeClassName() const override { return L"VelourCheckBox"; }
};

class VelourRadioButton : public VelourButtonBase {
public:
    const wchar_t* RuntimeClassName() const override { return L"VelourRadioButton"; }
};

class VelourGroupBox : public VelourButtonBase {
public:
    const wchar_t* RuntimeClassName() const override { return L"VelourGroupBox"; }
};

class VelourStatic : public VelourControl {
public:
    const wchar_t* RuntimeClassName() const override { return L"VelourStatic"; }

protected:
    bool KeepsEnabledState() const override { return false; }
    bool DrawsFace() const override;
    void PaintFace(HDC dc, const RECT& client) override;
    bool PaintsOpaque() const override { return false; }
    ULONGLONG FaceState() override;
};

class VelourComboBox : public VelourControl {
public:
    const wchar_t* RuntimeClassName() const override { return L"VelourComboBox"; }

protected:
    LRESULT HookProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool DrawsFace() const override;
    void PaintFace(HDC dc, const RECT& client) override;
    ULONGLONG FaceState() override;
    bool MayChangeFace(UINT message, WPARAM wParam) const override;

private:
    velour::ComboLook Look(bool withText);
};

class VelourSliderCtrl : public VelourControl {
public:
    const wchar_t* RuntimeClassName() const override { return L"VelourSliderCtrl"; }

protected:
    bool DrawsFace() const override;
    void PaintFace(HDC dc, const RECT& client) override;
    ULONGLONG FaceState() override;
    bool MayChangeFace(UINT message, WPARAM wParam) const override;
};

class VelourSpinButtonCtrl : public VelourControl {
public:
    const wchar_t* RuntimeClassName() const override { return L"VelourSpinButtonCtrl"; }

protected:
    bool DrawsFace() const override;
    void PaintFace(HDC dc, const RECT& client) override;
    ULONGLONG FaceState() override;
};

// Edits and lists keep their standard client drawing; Velour() gives them the skin's flat frame (and the list
// control the skin's selection colours).
class VelourFramedControl : public VelourControl {
public:
    void Velour();
    bool skinned() const { return skinned_; }

protected:
    LRESULT HookProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void OnVelour() {}

private:
    // Into the control's own window DC, or into `given` (window coordinates, WM_PRINT).
    void PaintFrame(HDC given = nullptr);
    bool skinned_ = false;
};

class VelourEdit : public VelourFramedControl {
public:
    const wchar_t* RuntimeClassName() const override { return L"VelourEdit"; }
};

class VelourListBox : public VelourFramedControl {
public:
    const wchar_t* RuntimeClassName() const override { return L"VelourListBox"; }
};

class VelourListCtrl : public VelourFramedControl {
public:
    const wchar_t* RuntimeClassName() const override { return L"VelourListCtrl"; }

protected:
    void OnVelour() override;
    void OnUnhooking() override;

private:
    // The list's custom-draw notifications go to its parent; this hook on the parent answers them.
    class ParentHook : public velour::WindowHook {
    public:
        explicit ParentHook(VelourListCtrl& list) : list_(list) {}

    protected:
        LRESULT HookProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    private:
        VelourListCtrl& list_;
    };
    ParentHook parentHook_{*this};
};

// A drop-down list box as the skin draws a CBS_DROPDOWNLIST combo box, which makes the platform's combo box, and
// with it the list's window (under Wine a top-level window that costs as much as several controls), only when the
// user first opens the list. Until then it keeps the entries itself, answers the combo box messages for entries
// and selection, and takes the arrow keys, Home, End, characters and the wheel as the combo box does; opening it
// (a click, F4, Alt+Up or Alt+Down, Page Up or Page Down, CB_SHOWDROPDOWN or any other combo box message) makes
// the skinned combo box inside it, hands it the input and from then on every message, and the focus whenever
// this window gets it. Its notifications reach the parent from this window.
class VelourDropDownList {
public:
    VelourDropDownList() = default;
    ~VelourDropDownList();
    VelourDropDownList(const VelourDropDownList&) = delete;
    VelourDropDownList& operator=(const VelourDropDownList&) = delete;

    // `rect` is given as for a combo box: its height is that of the control with its list dropped; the window
    // takes the height a combo box with `font` has.
    bool Create(HWND parent, DWORD style, const RECT& rect, int id, HFONT font);
    HWND hwnd() const { return hwnd_; }
    // The combo box inside, once the list has been opened; null before.
    HWND comboBox() const { return combo_; }
    // Makes the combo box now.
    void Realize();

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Forward(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnComboMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnKeyDown(WPARAM key, LPARAM lParam);
    void Select(int index, bool byUser);
    void Notify(WORD code);
    void Redraw();
    void Paint(HDC dc, const RECT& client);

    HWND hwnd_ = nullptr;
    HWND combo_ = nullptr;
    HFONT font_ = nullptr;
    int dropHeight_ = 0;
    // Until the combo box is made: its entries, selection and keyboard position.
    std::vector<std::wstring> entries_;
    int selection_ = -1;
    int caret_ = 0;
    bool hot_ = false;
    // Set while the combo box is made, whose focus and notifications are then no news for the parent.
    bool realizing_ = false;
    VelourComboBox skin_;
};
