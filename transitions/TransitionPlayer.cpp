#include "transitions/TransitionPlayer.h"

#include <algorithm>
#include <cctype>

#include "common/Files.h"
#include "graphics/Canvas.h"
#include "graphics/ImageFile.h"
#include "graphics/RasterMath.h"
#include "transitions/TransitionEffects.h"

namespace kv {

namespace {

using Clock = std::chrono::steady_clock;

// The worker whose body runs on this thread, if any.
thread_local TAnimateThread* tCurrentWorker = nullptr;

Rect Union(const Rect& a, const Rect& b) {
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
            std::max(a.Bottom, b.Bottom)};
}

Rect Offset(const Rect& r, int dx, int dy) {
    return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

bool SameTextIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Free helpers

Rect FitRect(const Rect& s, const Rect& d) {
    const int64_t sw = s.Width(), sh = s.Height(), dw = d.Width(), dh = d.Height();
    if (sw <= 0 || sh <= 0) return {d.Left, d.Top, d.Left, d.Top};
    int32_t w, h;
    if (dh * sw > dw * sh) {  // dh / sh > dw / sw
        w = static_cast<int32_t>(dw);
        h = MulDiv(static_cast<int32_t>(sh), static_cast<int32_t>(dw), static_cast<int32_t>(sw));
    } else {
        w = MulDiv(static_cast<int32_t>(sw), static_cast<int32_t>(dh), static_cast<int32_t>(sh));
        h = static_cast<int32_t>(dh);
    }
    const int32_t left = d.Left + static_cast<int32_t>((dw - w) / 2);
    const int32_t top = d.Top + static_cast<int32_t>((dh - h) / 2);
    return {left, top, left + w, top + h};
}

void TileGraphic(Bitmap& canvas, const Rect& r, const Bitmap& graphic) {
    if (graphic.Empty()) return;
    const int rows = r.Height() / graphic.Height() + 1;
    const int columns = r.Width() / graphic.Width() + 1;
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < columns; ++j)
            canvas.Canvas().Draw(r.Left + j * graphic.Width(), r.Top + i * graphic.Height(), graphic);
}

// ---------------------------------------------------------------------------------------
// ManualResetEvent

void ManualResetEvent::Set() {
    std::lock_guard lock(mutex_);
    set_ = true;
    cv_.notify_all();
}

void ManualResetEvent::Reset() {
    std::lock_guard lock(mutex_);
    set_ = false;
}

void ManualResetEvent::Wait() {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return set_; });
}

bool ManualResetEvent::IsSet() const {
    std::lock_guard lock(mutex_);
    return set_;
}

// ---------------------------------------------------------------------------------------
// InProcessHost

InProcessHost::InProcessHost(int width, int height)
    : gui_(std::this_thread::get_id()), width_(width), height_(height) {}

InProcessHost::~InProcessHost() = default;

void InProcessHost::Bind(PlayerWindow* window) {
    std::lock_guard lock(mutex_);
    window_ = window;
    if (!window) {
        std::erase_if(posted_, [](const Posted& p) { return !p.Task; });
        update_ = {};
    }
}

void InProcessHost::SetClientSize(int width, int height) {
    if (std::max(0, width) == width_ && std::max(0, height) == height_) return;  // no WM_SIZE
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    PlayerWindow* window;
    {
        std::lock_guard lock(mutex_);
        window = window_;
        update_ = update_.Intersect({0, 0, width_, height_});
    }
    if (window) window->WmSize();
}

void InProcessHost::InvalidateRect(const Rect& r) {
    const Rect clipped = r.Intersect({0, 0, width_.load(), height_.load()});
    if (clipped.IsEmpty()) return;
    std::lock_guard lock(mutex_);
    update_ = Union(update_, clipped);
    cv_.notify_all();
}

void InProcessHost::Invalidate() { InvalidateRect({0, 0, width_.load(), height_.load()}); }

bool InProcessHost::UpdatePending() const {
    std::lock_guard lock(mutex_);
    // A paint that has begun has validated the region but not yet shown the frame.
    return !update_.IsEmpty() || paintInProgress_;
}

void InProcessHost::PaintIfPending() {
    PlayerWindow* window;
    {
        std::lock_guard lock(mutex_);
        if (update_.IsEmpty() || !window_) return;
        update_ = {};  // validated as the paint begins
        window = window_;
        paintInProgress_ = true;
    }
    struct Done {
        InProcessHost& host;
        ~Done() {
            std::lock_guard lock(host.mutex_);
            host.paintInProgress_ = false;
        }
    } done{*this};
    ++paints_;
    window->WmPaint();
}

