#include "dialog_text_rules.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "win32/dpi.h"
#include "win32/gdi.h"
#include "win32/handle.h"

namespace textrules {

namespace {

constexpr uint16_t kButtonAtom = 0x80, kStaticAtom = 0x82, kComboAtom = 0x85;

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

TemplateFont FontAt(const win32::DialogTemplate& dialog, int dpi) {
    LOGFONTW description{};
    description.lfHeight = -::MulDiv(dialog.pointSize ? dialog.pointSize : 8, dpi, 72);
    description.lfWeight = dialog.weight ? dialog.weight : FW_NORMAL;
    description.lfItalic = dialog.italic;
    description.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(description.lfFaceName, dialog.face.empty() ? L"MS Shell Dlg" : dialog.face.c_str(), LF_FACESIZE);
    TemplateFont made{win32::Font(::CreateFontIndirectW(&description)), {}};
    // Dialog base units as the dialog manager computes them for this font.
    win32::WindowDc dc(nullptr);
    win32::SelectObjectScope selected(dc.get(), made.font.get());
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.get(), &metrics);
    SIZE alphabet{};
    ::GetTextExtentPoint32W(dc.get(), L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &alphabet);
    made.baseUnits = {(alphabet.cx / 26 + 1) / 2, metrics.tmHeight};
    return made;
}

RECT PixelRect(const win32::DialogItem& item, SIZE baseUnits) {
    const int left = ::MulDiv(item.x, baseUnits.cx, 4), top = ::MulDiv(item.y, baseUnits.cy, 8);
    return {left, top, left + ::MulDiv(item.cx, baseUnits.cx, 4), top + ::MulDiv(item.cy, baseUnits.cy, 8)};
}

int LineWidth(HFONT font, const std::wstring& text, UINT format) {
    win32::WindowDc dc(nullptr);
    win32::SelectObjectScope selected(dc.get(), font);
    RECT needed{0, 0, 0, 0};
    ::DrawTextW(dc.get(), text.c_str(), int(text.size()), &needed, format | DT_SINGLELINE | DT_CALCRECT);
    return needed.right - needed.left;
}

std::vector<std::wstring> CheckTextFit(const win32::DialogTemplate& dialog, int dpi) {
    std::vector<std::wstring> faults;
    const TemplateFont font = FontAt(dialog, dpi);
    win32::WindowDc dc(nullptr);
    win32::SelectObjectScope selected(dc.get(), font.font.get());
    for (const win32::DialogItem& item : dialog.items) {
        TextRoom room;
        const RECT rect = PixelRect(item, font.baseUnits);
        if (item.text.empty() || !RoomOf(item, rect.right - rect.left, rect.bottom - rect.top, dpi, room))
            continue;
        RECT needed{0, 0, room.width, 0};
        ::DrawTextW(dc.get(), item.text.c_str(), int(item.text.size()), &needed, room.format | DT_CALCRECT);
        const int width = needed.right - needed.left, height = needed.bottom - needed.top;
        const std::wstring what = Quoted(item.text) + L" (control " + std::to_wstring(item.id) + L")";
        if (width > room.width)
            faults.push_back(what + L" is " + std::to_wstring(width - room.width) + L" px too wide: needs " +
                             std::to_wstring(width) + L", has " + std::to_wstring(room.width));
        if (room.height && height > room.height)
            faults.push_back(what + L" is " + std::to_wstring(height - room.height) + L" px too tall: needs " +
                             std::to_wstring(height) + L", has " + std::to_wstring(room.height));
    }
    return faults;
}

std::vector<std::wstring> CheckComboItemFit(const win32::DialogTemplate& dialog, uint32_t comboId,
                                            const std::vector<std::wstring>& items, int dpi) {
    auto combo = std::find_if(dialog.items.begin(), dialog.items.end(),
                              [comboId](const win32::DialogItem& item) { return item.id == comboId; });
    if (combo == dialog.items.end())
        return {L"no control " + std::to_wstring(comboId)};
    const TemplateFont font = FontAt(dialog, dpi);
    // The system's item area lies inside the combo box's edge, beside its drop button; the skinned face draws in it
    // less 2 px a side.
    const RECT rect = PixelRect(*combo, font.baseUnits);
    const int room = rect.right - rect.left - 2 * ::GetSystemMetrics(SM_CXEDGE) -
                     win32::SystemMetricForDpi(SM_CXVSCROLL, dpi) - 2 * ::MulDiv(2, dpi, 96);
    std::vector<std::wstring> faults;
    for (const std::wstring& text : items)
        if (const int width = LineWidth(font.font.get(), text); width > room)
            faults.push_back(Quoted(text) + L" (item of combo box " + std::to_wstring(comboId) + L") is " +
                             std::to_wstring(width - room) + L" px too wide: needs " + std::to_wstring(width) +
                             L", has " + std::to_wstring(room));
    return faults;
}

std::vector<std::wstring> CheckPagePlacement(const win32::DialogTemplate& page, SIZE pageSize, int dpi) {
    std::vector<std::wstring> faults;
    const SIZE units = FontAt(page, dpi).baseUnits;
    auto name = [](const win32::DialogItem& item) {
        return L"control " + std::to_wstring(item.id) + (item.text.empty() ? L"" : L" " + Quoted(item.text));
    };
    auto inside = [](const RECT& inner, const RECT& outer) {
        return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
               inner.bottom <= outer.bottom;
    };
    for (const win32::DialogItem& item : page.items) {
        RECT rect = PixelRect(item, units);
        // A combo box's height in the template is its drop-down list's; its field is about 12 units high.
        if (item.classAtom == kComboAtom)
            rect.bottom = rect.top + ::MulDiv(12, units.cy, 8);
        if (!inside(rect, {0, 0, pageSize.cx, pageSize.cy}))
            faults.push_back(name(item) + L" lies outside the page");
        for (const win32::DialogItem& group : page.items) {
            if (&group == &item || group.classAtom != kButtonAtom || (group.style & BS_TYPEMASK) != BS_GROUPBOX)
                continue;
            const RECT box = PixelRect(group, units);
            const POINT corner{rect.left, rect.top};
            if (::PtInRect(&box, corner) && !inside(rect, box))
                faults.push_back(name(item) + L" runs out of the group box " + name(group));
        }
    }
    return faults;
}

} // namespace textrules
