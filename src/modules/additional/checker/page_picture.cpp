#include "modules/additional/checker/page_picture.h"

#include "res/resource.h"
#include "ui/settings_layout.h"
#include "win32/app.h"
#include "win32/atomic_file.h"
#include "win32/com.h"
#include "win32/dialog.h"
#include "win32/dialog_template.h"
#include "win32/dpi.h"
#include "win32/gdi.h"
#include "win32/handle.h"

#include <gdiplus.h>
#include <objidl.h>

namespace {

// Lets `draw` paint a window part that covers `at` (in the target's coordinates) into a DC of its own whose origin
// is the part's top-left, over a copy of what the target shows there, and copies the result back within `clip`.
// The part gets a DC of its own because Wine's controls clip their painting to their client rectangle taken as
// device coordinates, so a DC moved by a viewport origin would cut them off.
template <typename Draw> void DrawPart(HDC target, const RECT& at, const RECT& clip, Draw&& draw) {
    RECT visible;
    if (!::IntersectRect(&visible, &at, &clip))
        return;
    const int width = at.right - at.left, height = at.bottom - at.top;
    win32::MemoryDc dc(::CreateCompatibleDC(target));
    win32::Bitmap bitmap(::CreateCompatibleBitmap(target, width, height));
    if (!dc || !bitmap)
        return;
    HGDIOBJ old = ::SelectObject(dc.get(), bitmap.get());
    ::BitBlt(dc.get(), 0, 0, width, height, target, at.left, at.top, SRCCOPY);
    draw(dc.get());
    ::BitBlt(target, visible.left, visible.top, visible.right - visible.left, visible.bottom - visible.top, dc.get(),
             visible.left - at.left, visible.top - at.top, SRCCOPY);
    ::SelectObject(dc.get(), old);
}

// Draws `window` and its visible descendants, each within its parent's client area (`clip`, in the bitmap's
// coordinates; `rootOrigin` is the screen position of the bitmap's top-left). Each window paints its frame and
// scroll bars (WM_PRINT, non-client only) and its client area (WM_ERASEBKGND, WM_PRINTCLIENT); the children are
// walked here since Wine's WM_PRINT does not descend into them.
void PrintTree(HWND window, HDC dc, POINT rootOrigin, RECT clip) {
    RECT windowRect, client;
    ::GetWindowRect(window, &windowRect);
    ::GetClientRect(window, &client);
    POINT clientOrigin = {0, 0};
    ::ClientToScreen(window, &clientOrigin);
    ::OffsetRect(&windowRect, -rootOrigin.x, -rootOrigin.y);
    RECT clientArea = {clientOrigin.x - rootOrigin.x, clientOrigin.y - rootOrigin.y, 0, 0};
    clientArea.right = clientArea.left + client.right;
    clientArea.bottom = clientArea.top + client.bottom;
    if (!::EqualRect(&windowRect, &clientArea))
        DrawPart(dc, windowRect, clip,
                 [window](HDC part) { ::SendMessageW(window, WM_PRINT, WPARAM(part), PRF_NONCLIENT); });
    DrawPart(dc, clientArea, clip, [window](HDC part) {
        ::SendMessageW(window, WM_ERASEBKGND, WPARAM(part), 0);
        ::SendMessageW(window, WM_PRINTCLIENT, WPARAM(part), PRF_CLIENT);
    });
    if (!::IntersectRect(&clientArea, &clientArea, &clip))
        return;
    // Bottom of the z-order first, so the top child is drawn last.
    for (HWND child = ::GetWindow(::GetWindow(window, GW_CHILD), GW_HWNDLAST); child;
         child = ::GetWindow(child, GW_HWNDPREV))
        if (::GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)
            PrintTree(child, dc, rootOrigin, clientArea);
}

bool SavePng(HBITMAP bitmap, const std::wstring& path) {
    // PNG encoder of GDI+.
    const CLSID png = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    win32::ComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put())))
        return false;
    {
        Gdiplus::Bitmap picture(bitmap, nullptr);
        if (picture.Save(stream.get(), &png, nullptr) != Gdiplus::Ok)
            return false;
    }
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    std::string bytes(size_t(stat.cbSize.QuadPart), '\0');
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    stream->Read(bytes.data(), ULONG(bytes.size()), &read);
    return read == bytes.size() && win32::WriteFileAtomically(path, bytes);
}

} // namespace

SIZE SettingsPageSize(HWND host) {
    HINSTANCE resources = win32::GetResourceHandle();
    HRSRC found = ::FindResourceW(resources, MAKEINTRESOURCEW(IDD_SETTINGS), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    HGLOBAL loaded = found ? ::LoadResource(resources, found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    auto settings = bytes ? win32::ParseDialogTemplate(bytes, ::SizeofResource(resources, found)) : std::nullopt;
    // The page template has the settings window's font, so it maps the settings window's dialog units.
    win32::Dialog probe(IDD_PAGE_ADDITIONAL);
    if (!settings || !probe.CreateModeless(host))
        return {0, 0};
    RECT client = {0, 0, settings->cx, settings->cy}, units = {0, 0, 4, 8};
    ::MapDialogRect(probe.hwnd(), &client);
    ::MapDialogRect(probe.hwnd(), &units);
    probe.DestroyWindow();
    const RECT page =
        LayOutSettingsWindow({client.right, client.bottom}, win32::WindowDpi(host), {units.right, units.bottom}).page;
    return {page.right - page.left, page.bottom - page.top};
}

bool SavePagePicture(HWND page, const std::wstring& path) {
    RECT rect;
    ::GetWindowRect(page, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    win32::WindowDc screen(nullptr);
    win32::MemoryDc memory(::CreateCompatibleDC(screen.get()));
    win32::Bitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    if (!memory || !bitmap)
        return false;
    HGDIOBJ old = ::SelectObject(memory.get(), bitmap.get());
    PrintTree(page, memory.get(), {rect.left, rect.top}, {0, 0, width, height});
    ::SelectObject(memory.get(), old);
    return SavePng(bitmap.get(), path);
}