void InProcessHost::Update() {
    if (IsGuiThread()) {
        PaintIfPending();
        return;
    }
    Sent request;
    std::unique_lock lock(mutex_);
    sent_.push_back(&request);
    cv_.notify_all();
    cv_.wait(lock, [&] { return request.Done; });
}

bool InProcessHost::ServeSent(std::unique_lock<std::mutex>& lock) {
    bool any = false;
    while (!sent_.empty()) {
        Sent* request = sent_.front();
        sent_.pop_front();
        any = true;
        lock.unlock();
        struct Reply {
            InProcessHost& host;
            std::unique_lock<std::mutex>& lock;
            Sent* request;
            ~Reply() {
                lock.lock();
                request->Done = true;
                host.cv_.notify_all();
            }
        } reply{*this, lock, request};
        PaintIfPending();
    }
    return any;
}

void InProcessHost::Present(const Bitmap& clientArea) {
    if (OnPresent) OnPresent(clientArea);
}

void InProcessHost::PostAnimateDone(uint64_t worker) {
    std::lock_guard lock(mutex_);
    posted_.push_back({worker, {}});
    cv_.notify_all();
}

std::optional<uint64_t> InProcessHost::PeekAnimateDone() {
    std::unique_lock lock(mutex_);
    ServeSent(lock);
    for (auto it = posted_.begin(); it != posted_.end(); ++it) {
        if (it->Task) continue;
        const uint64_t id = it->Done;
        posted_.erase(it);
        return id;
    }
    return std::nullopt;
}

void InProcessHost::WaitServing(const std::function<bool()>& finished) {
    std::unique_lock lock(mutex_);
    for (;;) {
        ServeSent(lock);
        if (finished()) return;
        cv_.wait(lock, [&] { return !sent_.empty() || finished(); });
    }
}

void InProcessHost::Wake() {
    std::lock_guard lock(mutex_);
    cv_.notify_all();
}

void InProcessHost::Post(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    posted_.push_back({0, std::move(task)});
    cv_.notify_all();
}

void InProcessHost::ProcessMessages(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, wait, [&] {
        return !sent_.empty() || !posted_.empty() || (!update_.IsEmpty() && window_);
    });
    ServeSent(lock);
    // The messages posted so far, in order; those they post wait for the next round.
    size_t count = posted_.size();
    while (count-- > 0 && !posted_.empty()) {
        Posted message = std::move(posted_.front());
        posted_.pop_front();
        PlayerWindow* window = window_;
        lock.unlock();
        if (message.Task) {
            message.Task();
        } else if (window) {
            window->WmAnimateDone(message.Done);
        }
        lock.lock();
        ServeSent(lock);
    }
    lock.unlock();
    PaintIfPending();
}

bool InProcessHost::PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!done()) {
        const auto now = Clock::now();
        if (now >= deadline) return false;
        ProcessMessages(std::min(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now),
                                 std::chrono::milliseconds(20)));
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// TAnimateThread

TAnimateThread::TAnimateThread(TCustomTransitionPlayer& player, uint64_t id)
    : player_(player), id_(id), thread_(&TAnimateThread::Run, this) {}

TAnimateThread::~TAnimateThread() {
    Terminate();
    Join();
}

void TAnimateThread::Resume() {
    std::lock_guard lock(mutex_);
    resumed_ = true;
    cv_.notify_all();
}

void TAnimateThread::Terminate() {
    std::lock_guard lock(mutex_);
    terminated_ = true;
    cv_.notify_all();
}

bool TAnimateThread::Terminated() const {
    std::lock_guard lock(mutex_);
    return terminated_;
}

void TAnimateThread::Join() {
    if (thread_.joinable()) thread_.join();
}

bool TAnimateThread::SleepUntil(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    return !cv_.wait_until(lock, deadline, [&] { return terminated_; });
}

void TAnimateThread::Run() {
    {
        // Created suspended: a thread terminated before it was resumed never runs its body.
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [&] { return resumed_ || terminated_; });
        if (!resumed_) {
            lock.unlock();
            finished_ = true;
            player_.host_.Wake();
            return;
        }
    }
    started_ = true;
    tCurrentWorker = this;
    try {
        Body();
    } catch (...) {
        // A failed frame ends the transition; it finishes as if it had completed.
    }
    tCurrentWorker = nullptr;
    // No frame of this worker is outstanding any more: whatever the body left the event
    // in, the next transition must not wait for a paint that will never come.
    player_.frameEvent_.Set();
    player_.host_.PostAnimateDone(id_);
    finished_ = true;
    player_.host_.Wake();
}

