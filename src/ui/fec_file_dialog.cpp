#include "ui/fec_file_dialog.h"

#include "ui/file_selection.h"

#include <algorithm>

namespace {

// The platform's default result buffer, in characters.
constexpr DWORD kResultBufferLength = MAX_PATH;

// A position is the index of the next name plus one, so that nullptr ends the walk.
CFECFileDialog::POSITION PositionOf(size_t index) {
    return reinterpret_cast<CFECFileDialog::POSITION>(static_cast<uintptr_t>(index + 1));
}
size_t IndexOf(CFECFileDialog::POSITION position) {
    return static_cast<size_t>(reinterpret_cast<uintptr_t>(position)) - 1;
}

std::wstring DialogText(HWND frame, UINT message, LRESULT length) {
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied =
        SendMessageW(frame, message, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? std::min(static_cast<size_t>(copied), text.size()) : 0);
    if (auto end = text.find(L'\0'); end != std::wstring::npos)
        text.resize(end);
    return text;
}

} // namespace

CFECFileDialog::CFECFileDialog(bool open, const wchar_t* defaultExtension, const wchar_t* initialName, DWORD flags,
                               const wchar_t* filter, HWND parent)
    : open_(open), result_(kResultBufferLength, L'\0') {
    if (filter) {
        filter_ = filter;
        std::replace(filter_.begin(), filter_.end(), L'|', L'\0');
    }
    if (defaultExtension)
        defaultExtension_ = defaultExtension;
    if (initialName)
        wcsncpy(result_.data(), initialName, result_.size() - 1);
    ofn_.lStructSize = sizeof(ofn_);
    ofn_.hwndOwner = parent;
    ofn_.Flags = flags | OFN_ENABLEHOOK | OFN_ENABLESIZING;
}

INT_PTR CFECFileDialog::DoModal() {
    FreeOwnSelection();
    platformPaths_.reset();
    ofn_.lpstrFilter = filter_.empty() ? nullptr : filter_.c_str();
    ofn_.lpstrDefExt = defaultExtension_.empty() ? nullptr : defaultExtension_.c_str();
    ofn_.lpstrInitialDir = initialFolder_.empty() ? nullptr : initialFolder_.c_str();
    ofn_.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
    ofn_.lpstrFile = result_.data();
    ofn_.nMaxFile = static_cast<DWORD>(result_.size());
    ofn_.lpfnHook = &CFECFileDialog::HookProc;
    ofn_.lCustData = reinterpret_cast<LPARAM>(this);
    BOOL accepted = open_ ? GetOpenFileNameW(&ofn_) : GetSaveFileNameW(&ofn_);
    if (accepted)
        return IDOK;
    if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL && HoldsOwnSelection())
        return IDOK;
    return IDCANCEL;
}

UINT_PTR CALLBACK CFECFileDialog::HookProc(HWND hook, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* ofn = reinterpret_cast<OPENFILENAMEW*>(lParam);
        auto* self = reinterpret_cast<CFECFileDialog*>(ofn->lCustData);
        SetWindowLongPtrW(hook, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        if (!self->title_.empty())
            SetWindowTextW(GetParent(hook), self->title_.c_str());
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        auto* self = reinterpret_cast<CFECFileDialog*>(GetWindowLongPtrW(hook, DWLP_USER));
        auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (self && header->code == CDN_SELCHANGE)
            self->TakeSelection(GetParent(hook));
    }
    return FALSE;
}

void CFECFileDialog::TakeSelection(HWND frame) {
    LRESULT fieldLength = SendMessageW(frame, CDM_GETSPEC, 0, 0);
    LRESULT folderLength = SendMessageW(frame, CDM_GETFOLDERPATH, 0, 0);
    if (fieldLength < 0 || folderLength < 0 || fieldLength + folderLength <= static_cast<LRESULT>(ofn_.nMaxFile)) {
        FreeOwnSelection();
        return;
    }
    parsed_ = false;
    field_ = DialogText(frame, CDM_GETSPEC, fieldLength);
    folder_ = DialogText(frame, CDM_GETFOLDERPATH, folderLength);
    // Wine's dialog (8.0) copies the whole selection into lpstrFile without looking at nMaxFile and reports
    // success instead of FNERR_BUFFERTOOSMALL. While the selection is too large, the platform therefore writes
    // into a spare buffer big enough for it; nMaxFile stays as it was, so a platform that checks still fails
    // with FNERR_BUFFERTOOSMALL, and the original buffer stays alive for one that kept its pointer.
    size_t needed = static_cast<size_t>(fieldLength + folderLength) + MAX_PATH;
    if (overflowResult_.size() < needed)
        overflowResult_.assign(needed, L'\0');
    ofn_.lpstrFile = overflowResult_.data();
}

void CFECFileDialog::FreeOwnSelection() {
    ofn_.lpstrFile = result_.data();
    parsed_ = false;
    field_.reset();
    folder_.reset();
}

const std::wstring& CFECFileDialog::ParsedNames() {
    if (!parsed_) {
        field_ = additional::NameListFromField(*field_);
        parsed_ = true;
    }
    return *field_;
}

const std::vector<std::wstring>& CFECFileDialog::PlatformPaths() {
    if (!platformPaths_)
        platformPaths_ = additional::PathsFromResultBuffer(std::wstring_view(ofn_.lpstrFile, ofn_.nMaxFile));
    return *platformPaths_;
}

CFECFileDialog::POSITION CFECFileDialog::GetStartPosition() {
    if (!HoldsOwnSelection())
        return PlatformPaths().empty() ? nullptr : PositionOf(0);
    const std::wstring& names = ParsedNames();
    return names.empty() || names[0] == L'\0' ? nullptr : PositionOf(0);
}

std::wstring CFECFileDialog::GetNextPathName(POSITION& position) {
    if (!position)
        return {};
    size_t index = IndexOf(position);
    if (!HoldsOwnSelection()) {
        const auto& paths = PlatformPaths();
        if (index >= paths.size()) {
            position = nullptr;
            return {};
        }
        position = index + 1 < paths.size() ? PositionOf(index + 1) : nullptr;
        return paths[index];
    }
    // In the own copy the position is the offset of the name in the null-separated list.
    const std::wstring& names = ParsedNames();
    if (index >= names.size() || names[index] == L'\0') {
        position = nullptr;
        return {};
    }
    size_t end = names.find(L'\0', index);
    std::wstring path = additional::JoinFolderAndName(*folder_, std::wstring_view(names).substr(index, end - index));
    position = end + 1 < names.size() && names[end + 1] != L'\0' ? PositionOf(end + 1) : nullptr;
    return path;
}
