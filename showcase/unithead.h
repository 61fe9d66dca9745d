#pragma once
// TMainForm: the full-screen show window. Its creation reads the package, lays the
// user's settings over it, lays out the show area (with the frame around it when the
// frame is on) and starts the one-second timer and the wake-up hook; the timer brings
// the pictures or movies on, the media player's notifications advance the music, and
// the hook and the key handler close the window on the user's wake-up event.
#include <filesystem>
#include <memory>
#include <optional>

#include "framework/Controls.h"
#include "framework/FlashControl.h"
#include "framework/Forms.h"
#include "framework/MediaPlayer.h"
#include "framework/PlayerControl.h"
#include "package/SaverPackage.h"
#include "showcase/SlideStage.h"
#include "showcase/core/ShowRules.h"

namespace kv {

class TMainForm : public TForm {
public:
    TMainForm();
    ~TMainForm() override;

    // Components, in the order of the window's layers from the bottom.
    TImage imgBackGround{this};
    TPlayerControl Player1{this};
    std::unique_ptr<FlashControl> FlashPlayer;
    TButton btnFlashFull{this};
    TMediaPlayer mpBack;
    TTimer SlidingTimer;

    // Fields
    SlideState Slide;           // CurrentItem and IdleTicks of the timer step
    WakeState Wake;             // MouseMoves and WakePoint of the wake-up test
    bool ResizingFlash = false;
    int32_t GapLeft = 0, GapTop = 0, GapRight = 0, GapBottom = 0;

    const StyleList& Styles() const { return package_.Styles; }
    const std::optional<MusicPlaylist>& Music() const { return music_; }

private:
    void FormCreate();
    bool ReadPackage();
    void ReadUserSettings();
    void LayoutShow();
    void FormClose(TCloseAction& action);
    void FormResize();
    void btnFlashFullClick();
    void SlidingTimerTimer();
    void mpBackNotify();
    void StartFlash(const std::filesystem::path& movie);
    void AppMessage(MSG& msg, bool& handled);
    void FormKeyPress(wchar_t& key);
    bool SystemCommand(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    std::wstring TempFolder_;
    SlideStage stage_{Player1, FlashPlayer, TempFolder_};
    PackageState package_;
    bool walking_ = false;  // the package walk is under way (its settings are in package_)
    bool styleCheckFailed_ = false;
    int64_t musicStartedMs_ = 0;
    std::optional<MusicPlaylist> music_;
};

}  // namespace kv
