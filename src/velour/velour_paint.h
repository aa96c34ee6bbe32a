// The skin's palette and the small helpers every skinned control shares to draw its face.
#pragma once
#include "win32/dialog.h"

#include <windows.h>

#include <initializer_list>
#include <string>

namespace velour {

inline constexpr COLORREF kPage = RGB(215, 221, 224);
inline constexpr COLORREF kTitleBand = 0x00807974;
inline constexpr COLORREF kSelectionLight = 0x00FFDF8E;
inline constexpr COLORREF kSelectionDark = 0x00E3B13B;
// Edges use the title band's colour so that frames, bands and lists read as one family.
inline constexpr COLORREF kEdge = kTitleBand;
inline constexpr COLORREF kText = RGB(28, 36, 44);
inline constexpr COLORREF kDisabledText = RGB(132, 140, 146);
inline constexpr COLORREF kField = RGB(255, 255, 255);
inline constexpr COLORREF kFaceTop = RGB(252, 253, 253);
inline constexpr COLORREF kFaceBottom = RGB(226, 231, 234);
inline constexpr COLORREF kFaceHotBottom = RGB(236, 222, 190);
inline constexpr COLORREF kStrip = RGB(200, 208, 212);
inline constexpr COLORREF kMark = RGB(38, 58, 84);

// Pixels at the window's DPI for a length designed at 96 DPI; never less than one.
int Scale(HWND window, int pixelsAt96);

void FillVerticalGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom);
enum class Arrow { Up, Down, Left, Right };
void DrawArrow(HDC dc, const RECT& rect, Arrow direction, COLORREF color);
// The face of a raised skinned button (push buttons, spin and scroll arrows).
void DrawButtonFace(HDC dc, const RECT& rect, bool pushed, bool hot, COLORREF border, int borderWidth);
HFONT WindowFont(HWND window);
// Asks the parent for the control's background brush the standard way, leaving its text colour in dc.
HBRUSH ParentBackground(HWND control, HDC dc, UINT ctlColorMessage);
// WM_CTLCOLORMSGBOX to WM_CTLCOLORSTATIC: a window asking its parent for the brush to paint with.
inline bool IsCtlColorMessage(UINT message) {
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}
// A focus rectangle drawn whatever the keyboard-cue setting says: the skin always shows where focus is.
void DrawFocus(HDC dc, RECT rect);

using win32::WindowText;
// Whether the window or one of its children (a combo box's edit) has the keyboard focus.
bool HasFocus(HWND window);
// What the face of a combo box shows, wherever it comes from (a combo box, or a drop-down list that has not made
// its combo box yet).
struct ComboLook {
    bool enabled = true;
    bool focused = false;
    bool dropped = false;
    bool hot = false;
    // The drop button and the selection's field, in client coordinates; no button when `button` is empty.
    RECT button{};
    RECT item{};
    std::wstring text;
    HFONT font = nullptr;
};
// The frame and the drop button; `fieldFrame` adds the inner frame of a combo box whose inside is its own.
void PaintComboFrameAndButton(HWND window, HDC dc, const RECT& client, const ComboLook& look, bool fieldFrame);
// The whole face of a drop-down list: field, frame, button and the selection's text with the focus.
void PaintDropDownListFace(HWND window, HDC dc, const RECT& client, const ComboLook& look);

// Folds the parts of what a face shows into one value, so that a change in any of them is noticed.
ULONGLONG Pack(std::initializer_list<ULONGLONG> parts);

} // namespace velour
