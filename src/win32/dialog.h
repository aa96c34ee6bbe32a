// Dialog base in place of MFC's CDialog. One static procedure stores `this` at WM_INITDIALOG and forwards to
// virtual handlers; modal dialogs run their own loop so that PreTranslateMessage sees every key first.
#pragma once
#include <windows.h>

#include <string>

namespace win32 {

// The whole text of a window (a label, an edit, a button).
std::wstring WindowText(HWND window);

// GetDlgItem, remembering each control once found (GetDlgItem walks the dialog's children on every call).
HWND CachedDialogItem(HWND dialog, int id);
// Lets go of what CachedDialogItem remembers of a dialog that is going.
void ForgetDialogItems(HWND dialog);

class Dialog {
public:
    explicit Dialog(UINT templateId, HWND parent = nullptr);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally from the active resources; -1 when the template could not be created.
    INT_PTR DoModal();
    // Creates the dialog modeless (a page inside another window); false on failure.
    bool CreateModeless(HWND parent);
    void DestroyWindow();
    void EndDialog(INT_PTR result);

    HWND hwnd() const { return hwnd_; }
    HWND item(int id) const { return CachedDialogItem(hwnd_, id); }
    UINT templateId() const { return templateId_; }

    // Returns true when the message was consumed. The default lets the dialog manager handle navigation keys.
    virtual bool PreTranslateMessage(MSG& msg);

    // The dialog object that owns a window, or null.
    static Dialog* FromHandle(HWND window);

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    // Returns true when the command was handled.
    virtual bool OnCommand(UINT id, UINT code, HWND control);
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual void OnDestroy() {}
    // Any other message; return true and set result to answer it.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    void CreateFromTemplate(HWND parent);
    // Offers a message to every dialog from the one it is addressed to outwards, innermost first, as far as
    // this (modal) dialog.
    bool WalkPreTranslate(MSG& msg);
    static INT_PTR CALLBACK StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Proc(UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    HWND parent_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
    bool ended_ = false;
    INT_PTR result_ = 0;
};

} // namespace win32
