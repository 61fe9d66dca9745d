#include "showcase/SlideStage.h"

#include "framework/Shell.h"

namespace kv {

bool SlideStage::ShowPicture(int32_t item, int style) {
    const std::wstring file = tempFolder_ + L"kvpic" + std::to_wstring(item) + L".jpg";
    if (!FileExists(file)) return false;
    TTransitionPlayer& player = player_.Player();
    player.Stop();
    player.SetStyle(style);
    player.LoadPicture(Narrow(file));
    player.Execute();
    return true;
}

bool SlideStage::PlayMovie(int32_t item) {
    const std::wstring file = tempFolder_ + L"kvclip" + std::to_wstring(item) + L".swf";
    if (!FileExists(file)) return false;
    flash_->SetMovie(file);
    flash_->Play();
    return true;
}

}  // namespace kv
