#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TempDir.h"
#include "common/Files.h"
#include "showcase/core/ShowRules.h"

namespace {

using Action = kv::MusicPlaylist::Action;
constexpr int64_t kLength = 180000;  // a three-minute track

// Music files named kvmusic0.mp3 .. in a fresh folder; `missing` ones are not written.
std::vector<std::filesystem::path> Tracks(const kv::test::TempDir& dir, int n, std::vector<int> missing = {}) {
    std::vector<std::filesystem::path> tracks;
    for (int i = 0; i < n; ++i) {
        tracks.push_back(dir.path() / ("kvmusic" + std::to_string(i) + ".mp3"));
        if (std::find(missing.begin(), missing.end(), i) == missing.end())
            kv::WriteFileBytes(tracks.back(), kv::Bytes{1, 2, 3});
    }
    return tracks;
}

// One notification and what it must give.
struct Step {
    bool stopped;
    int64_t position, length, now;
    enum Action::Kind kind;
    size_t track = 0;  // Play only
};

// Track ended after really playing: notified at its end, `now` well after its start.
Step Ended(int64_t now, size_t next) { return {true, kLength, kLength, now, Action::Play, next}; }
// Track ended at once: the position never moved.
Step AtOnce(int64_t now, enum Action::Kind kind, size_t next = 0) { return {true, 0, kLength, now, kind, next}; }

void Replay(kv::MusicPlaylist& list, const std::vector<Step>& steps) {
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        SCOPED_TRACE(testing::Message() << "notification " << i << " at " << s.now);
        const Action a = list.OnNotify(s.stopped, s.position, s.length, s.now);
        EXPECT_EQ(a.Kind, s.kind);
        if (s.kind == Action::Play) {
            EXPECT_EQ(a.Track, s.track);
            EXPECT_EQ(list.CurrentTrack(), static_cast<int32_t>(s.track));
            EXPECT_FALSE(a.FileMissing);
        }
    }
}

}  // namespace

TEST(MusicPlaylist, AdvancesAndWrapsAtEachTrackEnd) {
    kv::test::TempDir dir;
    struct Case {
        const char* name;
        int files;
        int32_t musicCount;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"one track repeats", 1, 1, {Ended(200000, 0), Ended(400000, 0), Ended(600000, 0)}},
        {"three tracks wrap", 3, 3, {Ended(200000, 1), Ended(400000, 2), Ended(600000, 0), Ended(800000, 1)}},
        {"count below the list", 3, 2, {Ended(200000, 1), Ended(400000, 0), Ended(600000, 1)}},
        {"count above the list", 2, 5, {Ended(200000, 1), Ended(400000, 0), Ended(600000, 1)}},
        {"still playing", 2, 2,
         {{false, 1000, kLength, 1000, Action::Rearm},
          {false, 0, kLength, 2000, Action::Rearm},
          {false, kLength, kLength, 200000, Action::Play, 1},  // reached its length while playing
          {true, 90000, kLength, 300000, Action::Play, 0}}},   // stopped halfway counts as ended
        {"no music", 2, 0,
         {{true, kLength, kLength, 200000, Action::Nothing}, {false, 1, kLength, 1, Action::Nothing}}},
        {"negative count", 2, -1, {{true, kLength, kLength, 200000, Action::Nothing}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kv::MusicPlaylist list(Tracks(dir, c.files), c.musicCount);
        list.Started(0);
        Replay(list, c.steps);
    }
}

TEST(MusicPlaylist, FlagsAMissingFileAndStillPlaysIt) {
    kv::test::TempDir dir;
    kv::MusicPlaylist list(Tracks(dir, 3, {1}), 3);
    list.Started(0);
    Action a = list.OnNotify(true, kLength, kLength, 200000);
    EXPECT_EQ(a.Kind, Action::Play);
    EXPECT_EQ(a.Track, 1u);
    EXPECT_TRUE(a.FileMissing);
    EXPECT_EQ(list.Tracks()[a.Track], dir.path() / "kvmusic1.mp3");
    a = list.OnNotify(true, kLength, kLength, 400000);
    EXPECT_EQ(a.Track, 2u);
    EXPECT_FALSE(a.FileMissing);
}

TEST(MusicPlaylist, StopsAfterAWholeRoundEndsAtOnce) {
    kv::test::TempDir dir;
    struct Case {
        const char* name;
        int32_t count;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        // No sound output: each play ends a few milliseconds after it started. Every
        // track is tried once, then nothing more, whatever comes later.
        {"three tracks", 3,
         {AtOnce(5, Action::Play, 1), AtOnce(10, Action::Play, 2), AtOnce(15, Action::Nothing),
          {true, kLength, kLength, 400000, Action::Nothing}}},
        {"one track", 1, {AtOnce(3, Action::Nothing), AtOnce(6, Action::Nothing)}},
        // A track that really played resets the count.
        {"reset by a real play", 3,
         {AtOnce(5, Action::Play, 1), AtOnce(10, Action::Play, 2), Ended(200000, 0), AtOnce(200005, Action::Play, 1),
          AtOnce(200010, Action::Play, 2), AtOnce(200015, Action::Nothing)}},
        // Short plays that are not "at once": over a second of wall time, or a track
        // that is itself short and played most of its length.
        {"over a second", 2,
         {{true, 0, kLength, 1500, Action::Play, 1}, {true, 0, kLength, 3000, Action::Play, 0},
          {true, 0, kLength, 4500, Action::Play, 1}}},
        {"short tracks", 2,
         {{true, 400, 400, 420, Action::Play, 1}, {true, 400, 400, 840, Action::Play, 0},
          {true, 400, 400, 1260, Action::Play, 1}}},
        // A track of no length that ends at once cannot play either.
        {"no length", 2, {{true, 0, 0, 5, Action::Play, 1}, {true, 0, 0, 10, Action::Nothing}}},
        // Still-playing notifications in between do not break the count.
        {"re-arms in between", 2,
         {AtOnce(5, Action::Play, 1), {false, 0, kLength, 6, Action::Rearm}, AtOnce(10, Action::Nothing)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kv::MusicPlaylist list(Tracks(dir, 3), c.count);
        list.Started(0);
        Replay(list, c.steps);
        EXPECT_EQ(list.GaveUp(), c.steps.back().kind == Action::Nothing);
    }
}
