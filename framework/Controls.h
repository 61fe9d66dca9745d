#pragma once
// The plain controls: an image, a push button and the timer.
#include <functional>
#include <optional>

#include "framework/Forms.h"

namespace kv {

// Shows a picture at its top-left corner (or stretched over the control).
class TImage : public TWinControl {
public:
    using TWinControl::TWinControl;
    bool Stretch = false;
    bool AutoSize = false;  // the control takes the picture's size when one is set
    COLORREF Color = RGB(0, 0, 0);  // behind the picture where it does not cover

    const Bitmap& Picture() const { return picture_; }
    void SetPicture(Bitmap picture);

    std::function<void(int x, int y)> OnMouseMove;
    std::function<void(int x, int y)> OnMouseDown;
    std::function<void(int x, int y)> OnMouseUp;
    std::function<void()> OnMouseLeave;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    Bitmap picture_;
    bool tracking_ = false;
};

// A push button. A Space key-down followed by its key-up, sent or typed, is a click, as is
// the mouse; OnClick runs for both.
class TButton : public TWinControl {
public:
    explicit TButton(TWinControl* parent) : TWinControl(parent) { TabStop = true; }
    bool Default = false;  // Enter presses it

    void Click();

protected:
    const wchar_t* SystemClassName() const override { return L"BUTTON"; }
    DWORD WindowStyle() const override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void CommandNotify(WORD code) override;

private:
    bool spaceDown_ = false;
};

// Calls OnTimer every Interval milliseconds on the GUI thread while Enabled.
class TTimer {
public:
    TTimer();
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    unsigned Interval = 1000;
    std::function<void()> OnTimer;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

private:
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);
    UINT_PTR id_ = 0;
    bool enabled_ = false;
};

}  // namespace kv
