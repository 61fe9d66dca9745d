#pragma once
// TransitionPlayer: a control that shows one picture at a time and brings each new
// picture on screen through an animated transition of one EffectTable style.
//
// The player draws into memory bitmaps only. Everything it needs from a window goes
// through PlayerHost: the window host (show and preview windows) forwards to Win32, the
// InProcessHost below runs the same message rules inside the process for tests and tools.
//
// Threads. Everything runs on the host's GUI thread except the worker (TAnimateThread),
// which steps a threaded transition: it renders each frame under FrameLock and the
// canvas locks, asks the GUI thread to paint it (PlayerHost::Update, a sent message) and
// waits on FrameEvent, which the paint sets, before the next step. Its end reaches the
// GUI thread as a posted done message; only the GUI thread frees the worker and runs
// Finish. OnBeforeNewFrame, OnCustomDraw, OnAfterNewFrame and OnProgress run on the
// worker in a threaded transition; OnStart, OnComplete and OnStop on the GUI thread.
//
// Lock order: FrameLock, then the canvases of NewImage, ScreenBitmap and (briefly)
// OldImage. Paint: PaintBuffer's canvas, then ScreenBitmap's.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "graphics/Bitmap.h"
#include "graphics/Geometry.h"

namespace kv {

class TCustomTransitionPlayer;

// What the player handles as a window: paints, size changes and its worker's done
// message. A host calls these on its GUI thread only.
class PlayerWindow {
public:
    virtual void WmPaint() = 0;
    virtual void WmSize() = 0;
    virtual void WmAnimateDone(uint64_t worker) = 0;

protected:
    ~PlayerWindow() = default;
};

// The window side of the player.
class PlayerHost {
public:
    virtual ~PlayerHost() = default;
    virtual void Bind(PlayerWindow* window) = 0;  // null unbinds (drops queued messages)
    virtual bool HandleAllocated() const = 0;
    virtual void CreateHandle() = 0;
    virtual int ClientWidth() const = 0;
    virtual int ClientHeight() const = 0;
    // Resizes the client area; the window then receives WmSize.
    virtual void SetClientSize(int width, int height) = 0;
    // Adds r to the update region, without erasing. Any thread.
    virtual void InvalidateRect(const Rect& r) = 0;
    // Invalidates the whole client area. GUI thread.
    virtual void Invalidate() = 0;
    // True when the update region is not empty. Any thread.
    virtual bool UpdatePending() const = 0;
    // Paints the pending update region now (WmPaint) on the GUI thread; from another
    // thread this is a sent message that waits until the GUI thread has served it.
    virtual void Update() = 0;
    // Shows the composed client area (the paint's last step).
    virtual void Present(const Bitmap& clientArea) = 0;
    // Posts the done message of worker `worker` (from the worker thread).
    virtual void PostAnimateDone(uint64_t worker) = 0;
    // Removes one queued done message, if any, and returns it (sent messages are served
    // first, as a peek does). GUI thread.
    virtual std::optional<uint64_t> PeekAnimateDone() = 0;
    // Serves sent messages (and only those) until finished() is true; Wake() makes it
    // look again. GUI thread.
    virtual void WaitServing(const std::function<bool()>& finished) = 0;
    virtual void Wake() = 0;
    // Serves sent and posted messages and pending paints, waiting up to `wait` for one
    // to arrive. GUI thread.
    virtual void ProcessMessages(std::chrono::milliseconds wait) = 0;
    virtual bool IsGuiThread() const = 0;
};

// A window inside the process, for tests and tools. The thread that constructs it is
// its GUI thread. Painting shows the client area through OnPresent.
class InProcessHost : public PlayerHost {
public:
    InProcessHost(int width = 100, int height = 100);
    ~InProcessHost() override;

    // Called on the GUI thread with the composed client area after every paint.
    std::function<void(const Bitmap&)> OnPresent;

    // Runs the message loop until done() is true or the timeout has passed; returns
    // done() at the end.
    bool PumpUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds timeout = std::chrono::minutes(5));
    // Queues a task that the message loop runs on the GUI thread (a posted message).
    void Post(std::function<void()> task);
    int PaintCount() const { return paints_; }
    // The bounds of the pending update region; empty when nothing waits for a paint.
    Rect UpdateRect() const {
        std::lock_guard lock(mutex_);
        return update_;
    }

    void Bind(PlayerWindow* window) override;
    bool HandleAllocated() const override { return true; }
    void CreateHandle() override {}
    int ClientWidth() const override { return width_; }
    int ClientHeight() const override { return height_; }
    void SetClientSize(int width, int height) override;
    void InvalidateRect(const Rect& r) override;
    void Invalidate() override;
    bool UpdatePending() const override;
    void Update() override;
    void Present(const Bitmap& clientArea) override;
    void PostAnimateDone(uint64_t worker) override;
    std::optional<uint64_t> PeekAnimateDone() override;
    void WaitServing(const std::function<bool()>& finished) override;
    void Wake() override;
    void ProcessMessages(std::chrono::milliseconds wait) override;
    bool IsGuiThread() const override { return std::this_thread::get_id() == gui_; }

private:
    struct Sent {
        bool Done = false;
    };
    void PaintIfPending();
    bool ServeSent(std::unique_lock<std::mutex>& lock);

