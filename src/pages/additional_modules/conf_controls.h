// The five kinds of setting item: check box, edit box, combo box, slider and file selector.
#pragma once
#include "pages/additional_modules/conf_control_inf.h"
#include "pages/additional_modules/description_rules.h"
#include "ui/controls/config_item_window.h"
#include "velour/velour_controls.h"

class CConfCheckBox : public CConfControlInf {
public:
    using CConfControlInf::CConfControlInf;
    bool Parse(xmldata::NodeRef control) override;
    bool IsValid(const std::wstring& text) override { return text == L"1" || text == L"0"; }
    void Exchange(bool toControl) override;
    bool IsChanged() override;
    void DrawLabel(HDC dc, const RECT& rect) override;
    const wchar_t* kind() const override { return L"checkbox"; }

protected:
    bool CreateRow(int top, int rowHeight, int width) override;

private:
    VelourCheckBox check_;
};

class CConfEditBox : public CConfControlInf {
public:
    using CConfControlInf::CConfControlInf;
    bool Parse(xmldata::NodeRef control) override;
    bool IsValid(const std::wstring&) override { return true; }
    void Exchange(bool toControl) override;
    bool IsChanged() override;
    const wchar_t* kind() const override { return L"editbox"; }

protected:
    bool CreateRow(int top, int rowHeight, int width) override;

private:
    std::wstring EditText() const;
    VelourEdit edit_;
};

class CConfComboBox : public CConfControlInf {
public:
    using CConfControlInf::CConfControlInf;
    bool Parse(xmldata::NodeRef control) override;
    bool IsValid(const std::wstring& text) override;
    void Exchange(bool toControl) override;
    bool IsChanged() override;
    const wchar_t* kind() const override { return L"combobox"; }
    // The parsed options until the combo box is filled; until then they decide which values are valid.
    const std::vector<std::wstring>& options() const { return options_; }

protected:
    bool CreateRow(int top, int rowHeight, int width) override;

private:
    int FindExact(const std::wstring& text) const;
    std::wstring SelectedText() const;
    std::vector<std::wstring> options_;
    // The platform's combo box, and its list window, are made only when the user opens the list.
    VelourDropDownList combo_;
};

class CConfSlider : public CConfControlInf {
public:
    using CConfControlInf::CConfControlInf;
    bool Parse(xmldata::NodeRef control) override;
    bool IsValid(const std::wstring& text) override { return additional::IsSliderValue(text, min_, max_, delta_); }
    void Exchange(bool toControl) override;
    bool IsChanged() override;
    const wchar_t* kind() const override { return L"slider"; }
    int32_t min() const { return min_; }
    int32_t max() const { return max_; }
    int32_t delta() const { return delta_; }
    HWND slider() const { return focusControl_; }

protected:
    bool CreateRow(int top, int rowHeight, int width) override;
    void PaintExtras(HDC dc) override;
    void OnChildScroll() override;
    void OnRescaled(int fromDpi, int toDpi) override;

private:
    std::wstring PositionText() const;
    int32_t min_ = 0;
    int32_t max_ = 0;
    int32_t delta_ = 1;
    // The position the value falls on: the slider's own once it exists.
    int64_t position_ = 0;
    RECT numberRect_ = {};
    VelourSliderCtrl sliderSkin_;
};

class CConfFileSelector : public CConfControlInf {
public:
    CConfFileSelector(const ConfOwnerInfo& owner, std::wstring key);
    bool Parse(xmldata::NodeRef control) override;
    bool IsValid(const std::wstring& text) override;
    void Exchange(bool toControl) override;
    bool IsChanged() override;
    const wchar_t* kind() const override { return L"fileselector"; }
    // The browse dialog's type list.
    std::wstring TypeList() const;
    // The path the item shows.
    const std::wstring& shownPath() const { return path_.title(); }
    // Takes a path as the browse dialog's confirmation does.
    void ChoosePath(const std::wstring& path);

protected:
    bool CreateRow(int top, int rowHeight, int width) override;
    void OnChildCommand(UINT id, UINT code) override;

private:
    void Browse();
    std::vector<additional::FileFilter> filters_;
    CConfigItemWindow path_;
    VelourButton browseSkin_;
};
