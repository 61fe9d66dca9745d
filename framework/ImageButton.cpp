#include "framework/ImageButton.h"

namespace kv {

TMouseEffectImage::TMouseEffectImage(TWinControl* parent) : TImage(parent) { AutoSize = true; }

void TMouseEffectImage::Reset() { ShowPicture(State::Origin); }

void TMouseEffectImage::ShowPicture(State state) {
    shown_ = state;
    const Bitmap& picture = state == State::Over ? OverPicture : state == State::Down ? DownPicture : OriginPicture;
    SetPicture(picture);
    if (HandleAllocated()) Update();
}

LRESULT TMouseEffectImage::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_MOUSEMOVE:
            if (!inside_) {
                inside_ = true;
                if (shown_ == State::Origin) ShowPicture(State::Over);
            }
            break;
        case WM_MOUSELEAVE:
            inside_ = false;
            ShowPicture(State::Origin);
            break;
        case WM_LBUTTONDOWN:
            ShowPicture(State::Down);
            break;
        case WM_LBUTTONUP:
            // The picture changes before the click runs: a click that opens a box or
            // closes the window must not leave the pressed picture behind.
            if (!RevertOnLeave) {
                ShowPicture(State::Origin);
            } else if (shown_ == State::Down) {
                ShowPicture(inside_ ? State::Over : State::Origin);
            }
            break;
        default:
            break;
    }
    return TImage::WndProc(msg, wParam, lParam);
}

}  // namespace kv