    const std::thread::id gui_;
    PlayerWindow* window_ = nullptr;
    std::atomic<int> width_;
    std::atomic<int> height_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    Rect update_;                    // the update region's bounds; empty when none
    std::deque<Sent*> sent_;         // paint requests from other threads
    struct Posted {
        uint64_t Done = 0;            // a done message when Task is empty
        std::function<void()> Task;
    };
    std::deque<Posted> posted_;
    std::atomic<int> paints_{0};
    bool paintInProgress_ = false;
};

// A manual-reset event.
class ManualResetEvent {
public:
    explicit ManualResetEvent(bool signalled) : set_(signalled) {}
    void Set();
    void Reset();
    void Wait();
    bool IsSet() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    bool set_;
};

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };
enum class TBackgroundMode { bmNone = 0, bmTiled = 1, bmStretched = 2, bmCentered = 3 };
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// 0 draws through OnCustomDraw; 1..150 select an EffectTable row.
using TShowStyle = uint8_t;
using TNotifyEvent = std::function<void(TCustomTransitionPlayer& Sender)>;
using TCustomDrawEvent =
    std::function<void(TCustomTransitionPlayer& Sender, Bitmap& Picture, Bitmap& Screen)>;

// The largest rectangle with the aspect of s inside d, centred in d.
Rect FitRect(const Rect& s, const Rect& d);

// Draws graphic over r, tiled row by row from r's top-left corner.
void TileGraphic(Bitmap& canvas, const Rect& r, const Bitmap& graphic);

// The worker that steps one threaded transition. Made and freed by the player on the
// GUI thread.
class TAnimateThread {
public:
    TAnimateThread(TCustomTransitionPlayer& player, uint64_t id);
    ~TAnimateThread();  // joins
    void Resume();
    void Terminate();
    bool Terminated() const;
    bool Started() const { return started_.load(); }
    bool Finished() const { return finished_.load(); }
    void Join();
    uint64_t Id() const { return id_; }
    TCustomTransitionPlayer& Player() const { return player_; }
    bool OnThisThread() const { return std::this_thread::get_id() == thread_.get_id(); }

private:
    void Run();
    void Body();
    bool SleepUntil(std::chrono::steady_clock::time_point deadline);  // false when terminated meanwhile

    TCustomTransitionPlayer& player_;
    const uint64_t id_;
    std::atomic<bool> started_{false};
    std::atomic<bool> finished_{false};
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    bool resumed_ = false;
    bool terminated_ = false;
    std::thread thread_;
};

class TCustomTransitionPlayer : private PlayerWindow {
public:
    explicit TCustomTransitionPlayer(PlayerHost& host);
    virtual ~TCustomTransitionPlayer();
    TCustomTransitionPlayer(const TCustomTransitionPlayer&) = delete;
    TCustomTransitionPlayer& operator=(const TCustomTransitionPlayer&) = delete;

