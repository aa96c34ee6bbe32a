#include "dialog_text_rules.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "win32/gdi.h"
#include "win32/handle.h"

namespace textrules {

namespace {

constexpr uint16_t kButtonAtom = 0x80, kStaticAtom = 0x82;

// What the Russian layout types on the virtual keys A to Z.
constexpr wchar_t kRussianOnLatinKeys[] = L"ФИСВУАПРШОЛДЬТЩЗЙКЫЕГМЦЧНЯ";

wchar_t Fold(wchar_t c) {
    ::CharUpperBuffW(&c, 1);
    return c;
}

bool IsTextStatic(uint32_t style) {
    const uint32_t type = style & SS_TYPEMASK;
    return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP;
}

bool IsLabelledButton(uint32_t style) {
    const uint32_t type = style & BS_TYPEMASK;
    return type <= BS_AUTORADIOBUTTON && type != BS_USERBUTTON;
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

} // namespace

wchar_t AccessKey(const std::wstring& label) {
    for (size_t i = 0; i + 1 < label.size(); ++i) {
        if (label[i] != L'&')
            continue;
        if (label[i + 1] != L'&')
            return label[i + 1];
        ++i;
    }
    return 0;
}

std::vector<std::wstring> AccessKeyLabels(const win32::DialogTemplate& dialog) {
    std::vector<std::wstring> labels;
    for (const win32::DialogItem& item : dialog.items) {
        if (!(item.style & WS_VISIBLE) || item.text.empty())
            continue;
        const bool labelled =
            (item.classAtom == kButtonAtom && IsLabelledButton(item.style)) ||
            (item.classAtom == kStaticAtom && IsTextStatic(item.style) && !(item.style & SS_NOPREFIX));
        if (labelled)
            labels.push_back(item.text);
    }
    return labels;
}

std::vector<std::wstring> CheckAccessKeys(const std::vector<std::wstring>& labels,
                                          const std::wstring& acceleratorKeys) {
    std::vector<std::wstring> faults;
    std::vector<std::pair<wchar_t, const std::wstring*>> taken;
    for (const std::wstring& label : labels) {
        size_t ampersands = 0;
        for (size_t i = 0; i < label.size(); ++i) {
            if (label[i] != L'&')
                continue;
            if (i + 1 < label.size() && label[i + 1] == L'&') {
                ++i;
                continue;
            }
            ++ampersands;
            if (i + 1 == label.size() || !::IsCharAlphaW(label[i + 1]))
                faults.push_back(Quoted(label) + L": '&' does not stand before a letter");
        }
        if (ampersands > 1)
            faults.push_back(Quoted(label) + L": more than one '&'");
        const wchar_t key = AccessKey(label);
        if (!key || !::IsCharAlphaW(key))
            continue;
        for (const auto& [other, owner] : taken)
            if (other == Fold(key))
                faults.push_back(Quoted(*owner) + L" and " + Quoted(label) + L" share the access key " +
                                 std::wstring(1, key));
        for (wchar_t accelerator : acceleratorKeys)
            if (Fold(accelerator) == Fold(key))
                faults.push_back(Quoted(label) + L" uses the key of the accelerator Alt+" +
                                 std::wstring(1, accelerator));
        taken.emplace_back(Fold(key), &label);
    }
    return faults;
}

std::wstring AltAcceleratorKeys(HACCEL table) {
    std::wstring keys;
    const int count = ::CopyAcceleratorTableW(table, nullptr, 0);
    std::vector<ACCEL> entries(size_t(std::max(count, 0)));
    if (count > 0)
        ::CopyAcceleratorTableW(table, entries.data(), count);
    for (const ACCEL& entry : entries) {
        if (!(entry.fVirt & FALT) || (entry.fVirt & FCONTROL))
            continue;
        if (!(entry.fVirt & FVIRTKEY)) {
            keys.push_back(wchar_t(entry.key));
        } else if (entry.key >= 'A' && entry.key <= 'Z') {
            keys.push_back(wchar_t(entry.key));
            keys.push_back(kRussianOnLatinKeys[entry.key - 'A']);
        }
    }
    return keys;
}

WORD VirtualKeyOfLetter(wchar_t letter) {
    const wchar_t upper = Fold(letter);
    if (upper >= L'A' && upper <= L'Z')
        return WORD(upper);
    for (int i = 0; i < 26; ++i)
        if (kRussianOnLatinKeys[i] == upper)
            return WORD('A' + i);
    return 0;
}

namespace {

// The room a control gives its text, in pixels, and how the control draws it.
struct TextRoom {
    int width = 0;
    int height = 0;
    UINT format = 0; // DT_SINGLELINE or DT_WORDBREAK, plus DT_NOPREFIX where the control shows '&' as is
};

// The text area of a control as the skinned controls draw it (insets at 96 DPI, scaled), or nothing to check.
bool RoomOf(const win32::DialogItem& item, int width, int height, int dpi, TextRoom& room) {
    auto scaled = [dpi](int pixels) { return ::MulDiv(pixels, dpi, 96); };
    const UINT lines = (item.style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    room = {width, height, lines};
    if (item.classAtom == kStaticAtom) {
        if (!IsTextStatic(item.style) || (item.style & SS_ELLIPSISMASK))
            return false;
        const uint32_t type = item.style & SS_TYPEMASK;
        const bool singleLine = type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP || (item.style & SS_CENTERIMAGE);
        room.format = (singleLine ? DT_SINGLELINE : DT_WORDBREAK) | ((item.style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
        return true;
    }
    if (item.classAtom != kButtonAtom || (item.style & (BS_ICON | BS_BITMAP)))
        return false;
    switch (item.style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        room.width -= 2 * scaled(4);
        room.height -= 2 * scaled(2);
        return true;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        room.width -= scaled(13) + scaled(5); // the box and the gap before the text
        return true;
    case BS_GROUPBOX:
        room.width -= 2 * scaled(8) + 2 * scaled(2); // the frame's ends and the padding around the title
        room.height = 0;                             // the title sits on the frame, whatever the box's height
        room.format = DT_SINGLELINE;
        return true;
    default:
        return false;
    }
}

} // namespace

namespace {

// The template's font in a screen DC, with the dialog base units the dialog manager computes for it.
struct TemplateFont {
    explicit TemplateFont(const win32::DialogTemplate& dialog) : dc(nullptr) {
        dpi = ::GetDeviceCaps(dc.get(), LOGPIXELSY);
        LOGFONTW description{};
        description.lfHeight = -::MulDiv(dialog.pointSize ? dialog.pointSize : 8, dpi, 72);
        description.lfWeight = dialog.weight ? dialog.weight : FW_NORMAL;
        description.lfItalic = dialog.italic;
        description.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(description.lfFaceName, dialog.face.empty() ? L"MS Shell Dlg" : dialog.face.c_str(), LF_FACESIZE);
        font.reset(::CreateFontIndirectW(&description));
        selected.emplace(dc.get(), font.get());
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc.get(), &metrics);
        SIZE alphabet{};
        ::GetTextExtentPoint32W(dc.get(), L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &alphabet);
        baseX = (alphabet.cx / 26 + 1) / 2;
        baseY = metrics.tmHeight;
    }
    int Width(const win32::DialogItem& item) const { return ::MulDiv(item.cx, baseX, 4); }
    int Height(const win32::DialogItem& item) const { return ::MulDiv(item.cy, baseY, 8); }
    SIZE Measure(const std::wstring& text, int width, UINT format) const {
        RECT needed{0, 0, width, 0};
        ::DrawTextW(dc.get(), text.c_str(), int(text.size()), &needed, format | DT_CALCRECT);
        return {needed.right - needed.left, needed.bottom - needed.top};
    }

    win32::WindowDc dc;
    int dpi = 96, baseX = 1, baseY = 1;
    win32::Font font;
    std::optional<win32::SelectObjectScope> selected;
};

} // namespace

std::vector<std::wstring> CheckTextFit(const win32::DialogTemplate& dialog) {
    std::vector<std::wstring> faults;
    const TemplateFont font(dialog);
    for (const win32::DialogItem& item : dialog.items) {
        TextRoom room;
        if (item.text.empty() || !RoomOf(item, font.Width(item), font.Height(item), font.dpi, room))
            continue;
        const SIZE needed = font.Measure(item.text, room.width, room.format);
        const std::wstring what = Quoted(item.text) + L" (control " + std::to_wstring(item.id) + L")";
        if (needed.cx > room.width)
            faults.push_back(what + L" is " + std::to_wstring(needed.cx - room.width) + L" px too wide: needs " +
                             std::to_wstring(needed.cx) + L", has " + std::to_wstring(room.width));
        if (room.height && needed.cy > room.height)
            faults.push_back(what + L" is " + std::to_wstring(needed.cy - room.height) + L" px too tall: needs " +
                             std::to_wstring(needed.cy) + L", has " + std::to_wstring(room.height));
    }
    return faults;
}

std::vector<std::wstring> CheckComboItemFit(const win32::DialogTemplate& dialog, uint32_t comboId,
                                            const std::vector<std::wstring>& items) {
    auto combo = std::find_if(dialog.items.begin(), dialog.items.end(),
                              [comboId](const win32::DialogItem& item) { return item.id == comboId; });
    if (combo == dialog.items.end())
        return {L"no control " + std::to_wstring(comboId)};
    const TemplateFont font(dialog);
    // The system's item area of a drop-down list of that width, as the skinned face draws in it less 2 px a side.
    using WindowOwner = std::unique_ptr<HWND__, decltype(&::DestroyWindow)>;
    WindowOwner parent(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
                       ::DestroyWindow);
    WindowOwner box(::CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWNLIST | WS_VSCROLL, 0, 0,
                                      font.Width(*combo), font.Height(*combo), parent.get(), nullptr, nullptr, nullptr),
                    ::DestroyWindow);
    ::SendMessageW(box.get(), WM_SETFONT, WPARAM(font.font.get()), FALSE);
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetComboBoxInfo(box.get(), &info))
        return {L"no combo box could be made for control " + std::to_wstring(comboId)};
    const int room = info.rcItem.right - info.rcItem.left - 2 * ::MulDiv(2, font.dpi, 96);
    std::vector<std::wstring> faults;
    for (const std::wstring& text : items) {
        const int width = font.Measure(text, room, DT_SINGLELINE | DT_NOPREFIX).cx;
        if (width > room)
            faults.push_back(Quoted(text) + L" (item of combo box " + std::to_wstring(comboId) + L") is " +
                             std::to_wstring(width - room) + L" px too wide: needs " + std::to_wstring(width) +
                             L", has " + std::to_wstring(room));
    }
    return faults;
}

} // namespace textrules
