#include "pages/additional_modules/conf_control_inf.h"

#include "win32/dpi.h"
#include "win32/gdi.h"

#include <cmath>

namespace {

constexpr wchar_t kItemClass[] = L"SkylumeConfControl";
constexpr int kDescriptionId = 0xFFFF;

bool IsElement(xmldata::NodeRef node) {
    DOMNodeType type = NODE_INVALID;
    return node && SUCCEEDED(node.get()->get_nodeType(&type)) && type == NODE_ELEMENT;
}

} // namespace

StoredValues ReadStoredValues(const xmldata::XmlDocument& document) {
    StoredValues stored;
    xmldata::Element root = document.Root();
    if (!root)
        return stored;
    for (const xmldata::Node& child : xmldata::ChildNodes(root)) {
        if (!IsElement(child) || xmldata::BaseName(child) != L"item")
            continue;
        auto key = xmldata::NamedItemText(child, L"name");
        // Only the first item of a key counts.
        if (!key || stored.count(*key))
            continue;
        std::vector<std::wstring>& values = stored[*key];
        for (const xmldata::Node& value : xmldata::ChildNodes(child))
            if (IsElement(value) && xmldata::BaseName(value) == L"value")
                values.push_back(xmldata::Text(value));
    }
    return stored;
}

CConfControlInf::CConfControlInf(const ConfOwnerInfo& owner, std::wstring key)
    : owner_(owner), background_(::CreateSolidBrush(kItemBackground)), key_(std::move(key)) {}

CConfControlInf::~CConfControlInf() = default;

int CConfControlInf::RowHeight(HFONT font) {
    LOGFONTW logFont = {};
    if (!font || !::GetObjectW(font, sizeof(logFont), &logFont))
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
    int height = std::abs(int(logFont.lfHeight));
    if (height == 0)
        height = 12;
    return int(std::lround(height * 1.5));
}

bool CConfControlInf::ReadLabel(xmldata::NodeRef control, std::wstring& label) {
    xmldata::Node found = xmldata::FindChild(control, L"label");
    if (!found)
        return false;
    label = xmldata::Text(found);
    return true;
}

int CConfControlInf::Scaled(int pixelsAt96) const {
    return win32::ScaleToDpi(pixelsAt96, dpi_);
}

bool CConfControlInf::Create(HWND page, int left, int top, int width, const std::wstring& description) {
    Place(page, left, top, width, description);
    return Realize(0);
}

void CConfControlInf::Place(HWND page, int left, int top, int width, const std::wstring& description) {
    page_ = page;
    description_ = description;
    left_ = left;
    top_ = top;
    width_ = width;
    dpi_ = win32::WindowDpi(page);
    rowHeight_ = RowHeight(font());
    descriptionHeight_ = description.empty() ? 0 : MeasureWith([&](HDC dc) {
        RECT box = {0, 0, width - Scaled(10), 0};
        ::DrawTextW(dc, description.c_str(), int(description.size()), &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        return int(box.bottom - box.top);
    });
    height_ = rowHeight_ + descriptionHeight_ + Scaled(10);
    rowTop_ = description.empty() ? Scaled(5) : Scaled(5) + descriptionHeight_ + Scaled(2);
}

bool CConfControlInf::Realize(int pageScroll) {
    if (hwnd())
        return realized();
    // Registered once for all items of all pages: a registration and a cursor per item cost server requests.
    static const bool registered =
        RegisterControlClass(kItemClass, 0, ::LoadCursorW(nullptr, IDC_ARROW), nullptr, true);
    if (!registered)
        return false;
    const RECT rect = {left_, top_ - pageScroll, left_ + width_, top_ - pageScroll + height_};
    // The item's controls take part in the page's dialog navigation.
    // No title: even an empty one costs a server request under Wine.
    if (!CreateControl(kItemClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect, page_, 0,
                       WS_EX_CONTROLPARENT))
        return false;
    if (!description_.empty() &&
        !CreateChild(L"Static", description_.c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX, Scaled(5), Scaled(5),
                     width_ - Scaled(10), descriptionHeight_, kDescriptionId))
        return false;
    if (!CreateRow(rowTop_, rowHeight_, width_))
        return false;
    Exchange(true);
    return true;
}

void CConfControlInf::RescalePlacement(int fromDpi, int toDpi) {
    if (realized() || fromDpi <= 0)
        return;
    auto scale = [&](int value) { return ::MulDiv(value, toDpi, fromDpi); };
    left_ = scale(left_);
    top_ = scale(top_);
    width_ = scale(width_);
    descriptionHeight_ = scale(descriptionHeight_);
    height_ = scale(height_);
    rowTop_ = scale(rowTop_);
    rowHeight_ = scale(rowHeight_);
    dpi_ = toDpi;
}

HWND CConfControlInf::CreateChild(const wchar_t* className, const wchar_t* text, DWORD style, int x, int y, int width,
                                  int height, int id) {
    HWND child = ::CreateWindowExW(0, className, text, style, x, y, width, height, hwnd(),
                                   reinterpret_cast<HMENU>(INT_PTR(id)), ::GetModuleHandleW(nullptr), nullptr);
    if (child)
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font()), FALSE);
    return child;
}

void CConfControlInf::LoadValue(const StoredValues& stored) {
    auto found = stored.find(key_);
    if (found != stored.end()) {
        for (const std::wstring& text : found->second) {
            if (IsValid(text)) {
                value_ = text;
                break;
            }
        }
    }
    Exchange(true);
}

void CConfControlInf::SaveValue(xmldata::XmlWriter& document) {
    Exchange(false);
    xmldata::Element root = document.Root();
    document.AppendText(root, L"\t");
    xmldata::Element item = document.AppendElement(root, L"item");
    document.SetAttribute(item, L"name", key_);
    document.AppendElement(item, L"value", value_);
    document.AppendText(root, L"\r\n");
}

void CConfControlInf::DrawLabel(HDC dc, const RECT& rect) {
    win32::FillSolid(dc, rect, kItemBackground);
    HGDIOBJ old = ::SelectObject(dc, font() ? font() : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(0, 0, 0));
    RECT box = rect;
    ::DrawTextW(dc, label_.c_str(), int(label_.size()), &box,
                DT_SINGLELINE | DT_RIGHT | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    ::SelectObject(dc, old);
}

void CConfControlInf::Paint(HDC dc, const RECT& client) {
    win32::FillSolid(dc, client, kItemBackground);
    DrawLabel(dc, labelRect());
    PaintExtras(dc);
}

LRESULT CConfControlInf::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    auto draw = [this](HDC dc, const RECT& client) { Paint(dc, client); };
    if (auto answer = win32::AnswerBufferedPaint(hwnd(), message, wParam, draw))
        return *answer;
    switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        ::SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0));
        return reinterpret_cast<LRESULT>(background_.get());
    case WM_COMMAND:
        OnChildCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_HSCROLL:
        OnChildScroll();
        return 0;
    case win32::kDpiChangedAfterParent:
        // Told once by the settings window and possibly once more by the platform: only a new DPI counts.
        if (const int dpi = win32::WindowDpi(hwnd()); dpi_ && dpi != dpi_) {
            auto scale = [&](int value) { return ::MulDiv(value, dpi, dpi_); };
            rowTop_ = scale(rowTop_);
            rowHeight_ = scale(rowHeight_);
            height_ = scale(height_);
            OnRescaled(dpi_, dpi);
            dpi_ = dpi;
            ::InvalidateRect(hwnd(), nullptr, TRUE);
        }
        return 0;
    default:
        return CallDefault(message, wParam, lParam);
    }
}