void TAnimateThread::Body() {
    while (!Terminated()) {
        // The next frame starts Delay after this one started: the rest of the delay is
        // slept to its exact end, not rounded to whole milliseconds.
        const auto next = Clock::now() + std::chrono::milliseconds(player_.Delay());
        player_.WorkerStep(*this);
        if (!Terminated() && Clock::now() <= next) SleepUntil(next);
    }
}

// ---------------------------------------------------------------------------------------
// TCustomTransitionPlayer

TCustomTransitionPlayer::TCustomTransitionPlayer(PlayerHost& host) : host_(host) {
    host_.Bind(this);
    paintBuffer_.SetSize(host_.ClientWidth(), host_.ClientHeight());
}

TCustomTransitionPlayer::~TCustomTransitionPlayer() {
    Shutdown();
    host_.Bind(nullptr);
}

void TCustomTransitionPlayer::Shutdown() {
    if (destroying_) return;
    destroying_ = true;
    try {
        Stop();
        if (worker_) StopThread();  // a Stop already under way further up the stack
    } catch (...) {
    }
}

TTransitionPlayer::~TTransitionPlayer() { Shutdown(); }

Rect TCustomTransitionPlayer::PicRect() const {
    std::lock_guard lock(layoutMutex_);
    return picRect_;
}

Rect TCustomTransitionPlayer::ClientRect() const { return {0, 0, host_.ClientWidth(), host_.ClientHeight()}; }

void TCustomTransitionPlayer::SetStyle(int s) {
    if (s < 0 || s > kStyleCount || s == style_.load()) return;
    // Every bitmap here has 32-bit pixels already, so the styles that work on the pixels
    // (118..122) need no conversion: a change simply takes effect from the next frame.
    style_ = static_cast<TShowStyle>(s);
}

std::string TCustomTransitionPlayer::StyleName() const {
    const int s = style_.load();
    return s == 0 ? "Custom" : EffectTable[s - 1].Name;
}

void TCustomTransitionPlayer::SetStyleName(const std::string& name) {
    if (SameTextIgnoringCase(name, "Custom")) {
        SetStyle(0);
        return;
    }
    for (int s = 1; s <= kStyleCount; ++s) {
        if (SameTextIgnoringCase(name, EffectTable[s - 1].Name)) {
            SetStyle(s);
            return;
        }
    }
}

void TCustomTransitionPlayer::SetStep(unsigned value) {
    step_ = static_cast<uint16_t>(std::clamp(value, 1u, 100u));
}

bool TCustomTransitionPlayer::Invalidatable() const {
    bool empty;
    {
        CanvasLock lock(const_cast<Bitmap&>(screen_));
        empty = screen_.Empty();
    }
    return !empty && !painting_;
}

void TCustomTransitionPlayer::SetStretch(bool value) {
    stretch_ = value;
    if (Invalidatable()) host_.Invalidate();
}

void TCustomTransitionPlayer::SetStretchFine(bool value) {
    stretchFine_ = value;
    if (Invalidatable()) host_.Invalidate();
}

void TCustomTransitionPlayer::SetCenter(bool value) {
    center_ = value;
    if (picture_) {
        UpdatePicRect();
        if (Invalidatable()) host_.Invalidate();
    }
}

void TCustomTransitionPlayer::SetAutoSize(bool value) {
    autoSize_ = value;
    if (value) AdjustSize();
}

void TCustomTransitionPlayer::SetBgMode(TBackgroundMode mode) {
    bgMode_ = mode;
    if (bgPicture_ && !painting_) host_.Invalidate();
}

void TCustomTransitionPlayer::SetPicture(std::optional<Bitmap> graphic) {
    if (graphic && graphic->Empty()) graphic.reset();
    picture_ = std::move(graphic);
    PictureChanged();
}

void TCustomTransitionPlayer::LoadPicture(const std::string& utf8Path) {
    SetPicture(LoadImageFile(PathFromUtf8(utf8Path)));
}

void TCustomTransitionPlayer::SetBgPicture(std::optional<Bitmap> graphic) {
    if (graphic && graphic->Empty()) graphic.reset();
    bgPicture_ = std::move(graphic);
    BgPictureChanged();
}

