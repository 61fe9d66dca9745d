#include "showcase/core/ShowRules.h"

#include <algorithm>
#include <limits>
#include <system_error>
#include <utility>

#include "common/Error.h"
#include "frames/frameManagerUnit.h"
#include "graphics/Random.h"

namespace kv {

// --- layout ---

ShowLayout LayoutShowArea(int32_t screenWidth, int32_t screenHeight, ShowSettings& settings,
                          int32_t tileWidth, int32_t tileHeight) {
    // A design size below 1 (a stored copy too short to hold it reads as 0) cannot be
    // laid out: the show then takes the screen's size, as with UseScreenSize.
    if (settings.UseScreenSize || settings.DesignWidth < 1 || settings.DesignHeight < 1) {
        settings.DesignWidth = screenWidth;
        settings.DesignHeight = screenHeight;
    }
    const int32_t dw = settings.DesignWidth, dh = settings.DesignHeight;

    ShowLayout layout;
    if (screenWidth < dw || screenHeight < dh) {
        layout.ScreenTooSmall = true;
        return layout;
    }
    if (settings.UseFrame && tileWidth > 0 && tileHeight > 0) {
        const FrameLayout frame = ComputeFrameLayout(screenWidth, screenHeight, dw, dh, tileWidth, tileHeight);
        layout.Framed = true;
        layout.GapLeft = frame.Left;
        layout.GapTop = frame.Top;
        layout.GapRight = frame.Right;
        layout.GapBottom = frame.Bottom;
    } else {
        // dw <= screenWidth and dw >= 1: the difference cannot overflow.
        layout.GapLeft = layout.GapRight = (screenWidth - dw) / 2;
        layout.GapTop = layout.GapBottom = (screenHeight - dh) / 2;
    }
    // A frame wider than the design area leaves no room inside it: the area is then empty
    // in that direction rather than of negative size.
    const int32_t right = std::max(layout.GapLeft, screenWidth - layout.GapRight);
    const int32_t bottom = std::max(layout.GapTop, screenHeight - layout.GapBottom);
    layout.Area = Rect{layout.GapLeft, layout.GapTop, right, bottom};
    return layout;
}

// --- the one-second step ---

namespace {

// Tries item, item + 1, ... (wrapping, each once) until show(item) succeeds; returns the
// item shown, or nothing when every file is missing.
template <typename Show>
std::optional<int32_t> FirstPresent(int32_t start, int32_t count, Show show) {
    if (start < 0 || start >= count) start = 0;
    for (int32_t k = 0; k < count; ++k) {
        const int32_t item = static_cast<int32_t>((int64_t{start} + k) % count);
        if (show(item)) return item;
    }
    return std::nullopt;
}

}  // namespace

void SlideStep(const ShowSettings& settings, const StyleList& styles, SlideState& state, SlideTarget& target) {
    const int32_t count = ItemCount(settings);
    if (count <= 0) return;

    if (settings.ShowKind == 0) {
        if (!target.PlayerBusy()) {
            ++state.IdleTicks;
            if (state.IdleTicks < settings.IntervalSeconds) return;
            state.IdleTicks = 0;
            const int r = Random(styles.Count());
            const int style = styles.Count() > 0 ? styles.Styles()[static_cast<size_t>(r)] : 0;
            if (auto shown = FirstPresent(state.CurrentItem, count,
                                          [&](int32_t item) { return target.ShowPicture(item, style); }))
                state.CurrentItem = *shown + 1;
        }
    } else if (settings.ShowKind == 1) {
        const int64_t total = target.FlashTotalFrames();
        const int64_t current = target.FlashCurrentFrame();
        if (current >= total - 5) {
            if (auto shown = FirstPresent(state.CurrentItem, count,
                                          [&](int32_t item) { return target.PlayMovie(item); }))
                state.CurrentItem = *shown + 1;
        }
    }

    if (state.CurrentItem >= count) state.CurrentItem = 0;
}

// --- wake-up ---

namespace {
constexpr uint32_t kKeyDown = 0x100;
constexpr uint32_t kMouseMove = 0x200;
constexpr uint32_t kLeftButtonDown = 0x201;
constexpr uint32_t kRightButtonDown = 0x204;
constexpr uint64_t kSpaceKey = 0x20;
constexpr int64_t kWakeDistance = 20;
constexpr int32_t kWakeMoves = 10;
}  // namespace

WakeVerdict AppMessageRule(int32_t quitMode, WakeState& state, uint32_t msg, uint64_t wParam,
                           bool resizingFlash, const std::function<Point()>& cursor) {
    WakeVerdict verdict;
    switch (msg) {
        case kRightButtonDown:
        case kLeftButtonDown:
            // No window ever receives a right-button press during the show.
            if (msg == kRightButtonDown) verdict.Handled = true;
            if (quitMode == 2 || quitMode == 4) verdict.Close = true;
            break;
        case kMouseMove: {
            if ((quitMode == 1 || quitMode == 4) && state.MouseMoves < std::numeric_limits<int32_t>::max())
                ++state.MouseMoves;
            const Point p = cursor();
            if (state.MouseMoves > kWakeMoves &&
                (int64_t{p.X} - state.WakePoint.X > kWakeDistance || int64_t{p.Y} - state.WakePoint.Y > kWakeDistance))
                verdict.Close = true;
            break;
        }
        case kKeyDown:
            // The Space press that the resize handler sends to its hidden button is no wake-up.
            if (wParam == kSpaceKey && resizingFlash) break;
            if (quitMode == 3 || quitMode == 4) verdict.Close = true;
            break;
        default:
            break;
    }
    return verdict;
}

bool KeyPressCloses(int32_t quitMode) { return quitMode == 3 || quitMode == 4; }

// --- music playlist ---

namespace {
constexpr int64_t kAtOnceWallMs = 1000;
}  // namespace

MusicPlaylist::MusicPlaylist(std::vector<std::filesystem::path> tracks, int32_t musicCount)
    : Tracks_(std::move(tracks)) {
    const int64_t listed = static_cast<int64_t>(std::min<size_t>(Tracks_.size(), std::numeric_limits<int32_t>::max()));
    Count_ = static_cast<int32_t>(std::clamp<int64_t>(musicCount, 0, listed));
}

void MusicPlaylist::Started(int64_t nowMs) { StartedMs_ = nowMs; }

MusicPlaylist::Action MusicPlaylist::OnNotify(bool stopped, int64_t position, int64_t length, int64_t nowMs) {
    Action action;
    if (Count_ == 0 || GaveUp_) return action;
    if (!stopped && position != length) {
        action.Kind = Action::Rearm;
        return action;
    }

    // The play that just ended: at once, or really played?
    bool atOnce = false;
    if (StartedMs_) {
        const int64_t elapsed = nowMs - *StartedMs_;
        atOnce = elapsed < kAtOnceWallMs && (length <= 0 || elapsed < length / 2);
    }
    EndedAtOnce_ = atOnce ? EndedAtOnce_ + 1 : 0;
    if (EndedAtOnce_ >= Count_) {
        GaveUp_ = true;
        return action;
    }

    if (CurrentTrack_ >= Count_ - 1) CurrentTrack_ = -1;
    ++CurrentTrack_;

    std::error_code ec;
    action.Kind = Action::Play;
    action.Track = static_cast<size_t>(CurrentTrack_);
    action.FileMissing = !std::filesystem::exists(Tracks_[action.Track], ec);
    StartedMs_ = nowMs;
    return action;
}

}  // namespace kv
