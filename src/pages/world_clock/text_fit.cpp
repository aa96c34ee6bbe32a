#include "pages/world_clock/text_fit.h"

#include "win32/gdi.h"
#include "win32/handle.h"

std::wstring FitTextWithEllipsis(const std::wstring& text, HFONT font, int width, int height) {
    win32::MemoryDc dc(::CreateCompatibleDC(nullptr));
    win32::SelectObjectScope selected(dc.get(), font);
    // DT_MODIFYSTRING writes the shortened text back, ellipsis included; it needs room for four more units.
    std::wstring buffer = text;
    buffer.append(4, L'\0');
    RECT rect = {0, 0, width, height};
    ::DrawTextW(dc.get(), buffer.data(), int(text.size()), &rect,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | DT_MODIFYSTRING);
    buffer.resize(wcsnlen(buffer.c_str(), buffer.size()));
    return buffer;
}

int MeasureTextWidth(const std::wstring& text, HFONT font) {
    win32::MemoryDc dc(::CreateCompatibleDC(nullptr));
    win32::SelectObjectScope selected(dc.get(), font);
    SIZE size{};
    ::GetTextExtentPoint32W(dc.get(), text.c_str(), int(text.size()), &size);
    return size.cx;
}