void TCustomTransitionPlayer::PictureChanged() {
    if (destroying_) return;
    if (picture_ && autoSize_) AdjustSize();
    DoChange();
}

void TCustomTransitionPlayer::BgPictureChanged() {
    if (bgMode_ != TBackgroundMode::bmNone && !painting_) host_.Invalidate();
}

void TCustomTransitionPlayer::AdjustSize() {
    if (!picture_ || align_ == TAlign::alClient) return;
    int w = host_.ClientWidth(), h = host_.ClientHeight();
    if (align_ != TAlign::alTop && align_ != TAlign::alBottom) w = picture_->Width();
    if (align_ != TAlign::alLeft && align_ != TAlign::alRight) h = picture_->Height();
    host_.SetClientSize(w, h);
}

void TCustomTransitionPlayer::UpdatePicRect() {
    int bw, bh;
    {
        CanvasLock lock(screen_);
        bw = screen_.Width();
        bh = screen_.Height();
    }
    if (bw == 0 || bh == 0) return;
    Rect r{0, 0, bw, bh};
    if (center_) r = Offset(r, (host_.ClientWidth() - bw) / 2, (host_.ClientHeight() - bh) / 2);
    std::lock_guard lock(layoutMutex_);
    picRect_ = r;
}

void TCustomTransitionPlayer::SetManual(bool value) {
    if (value == manual_.load()) return;
    manual_ = value;
    StopThread();
    if (!busy_) {
        progress_ = reverse_ ? 100 : 0;
    } else if (!value) {
        Animate();
    }
}

uint8_t TCustomTransitionPlayer::NextProgress() const {
    const int p = progress_, step = step_;
    if (reverse_) return static_cast<uint8_t>(p > step ? p - step : 0);
    return static_cast<uint8_t>(100 - step > p ? p + step : 100);
}

bool TCustomTransitionPlayer::EndReached() const { return reverse_ ? progress_ == 0 : progress_ == 100; }

void TCustomTransitionPlayer::SetProgress(int value) {
    value = std::clamp(value, 0, 100);
    if (!busy_ || value == progress_) return;
    try {
        std::lock_guard lock(frameLock_);
        progress_ = static_cast<uint8_t>(value);
        RenderFrame();
    } catch (...) {
        frameEvent_.Set();  // no paint follows a failed frame
        throw;
    }
    // A paint under way shows this frame and sets FrameEvent at its end; setting the
    // event here would let the next frame overtake it.
    if (host_.UpdatePending() || painting_) {
        host_.Update();  // the paint sets FrameEvent when it ends
    } else {
        frameEvent_.Set();
    }
    DoProgress();
}

void TCustomTransitionPlayer::RenderFrame() {
    Bitmap& image = *newImage_;
    CanvasLock imageLock(image);
    CanvasLock screenLock(screen_);
    {
        CanvasLock oldLock(*oldImage_);
        screen_.Canvas().Draw(0, 0, *oldImage_);
    }
    DoBeforeNewFrame(image, screen_);
    const Rect r{0, 0, picWidth_, picHeight_};
    const int p = progress_;
    if (p == 100) {
        screen_.Canvas().Draw(0, 0, image);
    } else if (p != 0) {
        const int style = style_;
        if (style == 0) {
            DoCustomDraw(image, screen_);
        } else {
            RunStyle(style, screen_, image, step_, static_cast<uint8_t>(p));
        }
    }
    InvalidateArea(r);
    DoAfterNewFrame(image, screen_);
}

Rect TCustomTransitionPlayer::StretchTarget() const {
    return stretchFine_ ? FitRect(PicRect(), ClientRect()) : ClientRect();
}

void TCustomTransitionPlayer::InvalidateArea(const Rect& r) {
    if (!host_.HandleAllocated()) return;
    const Rect pic = PicRect();
    Rect out;
    if (stretch_) {
        const Rect t = StretchTarget();
        out.Left = t.Left + MulDiv(r.Left, t.Width(), pic.Width());
        out.Right = t.Left + MulDiv(r.Right, t.Width(), pic.Width());
        out.Top = t.Top + MulDiv(r.Top, t.Height(), pic.Height());
        out.Bottom = t.Top + MulDiv(r.Bottom, t.Height(), pic.Height());
    } else {
        out = center_ ? Offset(r, pic.Left, pic.Top) : r;
        out = out.Intersect(pic);
    }
    host_.InvalidateRect(out);
}

