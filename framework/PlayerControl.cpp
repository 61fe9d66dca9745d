#include "framework/PlayerControl.h"

#include <utility>

#include <mmsystem.h>

#include "framework/Application.h"

namespace kv {

TPlayerControl::TPlayerControl(TWinControl* parent)
    : TWinControl(parent), guiThread_(GetCurrentThreadId()), wakeEvent_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    // Frames are paced by sleeps of a few tens of milliseconds; at the system's default
    // timer resolution (about 15.6 ms) each would overshoot by up to a tick, and a
    // one-second transition would last a fifth longer.
    timeBeginPeriod(1);
    player_ = std::make_unique<TTransitionPlayer>(*this);
}

TPlayerControl::~TPlayerControl() {
    player_.reset();  // stops a running transition and its worker while the window exists
    DestroyHandle();
    if (wakeEvent_) CloseHandle(wakeEvent_);
    timeEndPeriod(1);
}

void TPlayerControl::SetClientSize(int width, int height) {
    SetBounds(Left, Top, width, height);
}

void TPlayerControl::InvalidateRect(const Rect& r) {
    HWND h = Handle();
    if (!h) return;
    RECT rc{r.Left, r.Top, r.Right, r.Bottom};
    ::InvalidateRect(h, &rc, FALSE);
}

bool TPlayerControl::UpdatePending() const {
    HWND h = Handle();
    return h && GetUpdateRect(h, nullptr, FALSE);
}

void TPlayerControl::Update() {
    HWND h = Handle();
    if (!h) return;
    if (IsGuiThread()) {
        UpdateWindow(h);
    } else {
        // A sent message: the worker waits here until the GUI thread has painted.
        SendMessageW(h, WM_PAINTNOW, 0, 0);
    }
}

void TPlayerControl::Present(const Bitmap& clientArea) {
    if (paintDc_) PaintBitmap(paintDc_, 0, 0, clientArea);
}

void TPlayerControl::PostAnimateDone(uint64_t worker) {
    if (HWND h = Handle()) PostMessageW(h, WM_ANIMATEDONE, static_cast<WPARAM>(worker), 0);
}

std::optional<uint64_t> TPlayerControl::PeekAnimateDone() {
    MSG msg;
    HWND h = Handle();
    if (h && PeekMessageW(&msg, h, WM_ANIMATEDONE, WM_ANIMATEDONE, PM_REMOVE)) return static_cast<uint64_t>(msg.wParam);
    return std::nullopt;
}

void TPlayerControl::WaitServing(const std::function<bool()>& finished) {
    while (!finished()) {
        // Wakes for messages sent from other threads (the worker's paint requests) and
        // for Wake(); serves only the sent ones.
        MsgWaitForMultipleObjects(1, &wakeEvent_, FALSE, 50, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void TPlayerControl::Wake() { SetEvent(wakeEvent_); }

void TPlayerControl::ProcessMessages(std::chrono::milliseconds wait) {
    const DWORD ms = static_cast<DWORD>(std::max<long long>(0, wait.count()));
    MsgWaitForMultipleObjects(1, &wakeEvent_, FALSE, ms, QS_ALLINPUT);
    Application().ProcessMessages();
}

LRESULT TPlayerControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            TPaintScope paint(Handle());
            // Present draws on this paint's device context; a paint within a paint (the
            // player's own guard skips it) leaves the outer one's in place afterwards.
            HDC outer = std::exchange(paintDc_, paint.DC());
            struct Restore {
                HDC& slot;
                HDC dc;
                ~Restore() { slot = dc; }
            } restore{paintDc_, outer};
            if (window_) window_->WmPaint();
            return 0;
        }
        case WM_PAINTNOW:
            UpdateWindow(Handle());
            return 0;
        case WM_SIZE:
            if (window_) window_->WmSize();
            break;
        case WM_ANIMATEDONE:
            if (window_) window_->WmAnimateDone(static_cast<uint64_t>(wParam));
            return 0;
        case WM_DESTROY:
            if (player_) player_->Stop();
            break;
        default:
            break;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}

}  // namespace kv
