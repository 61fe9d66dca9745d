#include "framework/Controls.h"

#include <map>

#include "framework/Dialogs.h"

namespace kv {

// ---------------------------------------------------------------------------------------
// TImage

void TImage::SetPicture(Bitmap picture) {
    picture_ = std::move(picture);
    if (AutoSize && !picture_.Empty()) SetBounds(Left, Top, picture_.Width(), picture_.Height());
    Invalidate();
}

LRESULT TImage::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            TPaintScope paint(Handle());
            PaintPicture(paint.DC(), paint.Client(), picture_, Stretch, Color);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (!tracking_) {
                TRACKMOUSEEVENT t{sizeof(t), TME_LEAVE, Handle(), 0};
                tracking_ = TrackMouseEvent(&t) != 0;
            }
            if (OnMouseMove) OnMouseMove(x, y);
            return 0;
        case WM_MOUSELEAVE:
            tracking_ = false;
            if (OnMouseLeave) OnMouseLeave();
            return 0;
        case WM_LBUTTONDOWN:
            SetCapture(Handle());
            if (OnMouseDown) OnMouseDown(x, y);
            return 0;
        case WM_LBUTTONUP: {
            const bool captured = GetCapture() == Handle();
            if (captured) ReleaseCapture();
            if (OnMouseUp) OnMouseUp(x, y);
            RECT rc;
            GetClientRect(Handle(), &rc);
            POINT p{x, y};
            if (captured && PtInRect(&rc, p) && OnClick) OnClick();
            return 0;
        }
        default:
            break;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}

// ---------------------------------------------------------------------------------------
// TButton

DWORD TButton::WindowStyle() const {
    return TWinControl::WindowStyle() | (Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

void TButton::Click() {
    if (OnClick) OnClick();
}

void TButton::CommandNotify(WORD code) {
    if (code == BN_CLICKED) Click();
}

LRESULT TButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // The Space press is turned into a click here rather than left to the system button,
    // which also wants the key-up's point inside its rectangle: a hidden button of no size
    // must click all the same.
    if (msg == WM_KEYDOWN && wParam == VK_SPACE) {
        spaceDown_ = true;
        return 0;
    }
    if (msg == WM_KEYUP && wParam == VK_SPACE) {
        if (spaceDown_) {
            spaceDown_ = false;
            Click();
        }
        return 0;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}

// ---------------------------------------------------------------------------------------
// TTimer

namespace {
std::map<UINT_PTR, TTimer*>& Timers() {
    static std::map<UINT_PTR, TTimer*> timers;
    return timers;
}
}  // namespace

TTimer::TTimer() = default;

TTimer::~TTimer() { SetEnabled(false); }

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled) {
        id_ = SetTimer(nullptr, 0, Interval, &TTimer::TimerProc);
        if (id_) Timers()[id_] = this;
    } else if (id_) {
        KillTimer(nullptr, id_);
        Timers().erase(id_);
        id_ = 0;
    }
}

void CALLBACK TTimer::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Timers().find(id);
    if (it == Timers().end()) return;
    TTimer* timer = it->second;
    if (timer->OnTimer) Guarded(timer->OnTimer);
}

}  // namespace kv
