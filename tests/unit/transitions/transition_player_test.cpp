// The transition player on the in-process host: stepping inline and on the worker, the
// events and their order, stopping, manual mode, the snapshot, and the layout arithmetic.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/Error.h"
#include "graphics/Bitmap.h"
#include "graphics/Canvas.h"
#include "transitions/TransitionEffects.h"
#include "transitions/TransitionPlayer.h"

namespace {

using kv::Bitmap;
using kv::InProcessHost;
using kv::Rect;
using kv::TCustomTransitionPlayer;
using kv::TTransitionPlayer;
using namespace std::chrono_literals;

constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kBlue = 0xFF0000FFu;
constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

Bitmap Solid(int w, int h, uint32_t colour) {
    Bitmap b(w, h);
    b.Canvas().FillRect({0, 0, w, h}, colour);
    return b;
}

// Records the events of a player, from whichever thread fires them.
struct Recorder {
    std::mutex mutex;
    std::vector<std::string> events;
    std::vector<int> progress;

    void Add(const std::string& e) {
        std::lock_guard lock(mutex);
        events.push_back(e);
    }
    int Count(const std::string& e) {
        std::lock_guard lock(mutex);
        return static_cast<int>(std::count(events.begin(), events.end(), e));
    }
    void Wire(TCustomTransitionPlayer& p) {
        p.OnStart = [this](TCustomTransitionPlayer&, Bitmap&, Bitmap&) { Add("Start"); };
        p.OnBeforeNewFrame = [this](TCustomTransitionPlayer&, Bitmap&, Bitmap&) { Add("Before"); };
        p.OnCustomDraw = [this](TCustomTransitionPlayer& s, Bitmap& picture, Bitmap& screen) {
            Add("Custom");
            screen.Canvas().Draw(0, 0, picture);
        };
        p.OnAfterNewFrame = [this](TCustomTransitionPlayer&, Bitmap&, Bitmap&) { Add("After"); };
        p.OnProgress = [this](TCustomTransitionPlayer& s) {
            Add("Progress");
            std::lock_guard lock(mutex);
            progress.push_back(s.Progress());
        };
        p.OnComplete = [this](TCustomTransitionPlayer&) { Add("Complete"); };
        p.OnStop = [this](TCustomTransitionPlayer&) { Add("Stop"); };
    }
};

struct PlayerRig {
    InProcessHost host{64, 48};
    TTransitionPlayer player{host};
    Recorder rec;

