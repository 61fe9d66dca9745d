#include "framework/Forms.h"

#include <algorithm>

#include "common/Error.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "graphics/Canvas.h"

namespace kv {
namespace {

constexpr wchar_t kWindowClass[] = L"KestrelviewWindow";
constexpr wchar_t kObjectProp[] = L"KestrelviewControl";

void RegisterWindowClass(WNDPROC proc) {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&wc)) throw Error("Cannot register the window class: " + SystemErrorText(GetLastError()));
    registered = true;
}

// The object whose CreateWindowEx call is under way: the first messages arrive before
// CreateWindowEx returns the handle.
thread_local TWinControl* g_creating = nullptr;

BITMAPINFO TopDownInfo(const Bitmap& bitmap) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = bitmap.Width();
    bi.bmiHeader.biHeight = -bitmap.Height();
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

}  // namespace

void PaintBitmap(HDC dc, int x, int y, const Bitmap& bitmap) {
    if (bitmap.Empty()) return;
    BITMAPINFO bi = TopDownInfo(bitmap);
    SetDIBitsToDevice(dc, x, y, bitmap.Width(), bitmap.Height(), 0, 0, 0, bitmap.Height(), bitmap.Bits(), &bi,
                      DIB_RGB_COLORS);
}

void StretchBitmap(HDC dc, int x, int y, int w, int h, const Bitmap& bitmap) {
    if (bitmap.Empty() || w <= 0 || h <= 0) return;
    if (w == bitmap.Width() && h == bitmap.Height()) return PaintBitmap(dc, x, y, bitmap);
    BITMAPINFO bi = TopDownInfo(bitmap);
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, x, y, w, h, 0, 0, bitmap.Width(), bitmap.Height(), bitmap.Bits(), &bi, DIB_RGB_COLORS, SRCCOPY);
}

void FillColor(HDC dc, const RECT& r, COLORREF color) {
    if (r.left >= r.right || r.top >= r.bottom) return;
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void PaintPicture(HDC dc, const RECT& client, const Bitmap& picture, bool stretch, COLORREF background) {
    if (picture.Empty()) return FillColor(dc, client, background);
    if (stretch) return StretchBitmap(dc, 0, 0, client.right, client.bottom, picture);
    PaintBitmap(dc, 0, 0, picture);
    FillColor(dc, {picture.Width(), 0, client.right, client.bottom}, background);
    FillColor(dc, {0, picture.Height(), std::min<LONG>(picture.Width(), client.right), client.bottom}, background);
}

// ---------------------------------------------------------------------------------------
// TWinControl

TWinControl::TWinControl(TWinControl* parent) : parent_(parent) {
    if (parent_) parent_->children_.push_back(this);
}

TWinControl::~TWinControl() {
    DestroyHandle();
    for (TWinControl* child : children_) child->parent_ = nullptr;
    if (parent_) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

TWinControl* TWinControl::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<TWinControl*>(GetPropW(hwnd, kObjectProp)) : nullptr;
}

DWORD TWinControl::WindowStyle() const {
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (Visible) style |= WS_VISIBLE;
    if (TabStop) style |= WS_TABSTOP;
    return style;
}

HWND TWinControl::ParentHandle() const {
    if (!parent_) return nullptr;
    if (!parent_->HandleAllocated()) parent_->CreateHandle();
    return parent_->Handle();
}

void TWinControl::CreateHandle() {
    if (handle_) return;
    RegisterWindowClass(&TWinControl::WindowProc);
    HWND parent = ParentHandle();
    const wchar_t* cls = SystemClassName();
    const std::wstring text = Widen(Caption);
    const DWORD style = WindowStyle();
    const bool child = (style & WS_CHILD) != 0;
    HMENU id = child ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId)) : nullptr;
    TWinControl* outer = g_creating;
    g_creating = cls ? nullptr : this;
    HWND hwnd = CreateWindowExW(WindowExStyle(), cls ? cls : kWindowClass, text.c_str(), style, Left, Top, Width,
                                Height, parent, id, GetModuleHandleW(nullptr), nullptr);
    g_creating = outer;
    if (!hwnd) throw Error("Cannot create a window: " + SystemErrorText(GetLastError()));
    if (cls) {
        handle_ = hwnd;
        SetPropW(hwnd, kObjectProp, this);
        systemProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinControl::SubclassProc)));
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    }
    AfterCreate();
    for (TWinControl* c : children_) {
        if (!c->HandleAllocated()) c->CreateHandle();
    }
    AlignChildren();
}

