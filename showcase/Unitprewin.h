#pragma once
// TSaverPreviewForm: the live miniature of the show inside the monitor picture of the
// display settings. A child of the host window, it reads the package by itself (no
// music, no frame, no stored settings) and runs the show's one-second step on its own
// state. It closes when its host window goes away.
#include <memory>
#include <string>

#include "framework/Controls.h"
#include "framework/FlashControl.h"
#include "framework/Forms.h"
#include "framework/PlayerControl.h"
#include "package/SaverPackage.h"
#include "showcase/SlideStage.h"

namespace kv {

class TSaverPreviewForm : public TForm {
public:
    explicit TSaverPreviewForm(HWND host);
    ~TSaverPreviewForm() override;

    std::unique_ptr<FlashControl> FlashPlayer;
    TPlayerControl Player1{this};
    TTimer Timer1;

    SlideState Slide;  // IdleTicks and CurrentItem

private:
    void FormCreate();
    bool ReadPackage();
    void Layout();
    void Timer1Timer();
    void FitControls();
    bool HostGone() const;

    HWND host_;
    TTimer hostWatch_;  // looks for the host more often than the one-second step
    std::wstring TempFolder_;
    PackageState package_;
    bool ended_ = false;
    SlideStage stage_{Player1, FlashPlayer, TempFolder_};
};

// Runs the preview inside host until it closes or the host goes; returns the exit code.
int RunPreview(HWND host);

}  // namespace kv
