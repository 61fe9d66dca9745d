#pragma once
// What the one-second step drives in the show and preview windows alike: the transition
// player for pictures and the Flash control for movies, both fed from the temporary
// folder where the package walk put the files.
#include <memory>
#include <string>

#include "framework/FlashControl.h"
#include "framework/PlayerControl.h"
#include "showcase/core/ShowRules.h"

namespace kv {

class SlideStage : public SlideTarget {
public:
    SlideStage(TPlayerControl& player, std::unique_ptr<FlashControl>& flash, const std::wstring& tempFolder)
        : player_(player), flash_(flash), tempFolder_(tempFolder) {}

    bool PlayerBusy() override { return player_.Player().Busy(); }
    bool ShowPicture(int32_t item, int style) override;
    int32_t FlashTotalFrames() override { return flash_->TotalFrames(); }
    int32_t FlashCurrentFrame() override { return flash_->CurrentFrame(); }
    bool PlayMovie(int32_t item) override;

private:
    TPlayerControl& player_;
    std::unique_ptr<FlashControl>& flash_;
    const std::wstring& tempFolder_;
};

}  // namespace kv