void TCustomTransitionPlayer::Execute() {
    if (!picture_ || busy_) return;
    busy_ = true;
    try {
        if (!host_.HandleAllocated()) host_.CreateHandle();
        Prepare();
        // OnStart may have stopped the transition already.
        if (busy_ && !manual_ && !stopping_) Animate();
    } catch (...) {
        if (!worker_) {
            newImage_.reset();
            oldImage_.reset();
            busy_ = false;
        }
        throw;
    }
}

void TCustomTransitionPlayer::Prepare() {
    const int w = picture_->Width(), h = picture_->Height();
    {
        CanvasLock lock(screen_);
        screen_.SetSize(w, h);
    }
    picWidth_ = w;
    picHeight_ = h;
    UpdatePicRect();
    const Rect client = ClientRect();
    const Rect source = !stretch_ ? PicRect() : StretchTarget();

    oldImage_ = std::make_unique<Bitmap>(w, h);
    oldImage_->Canvas().FillRect({0, 0, w, h}, color_);
    {
        CanvasLock lock(paintBuffer_);
        if (firstPaintPending_ || !overDraw_) PaintBackground(paintBuffer_, client);
        // The paint buffer holds the last painted client area: the snapshot is what the
        // user sees where the new picture will appear, scaled to the picture's size.
        oldImage_->Canvas().CopyRect({0, 0, w, h}, paintBuffer_, source);
    }
    newImage_ = std::make_unique<Bitmap>(*picture_);
    progress_ = reverse_ ? 100 : 0;
    DoStart(*newImage_, *oldImage_);
}

void TCustomTransitionPlayer::Animate() {
    if (threaded_) {
        frameEvent_.Set();  // nothing painted is outstanding when a transition starts stepping
        worker_ = std::make_unique<TAnimateThread>(*this, nextWorkerId_++);
        worker_->Resume();
        return;
    }
    bool done = false;
    do {
        const auto t0 = Clock::now();
        SetProgress(NextProgress());
        if (EndReached()) {
            done = !manual_;
            break;
        }
        // Messages are served at least once a frame, also with no delay at all.
        const auto delay = std::chrono::milliseconds(delay_.load());
        for (auto elapsed = Clock::now() - t0;; elapsed = Clock::now() - t0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(delay - elapsed);
            host_.ProcessMessages(std::max(left, std::chrono::milliseconds(0)));
            if (Clock::now() - t0 > delay || manual_ || stopping_ || !busy_) break;
        }
    } while (!done && !manual_ && !stopping_ && busy_);
    if (!busy_) return;  // a Stop while messages were served has finished it already
    if (stopping_ || !manual_) Finish(stopping_);
}

void TCustomTransitionPlayer::WorkerStep(TAnimateThread& worker) {
    frameEvent_.Wait();
    if (worker.Terminated()) return;
    frameEvent_.Reset();
    SetProgress(NextProgress());
    if (EndReached()) worker.Terminate();
}

void TCustomTransitionPlayer::WmAnimateDone(uint64_t worker) {
    if (!worker_ || worker_->Id() != worker) return;  // not the running worker's message
    worker_->Join();
    worker_.reset();
    const bool stopped = stopping_ || stopRequested_.exchange(false);
    if (stopped || !manual_) Finish(stopped);
}

bool TCustomTransitionPlayer::StopThread() {
    if (!worker_) return false;
    TAnimateThread* const worker = worker_.get();
    worker->Terminate();
    frameEvent_.Set();  // wakes a step that waits for the frame handshake
    host_.WaitServing([worker] { return worker->Finished(); });
    worker->Join();
    if (worker->Started()) {
        // Its done message is queued; handling it frees the worker. A handler may start
        // the next transition, so wait only for this worker to go.
        while (worker_.get() == worker) {
            if (auto id = host_.PeekAnimateDone()) {
                WmAnimateDone(*id);
            } else {
                WmAnimateDone(worker->Id());
            }
        }
    } else {
        WmAnimateDone(worker->Id());
    }
    return true;
}

