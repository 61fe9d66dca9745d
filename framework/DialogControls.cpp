#include "framework/DialogControls.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "framework/Dialogs.h"

namespace kv {
namespace {

// Windows that are not objects of ours but whose notifications belong to one (the spin
// edit's arrows) carry the object under this property.
constexpr wchar_t kReflectProp[] = L"KestrelviewReflectTo";

bool ChangesLook(UINT msg) {
    switch (msg) {
        case BM_SETSTATE: case BM_SETCHECK: case BM_CLICK: case BM_SETSTYLE:
        case WM_SETFOCUS: case WM_KILLFOCUS: case WM_ENABLE: case WM_SETTEXT:
        case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK: case WM_CAPTURECHANGED:
        case WM_KEYDOWN: case WM_KEYUP: case WM_UPDATEUISTATE:
        case TBM_SETPOS: case TBM_SETRANGE: case TBM_SETRANGEMIN: case TBM_SETRANGEMAX:
        case TCM_SETCURSEL: case TCM_SETCURFOCUS:
            return true;
        default:
            return false;
    }
}

RECT Offset(RECT r, int dx, int dy) {
    OffsetRect(&r, dx, dy);
    return r;
}

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Lays a picture of the skin when it has one, else fills with a colour and a frame.
void DrawPiece(TSkin& skin, TPaintBuffer& buffer, const char* image, int part, RECT r, COLORREF fill, COLORREF frame) {
    if (const SkinImage* picture = skin.Image(image)) {
        skin.DrawImage(buffer, *picture, part, r);
        return;
    }
    buffer.FillRect(r, fill);
    HBRUSH brush = CreateSolidBrush(frame);
    FrameRect(buffer.DC(), &r, brush);
    DeleteObject(brush);
}

}  // namespace

bool ReflectToControl(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND from = nullptr;
    switch (msg) {
        case WM_NOTIFY:
            from = reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
            break;
        case WM_HSCROLL: case WM_VSCROLL:
        case WM_CTLCOLOREDIT: case WM_CTLCOLORSTATIC: case WM_CTLCOLORBTN:
            from = reinterpret_cast<HWND>(lParam);
            break;
        default:
            return false;
    }
    if (!from) return false;
    auto* control = dynamic_cast<TDialogControl*>(TWinControl::FromHandle(from));
    if (!control) control = static_cast<TDialogControl*>(GetPropW(from, kReflectProp));
    if (!control) return false;
    bool handled = false;
    Guarded([&] { handled = control->Reflected(msg, wParam, lParam, result); });
    return handled;
}

// ---------------------------------------------------------------------------------------
// TSkinHooks

bool TSkinHooks::Before(HWND hwnd, UINT msg, LRESULT& result, const Painter& paint) {
    TSkin* skin = TSkin::Current();
    if (!skin || !paint) return false;
    switch (msg) {
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_PAINT: {
            TPaintScope scope(hwnd);
            {
                TPaintBuffer buffer(scope.DC(), scope.Client().right, scope.Client().bottom);
                painting_ = true;
                PaintBehind(hwnd, buffer);
                paint(*skin, buffer);
                painting_ = false;
                buffer.Present();
            }
            result = 0;
            return true;
        }
        case WM_MOUSEMOVE:
            if (!hot_) {
                hot_ = true;
                TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd, 0};
                TrackMouseEvent(&tme);
                InvalidateRect(hwnd, nullptr, FALSE);
            }
            return false;
        case WM_MOUSELEAVE:
            hot_ = false;
            InvalidateRect(hwnd, nullptr, FALSE);
            return false;
        default:
            return false;
    }
}

void TSkinHooks::After(HWND hwnd, UINT msg) {
    if (!painting_ && TSkin::Current() && ChangesLook(msg) && IsWindow(hwnd)) InvalidateRect(hwnd, nullptr, FALSE);
}

// ---------------------------------------------------------------------------------------
// TDialogControl

DWORD TDialogControl::WindowStyle() const {
    DWORD style = TWinControl::WindowStyle();
    if (!Enabled) style |= WS_DISABLED;
    return style;
}

