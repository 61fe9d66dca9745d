#pragma once
// An image button made of three pictures: the picture at rest, the one while the pointer
// is over it and the one while the left button is held down. It takes its picture's size.
#include "framework/Controls.h"

namespace kv {

class TMouseEffectImage : public TImage {
public:
    explicit TMouseEffectImage(TWinControl* parent);

    Bitmap OriginPicture;  // at rest, and the initial picture
    Bitmap OverPicture;    // while the pointer is over it
    Bitmap DownPicture;    // while the left button is down on it
    // When true, releasing the button keeps the picture shown until the pointer leaves;
    // when false, releasing it shows OriginPicture again.
    bool RevertOnLeave = false;

    // Shows OriginPicture (call after setting the pictures).
    void Reset();

    enum class State { Origin, Over, Down };
    State Shown() const { return shown_; }

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void ShowPicture(State state);
    State shown_ = State::Origin;
    bool inside_ = false;
};

}  // namespace kv
