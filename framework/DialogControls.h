#pragma once
// The dialog controls: page control with tab sheets, group box, radio group, check box,
// radio button, label, panel, track bar and spin edit, and a push button that wears the
// skin. Each is the system's window (or, for the containers, one of ours) whose window
// text is its caption, so keyboard navigation, screen readers and tests find them; with a
// skin loaded (framework/Skin.h) they paint themselves from it.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Forms.h"
#include "framework/Skin.h"

namespace kv {

// Hands a notification that a control sent to its parent (WM_NOTIFY, WM_HSCROLL,
// WM_VSCROLL, WM_CTLCOLOR*) back to the control. Any parent window calls it; true when
// the control handled it.
bool ReflectToControl(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The skin's part of a system control's message handling: painting, the hot state and
// repainting after the control changed its state by itself.
class TSkinHooks {
public:
    using Painter = std::function<void(TSkin&, TPaintBuffer&)>;
    // Before the control's own handling; true when the message is done (result set).
    bool Before(HWND hwnd, UINT msg, LRESULT& result, const Painter& paint);
    // After it: repaints when msg may have changed how the control looks.
    void After(HWND hwnd, UINT msg);
    bool Hot() const { return hot_; }

private:
    bool hot_ = false;
    bool painting_ = false;
};

class TDialogControl : public TWinControl {
public:
    using TWinControl::TWinControl;
    // A notification of this control, handed back by its parent (ReflectToControl).
    virtual bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) { return false; }
    bool Enabled = true;
    void SetEnabled(bool enabled);

protected:
    DWORD WindowStyle() const override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void AfterCreate() override;
    // The skin's font for this control.
    virtual const char* FontRole() const { return "Text"; }
    // Paints the control from the skin over what lies behind it; false: leave the
    // control's own painting (the default).
    virtual bool HasSkinPaint() const { return false; }
    virtual void SkinPaint(TSkin&, TPaintBuffer&) {}
    HFONT PlainFont() const;
    TSkinHooks hooks_;
};

// A window of ours holding other controls; Tab moves into them.
class TContainer : public TDialogControl, public TSkinLayer {
public:
    using TDialogControl::TDialogControl;
    // Plain look: the dialog face colour.
    virtual void PaintPlain(HDC dc, RECT client);
    void PaintLayer(TPaintBuffer&, int, int) override {}

protected:
    DWORD WindowExStyle() const override { return WS_EX_CONTROLPARENT; }
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

// A borderless panel.
class TPanel : public TContainer {
public:
    using TContainer::TContainer;
};

// A framed box with its caption at the top left.
class TGroupBox : public TContainer {
public:
    using TContainer::TContainer;
    void PaintPlain(HDC dc, RECT client) override;
    void PaintLayer(TPaintBuffer& buffer, int ox, int oy) override;

protected:
    const char* FontRole() const override { return "Group"; }
    // The caption's rectangle and the frame's, in client coordinates.
    void Layout(HDC dc, HFONT font, RECT& caption, RECT& frame) const;
};

class TTabSheet : public TContainer {
public:
    using TContainer::TContainer;
    void PaintLayer(TPaintBuffer& buffer, int ox, int oy) override;
};

// Tabs over pages: a system tab control whose pages are TTabSheet children.
class TPageControl : public TDialogControl, public TSkinLayer {
public:
    explicit TPageControl(TWinControl* parent) : TDialogControl(parent) { TabStop = true; }
    void AddPage(TTabSheet* page) { pages_.push_back(page); }
    int ActivePageIndex() const { return active_; }
    void SetActivePageIndex(int index);
    std::function<void()> OnChange;

    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void PaintLayer(TPaintBuffer& buffer, int ox, int oy) override;

protected:
    const wchar_t* SystemClassName() const override;
    DWORD WindowExStyle() const override { return WS_EX_CONTROLPARENT; }
    void AfterCreate() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    const char* FontRole() const override { return "Tab"; }
    bool HasSkinPaint() const override { return true; }
    void SkinPaint(TSkin& skin, TPaintBuffer& buffer) override;

private:
    void PlacePages();
    std::vector<TTabSheet*> pages_;
    int active_ = 0;
};

// A push button that wears the skin.
class TSkinButton : public TButton {
public:
    using TButton::TButton;

protected:
    void AfterCreate() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(TSkin& skin, TPaintBuffer& buffer);
    TSkinHooks hooks_;
};

// Check box and radio button: the system's buttons with their glyph from the skin.
class TCheckBox : public TDialogControl {
public:
    explicit TCheckBox(TWinControl* parent) : TDialogControl(parent) { TabStop = true; }
    bool Checked() const;
    void SetChecked(bool checked);

protected:
    const wchar_t* SystemClassName() const override { return L"BUTTON"; }
    DWORD WindowStyle() const override;
    bool HasSkinPaint() const override { return true; }
    void SkinPaint(TSkin& skin, TPaintBuffer& buffer) override;
    virtual const char* GlyphName() const { return "CheckBox"; }
    bool initialCheck_ = false;
};

class TRadioButton : public TCheckBox {
public:
    explicit TRadioButton(TWinControl* parent, bool firstOfGroup) : TCheckBox(parent), first_(firstOfGroup) {
        TabStop = firstOfGroup;
    }

protected:
    DWORD WindowStyle() const override;
    const char* GlyphName() const override { return "Radio"; }

private:
    bool first_;
};

// A group box of radio buttons, one per item, laid out evenly down the box.
class TRadioGroup : public TGroupBox {
public:
    using TGroupBox::TGroupBox;
    void SetItems(const std::vector<std::string>& items);
    int ItemIndex() const;
    void SetItemIndex(int index);

protected:
    void AfterCreate() override;

private:
    std::vector<std::unique_ptr<TRadioButton>> buttons_;
    int initialIndex_ = -1;
};

class TLabel : public TDialogControl {
public:
    using TDialogControl::TDialogControl;
    bool Underline = false;
    ~TLabel() override;

protected:
    const wchar_t* SystemClassName() const override { return L"STATIC"; }
    DWORD WindowStyle() const override { return TDialogControl::WindowStyle() | SS_LEFT | SS_NOPREFIX; }
    void AfterCreate() override;
    bool HasSkinPaint() const override { return true; }
    void SkinPaint(TSkin& skin, TPaintBuffer& buffer) override;

private:
    HFONT underlined_ = nullptr;
};

class TTrackBar : public TDialogControl {
public:
    explicit TTrackBar(TWinControl* parent) : TDialogControl(parent) { TabStop = true; }
    int Min = 0, Max = 10, PageSize = 1;
    bool NoTicks = false;
    int Position() const;
    void SetPosition(int position);
    // The user moved the thumb (mouse or keys).
    std::function<void()> OnChange;
    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    const wchar_t* SystemClassName() const override;
    DWORD WindowStyle() const override;
    void AfterCreate() override;
    bool HasSkinPaint() const override { return true; }
    void SkinPaint(TSkin& skin, TPaintBuffer& buffer) override;

private:
    int initialPosition_ = 0;
};

// A number field with up and down arrows (an edit with an up-down control beside it).
// The arrows and the Up and Down keys step the number by one; any text may be typed.
class TSpinEdit : public TDialogControl {
public:
    explicit TSpinEdit(TWinControl* parent) : TDialogControl(parent) { TabStop = true; }
    ~TSpinEdit() override;
    std::string Text() const;
    void SetValue(int32_t value);
    HWND UpDown() const { return upDown_; }
    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    const wchar_t* SystemClassName() const override { return L"EDIT"; }
    DWORD WindowStyle() const override { return TDialogControl::WindowStyle() | ES_AUTOHSCROLL | ES_LEFT; }
    DWORD WindowExStyle() const override { return WS_EX_CLIENTEDGE; }
    void AfterCreate() override;

private:
    HWND upDown_ = nullptr;
    HBRUSH brush_ = nullptr;
};

}  // namespace kv
