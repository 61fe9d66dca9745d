#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <set>
#include <vector>

#include "graphics/Random.h"
#include "showcase/core/ShowRules.h"

namespace {

// A window whose player is busy for `transitionTicks` ticks after each picture starts,
// and whose temporary folder holds the items in `present`.
class FakeShow final : public kv::SlideTarget {
public:
    struct Shown {
        int tick;
        int32_t item;
        int style;
    };

    int transitionTicks = 0;
    std::set<int32_t> present{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    int32_t totalFrames = 0, currentFrame = 0;

    int tick = 0;
    int busyUntil = 0;
    int busyCalls = 0, flashReads = 0;
    std::vector<Shown> shown;
    std::map<int, std::vector<int32_t>> tried;  // tick -> items asked for

    bool PlayerBusy() override {
        ++busyCalls;
        return tick <= busyUntil;
    }
    bool ShowPicture(int32_t item, int style) override {
        tried[tick].push_back(item);
        if (!present.count(item)) return false;
        shown.push_back({tick, item, style});
        busyUntil = tick + transitionTicks;
        return true;
    }
    int32_t FlashTotalFrames() override {
        ++flashReads;
        return totalFrames;
    }
    int32_t FlashCurrentFrame() override { return currentFrame; }
    bool PlayMovie(int32_t item) override {
        tried[tick].push_back(item);
        if (!present.count(item)) return false;
        shown.push_back({tick, item, -1});
        return true;
    }

    std::vector<int> Ticks() const {
        std::vector<int> t;
        for (const Shown& s : shown) t.push_back(s.tick);
        return t;
    }
    std::vector<int32_t> Items() const {
        std::vector<int32_t> t;
        for (const Shown& s : shown) t.push_back(s.item);
        return t;
    }
};

kv::ShowSettings Pictures(int32_t count, int32_t interval) {
    kv::ShowSettings s;
    s.ShowKind = 0;
    s.PictureCount = count;
    s.IntervalSeconds = interval;
    return s;
}

kv::ShowSettings Movies(int32_t count) {
    kv::ShowSettings s;
    s.ShowKind = 1;
    s.FlashCount = count;
    s.IntervalSeconds = 3;  // does not govern movies
    return s;
}

kv::StyleList Styles(std::vector<int> enabled) {
    kv::StyleList list;
    list.AddEnabled(kv::EffectFlagsFor(enabled));
    return list;
}

void Tick(const kv::ShowSettings& settings, const kv::StyleList& styles, kv::SlideState& state, FakeShow& show,
         int ticks) {
    for (int i = 0; i < ticks; ++i) {
        ++show.tick;
        kv::SlideStep(settings, styles, state, show);
    }
}

}  // namespace

TEST(SlideStep, PictureTimingCountsOnlyIdleTicks) {
    struct Case {
        int32_t interval;
        int transition;  // ticks the player stays busy after a start
        int ticks;
        std::vector<int> expected;
    };
    const Case cases[] = {
        // 3 busy ticks, then 8 idle ones: 7 to 8 seconds after the end of the transition.
        {8, 3, 40, {1, 12, 23, 34}},
        // IdleTicks starts at 100: 50 ticks to reach 150, then 150 idle ticks each time.
        {150, 3, 400, {50, 203, 356}},
        {105, 3, 120, {5, 113}},
        {101, 0, 3, {1}},
        {102, 0, 3, {2}},
        // 0 and 1: on every tick at which the player is idle.
        {0, 3, 12, {1, 5, 9}},
        {1, 3, 12, {1, 5, 9}},
        {1, 0, 4, {1, 2, 3, 4}},
        {-5, 0, 3, {1, 2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "interval " << c.interval << ", transition " << c.transition);
        FakeShow show;
        show.transitionTicks = c.transition;
        kv::SlideState state;
        Tick(Pictures(5, c.interval), Styles({1}), state, show, c.ticks);
        EXPECT_EQ(show.Ticks(), c.expected);
    }
}

TEST(SlideStep, PicturesRunInOrderAndWrap) {
    FakeShow show;
    kv::SlideState state;
    const kv::ShowSettings settings = Pictures(5, 0);
    std::vector<int32_t> after;
    for (int i = 0; i < 7; ++i) {
        Tick(settings, Styles({1}), state, show, 1);
        after.push_back(state.CurrentItem);
    }
    EXPECT_EQ(show.Items(), (std::vector<int32_t>{0, 1, 2, 3, 4, 0, 1}));
    EXPECT_EQ(after, (std::vector<int32_t>{1, 2, 3, 4, 0, 1, 2}));
    EXPECT_EQ(state.IdleTicks, 0);
}

TEST(SlideStep, WrapTestRunsWhenBusyButNotWhileCounting) {
    const kv::ShowSettings settings = Pictures(5, 10);
    FakeShow show;
    kv::SlideState state{0, 7};

    show.busyUntil = 1;  // busy: straight to the wrap test
    Tick(settings, Styles({1}), state, show, 1);
    EXPECT_EQ(state.CurrentItem, 0);
    EXPECT_EQ(state.IdleTicks, 0);

    state.CurrentItem = 7;  // idle, below the interval: the step ends before the wrap test
    Tick(settings, Styles({1}), state, show, 1);
    EXPECT_EQ(state.CurrentItem, 7);
    EXPECT_EQ(state.IdleTicks, 1);
    EXPECT_TRUE(show.shown.empty());
}

TEST(SlideStep, StyleIsDrawnFromTheUsableList) {
    kv::RandSeed(1234);
    struct Case {
        std::vector<int> enabled;
        std::set<int> expected;  // every style seen over the run, and nothing else
    };
    const Case cases[] = {
        {{}, {0}},
        {{18}, {18}},
        {{3, 10, 40}, {3, 10, 40}},
    };
    for (const Case& c : cases) {
        FakeShow show;
        kv::SlideState state;
        Tick(Pictures(5, 0), Styles(c.enabled), state, show, 60);
        ASSERT_EQ(show.shown.size(), 60u);
        std::set<int> seen;
        for (const auto& s : show.shown) seen.insert(s.style);
        EXPECT_EQ(seen, c.expected);
    }
}

TEST(SlideStep, NothingHappensWithoutItems) {
    const kv::ShowSettings cases[] = {Pictures(0, 0), Pictures(-3, 0), Movies(0)};
    for (const kv::ShowSettings& settings : cases) {
        FakeShow show;
        show.totalFrames = 5;
        kv::SlideState state{100, 0};
        Tick(settings, Styles({1}), state, show, 5);
        EXPECT_EQ(show.busyCalls + show.flashReads, 0);
        EXPECT_TRUE(show.tried.empty());
        EXPECT_EQ(state.IdleTicks, 100);
    }

    // Another show kind: the pictures' count is not used and nothing is shown.
    kv::ShowSettings other = Pictures(5, 0);
    other.ShowKind = 2;
    FakeShow show;
    kv::SlideState state;
    Tick(other, Styles({1}), state, show, 5);
    EXPECT_TRUE(show.tried.empty());
}

TEST(SlideStep, MovieChangesWithinFiveFramesOfItsEnd) {
    struct Case {
        int32_t total, current;
        bool plays;
    };
    const Case cases[] = {
        {5, 0, true},  // five frames or less: replaced at once
        {1, 0, true},
        {0, 0, true},
        {100, 94, false},
        {100, 95, true},
        {100, 120, true},
        {INT_MIN, 0, true},
        {INT_MAX, INT_MAX - 6, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.current << " of " << c.total);
        FakeShow show;
        show.totalFrames = c.total;
        show.currentFrame = c.current;
        kv::SlideState state;
        Tick(Movies(3), Styles({}), state, show, 1);
        EXPECT_EQ(show.shown.size(), c.plays ? 1u : 0u);
        EXPECT_EQ(state.CurrentItem, c.plays ? 1 : 0);
    }

    // A short movie every tick: 0, 1, 2, 0, ... one per tick, whatever the interval.
    FakeShow show;
    show.totalFrames = 5;
    kv::SlideState state;
    Tick(Movies(3), Styles({}), state, show, 5);
    EXPECT_EQ(show.Items(), (std::vector<int32_t>{0, 1, 2, 0, 1}));
    EXPECT_EQ(show.Ticks(), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(show.busyCalls, 0);
}

TEST(SlideStep, MissingFilesAreSkipped) {
    // Pictures 2 and 4 of five are missing.
    FakeShow show;
    show.present = {0, 1, 3};
    kv::SlideState state;
    Tick(Pictures(5, 0), Styles({1}), state, show, 6);
    EXPECT_EQ(show.Items(), (std::vector<int32_t>{0, 1, 3, 0, 1, 3}));
    EXPECT_EQ(show.tried[3], (std::vector<int32_t>{2, 3}));
    EXPECT_EQ(show.tried[4], (std::vector<int32_t>{4, 0}));

    // Same for movies.
    FakeShow movies;
    movies.present = {1};
    movies.totalFrames = 5;
    kv::SlideState movieState;
    Tick(Movies(3), Styles({}), movieState, movies, 3);
    EXPECT_EQ(movies.Items(), (std::vector<int32_t>{1, 1, 1}));
}

TEST(SlideStep, NoFileLeftKeepsTheScreenAndRetriesAtTheNextChange) {
    FakeShow show;
    show.present = {};
    kv::SlideState state{100, 2};
    Tick(Pictures(4, 3), Styles({1}), state, show, 7);
    EXPECT_TRUE(show.shown.empty());
    // One attempt per change (ticks 1, 4, 7), each item once, starting at the current one.
    ASSERT_EQ(show.tried.size(), 3u);
    for (const auto& [tick, items] : show.tried) EXPECT_EQ(items, (std::vector<int32_t>{2, 3, 0, 1})) << tick;
    EXPECT_EQ(state.CurrentItem, 2);

    // The files come back: the show goes on from where it stood.
    show.present = {0, 1, 2, 3};
    Tick(Pictures(4, 3), Styles({1}), state, show, 3);
    EXPECT_EQ(show.Items(), (std::vector<int32_t>{2}));
    EXPECT_EQ(state.CurrentItem, 3);
}
