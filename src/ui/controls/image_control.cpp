#include "ui/controls/image_control.h"

#include <gdiplus.h>

#include <memory>

#include "ui/controls/control_geometry.h"
#include "win32/gdi.h"

CImageControl::CImageControl() {
    RegisterImageClass();
}

bool CImageControl::RegisterImageClass() {
    return RegisterControlClass(kClassName, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), false);
}

bool CImageControl::Create(DWORD style, const RECT& rect, HWND parent, int id) {
    if (!RegisterImageClass())
        return false;
    return CreateControl(kClassName, L"", style, rect, parent, id);
}

void CImageControl::Load(const std::wstring& path) {
    path_ = path;
    if (!hwnd())
        return;
    if (picture_) {
        win32::WindowDc dc(hwnd());
        Render(dc.get());
    }
    ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CImageControl::SetFit(int fit) {
    if (fit_ == fit)
        return;
    fit_ = fit;
    if (hwnd() && picture_) {
        win32::WindowDc dc(hwnd());
        Render(dc.get());
        ::InvalidateRect(hwnd(), nullptr, FALSE);
    }
}

void CImageControl::OnWindowGone() {
    picture_.reset();
    pictureSize_ = {};
}

LRESULT CImageControl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    auto draw = [this](HDC dc, const RECT& client) { Draw(dc, client); };
    if (auto answer = win32::AnswerBufferedPaint(hwnd(), message, wParam, draw))
        return *answer;
    return CallDefault(message, wParam, lParam);
}

void CImageControl::Draw(HDC dc, const RECT& client) {
    if (!picture_ || pictureSize_.cx != client.right || pictureSize_.cy != client.bottom) {
        picture_.reset(::CreateCompatibleBitmap(dc, client.right, client.bottom));
        pictureSize_ = {client.right, client.bottom};
        Render(dc);
    }
    win32::MemoryDc source(::CreateCompatibleDC(dc));
    if (!picture_ || !source)
        return;
    win32::SelectObjectScope selected(source.get(), picture_.get());
    ::BitBlt(dc, 0, 0, client.right, client.bottom, source.get(), 0, 0, SRCCOPY);
}

// Draws the stored picture into the kept bitmap; a picture that cannot be shown leaves the plain face.
void CImageControl::Render(HDC reference) {
    if (!picture_)
        return;
    win32::MemoryDc dc(::CreateCompatibleDC(reference));
    if (!dc)
        return;
    win32::SelectObjectScope selected(dc.get(), picture_.get());
    RECT face{0, 0, pictureSize_.cx, pictureSize_.cy};
    ::FillRect(dc.get(), &face, ::GetSysColorBrush(COLOR_BTNFACE));
    DrawPicture(dc.get(), pictureSize_.cx, pictureSize_.cy);
}

namespace {

// GDI+'s flat functions with owners for what they create. Only the functions called here are imported, so each
// delay-loaded one is one that drawing a picture reaches.
namespace gdip = Gdiplus::DllExports;
struct ImageDeleter {
    void operator()(Gdiplus::GpImage* image) const { gdip::GdipDisposeImage(image); }
};
struct GraphicsDeleter {
    void operator()(Gdiplus::GpGraphics* graphics) const { gdip::GdipDeleteGraphics(graphics); }
};
struct BrushDeleter {
    void operator()(Gdiplus::GpSolidFill* brush) const { gdip::GdipDeleteBrush(brush); }
};

} // namespace

void CImageControl::DrawPicture(HDC dc, int width, int height) const {
    if (path_.empty())
        return;
    DWORD attributes = ::GetFileAttributesW(path_.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    // The image is dropped at the end of the drawing, so GDI+ does not keep the file open.
    Gdiplus::GpImage* loaded = nullptr;
    if (gdip::GdipLoadImageFromFile(path_.c_str(), &loaded) != Gdiplus::Ok)
        return;
    std::unique_ptr<Gdiplus::GpImage, ImageDeleter> image(loaded);
    UINT pictureWidth = 0, pictureHeight = 0;
    gdip::GdipGetImageWidth(image.get(), &pictureWidth);
    gdip::GdipGetImageHeight(image.get(), &pictureHeight);
    if (int(pictureWidth) <= 0 || int(pictureHeight) <= 0)
        return;
    Gdiplus::GpGraphics* created = nullptr;
    if (gdip::GdipCreateFromHDC(dc, &created) != Gdiplus::Ok)
        return;
    std::unique_ptr<Gdiplus::GpGraphics, GraphicsDeleter> graphics(created);
    if (fit_ == 1) {
        Gdiplus::GpSolidFill* black = nullptr;
        if (gdip::GdipCreateSolidFill(0xFF000000, &black) == Gdiplus::Ok) {
            std::unique_ptr<Gdiplus::GpSolidFill, BrushDeleter> owner(black);
            gdip::GdipFillRectangleI(graphics.get(), black, 0, 0, width, height);
        }
        controls::Placement place = controls::FitPictureInBox(width, height, int(pictureWidth), int(pictureHeight));
        gdip::GdipDrawImageRectI(graphics.get(), image.get(), place.x, place.y, place.width, place.height);
    } else {
        gdip::GdipDrawImageRectI(graphics.get(), image.get(), 0, 0, width, height);
    }
}