    explicit PlayerRig(bool threaded) {
        player.SetThreaded(threaded);
        player.SetDelay(0);
        player.SetStyle(1);
        rec.Wire(player);
    }
    bool RunToEnd() {
        player.Execute();
        return host.PumpUntil([&] { return !player.Busy(); }, 60s);
    }
};

// Shows `colour` on the whole window with one single-frame transition.
void ShowFirst(PlayerRig& rig, uint32_t colour) {
    const uint16_t step = rig.player.Step();
    rig.player.SetStep(100);
    rig.player.SetPicture(Solid(64, 48, colour));
    ASSERT_TRUE(rig.RunToEnd());
    rig.player.SetStep(step);
    std::lock_guard lock(rig.rec.mutex);
    rig.rec.events.clear();
    rig.rec.progress.clear();
}

struct SeriesCase {
    int step;
    bool reverse;
    int style;
    std::vector<int> series;
};

std::vector<int> Range(int from, int to, int by) {
    std::vector<int> v;
    for (int x = from; by > 0 ? x <= to : x >= to; x += by) v.push_back(x);
    return v;
}

std::vector<int> Append(std::vector<int> v, int last) {
    v.push_back(last);
    return v;
}

class PlayerSeries : public ::testing::TestWithParam<bool> {};

TEST_P(PlayerSeries, FramesEventsAndFinalPicture) {
    const std::vector<SeriesCase> cases = {
        {4, false, 1, Range(4, 100, 4)},
        {4, true, 1, Range(96, 0, -4)},
        {3, false, 1, Append(Range(3, 99, 3), 100)},
        {3, true, 0, Append(Range(97, 1, -3), 0)},
        {100, false, 0, {100}},
        {40, false, 0, {40, 80, 100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("step " + std::to_string(c.step) + (c.reverse ? " reverse" : "") + " style " +
                     std::to_string(c.style));
        PlayerRig rig(GetParam());
        ShowFirst(rig, kBlue);
        rig.player.SetStep(c.step);
        rig.player.SetReverse(c.reverse);
        rig.player.SetStyle(c.style);
        rig.player.SetPicture(Solid(64, 48, kRed));
        // The handshake: no frame is rendered before the previous one has been painted.
        std::atomic<int> rendered{0}, presented{0}, early{0};
        rig.host.OnPresent = [&](const Bitmap&) { ++presented; };
        rig.player.OnBeforeNewFrame = [&](TCustomTransitionPlayer&, Bitmap&, Bitmap&) {
            rig.rec.Add("Before");
            if (presented < rendered) ++early;
        };
        rig.player.OnAfterNewFrame = [&](TCustomTransitionPlayer&, Bitmap&, Bitmap&) {
            rig.rec.Add("After");
            ++rendered;
        };
        ASSERT_TRUE(rig.RunToEnd());
        EXPECT_EQ(early, 0);
        EXPECT_GE(presented, rendered);

        EXPECT_EQ(rig.rec.progress, c.series);
        std::vector<std::string> expected = {"Start"};
        for (int p : c.series) {
            expected.push_back("Before");
            if (c.style == 0 && p != 0 && p != 100) expected.push_back("Custom");
            expected.push_back("After");
            expected.push_back("Progress");
        }
        expected.push_back("Complete");
        expected.push_back("Stop");
        EXPECT_EQ(rig.rec.events, expected);
        // Forward ends on the new picture, reverse on the snapshot of the old screen.
        EXPECT_EQ(rig.player.ScreenBitmap(), Solid(64, 48, c.reverse ? kBlue : kRed));
        EXPECT_EQ(rig.player.PaintBuffer().Pixel(10, 10), c.reverse ? kBlue : kRed);
    }
}

TEST_P(PlayerSeries, StopMidwayFiresOnlyOnStopOnceAndKeepsTheLastFrame) {
    PlayerRig rig(GetParam());
    rig.player.SetStep(4);
    rig.player.SetPicture(Solid(64, 48, kRed));
    std::atomic<bool> posted{false};
    rig.player.OnProgress = [&](TCustomTransitionPlayer& s) {
        rig.rec.Add("Progress");
        if (s.Progress() >= 40 && !posted.exchange(true)) rig.host.Post([&] { rig.player.Stop(); });
    };
    Bitmap lastFrame;
    rig.player.OnAfterNewFrame = [&](TCustomTransitionPlayer&, Bitmap&, Bitmap& screen) { lastFrame = screen; };
    ASSERT_TRUE(rig.RunToEnd());
    EXPECT_EQ(rig.rec.Count("Complete"), 0);
    EXPECT_EQ(rig.rec.Count("Stop"), 1);
    EXPECT_LT(rig.player.Progress(), 100);
    EXPECT_GE(rig.player.Progress(), 40);
    EXPECT_EQ(rig.player.ScreenBitmap(), lastFrame);
    rig.player.Stop();  // not busy: nothing happens
    EXPECT_EQ(rig.rec.Count("Stop"), 1);
}

TEST_P(PlayerSeries, ExecuteIgnoredWithoutPictureAndWhileBusy) {
    PlayerRig rig(GetParam());
    rig.player.Execute();
    EXPECT_FALSE(rig.player.Busy());
    EXPECT_TRUE(rig.rec.events.empty());

    rig.player.SetPicture(Solid(64, 48, kRed));
    rig.player.SetStep(20);
    rig.player.OnProgress = [&](TCustomTransitionPlayer& s) {
        rig.rec.Add("Progress");
        if (s.Progress() == 40) rig.host.Post([&] { rig.player.Execute(); });
    };
    ASSERT_TRUE(rig.RunToEnd());
    EXPECT_EQ(rig.rec.Count("Start"), 1);
    EXPECT_EQ(rig.rec.Count("Progress"), 5);
    EXPECT_EQ(rig.rec.Count("Stop"), 1);
}

// A frame that fails on the worker ends the transition as completed, and the next
// transition runs at once: it must not wait for a paint that never comes.
TEST_P(PlayerSeries, FailedFrameFinishesAndTheNextTransitionRuns) {
    PlayerRig rig(GetParam());
    rig.player.SetStyle(0);
    rig.player.SetStep(10);
    rig.player.OnCustomDraw = [&](TCustomTransitionPlayer& s, Bitmap&, Bitmap&) {
        if (s.Progress() == 30) throw kv::Error("custom drawing failed");
    };
    rig.player.SetPicture(Solid(64, 48, kRed));
    if (GetParam()) {
        ASSERT_TRUE(rig.RunToEnd());
        EXPECT_EQ(rig.rec.Count("Complete"), 1);
        EXPECT_EQ(rig.rec.Count("Stop"), 1);
    } else {
        // Inline, the error reaches the caller of Execute and no event fires.
        EXPECT_THROW(rig.player.Execute(), kv::Error);
        EXPECT_FALSE(rig.player.Busy());
        EXPECT_EQ(rig.rec.Count("Stop"), 0);
    }
    rig.player.OnCustomDraw = nullptr;
    rig.player.SetPicture(Solid(64, 48, kBlue));
    ASSERT_TRUE(rig.RunToEnd());
    EXPECT_EQ(rig.rec.Count("Complete"), GetParam() ? 2 : 1);
    EXPECT_EQ(rig.player.ScreenBitmap(), Solid(64, 48, kBlue));
}

TEST_P(PlayerSeries, ManualSwitchMidwayHoldsThenResumes) {
    PlayerRig rig(GetParam());
    rig.player.SetStep(10);
    rig.player.SetPicture(Solid(64, 48, kRed));
    std::atomic<bool> posted{false};
    rig.player.OnProgress = [&](TCustomTransitionPlayer& s) {
        rig.rec.Add("Progress");
        if (s.Progress() == 30 && !posted.exchange(true)) rig.host.Post([&] { rig.player.SetManual(true); });
    };
    rig.player.Execute();
    ASSERT_TRUE(rig.host.PumpUntil([&] { return rig.player.Manual(); }, 60s));
    ASSERT_TRUE(rig.host.PumpUntil([&] { return rig.player.Busy() && rig.rec.Count("Progress") >= 3; }, 60s));
    rig.host.PumpUntil([] { return false; }, 50ms);  // nothing steps on in manual mode
    const int held = rig.player.Progress();
    EXPECT_TRUE(rig.player.Busy());
    EXPECT_GE(held, 30);
    EXPECT_LT(held, 100);
    EXPECT_EQ(rig.rec.Count("Progress"), held / 10);

    rig.player.SetManual(false);  // stepping resumes from the held percentage
    ASSERT_TRUE(rig.host.PumpUntil([&] { return !rig.player.Busy(); }, 60s));
    EXPECT_EQ(rig.rec.Count("Progress"), 10);
    EXPECT_EQ(rig.rec.Count("Complete"), 1);
    EXPECT_EQ(rig.rec.Count("Stop"), 1);
}

// Stop from the worker's own OnProgress, and destruction at a frame, neither hang nor
// run events twice.
TEST(TransitionPlayer, StopFromWorkerEventAndDestructionMidway) {
    {
        PlayerRig rig(true);
        rig.player.SetStep(5);
        rig.player.SetPicture(Solid(64, 48, kRed));
        rig.player.OnProgress = [&](TCustomTransitionPlayer& s) {
            if (s.Progress() == 25) s.Stop();
        };
        ASSERT_TRUE(rig.RunToEnd());
        EXPECT_EQ(rig.player.Progress(), 25);
        EXPECT_EQ(rig.rec.Count("Complete"), 0);
        EXPECT_EQ(rig.rec.Count("Stop"), 1);
    }
    InProcessHost host(64, 48);
    Recorder rec;
    auto player = std::make_unique<TTransitionPlayer>(host);
    rec.Wire(*player);
    player->SetDelay(0);
    player->SetStep(1);
    player->SetStyle(1);
    player->SetPicture(Solid(64, 48, kRed));
    player->Execute();
    ASSERT_TRUE(host.PumpUntil([&] { return rec.Count("Progress") >= 10; }, 60s));
    player.reset();  // the worker is waiting for a paint or rendering
    host.PumpUntil([] { return false; }, 20ms);
    EXPECT_EQ(rec.Count("Complete"), 0);
    EXPECT_LE(rec.Count("Stop"), 1);
}

INSTANTIATE_TEST_SUITE_P(Paths, PlayerSeries, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Worker" : "Inline"; });

TEST(TransitionPlayer, ManualModeRendersOnProgressWrites) {
    for (bool reverse : {false, true}) {
        PlayerRig rig(true);
        rig.player.SetReverse(reverse);
        rig.player.SetManual(true);
        rig.player.SetProgress(50);  // not busy: no effect
        rig.player.SetPicture(Solid(64, 48, kRed));
        rig.player.Execute();
        EXPECT_TRUE(rig.player.Busy());
        EXPECT_EQ(rig.player.Progress(), reverse ? 100 : 0);
        rig.player.SetProgress(50);
        rig.player.SetProgress(50);
        EXPECT_EQ(rig.rec.Count("After"), 1);
        EXPECT_EQ(rig.player.Progress(), 50);
        rig.player.SetProgress(250);
        EXPECT_EQ(rig.player.Progress(), 100);
        EXPECT_EQ(rig.player.ScreenBitmap(), Solid(64, 48, kRed));
        EXPECT_TRUE(rig.player.Busy());
        rig.player.Stop();
        EXPECT_FALSE(rig.player.Busy());
        EXPECT_EQ(rig.rec.events.back(), "Stop");
        EXPECT_EQ(rig.rec.Count("Complete"), 0);
        EXPECT_EQ(rig.rec.Count("Stop"), 1);
    }
}

TEST(TransitionPlayer, StyleSwitchToFadeTakesEffectFromTheNextFrame) {
    if (!kv::StyleAvailable(118) || !kv::StyleAvailable(1)) GTEST_SKIP() << "style 118 not built";
    PlayerRig rig(false);
    ShowFirst(rig, kBlack);
    rig.player.SetStep(4);
    rig.player.SetPicture(Solid(64, 48, kWhite));
    std::vector<uint32_t> middlePixel;
    rig.player.OnAfterNewFrame = [&](TCustomTransitionPlayer& s, Bitmap&, Bitmap& screen) {
        middlePixel.push_back(screen.Pixel(32, 24) & 0xFFFFFF);
    };
    rig.player.OnProgress = [&](TCustomTransitionPlayer& s) {
        if (s.Progress() == 48) s.SetStyle(118);
    };
    ASSERT_TRUE(rig.RunToEnd());
    ASSERT_EQ(middlePixel.size(), 25u);
    // Frame 13 (52 %) is the first faded one: 255 * 52 / 100 = 132 in every channel.
    EXPECT_EQ(middlePixel[12], 0x848484u);
    EXPECT_EQ(middlePixel[13], 0x8E8E8Eu);  // 56 %: 142
    EXPECT_EQ(rig.player.Style(), 118);
}

TEST(TransitionPlayer, OverDrawChoosesTheSnapshot) {
    for (bool overDraw : {true, false}) {
        PlayerRig rig(true);
        rig.player.SetColor(0xFF102030u);
        ShowFirst(rig, kRed);
        rig.player.SetOverDraw(overDraw);
        Bitmap snapshot;
        rig.player.OnStart = [&](TCustomTransitionPlayer&, Bitmap&, Bitmap& screen) { snapshot = screen; };
        rig.player.SetPicture(Solid(64, 48, kBlue));
        ASSERT_TRUE(rig.RunToEnd());
        EXPECT_EQ(snapshot, Solid(64, 48, overDraw ? kRed : 0xFF102030u)) << "OverDraw " << overDraw;
    }
}

TEST(TransitionPlayer, FitRectAndStretchMapping) {
    EXPECT_EQ(kv::FitRect({0, 0, 400, 300}, {0, 0, 1000, 500}), (Rect{166, 0, 833, 500}));
    EXPECT_EQ(kv::FitRect({0, 0, 400, 300}, {0, 0, 800, 900}), (Rect{0, 150, 800, 750}));
    EXPECT_EQ(kv::FitRect({0, 0, 40, 30}, {10, 20, 90, 80}), (Rect{10, 20, 90, 80}));  // enlarged

    InProcessHost host(1000, 500);
    TTransitionPlayer player(host);
    player.SetAutoSize(false);
    player.SetStretch(true);
    player.SetStretchFine(true);
    player.SetManual(true);
    player.SetPicture(Solid(400, 300, kRed));
    player.Execute();
    EXPECT_EQ(host.ClientWidth(), 1000);
    player.SetProgress(100);  // paints at once (the update is forced)
    EXPECT_TRUE(host.UpdateRect().IsEmpty());
    player.InvalidateArea({0, 0, 400, 300});
    EXPECT_EQ(host.UpdateRect(), (Rect{166, 0, 833, 500}));
    host.Update();
    const Bitmap& window = player.PaintBuffer();
    EXPECT_EQ(window.Pixel(165, 250), player.Color());
    EXPECT_EQ(window.Pixel(166, 250), kRed);
    EXPECT_EQ(window.Pixel(832, 250), kRed);
    EXPECT_EQ(window.Pixel(833, 250), player.Color());
    player.Stop();

    // Centred without stretching: the picture rectangle moves, invalidation is clipped to it.
    player.SetStretch(false);
    player.SetCenter(true);
    host.Update();
    EXPECT_EQ(player.PicRect(), (Rect{300, 100, 700, 400}));
    player.InvalidateArea({-50, 0, 100, 1000});
    EXPECT_EQ(host.UpdateRect(), (Rect{300, 100, 400, 400}));
}

TEST(TransitionPlayer, PropertyClampsAndStyleNames) {
    InProcessHost host;
    TTransitionPlayer player(host);
    EXPECT_EQ(player.Style(), 51);
    EXPECT_EQ(player.Step(), 4);
    player.SetStep(0);
    EXPECT_EQ(player.Step(), 1);
    player.SetStep(300);
    EXPECT_EQ(player.Step(), 100);
    player.SetStyle(151);
    EXPECT_EQ(player.Style(), 51);

    const struct {
        const char* name;
        int style;
    } names[] = {{"custom", 0}, {"Expand from bottom", 18}, {"EXPAND IN FROM TOP", 25},
                 {"Fade", 118}, {"no such style", 118}, {"Rotational star", 150}};
    for (const auto& n : names) {
        player.SetStyleName(n.name);
        EXPECT_EQ(player.Style(), n.style) << n.name;
    }
    player.SetStyle(0);
    EXPECT_EQ(player.StyleName(), "Custom");
    player.SetStyle(33);
    EXPECT_EQ(player.StyleName(), "Expand from bottom");
}

TEST(TransitionPlayer, BackgroundModesAndClear) {
    InProcessHost host(100, 100);
    TTransitionPlayer player(host);
    player.SetColor(kBlack);
    Bitmap big = Solid(200, 200, kBlue);
    big.SetPixel(50, 50, kRed);
    player.SetBgPicture(big);
    player.SetBgMode(kv::TBackgroundMode::bmCentered);
    host.Update();
    EXPECT_EQ(player.PaintBuffer().Pixel(0, 0), kRed);  // drawn at (-50, -50)

    Bitmap tile = Solid(30, 30, kBlue);
    tile.SetPixel(0, 0, kRed);
    player.SetBgPicture(tile);
    player.SetBgMode(kv::TBackgroundMode::bmTiled);
    host.Update();
    EXPECT_EQ(player.PaintBuffer().Pixel(90, 90), kRed);
    EXPECT_EQ(player.PaintBuffer().Pixel(91, 90), kBlue);

    player.SetBgMode(kv::TBackgroundMode::bmNone);
    player.SetThreaded(false);
    player.SetStep(100);
    player.SetPicture(Solid(100, 100, kWhite));
    player.Execute();
    EXPECT_EQ(player.PaintBuffer().Pixel(50, 50), kWhite);
    player.Clear();
    EXPECT_TRUE(player.ScreenBitmap().Empty());
    host.Update();
    EXPECT_EQ(player.PaintBuffer().Pixel(50, 50), kBlack);
}

}  // namespace