void TWinControl::DestroyHandle() {
    if (!handle_) return;
    HWND h = handle_;
    DestroyWindow(h);  // WM_NCDESTROY clears handle_
    handle_ = nullptr;
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    Left = left;
    Top = top;
    Width = width;
    Height = height;
    if (handle_) SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::SetVisible(bool visible) {
    Visible = visible;
    if (handle_) ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetCaption(std::string caption) {
    Caption = std::move(caption);
    if (handle_) SetWindowTextW(handle_, Widen(Caption).c_str());
}

void TWinControl::SetAlign(TControlAlign align) {
    Align = align;
    if (parent_) parent_->AlignChildren();
}

void TWinControl::AlignChildren() {
    if (!handle_) return;
    RECT rc;
    GetClientRect(handle_, &rc);
    for (TWinControl* c : children_) {
        if (c->Align == TControlAlign::alClient) c->SetBounds(0, 0, rc.right, rc.bottom);
    }
}

int TWinControl::ClientWidth() const {
    if (!handle_) return Width;
    RECT rc;
    GetClientRect(handle_, &rc);
    return rc.right;
}

int TWinControl::ClientHeight() const {
    if (!handle_) return Height;
    RECT rc;
    GetClientRect(handle_, &rc);
    return rc.bottom;
}

void TWinControl::Invalidate() {
    if (handle_) InvalidateRect(handle_, nullptr, FALSE);
}

void TWinControl::Update() {
    if (handle_) UpdateWindow(handle_);
}

void TWinControl::Repaint() {
    Invalidate();
    Update();
}

void TWinControl::SetFocus() {
    if (handle_) ::SetFocus(handle_);
}

LRESULT TWinControl::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (systemProc_) return CallWindowProcW(systemProc_, handle_, msg, wParam, lParam);
    return DefWindowProcW(handle_, msg, wParam, lParam);
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND:
            // Notifications of child controls go back to the control that sent them.
            if (lParam) {
                if (TWinControl* c = FromHandle(reinterpret_cast<HWND>(lParam)); c && c != this) {
                    Guarded([&] { c->CommandNotify(HIWORD(wParam)); });
                    return 0;
                }
            }
            break;
        case WM_SIZE:
            AlignChildren();
            if (OnResize) Guarded([&] { OnResize(); });
            break;
        default:
            break;
    }
    return Default(msg, wParam, lParam);
}

LRESULT TWinControl::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND h = handle_;
    LRESULT result = 0;
    try {
        result = WndProc(msg, wParam, lParam);
    } catch (...) {
        // A paint that failed must still end, or the window would be asked again at once.
        if (msg == WM_PAINT) ValidateRect(h, nullptr);
        ShowExceptionBox(std::current_exception());
    }
    return result;
}

LRESULT CALLBACK TWinControl::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<TWinControl*>(GetPropW(hwnd, kObjectProp));
    if (!self && g_creating) {
        self = g_creating;
        g_creating = nullptr;
        self->handle_ = hwnd;
        SetPropW(hwnd, kObjectProp, self);
    }
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
        RemovePropW(hwnd, kObjectProp);
        self->handle_ = nullptr;
        return r;
    }
    return self->Dispatch(msg, wParam, lParam);
}

LRESULT CALLBACK TWinControl::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<TWinControl*>(GetPropW(hwnd, kObjectProp));
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        WNDPROC proc = self->systemProc_;
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
        RemovePropW(hwnd, kObjectProp);
        self->handle_ = nullptr;
        self->systemProc_ = nullptr;
        return CallWindowProcW(proc, hwnd, msg, wParam, lParam);
    }
    return self->Dispatch(msg, wParam, lParam);
}

// ---------------------------------------------------------------------------------------
// TForm

TForm::TForm() : TWinControl(nullptr) { Visible = false; }

TForm::~TForm() { DestroyHandle(); }

DWORD TForm::WindowStyle() const {
    if (ParentWindow) return WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    DWORD style = WS_CLIPCHILDREN;
    switch (BorderStyle) {
        case TBorderStyle::bsNone:
            style |= WS_POPUP;
            break;
        case TBorderStyle::bsSingle:
            style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
            if (MinimizeBox) style |= WS_MINIMIZEBOX;
            if (MaximizeBox) style |= WS_MAXIMIZEBOX;
            break;
        case TBorderStyle::bsDialog:
            style |= WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
            break;
        case TBorderStyle::bsSizeable:
            style |= WS_OVERLAPPEDWINDOW;
            break;
    }
    return style;
}

DWORD TForm::WindowExStyle() const {
    DWORD ex = 0;
    if (StayOnTop && !ParentWindow) ex |= WS_EX_TOPMOST;
    if (BorderStyle == TBorderStyle::bsDialog) ex |= WS_EX_DLGMODALFRAME;
    if (DialogKeys) ex |= WS_EX_CONTROLPARENT;
    return ex;
}