void TDialogControl::SetEnabled(bool enabled) {
    Enabled = enabled;
    if (HandleAllocated()) EnableWindow(Handle(), enabled);
}

HFONT TDialogControl::PlainFont() const { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

void TDialogControl::AfterCreate() {
    HFONT font = PlainFont();
    if (TSkin* skin = TSkin::Current()) font = skin->Font(FontRole());
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

LRESULT TDialogControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (ReflectToControl(msg, wParam, lParam, result)) return result;
    if (HasSkinPaint() &&
        hooks_.Before(Handle(), msg, result, [this](TSkin& skin, TPaintBuffer& buffer) { SkinPaint(skin, buffer); }))
        return result;
    HWND hwnd = Handle();
    result = TWinControl::WndProc(msg, wParam, lParam);
    if (HasSkinPaint()) hooks_.After(hwnd, msg);
    return result;
}

// ---------------------------------------------------------------------------------------
// Containers

void TContainer::PaintPlain(HDC dc, RECT client) { FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE)); }

LRESULT TContainer::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (ReflectToControl(msg, wParam, lParam, result)) return result;
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            TPaintScope scope(Handle());
            {
                TPaintBuffer buffer(scope.DC(), scope.Client().right, scope.Client().bottom);
                if (TSkin::Current()) {
                    PaintBehind(Handle(), buffer);
                    PaintLayer(buffer, 0, 0);
                } else {
                    PaintPlain(buffer.DC(), scope.Client());
                }
                buffer.Present();
            }
            return 0;
        }
        case WM_SETTEXT:
            result = TWinControl::WndProc(msg, wParam, lParam);
            InvalidateRect(Handle(), nullptr, FALSE);
            return result;
        default:
            return TWinControl::WndProc(msg, wParam, lParam);
    }
}

void TGroupBox::Layout(HDC dc, HFONT font, RECT& caption, RECT& frame) const {
    RECT rc;
    GetClientRect(Handle(), &rc);
    HGDIOBJ old = SelectObject(dc, font);
    const std::wstring text = WindowText(Handle());
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    const int h = std::max<int>(size.cy, tm.tmHeight);
    caption = {8, 0, 8 + size.cx + 4, h};
    frame = {0, h / 2, rc.right, rc.bottom};
}

