#pragma once
// The Flash movie control behind one interface, with two implementations: the ActiveX
// control when its class is registered on the machine (hosted in our own minimal OLE
// container), otherwise our built-in player. Every failing call raises kv::Error.
#include <cstdint>
#include <memory>
#include <string>

#include "framework/Win.h"

namespace kv {

class FlashControl {  // a child window that plays one movie at a time
public:
    virtual ~FlashControl() = default;
    virtual HWND Handle() const = 0;  // place/show/hide it like any child window
    // Loads the movie file in place of the current one (Movie).
    virtual void SetMovie(const std::wstring& path) = 0;
    // The colour behind the movie, 0x00RRGGBB (BackgroundColor). The built-in player
    // keeps it for later movies too; a value outside 0..0xFFFFFF (such as -1) hands the
    // background back to the movie's own colour.
    virtual void SetBackgroundColor(int32_t color) = 0;
    virtual int32_t TotalFrames() = 0;
    // The number of the frame now shown, counted from 0 (so the last is TotalFrames - 1).
    virtual int32_t CurrentFrame() = 0;
    virtual void Play() = 0;
    virtual void SetVariable(const std::wstring& name, const std::wstring& value) = 0;
    virtual bool BuiltIn() const = 0;  // our player rather than the ActiveX control
};

// Creates the control as a child of parent (hidden, 0x0 unless visible is set; a visible
// control covers the parent's client area): the ActiveX control when its class is
// registered, otherwise the built-in player. A registered control that fails to start
// also gives the built-in player, so a missing or broken installation never stops a show.
std::unique_ptr<FlashControl> CreateFlashControl(HWND parent, bool visible);
std::unique_ptr<FlashControl> CreateBuiltInFlashControl(HWND parent, bool visible);

// The ActiveX control alone: null when its class is not registered; raises kv::Error
// when it is registered but cannot be created or activated.
std::unique_ptr<FlashControl> CreateActiveXFlashControl(HWND parent, bool visible);

}  // namespace kv