void TForm::Create() {
    if (created_) return;
    created_ = true;
    if (SizeIsClient && !ParentWindow) {
        RECT rc{0, 0, Width, Height};
        AdjustWindowRectEx(&rc, WindowStyle(), FALSE, WindowExStyle());
        Width = rc.right - rc.left;
        Height = rc.bottom - rc.top;
    }
    if (Position == TPosition::poScreenCenter && !ParentWindow) {
        Left = (GetSystemMetrics(SM_CXSCREEN) - Width) / 2;
        Top = (GetSystemMetrics(SM_CYSCREEN) - Height) / 2;
    }
    const bool visible = Visible;
    Visible = false;
    CreateHandle();
    Visible = visible;
    if (Icon) {
        SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Icon));
        SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Icon));
    }
    canvas_.SetSize(std::max(ClientWidth(), 1), std::max(ClientHeight(), 1));
    canvas_.Canvas().FillRect({0, 0, canvas_.Width(), canvas_.Height()},
                              0xFF000000u | GetRValue(Color) << 16 | GetGValue(Color) << 8 | GetBValue(Color));
    if (OnCreate) Guarded(OnCreate);
}

void TForm::Show() {
    if (!HandleAllocated() || closed_) return;
    Visible = true;
    if (ParentWindow) {
        ShowWindow(Handle(), SW_SHOWNA);
    } else {
        ShowWindow(Handle(), WindowState == TWindowState::wsMaximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
        SetForegroundWindow(Handle());
    }
    UpdateWindow(Handle());
}

void TForm::FillCanvas(uint32_t bgra) {
    const int w = std::max(ClientWidth(), 1), h = std::max(ClientHeight(), 1);
    if (canvas_.Width() != w || canvas_.Height() != h) canvas_.SetSize(w, h);
    canvas_.Canvas().FillRect({0, 0, w, h}, bgra);
    Invalidate();
}

void TForm::Close() {
    if (closed_) return;
    TCloseAction action = TCloseAction::caFree;
    if (OnClose) {
        if (!Guarded([&] { OnClose(action); })) action = TCloseAction::caFree;
    }
    if (action == TCloseAction::caNone) return;
    closed_ = true;
    if (ModalResult == 0) ModalResult = IDCANCEL;
    if (action == TCloseAction::caHide) {
        Hide();
    } else {
        DestroyHandle();
    }
    if (Application().MainForm() == this) Application().Terminate();
    // A close from a sent message (the close box clicked from another thread or process)
    // leaves the queue empty: wake the modal loop so that it sees the form has closed.
    PostMessageW(nullptr, WM_NULL, 0, 0);
}

int TForm::ShowModal() {
    if (!HandleAllocated()) Create();
    ModalResult = 0;
    Show();
    MSG msg;
    while (ModalResult == 0 && HandleAllocated() && !closed_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        Application().HandleQueuedMessage(msg);
    }
    if (!closed_) Close();
    return ModalResult;
}

TForm* TForm::FormOf(HWND hwnd) {
    for (HWND h = hwnd; h; h = GetParent(h)) {
        if (auto* form = dynamic_cast<TForm*>(FromHandle(h))) return form;
        if (!(GetWindowLongW(h, GWL_STYLE) & WS_CHILD)) break;
    }
    return nullptr;
}

bool TForm::PreviewKey(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_CHAR) return false;
    TForm* form = FormOf(msg.hwnd);
    if (!form || !form->KeyPreview || msg.hwnd == form->Handle()) return false;
    // The form sees its controls' keys first; a key it clears goes no further.
    if (msg.message == WM_KEYDOWN && form->OnKeyDown) {
        WORD key = static_cast<WORD>(msg.wParam);
        Guarded([&] { form->OnKeyDown(key); });
        if (key == 0) return true;
    }
    if (msg.message == WM_CHAR && form->OnKeyPress) {
        wchar_t key = static_cast<wchar_t>(msg.wParam);
        Guarded([&] { form->OnKeyPress(key); });
        if (key == 0) return true;
        msg.wParam = key;
    }
    return false;
}

bool TForm::DialogKey(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    TForm* form = FormOf(msg.hwnd);
    if (!form || !form->DialogKeys || !form->HandleAllocated()) return false;
    return IsDialogMessageW(form->Handle(), &msg) != 0;
}

LRESULT TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (OnWindowMessage) {
        LRESULT result = 0;
        if (OnWindowMessage(msg, wParam, lParam, result)) return result;
    }
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            // Whatever the canvas does not cover shows the form's colour.
            TPaintScope paint(Handle());
            PaintPicture(paint.DC(), paint.Client(), canvas_, false, Color);
            return 0;
        }
        case WM_CLOSE:
            Close();
            return 0;
        case WM_KEYDOWN:
            if (OnKeyDown) {
                WORD key = static_cast<WORD>(wParam);
                OnKeyDown(key);
            }
            break;
        case WM_CHAR:
            if (OnKeyPress) {
                wchar_t key = static_cast<wchar_t>(wParam);
                OnKeyPress(key);
                if (key == 0) return 0;
            }
            break;
        case WM_COMMAND:
            // Escape in a dialog comes as IDCANCEL without a control.
            if (!lParam && LOWORD(wParam) == IDCANCEL && DialogKeys) {
                Close();
                return 0;
            }
            break;
        case WM_DESTROY:
            if (OnDestroy) Guarded(OnDestroy);
            break;
        default:
            break;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}

}  // namespace kv