void TGroupBox::PaintPlain(HDC dc, RECT client) {
    TContainer::PaintPlain(dc, client);
    RECT caption, frame;
    Layout(dc, PlainFont(), caption, frame);
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    FillRect(dc, &caption, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ old = SelectObject(dc, PlainFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    const std::wstring text = WindowText(Handle());
    RECT t = caption;
    t.left += 2;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &t, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
}

void TGroupBox::PaintLayer(TPaintBuffer& buffer, int ox, int oy) {
    TSkin& skin = *TSkin::Current();
    RECT caption, frame;
    Layout(buffer.DC(), skin.Font("Group"), caption, frame);
    caption = Offset(caption, -ox, -oy);
    frame = Offset(frame, -ox, -oy);
    if (const SkinImage* picture = skin.Image("Group")) {
        skin.DrawImage(buffer, *picture, 0, frame, &caption);
    } else {
        HBRUSH brush = CreateSolidBrush(skin.Color("GroupFrame", GetSysColor(COLOR_BTNSHADOW)));
        FrameRect(buffer.DC(), &frame, brush);
        DeleteObject(brush);
    }
    RECT t = caption;
    t.left += 2;
    skin.DrawText(buffer, WindowText(Handle()), t, "Group", skin.Color("GroupText", GetSysColor(COLOR_WINDOWTEXT)),
                  DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

void TTabSheet::PaintLayer(TPaintBuffer& buffer, int ox, int oy) {
    RECT rc;
    GetClientRect(Handle(), &rc);
    buffer.FillRect(Offset(rc, -ox, -oy), TSkin::Current()->Color("Page", GetSysColor(COLOR_BTNFACE)));
}

// ---------------------------------------------------------------------------------------
// TPageControl

const wchar_t* TPageControl::SystemClassName() const { return WC_TABCONTROLW; }

void TPageControl::AfterCreate() {
    TDialogControl::AfterCreate();
    for (size_t i = 0; i < pages_.size(); ++i) {
        std::wstring text = Widen(pages_[i]->Caption);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        SendMessageW(Handle(), TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(Handle(), TCM_SETCURSEL, active_, 0);
    PlacePages();
}

void TPageControl::PlacePages() {
    if (!HandleAllocated()) return;
    RECT rc;
    GetClientRect(Handle(), &rc);
    SendMessageW(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rc));
    for (size_t i = 0; i < pages_.size(); ++i) {
        TTabSheet* page = pages_[i];
        page->SetBounds(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
        page->SetVisible(static_cast<int>(i) == active_);
    }
}

void TPageControl::SetActivePageIndex(int index) {
    if (index < 0 || index >= static_cast<int>(pages_.size())) return;
    active_ = index;
    if (HandleAllocated()) {
        SendMessageW(Handle(), TCM_SETCURSEL, index, 0);
        PlacePages();
    }
}

bool TPageControl::Reflected(UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
    if (msg != WM_NOTIFY || reinterpret_cast<NMHDR*>(lParam)->code != static_cast<UINT>(TCN_SELCHANGE)) return false;
    active_ = static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0));
    PlacePages();
    if (OnChange) OnChange();
    result = 0;
    return true;
}

LRESULT TPageControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SIZE) {
        LRESULT r = TDialogControl::WndProc(msg, wParam, lParam);
        PlacePages();
        return r;
    }
    return TDialogControl::WndProc(msg, wParam, lParam);
}

void TPageControl::PaintLayer(TPaintBuffer& buffer, int ox, int oy) {
    TSkin& skin = *TSkin::Current();
    RECT body;
    GetClientRect(Handle(), &body);
    SendMessageW(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&body));
    InflateRect(&body, 1, 1);
    body = Offset(body, -ox, -oy);
    buffer.FillRect(body, skin.Color("Page", GetSysColor(COLOR_BTNFACE)));
    HBRUSH frame = CreateSolidBrush(skin.Color("GroupFrame", GetSysColor(COLOR_BTNSHADOW)));
    FrameRect(buffer.DC(), &body, frame);
    DeleteObject(frame);

    const int count = static_cast<int>(SendMessageW(Handle(), TCM_GETITEMCOUNT, 0, 0));
    const int selected = static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0));
    int hotTab = -1;
    if (hooks_.Hot()) {
        TCHITTESTINFO hit{};
        GetCursorPos(&hit.pt);
        ScreenToClient(Handle(), &hit.pt);
        hotTab = static_cast<int>(SendMessageW(Handle(), TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    }
    for (int i = 0; i < count; ++i) {
        RECT r;
        SendMessageW(Handle(), TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
        if (i == selected) {
            InflateRect(&r, 2, 0);
            r.top -= 2;
            r.bottom += 1;
        }
        r = Offset(r, -ox, -oy);
        const int part = i == selected ? 2 : i == hotTab ? 1 : 0;
        DrawPiece(skin, buffer, "Tab", part, r, skin.Color("Page", GetSysColor(COLOR_BTNFACE)),
                  skin.Color("GroupFrame", GetSysColor(COLOR_BTNSHADOW)));
        wchar_t text[128] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 127;
        SendMessageW(Handle(), TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        skin.DrawText(buffer, text, r, "Tab",
                      i == selected ? skin.Color("TabSelectedText", GetSysColor(COLOR_BTNTEXT))
                                    : skin.Color("TabText", GetSysColor(COLOR_BTNTEXT)),
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        if (i == selected && GetFocus() == Handle()) {
            InflateRect(&r, -4, -4);
            skin.DrawFocus(buffer, r);
        }
    }
}

void TPageControl::SkinPaint(TSkin&, TPaintBuffer& buffer) { PaintLayer(buffer, 0, 0); }

// ---------------------------------------------------------------------------------------
// TSkinButton

void TSkinButton::AfterCreate() {
    TButton::AfterCreate();
    if (TSkin* skin = TSkin::Current()) SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(skin->Font("Button")), FALSE);
}

LRESULT TSkinButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (hooks_.Before(Handle(), msg, result, [this](TSkin& skin, TPaintBuffer& buffer) { Paint(skin, buffer); }))
        return result;
    HWND hwnd = Handle();
    result = TButton::WndProc(msg, wParam, lParam);
    hooks_.After(hwnd, msg);
    return result;
}

void TSkinButton::Paint(TSkin& skin, TPaintBuffer& buffer) {
    RECT rc;
    GetClientRect(Handle(), &rc);
    const bool enabled = IsWindowEnabled(Handle());
    const bool pressed = (SendMessageW(Handle(), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    const int part = !enabled ? 3 : pressed ? 2 : hooks_.Hot() ? 1 : 0;
    DrawPiece(skin, buffer, "Button", part, rc, skin.Color("Accent", GetSysColor(COLOR_BTNFACE)),
              skin.Color("GroupFrame", GetSysColor(COLOR_BTNSHADOW)));
    RECT t = rc;
    if (pressed) OffsetRect(&t, 1, 1);
    skin.DrawText(buffer, WindowText(Handle()), t, "Button",
                  enabled ? skin.Color("ButtonText", GetSysColor(COLOR_BTNTEXT))
                          : skin.Color("ButtonDisabledText", GetSysColor(COLOR_GRAYTEXT)),
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (GetFocus() == Handle()) {
        InflateRect(&rc, -3, -3);
        skin.DrawFocus(buffer, rc);
    }
}

// ---------------------------------------------------------------------------------------
// TCheckBox, TRadioButton

DWORD TCheckBox::WindowStyle() const { return TDialogControl::WindowStyle() | BS_AUTOCHECKBOX; }

DWORD TRadioButton::WindowStyle() const {
    return (TDialogControl::WindowStyle() | BS_AUTORADIOBUTTON) | (first_ ? WS_GROUP : 0);
}

bool TCheckBox::Checked() const {
    if (!HandleAllocated()) return initialCheck_;
    return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool checked) {
    initialCheck_ = checked;
    if (HandleAllocated()) SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::SkinPaint(TSkin& skin, TPaintBuffer& buffer) {
    RECT rc;
    GetClientRect(Handle(), &rc);
    const bool enabled = IsWindowEnabled(Handle());
    const bool on = SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
    const int side = 13;
    RECT glyph{0, (rc.bottom - side) / 2, side, (rc.bottom - side) / 2 + side};
    const int part = (on ? 1 : 0) + (!enabled ? 4 : hooks_.Hot() ? 2 : 0);
    if (const SkinImage* picture = skin.Image(GlyphName())) {
        skin.DrawImage(buffer, *picture, part, glyph);
    } else {
        buffer.FillRect(glyph, skin.Color("Edit", GetSysColor(COLOR_WINDOW)));
        HBRUSH brush = CreateSolidBrush(skin.Color("Accent", GetSysColor(COLOR_WINDOWTEXT)));
        FrameRect(buffer.DC(), &glyph, brush);
        if (on) {
            RECT mark = glyph;
            InflateRect(&mark, -3, -3);
            FillRect(buffer.DC(), &mark, brush);
        }
        DeleteObject(brush);
    }
    RECT t{side + 4, 0, rc.right, rc.bottom};
    const std::wstring text = WindowText(Handle());
    skin.DrawText(buffer, text, t, "Text",
                  enabled ? skin.Color("Text", GetSysColor(COLOR_WINDOWTEXT)) : skin.Color("DisabledText", GetSysColor(COLOR_GRAYTEXT)),
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (GetFocus() == Handle()) {
        RECT measure = t;
        HGDIOBJ old = SelectObject(buffer.DC(), skin.Font("Text"));
        DrawTextW(buffer.DC(), text.c_str(), static_cast<int>(text.size()), &measure, DT_LEFT | DT_SINGLELINE | DT_CALCRECT);
        SelectObject(buffer.DC(), old);
        const int h = measure.bottom - measure.top;
        RECT focus{t.left - 2, (rc.bottom - h) / 2 - 1, std::min<LONG>(measure.right + 2, rc.right), (rc.bottom + h) / 2 + 1};
        skin.DrawFocus(buffer, focus);
    }
}

// ---------------------------------------------------------------------------------------
// TRadioGroup

void TRadioGroup::SetItems(const std::vector<std::string>& items) {
    buttons_.clear();
    const int top = 20, bottom = 6;
    const int n = static_cast<int>(items.size());
    const int step = n > 0 ? (Height - top - bottom) / n : 0;
    for (int i = 0; i < n; ++i) {
        auto button = std::make_unique<TRadioButton>(this, i == 0);
        button->Caption = items[static_cast<size_t>(i)];
        button->ControlId = 100 + i;
        button->SetBounds(10, top + i * step + (step - 20) / 2, Width - 20, 20);
        buttons_.push_back(std::move(button));
    }
}

void TRadioGroup::AfterCreate() { TGroupBox::AfterCreate(); }

int TRadioGroup::ItemIndex() const {
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i]->Checked()) return static_cast<int>(i);
    return -1;
}

void TRadioGroup::SetItemIndex(int index) {
    for (size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->SetChecked(static_cast<int>(i) == index);
}

// ---------------------------------------------------------------------------------------
// TLabel

TLabel::~TLabel() {
    DestroyHandle();
    if (underlined_) DeleteObject(underlined_);
}

void TLabel::AfterCreate() {
    TDialogControl::AfterCreate();
    if (Underline && !TSkin::Current()) {
        LOGFONTW lf{};
        GetObjectW(PlainFont(), sizeof(lf), &lf);
        lf.lfUnderline = TRUE;
        underlined_ = CreateFontIndirectW(&lf);
        if (underlined_) SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(underlined_), FALSE);
    }
}

void TLabel::SkinPaint(TSkin& skin, TPaintBuffer& buffer) {
    RECT rc;
    GetClientRect(Handle(), &rc);
    const bool enabled = IsWindowEnabled(Handle());
    skin.DrawText(buffer, WindowText(Handle()), rc, "Text",
                  enabled ? skin.Color("Text", GetSysColor(COLOR_WINDOWTEXT)) : skin.Color("DisabledText", GetSysColor(COLOR_GRAYTEXT)),
                  DT_LEFT | DT_TOP | DT_NOPREFIX | DT_SINGLELINE, Underline);
}

// ---------------------------------------------------------------------------------------
// TTrackBar

const wchar_t* TTrackBar::SystemClassName() const { return TRACKBAR_CLASSW; }

DWORD TTrackBar::WindowStyle() const {
    return TDialogControl::WindowStyle() | TBS_HORZ | (NoTicks ? TBS_NOTICKS : TBS_AUTOTICKS);
}

void TTrackBar::AfterCreate() {
    TDialogControl::AfterCreate();
    SendMessageW(Handle(), TBM_SETRANGEMIN, FALSE, Min);
    SendMessageW(Handle(), TBM_SETRANGEMAX, FALSE, Max);
    SendMessageW(Handle(), TBM_SETPAGESIZE, 0, PageSize);
    SendMessageW(Handle(), TBM_SETLINESIZE, 0, 1);
    SendMessageW(Handle(), TBM_SETPOS, TRUE, initialPosition_);
}

int TTrackBar::Position() const {
    if (!HandleAllocated()) return initialPosition_;
    return static_cast<int>(SendMessageW(Handle(), TBM_GETPOS, 0, 0));
}

void TTrackBar::SetPosition(int position) {
    initialPosition_ = std::clamp(position, Min, Max);
    if (HandleAllocated()) SendMessageW(Handle(), TBM_SETPOS, TRUE, initialPosition_);
}

bool TTrackBar::Reflected(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg != WM_HSCROLL) return false;
    // The end of a move repeats the last position; only changes are reported.
    const int position = Position();
    if (LOWORD(wParam) != TB_ENDTRACK || position != initialPosition_) {
        if (position != initialPosition_) {
            initialPosition_ = position;
            if (OnChange) OnChange();
        }
    }
    if (TSkin::Current()) InvalidateRect(Handle(), nullptr, FALSE);
    result = 0;
    return true;
}

void TTrackBar::SkinPaint(TSkin& skin, TPaintBuffer& buffer) {
    RECT channel{}, thumb{};
    SendMessageW(Handle(), TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    SendMessageW(Handle(), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const int cy = (thumb.top + thumb.bottom) / 2;
    RECT track{channel.left, cy - 3, channel.right, cy + 3};
    DrawPiece(skin, buffer, "TrackChannel", 0, track, skin.Color("Page", GetSysColor(COLOR_BTNFACE)),
              skin.Color("GroupFrame", GetSysColor(COLOR_BTNSHADOW)));
    RECT fill{track.left + 2, track.top + 2, (thumb.left + thumb.right) / 2, track.bottom - 2};
    if (fill.right > fill.left) buffer.FillRect(fill, skin.Color("Accent", GetSysColor(COLOR_HIGHLIGHT)));
    const bool pressed = GetCapture() == Handle();
    const int part = pressed ? 2 : hooks_.Hot() ? 1 : 0;
    DrawPiece(skin, buffer, "TrackThumb", part, thumb, skin.Color("Accent", GetSysColor(COLOR_HIGHLIGHT)),
              skin.Color("Text", GetSysColor(COLOR_WINDOWTEXT)));
    if (GetFocus() == Handle()) {
        RECT rc;
        GetClientRect(Handle(), &rc);
        skin.DrawFocus(buffer, rc);
    }
}

// ---------------------------------------------------------------------------------------
// TSpinEdit

TSpinEdit::~TSpinEdit() {
    if (upDown_ && IsWindow(upDown_)) RemovePropW(upDown_, kReflectProp);
    DestroyHandle();
    if (brush_) DeleteObject(brush_);
}

void TSpinEdit::AfterCreate() {
    TDialogControl::AfterCreate();
    upDown_ = CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                              0, 0, 0, 0, GetParent(Handle()), nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!upDown_) return;
    SetPropW(upDown_, kReflectProp, static_cast<TDialogControl*>(this));
    SendMessageW(upDown_, UDM_SETRANGE32, static_cast<WPARAM>(-1000), 1000);
    SendMessageW(upDown_, UDM_SETPOS32, 0, 0);
    SendMessageW(upDown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Handle()), 0);
}

std::string TSpinEdit::Text() const {
    if (!HandleAllocated()) return Caption;
    return Narrow(WindowText(Handle()));
}

void TSpinEdit::SetValue(int32_t value) { SetCaption(std::to_string(value)); }

bool TSpinEdit::Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(UDN_DELTAPOS)) {
        // Steps the number in the field by hand; the arrows' own position stays put, so
        // the field has no bounds.
        const auto* change = reinterpret_cast<NMUPDOWN*>(lParam);
        const std::string text = Text();
        int64_t value = 0;
        try {
            value = std::stoll(text);
        } catch (...) {
            value = 0;
        }
        value = std::clamp<int64_t>(value + change->iDelta, INT32_MIN, INT32_MAX);
        SetValue(static_cast<int32_t>(value));
        SendMessageW(Handle(), EM_SETSEL, 0, -1);
        result = 1;
        return true;
    }
    if (msg == WM_CTLCOLOREDIT) {
        TSkin* skin = TSkin::Current();
        if (!skin) return false;
        HDC dc = reinterpret_cast<HDC>(wParam);
        const COLORREF back = skin->Color("Edit", GetSysColor(COLOR_WINDOW));
        SetTextColor(dc, skin->Color("EditText", GetSysColor(COLOR_WINDOWTEXT)));
        SetBkColor(dc, back);
        if (!brush_) brush_ = CreateSolidBrush(back);
        result = reinterpret_cast<LRESULT>(brush_);
        return true;
    }
    return false;
}

}  // namespace kv
