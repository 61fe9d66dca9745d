#pragma once
// The show's rules as plain code, shared by the show and preview windows: the layout of
// the show area, the one-second slide step, the wake-up rules and the music playlist.
// The windows implement the small interfaces below and call these once per event.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "graphics/Geometry.h"
#include "package/ShowSettings.h"
#include "package/StyleList.h"

namespace kv {

// --- layout of the show area ---

struct ShowLayout {
    bool ScreenTooSmall = false;  // SW < DW or SH < DH (after UseScreenSize is applied)
    bool Framed = false;          // frame margins used (UseFrame set and a usable tile)
    int32_t GapLeft = 0, GapTop = 0, GapRight = 0, GapBottom = 0;
    Rect Area;  // (GapLeft, GapTop, SW-GapLeft-GapRight, SH-GapTop-GapBottom) as edges
};

// Applies UseScreenSize to settings (DesignWidth/Height := SW/SH; a design size below 1,
// such as a short stored copy gives, is replaced so too), then the screen check, then
// the gaps. With ScreenTooSmall set the gaps and the area stay 0 and nothing else is
// computed. tileWidth/tileHeight 0 (no usable frame picture) with UseFrame set gives the
// unframed margins and Framed == false (the show runs without a frame); a framed layout
// takes its margins from ComputeFrameLayout, so the area fits the painted frame.
// Raises kv::Error, framed, for a tile that is not square.
ShowLayout LayoutShowArea(int32_t screenWidth, int32_t screenHeight, ShowSettings& settings,
                          int32_t tileWidth, int32_t tileHeight);

// --- the one-second step shared by the show and preview windows ---

struct SlideState {
    int32_t IdleTicks = 100;   // ticks at which the player was idle since the last change
    int32_t CurrentItem = 0;   // the next picture or movie to show
};

class SlideTarget {  // the window implements it
public:
    virtual bool PlayerBusy() = 0;
    // Stop the player, set the style, load TempFolder + "kvpic<item>.jpg", Execute.
    // Returns false, doing nothing, when that file does not exist.
    virtual bool ShowPicture(int32_t item, int style) = 0;
    virtual int32_t FlashTotalFrames() = 0;
    virtual int32_t FlashCurrentFrame() = 0;
    // Movie := TempFolder + "kvclip<item>.swf", Play. false, doing nothing, when missing.
    virtual bool PlayMovie(int32_t item) = 0;

protected:
    ~SlideTarget() = default;
};

// One timer tick. Item count (ItemCount(settings)) 0 or below: nothing. Pictures: a busy
// player skips to the wrap test; otherwise IdleTicks counts up and, once it reaches
// IntervalSeconds, is reset and the next picture starts in a style drawn with
// kv::Random(StyleCount) (style 0 for an empty list). Flash: the next movie starts once
// the current frame is within 5 of the total. A missing file moves on to the next item
// (each item tried at most once per tick, wrapping); when every file is missing the
// screen keeps what it shows and CurrentItem stays. Then CurrentItem wraps to 0 at the
// item count.
void SlideStep(const ShowSettings& settings, const StyleList& styles, SlideState& state, SlideTarget& target);

// --- wake-up ---

struct WakeState {
    int32_t MouseMoves = 0;
    Point WakePoint{0, 0};
};
struct WakeVerdict {
    bool Handled = false;  // withhold the message from every window
    bool Close = false;    // close the show window
};

// The application-wide message hook's rule for one queued message. msg/wParam are the
// Win32 values; cursor() reads the cursor's screen position and is called for every
// mouse move, in any mode. Closing only once is the window's affair: the rule says
// Close for every waking message.
WakeVerdict AppMessageRule(int32_t quitMode, WakeState& state, uint32_t msg, uint64_t wParam,
                           bool resizingFlash, const std::function<Point()>& cursor);

// Whether a character key closes the show.
bool KeyPressCloses(int32_t quitMode);

// --- music playlist ---

// Plays the tracks in order, wrapping, one notification at a time. Only the first
// min(musicCount, tracks.size()) tracks take part: a count above the list never indexes
// past it.
//
// Without sound output a play command ends at once, which would have the playlist reopen
// track after track without pause. A play that ends under 1 s after it started and
// under half of its length (or of no length at all) counts as ended at once; once a whole
// round of the playlist has ended at once in a row, the playlist stops for good. A track
// that really played resets the count.
class MusicPlaylist {
public:
    MusicPlaylist(std::vector<std::filesystem::path> tracks, int32_t musicCount);

    struct Action {
        enum Kind { Nothing, Rearm, Play } Kind = Nothing;
        size_t Track = 0;          // Play: the entry to open and play (then re-arm)
        bool FileMissing = false;  // Play: the file is missing: show "load music error" first
    };

    // The current track (the first one, from the package walk) was started at nowMs.
    void Started(int64_t nowMs);
    // A completion notification. position and length in milliseconds; nowMs any
    // monotonic clock in milliseconds. A Play action counts the track as started at nowMs.
    Action OnNotify(bool stopped, int64_t position, int64_t length, int64_t nowMs);

    int32_t CurrentTrack() const { return CurrentTrack_; }
    // True once a whole round ended at once: no further track is played.
    bool GaveUp() const { return GaveUp_; }
    const std::vector<std::filesystem::path>& Tracks() const { return Tracks_; }

private:
    std::vector<std::filesystem::path> Tracks_;
    int32_t Count_ = 0;  // tracks that take part
    int32_t CurrentTrack_ = 0;
    std::optional<int64_t> StartedMs_;
    int32_t EndedAtOnce_ = 0;  // plays in a row that ended at once
    bool GaveUp_ = false;
};

}  // namespace kv
