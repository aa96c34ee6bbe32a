// The open-file dialog for choosing many files at once. The platform dialog fails with FNERR_BUFFERTOOSMALL when
// the selection outgrows its result buffer; this one copies the selection while the user makes it and reports
// success with the whole list. It also puts a caller-given title on the dialog window.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <optional>
#include <string>
#include <vector>

class CFECFileDialog {
public:
    // Where GetNextPathName continues; nullptr once the last name has been handed out.
    using POSITION = const void*;

    // filter: "Name|*.ext|Name|*.a;*.b||", the '|' standing for the nulls of the platform form.
    CFECFileDialog(bool open, const wchar_t* defaultExtension, const wchar_t* initialName, DWORD flags,
                   const wchar_t* filter, HWND parent);
    CFECFileDialog(const CFECFileDialog&) = delete;
    CFECFileDialog& operator=(const CFECFileDialog&) = delete;

    void SetTitle(std::wstring title) { title_ = std::move(title); }
    void SetInitialFolder(std::wstring folder) { initialFolder_ = std::move(folder); }

    // IDOK or IDCANCEL; IDOK also when the platform gave up on a selection that the own copy holds.
    INT_PTR DoModal();

    POSITION GetStartPosition();
    std::wstring GetNextPathName(POSITION& position);

    // True while the selection is held in the dialog's own copy rather than the platform's buffer.
    bool HoldsOwnSelection() const { return field_.has_value(); }

private:
    static UINT_PTR CALLBACK HookProc(HWND hook, UINT message, WPARAM wParam, LPARAM lParam);
    void TakeSelection(HWND frame);
    void FreeOwnSelection();
    // The names of the own copy as one string of null-ended names; built once per change.
    const std::wstring& ParsedNames();
    // The platform buffer's full paths, once per DoModal.
    const std::vector<std::wstring>& PlatformPaths();

    OPENFILENAMEW ofn_{};
    bool open_;
    std::wstring filter_;
    std::wstring defaultExtension_;
    std::wstring title_;
    std::wstring initialFolder_;
    std::vector<wchar_t> result_;
    // Where the platform writes its result while the selection outgrows result_ (see TakeSelection).
    std::vector<wchar_t> overflowResult_;

    bool parsed_ = false;
    std::optional<std::wstring> folder_;
    std::optional<std::wstring> field_;
    std::optional<std::vector<std::wstring>> platformPaths_;
};
