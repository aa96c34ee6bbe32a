// One setting of an additional module's page: a child window that holds the setting's key, label and value,
// draws its label, owns the skinned control that edits the value and moves the value to and from data.xml.
// An item can be placed on its page before its windows exist: until then it keeps what its control would show,
// so loading, the change check and saving work the same either way.
#pragma once
#include "ui/controls/control_window.h"
#include "win32/gdi.h"
#include "win32/handle.h"
#include "xmldata/xml_document.h"

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// What the page shares with its items.
struct ConfOwnerInfo {
    HFONT font = nullptr;
    // A memory DC the items measure their texts in: a screen DC costs a server request under Wine each time.
    HDC measuringDc = nullptr;
};

// The stored values of a data.xml: for the first `item` of each key, the texts of its `value` children in order.
using StoredValues = std::unordered_map<std::wstring, std::vector<std::wstring>>;
StoredValues ReadStoredValues(const xmldata::XmlDocument& document);

inline constexpr COLORREF kItemBackground = RGB(215, 221, 224);

class CConfControlInf : public controls::ControlWindow {
public:
    CConfControlInf(const ConfOwnerInfo& owner, std::wstring key);
    ~CConfControlInf() override;

    // Reads the `control` element's children; false rejects the item (refusal() says why).
    virtual bool Parse(xmldata::NodeRef control) = 0;
    // Creates the item window and its child controls on the page; the item is height() high.
    virtual bool Create(HWND page, int left, int top, int width, const std::wstring& description);
    // Create in two steps: Place lays the item out (its height is known from then on), Realize makes its windows
    // at that place, less the distance the page has scrolled, and shows the value in them.
    void Place(HWND page, int left, int top, int width, const std::wstring& description);
    bool Realize(int pageScroll);
    // Whether the item's control exists.
    bool realized() const { return focusControl_ != nullptr; }
    // The page moved to another DPI before the item's windows were made.
    void RescalePlacement(int fromDpi, int toDpi);
    virtual bool IsValid(const std::wstring& text) = 0;
    virtual void LoadValue(const StoredValues& stored);
    virtual void SaveValue(xmldata::XmlWriter& document);
    virtual void Exchange(bool toControl) = 0;
    virtual bool IsChanged() = 0;
    virtual void DrawLabel(HDC dc, const RECT& rect);

    const std::wstring& key() const { return key_; }
    const std::wstring& label() const { return label_; }
    const std::wstring& value() const { return value_; }
    int height() const { return height_; }
    // Where Place put the item's top, in the page's unscrolled coordinates.
    int placedTop() const { return top_; }
    // The control that takes the focus: the page's tab stop for this item.
    HWND focusControl() const { return focusControl_; }
    virtual const wchar_t* kind() const = 0;
    // Why Parse refused, and what it ignored on the way (for module authors).
    const std::wstring& refusal() const { return refusal_; }
    const std::vector<std::wstring>& notes() const { return notes_; }

    // Rows are 1.5 times the font's absolute height, rounded.
    static int RowHeight(HFONT font);

protected:
    // Creates the kind's controls in the row that starts at `top`.
    virtual bool CreateRow(int top, int rowHeight, int width) = 0;
    // Painted after the label (the slider's number).
    virtual void PaintExtras(HDC) {}
    // The item was laid out again for another DPI (its windows already moved): lengths it keeps follow.
    virtual void OnRescaled(int /*fromDpi*/, int /*toDpi*/) {}
    virtual void OnChildCommand(UINT, UINT) {}
    virtual void OnChildScroll() {}
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    bool Refuse(std::wstring rule) {
        refusal_ = std::move(rule);
        return false;
    }
    void Note(std::wstring note) { notes_.push_back(std::move(note)); }
    // The first child named `label`: the label as it stands; false when there is none.
    bool ReadLabel(xmldata::NodeRef control, std::wstring& label);
    HWND CreateChild(const wchar_t* className, const wchar_t* text, DWORD style, int x, int y, int width, int height,
                     int id);

    HFONT font() const { return owner_.font; }
    // Calls `measure` with a DC for measuring texts in the page font: the owner's, else the screen's.
    template <typename Measure> auto MeasureWith(Measure measure) const {
        std::optional<win32::WindowDc> screen;
        HDC dc = owner_.measuringDc;
        if (!dc)
            dc = screen.emplace(nullptr).get();
        win32::SelectObjectScope selected(dc, font() ? font() : ::GetStockObject(DEFAULT_GUI_FONT));
        return measure(dc);
    }
    // Lengths at 96 DPI scaled to the DPI the item was laid out for.
    int Scaled(int pixelsAt96) const;
    RECT labelRect() const { return {Scaled(5), rowTop_, Scaled(149), rowTop_ + rowHeight_}; }
    int rowTop() const { return rowTop_; }
    int rowHeight() const { return rowHeight_; }

    std::wstring label_;
    std::wstring value_;
    HWND focusControl_ = nullptr;

private:
    void Paint(HDC dc, const RECT& client);

    const ConfOwnerInfo& owner_;
    win32::Brush background_;
    std::wstring key_;
    HWND page_ = nullptr;
    std::wstring description_;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int descriptionHeight_ = 0;
    int height_ = 0;
    int rowTop_ = 0;
    int rowHeight_ = 0;
    int dpi_ = 0;
    std::wstring refusal_;
    std::vector<std::wstring> notes_;
};

// The item for a control type word ("checkbox", "editbox", "combobox", "slider", "fileselector"); null for any
// other word.
std::unique_ptr<CConfControlInf> CreateConfControl(const std::wstring& type, const ConfOwnerInfo& owner,
                                                   const std::wstring& key);
