#pragma once
// The transition player as a window: TPlayerControl is the child window that hosts a
// TTransitionPlayer. It paints the player's composed client area double-buffered (no
// background erase), forwards size changes, carries the worker's done message
// (WM_USER + 1) and the worker's paint requests, and waits for the worker while still
// serving the messages other threads send to it.
#include <atomic>
#include <memory>

#include "framework/Forms.h"
#include "transitions/TransitionPlayer.h"

namespace kv {

class TPlayerControl : public TWinControl, public PlayerHost {
public:
    static constexpr UINT WM_ANIMATEDONE = WM_USER + 1;
    static constexpr UINT WM_PAINTNOW = WM_USER + 2;  // a worker's request to paint what is pending

    explicit TPlayerControl(TWinControl* parent);
    ~TPlayerControl() override;

    TTransitionPlayer& Player() { return *player_; }

    // PlayerHost
    void Bind(PlayerWindow* window) override { window_ = window; }
    bool HandleAllocated() const override { return TWinControl::HandleAllocated(); }
    void CreateHandle() override { TWinControl::CreateHandle(); }
    int ClientWidth() const override { return TWinControl::ClientWidth(); }
    int ClientHeight() const override { return TWinControl::ClientHeight(); }
    void SetClientSize(int width, int height) override;
    void InvalidateRect(const Rect& r) override;
    void Invalidate() override { TWinControl::Invalidate(); }
    bool UpdatePending() const override;
    void Update() override;
    void Present(const Bitmap& clientArea) override;
    void PostAnimateDone(uint64_t worker) override;
    std::optional<uint64_t> PeekAnimateDone() override;
    void WaitServing(const std::function<bool()>& finished) override;
    void Wake() override;
    void ProcessMessages(std::chrono::milliseconds wait) override;
    bool IsGuiThread() const override { return GetCurrentThreadId() == guiThread_; }

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    const DWORD guiThread_;
    PlayerWindow* window_ = nullptr;
    HDC paintDc_ = nullptr;
    HANDLE wakeEvent_ = nullptr;
    std::unique_ptr<TTransitionPlayer> player_;
};

}  // namespace kv