    // --- Properties -----------------------------------------------------------------
    TShowStyle Style() const { return style_.load(); }
    void SetStyle(int s);
    std::string StyleName() const;
    void SetStyleName(const std::string& name);
    uint16_t Step() const { return step_.load(); }
    void SetStep(unsigned value);
    uint16_t Delay() const { return delay_.load(); }
    void SetDelay(uint16_t ms) { delay_ = ms; }
    bool Reverse() const { return reverse_.load(); }
    void SetReverse(bool value) { reverse_ = value; }
    bool Manual() const { return manual_.load(); }
    void SetManual(bool value);
    bool Threaded() const { return threaded_; }
    void SetThreaded(bool value) { threaded_ = value; }
    TThreadPriority ThreadPriority() const { return priority_; }
    void SetThreadPriority(TThreadPriority value) { priority_ = value; }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    bool StretchFine() const { return stretchFine_; }
    void SetStretchFine(bool value);
    bool Center() const { return center_; }
    void SetCenter(bool value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    bool OverDraw() const { return overDraw_; }
    void SetOverDraw(bool value) { overDraw_ = value; }
    TBackgroundMode BgMode() const { return bgMode_; }
    void SetBgMode(TBackgroundMode mode);
    uint32_t Color() const { return color_; }
    void SetColor(uint32_t bgra) { color_ = bgra; }
    TAlign Align() const { return align_; }
    void SetAlign(TAlign align) { align_ = align; }

    // The picture containers: a graphic or none. Assigning reports a change.
    const std::optional<Bitmap>& Picture() const { return picture_; }
    void SetPicture(std::optional<Bitmap> graphic);
    void LoadPicture(const std::string& utf8Path);  // any picture file we read
    const std::optional<Bitmap>& BgPicture() const { return bgPicture_; }
    void SetBgPicture(std::optional<Bitmap> graphic);

    bool Busy() const { return busy_.load(); }
    uint8_t Progress() const { return progress_.load(); }
    // In manual mode the caller moves the transition with this; no effect unless Busy.
    void SetProgress(int value);

    // --- Events ---------------------------------------------------------------------
    TNotifyEvent OnChange, OnProgress, OnComplete, OnStop, OnMouseEnter, OnMouseLeave;
    TCustomDrawEvent OnStart, OnCustomDraw, OnBeforeNewFrame, OnAfterNewFrame;

    // --- Operations -----------------------------------------------------------------
    virtual void Execute();
    virtual void Stop();
    virtual void Clear();

    // Read-only views for the host and for tests.
    const Bitmap& ScreenBitmap() const { return screen_; }
    const Bitmap& PaintBuffer() const { return paintBuffer_; }
    Rect PicRect() const;
    // Maps r (picture coordinates) to the client area and invalidates it.
    void InvalidateArea(const Rect& r);
    void MouseEnter();
    void MouseLeave();

protected:
    // Ends a running transition without events and waits for the worker to go. The worker
    // calls the virtual frame dispatchers, so every class that can be the most derived
    // one calls this first in its destructor, before any of the object is torn down.
    void Shutdown();

    virtual void Paint();
    virtual void PaintBackground(Bitmap& canvas, const Rect& r);
    virtual void DoChange();
    virtual void DoProgress();
    virtual void DoCustomDraw(Bitmap& picture, Bitmap& screen);
    virtual void DoBeforeNewFrame(Bitmap& picture, Bitmap& screen);
    virtual void DoAfterNewFrame(Bitmap& picture, Bitmap& screen);
    virtual void DoComplete();
    virtual void DoStart(Bitmap& picture, Bitmap& screen);
    virtual void DoStop();

private:
    friend class TAnimateThread;

    void WmPaint() override;
    void WmSize() override;
    void WmAnimateDone(uint64_t worker) override;

    void Prepare();
    void RenderFrame();
    void Animate();
    bool StopThread();
    void UpdatePicRect();
    void AdjustSize();
    void PictureChanged();
    void BgPictureChanged();
    Rect ClientRect() const;
    Rect StretchTarget() const;
    bool Invalidatable() const;
    // The next percentage and whether it ends the transition.
    uint8_t NextProgress() const;
    bool EndReached() const;
    // One step of the worker; terminates it at the end of the transition.
    void WorkerStep(TAnimateThread& worker);
    void Finish(bool stopped);

    PlayerHost& host_;
    std::atomic<TShowStyle> style_{51};
    std::atomic<uint16_t> step_{4};
    std::atomic<uint16_t> delay_{40};
    std::atomic<bool> reverse_{false};
    std::atomic<bool> manual_{false};
    bool threaded_ = true;
    TThreadPriority priority_ = TThreadPriority::tpNormal;
    std::atomic<bool> stretch_{false};
    std::atomic<bool> stretchFine_{false};
    std::atomic<bool> center_{false};
    bool autoSize_ = true;
    bool overDraw_ = true;
    TBackgroundMode bgMode_ = TBackgroundMode::bmTiled;
    uint32_t color_ = 0xFFFFFFFF;
    TAlign align_ = TAlign::alNone;
    std::optional<Bitmap> picture_;
    std::optional<Bitmap> bgPicture_;

    std::atomic<bool> busy_{false};
    std::atomic<uint8_t> progress_{0};
    Bitmap screen_;
    Bitmap paintBuffer_;
    std::unique_ptr<Bitmap> oldImage_;
    std::unique_ptr<Bitmap> newImage_;
    mutable std::mutex layoutMutex_;  // picRect_: read by the worker's InvalidateArea
    Rect picRect_;
    int picWidth_ = 0;
    int picHeight_ = 0;
    bool stopping_ = false;
    std::atomic<bool> painting_{false};
    bool firstPaintPending_ = true;
    bool destroying_ = false;
    std::atomic<bool> stopRequested_{false};  // Stop called from the worker's own events
    std::unique_ptr<TAnimateThread> worker_;
    uint64_t nextWorkerId_ = 1;
    std::recursive_mutex frameLock_;
    ManualResetEvent frameEvent_{true};
};

// The published form; adds nothing.
class TTransitionPlayer : public TCustomTransitionPlayer {
public:
    using TCustomTransitionPlayer::TCustomTransitionPlayer;
    ~TTransitionPlayer() override;
};

}  // namespace kv
