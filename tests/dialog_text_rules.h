// The rules every dialog template of every language keeps: distinct access keys, an '&' only before a letter,
// and texts that fit their controls in the dialog's font. Each check takes a parsed template and answers one
// readable line per fault, so a report names the text and how far it is off.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "win32/dialog_template.h"
#include "win32/handle.h"

namespace textrules {

// The character after the single '&' of a label ("&&" shows one '&'), or 0 when the label has none.
wchar_t AccessKey(const std::wstring& label);

// The labels of a dialog's visible controls that take an access key: buttons of every kind and static texts
// that keep their prefix.
std::vector<std::wstring> AccessKeyLabels(const win32::DialogTemplate& dialog);

// Faults among one dialog's labels: an '&' not before a letter, two labels with the same access key, and a label
// whose key is also one of the dialog's accelerator keys (compared without regard to case).
std::vector<std::wstring> CheckAccessKeys(const std::vector<std::wstring>& labels, const std::wstring& acceleratorKeys);

// The characters the Alt accelerators of a table answer to. A virtual letter key types its Latin letter and, on
// the Russian layout, a Cyrillic one: both count.
std::wstring AltAcceleratorKeys(HACCEL table);

// The virtual key that types an access-key letter (Latin, or Cyrillic on the Russian layout); 0 for other letters.
WORD VirtualKeyOfLetter(wchar_t letter);

// The template's font as the dialog manager makes it for a window at `dpi`, with its dialog base units (pixels
// per 4 horizontal and per 8 vertical dialog units).
struct TemplateFont {
    win32::Font font;
    SIZE baseUnits = {};
};
TemplateFont FontAt(const win32::DialogTemplate& dialog, int dpi);
// A control's rectangle in pixels.
RECT PixelRect(const win32::DialogItem& item, SIZE baseUnits);
// The width `text` takes on one line in `font`.
int LineWidth(HFONT font, const std::wstring& text, UINT format = DT_NOPREFIX);

// Faults of texts that overflow their control at `dpi`, measured in the template's font at its dialog units as
// the skinned controls lay them out: static texts, check boxes, radio buttons, group boxes and push buttons,
// hidden ones too (code may show them).
std::vector<std::wstring> CheckTextFit(const win32::DialogTemplate& dialog, int dpi);

// Faults of items a drop-down list shows that do not fit its face at `dpi`, in the template's font.
std::vector<std::wstring> CheckComboItemFit(const win32::DialogTemplate& dialog, uint32_t comboId,
                                            const std::vector<std::wstring>& items, int dpi);

// Faults of a page template in a page of `pageSize` pixels at `dpi`: a control outside the page, or one that
// starts inside a group box and runs out of it.
std::vector<std::wstring> CheckPagePlacement(const win32::DialogTemplate& page, SIZE pageSize, int dpi);

} // namespace textrules