void TCustomTransitionPlayer::Stop() {
    if (!host_.IsGuiThread()) {
        // From the worker's own events: end the stepping; the done message finishes the
        // transition on the GUI thread as a stop.
        if (TAnimateThread* worker = tCurrentWorker; worker && &worker->Player() == this) {
            stopRequested_ = true;
            worker->Terminate();
        }
        return;
    }
    if (!busy_ || stopping_) return;
    stopping_ = true;
    try {
        if (manual_ || !StopThread()) {
            if (busy_) Finish(true);
        }
    } catch (...) {
        stopping_ = false;
        throw;
    }
    stopping_ = false;
}

void TCustomTransitionPlayer::Finish(bool stopped) {
    busy_ = false;
    newImage_.reset();
    oldImage_.reset();
    if (destroying_) return;
    if (!stopped) DoComplete();
    DoStop();
}

void TCustomTransitionPlayer::Clear() {
    if (busy_) return;
    {
        CanvasLock lock(screen_);
        if (screen_.Empty()) return;
        screen_ = Bitmap();
    }
    host_.Invalidate();
}

void TCustomTransitionPlayer::WmPaint() {
    if (painting_) return;
    painting_ = true;
    try {
        Paint();
    } catch (...) {
        frameEvent_.Set();
        painting_ = false;
        throw;
    }
    frameEvent_.Set();
    painting_ = false;
}

void TCustomTransitionPlayer::Paint() {
    const Rect client = ClientRect();
    CanvasLock bufferLock(paintBuffer_);
    PaintBackground(paintBuffer_, client);
    {
        CanvasLock screenLock(screen_);
        if (!screen_.Empty()) {
            const Rect pic = PicRect();
            if (!stretch_) {
                paintBuffer_.Canvas().Draw(pic.Left, pic.Top, screen_);
            } else {
                paintBuffer_.Canvas().StretchDraw(stretchFine_ ? FitRect(pic, client) : client, screen_);
            }
        }
    }
    host_.Present(paintBuffer_);
    firstPaintPending_ = false;
}

void TCustomTransitionPlayer::PaintBackground(Bitmap& canvas, const Rect& r) {
    canvas.Canvas().FillRect(r, color_);
    if (!bgPicture_) return;
    const Bitmap& bg = *bgPicture_;
    switch (bgMode_) {
        case TBackgroundMode::bmTiled:
            TileGraphic(canvas, r, bg);
            break;
        case TBackgroundMode::bmStretched:
            canvas.Canvas().StretchDraw(r, bg);
            break;
        case TBackgroundMode::bmCentered:
            // Relative to the canvas origin, not to r.
            canvas.Canvas().Draw((r.Width() - bg.Width()) / 2, (r.Height() - bg.Height()) / 2, bg);
            break;
        case TBackgroundMode::bmNone:
            break;
    }
}

void TCustomTransitionPlayer::WmSize() {
    {
        CanvasLock lock(paintBuffer_);
        const int w = host_.ClientWidth(), h = host_.ClientHeight();
        if (w != paintBuffer_.Width() || h != paintBuffer_.Height()) paintBuffer_.SetSize(w, h);
    }
    if (picture_) {
        UpdatePicRect();
        if (Invalidatable()) host_.Invalidate();
    }
}

void TCustomTransitionPlayer::MouseEnter() {
    if (OnMouseEnter) OnMouseEnter(*this);
}
void TCustomTransitionPlayer::MouseLeave() {
    if (OnMouseLeave) OnMouseLeave(*this);
}

void TCustomTransitionPlayer::DoChange() {
    if (OnChange) OnChange(*this);
}
void TCustomTransitionPlayer::DoProgress() {
    if (OnProgress) OnProgress(*this);
}
void TCustomTransitionPlayer::DoCustomDraw(Bitmap& picture, Bitmap& screen) {
    if (OnCustomDraw) OnCustomDraw(*this, picture, screen);
}
void TCustomTransitionPlayer::DoBeforeNewFrame(Bitmap& picture, Bitmap& screen) {
    if (OnBeforeNewFrame) OnBeforeNewFrame(*this, picture, screen);
}
void TCustomTransitionPlayer::DoAfterNewFrame(Bitmap& picture, Bitmap& screen) {
    if (OnAfterNewFrame) OnAfterNewFrame(*this, picture, screen);
}
void TCustomTransitionPlayer::DoComplete() {
    if (OnComplete) OnComplete(*this);
}
void TCustomTransitionPlayer::DoStart(Bitmap& picture, Bitmap& screen) {
    if (OnStart) OnStart(*this, picture, screen);
}
void TCustomTransitionPlayer::DoStop() {
    if (OnStop) OnStop(*this);
}

}  // namespace kv
