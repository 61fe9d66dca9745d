// Stress of the transition player: many short transitions, mostly on the worker thread,
// cut short at random moments by Stop, by switches to and from manual mode, by a Stop
// from the worker's own OnProgress, and by destroying the player. Built with
// ThreadSanitizer (races, lock-order inversions) and with AddressSanitizer (leaks,
// use after free).
//
// usage: kv_player_stress_* [TRANSITIONS [SEED]]
// Fails (exit 1) when a transition fires OnStop or OnComplete more than once, fires
// OnComplete after OnStop, ends without OnStop while the player lives, or does not end;
// aborts when nothing moves for 60 seconds (a deadlock).
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "graphics/Canvas.h"
#include "transitions/TransitionEffects.h"
#include "transitions/TransitionPlayer.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Tally {
    std::atomic<int> stops{0};
    std::atomic<int> completes{0};
    std::atomic<bool> completeAfterStop{false};
    std::atomic<int> frames{0};
    std::atomic<bool> stopFromWorker{false};
    void Reset() {
        stops = 0;
        completes = 0;
        completeAfterStop = false;
        frames = 0;
        stopFromWorker = false;
    }
};

Tally tally;
std::atomic<int64_t> heartbeat{0};

int64_t Now() { return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count(); }

kv::Bitmap Solid(uint32_t colour) {
    kv::Bitmap b(16, 12);
    b.Canvas().FillRect({0, 0, 16, 12}, colour);
    return b;
}

std::unique_ptr<kv::TTransitionPlayer> MakePlayer(kv::InProcessHost& host) {
    auto p = std::make_unique<kv::TTransitionPlayer>(host);
    p->SetDelay(0);
    p->OnStop = [](kv::TCustomTransitionPlayer&) { ++tally.stops; };
    p->OnComplete = [](kv::TCustomTransitionPlayer&) {
        if (tally.stops > 0) tally.completeAfterStop = true;
        ++tally.completes;
    };
    p->OnCustomDraw = [](kv::TCustomTransitionPlayer&, kv::Bitmap& picture, kv::Bitmap& screen) {
        screen.Canvas().Draw(0, 0, picture);
    };
    p->OnProgress = [](kv::TCustomTransitionPlayer& s) {
        ++tally.frames;
        if (tally.stopFromWorker && s.Progress() >= 50) s.Stop();
    };
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 20261211u;
    std::mt19937 rng(seed);
    auto roll = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };

    std::vector<int> styles = {0};
    for (int s : {1, 3, 52, 60, 64, 118}) if (kv::StyleAvailable(s)) styles.push_back(s);

    std::atomic<bool> finished{false};
    heartbeat = Now();
    std::thread watchdog([&] {
        while (!finished) {
            std::this_thread::sleep_for(200ms);
            if (Now() - heartbeat > 60000) {
                std::fprintf(stderr, "player stress: no progress for 60 s, a deadlock\n");
                std::abort();
            }
        }
    });

    const auto start = Clock::now();
    int failures = 0;
    int actions[6] = {};
    int threadedRuns = 0;
    kv::InProcessHost host(16, 12);
    std::unique_ptr<kv::TTransitionPlayer> player;
    auto fail = [&](int i, const char* what) {
        if (++failures <= 20) std::fprintf(stderr, "transition %d: %s\n", i, what);
    };

    for (int i = 0; i < count; ++i) {
        heartbeat = Now();
        if (!player) player = MakePlayer(host);
        kv::TTransitionPlayer& p = *player;
        const bool threaded = roll(8) != 0;
        threadedRuns += threaded;
        p.SetThreaded(threaded);
        p.SetManual(false);
        p.SetStep(static_cast<unsigned>(10 + roll(41)));
        p.SetReverse(roll(2) == 0);
        p.SetStyle(styles[roll(static_cast<int>(styles.size()))]);
        p.SetPicture(Solid(i % 2 ? 0xFFFF0000u : 0xFF00FF00u));
        tally.Reset();

        int action = roll(6);
        if (!threaded && action >= 4) action = 1;  // no destruction from inside the inline loop
        if (action == 5) tally.stopFromWorker = true;
        ++actions[action];
        bool destroyed = false;

        if (threaded) {
            p.Execute();
            // A random moment: some rounds of the message loop, or none at all.
            for (int k = roll(5); k > 0; --k) host.ProcessMessages(std::chrono::milliseconds(roll(2)));
            switch (action) {
                case 1:
                    p.Stop();
                    break;
                case 2:
                    p.SetManual(true);
                    if (p.Busy()) p.SetProgress(roll(101));
                    if (roll(2)) {
                        p.SetManual(false);
                    } else {
                        p.Stop();
                    }
                    break;
                case 3:
                    player.reset();
                    destroyed = true;
                    break;
                case 4:
                    p.SetManual(true);
                    player.reset();
                    destroyed = true;
                    break;
                default:
                    break;  // 0: runs to its end; 5: stops itself from OnProgress
            }
        } else {
            if (action == 1) host.Post([&p] { p.Stop(); });
            if (action == 2) host.Post([&p] { p.SetManual(true); });
            p.Execute();
            if (action == 2 && p.Busy()) {
                p.SetProgress(roll(101));
                if (roll(2)) {
                    p.SetManual(false);
                } else {
                    p.Stop();
                }
            }
        }
        if (!destroyed && !host.PumpUntil([&] { return !player->Busy(); }, 30s)) {
            fail(i, "did not end");
            player->Stop();
        }
        host.ProcessMessages(0ms);

        if (tally.stops > 1) fail(i, "OnStop fired more than once");
        if (tally.completes > 1) fail(i, "OnComplete fired more than once");
        if (tally.completeAfterStop) fail(i, "OnComplete after OnStop");
        if (!destroyed && tally.stops != 1) fail(i, "ended without OnStop");
        if (action == 5 && tally.completes != 0) fail(i, "completed although OnProgress stopped it");
        if (roll(50) == 0) player.reset();  // a fresh player now and then
    }
    player.reset();
    finished = true;
    watchdog.join();

    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("player stress: %d transitions (%d threaded) in %.1f s; run to end %d, Stop %d, manual %d, "
                "destroyed %d, manual then destroyed %d, Stop from OnProgress %d; %d failures\n",
                count, threadedRuns, seconds, actions[0], actions[1], actions[2], actions[3], actions[4],
                actions[5], failures);
    return failures ? 1 : 0;
}
