// Every built transition style at 1920x1080 against the floor of one frame.
//
// A frame, as the player makes it, is the old picture copied into Screen followed by the
// style's drawing. The floor is the least any frame costs: one full-frame copy of the old
// picture plus one of the new picture. Each style's benchmark times its frames at
// progress 1..99 (step 4) one by one and reports the median frame beside the floor
// measured in the same iteration.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/Bitmap.h"
#include "graphics/Random.h"
#include "transitions/TransitionEffects.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

using Clock = std::chrono::steady_clock;

kv::Bitmap Pattern(int w, int h, uint32_t salt) {
    kv::Bitmap b(w, h);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(b.ScanLine(y));
        for (int x = 0; x < w; ++x) row[x] = 0xFF000000u | ((x * 7 + y * 13 + salt) & 0xFFFFFF);
    }
    return b;
}

struct Pictures {
    kv::Bitmap Old = Pattern(kWidth, kHeight, 1);
    kv::Bitmap New = Pattern(kWidth, kHeight, 0x5A5A5A);
};

Pictures& Shared() {
    static Pictures pictures;
    return pictures;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The floor: old picture into Screen, new picture into Screen.
double FloorFrame(kv::Bitmap& screen, const Pictures& p) {
    auto t0 = Clock::now();
    std::memcpy(screen.ScanLine(0), p.Old.ScanLine(0), size_t{4} * kWidth * kHeight);
    benchmark::ClobberMemory();
    std::memcpy(screen.ScanLine(0), p.New.ScanLine(0), size_t{4} * kWidth * kHeight);
    benchmark::ClobberMemory();
    return Seconds(Clock::now() - t0);
}

void BM_Style(benchmark::State& state) {
    const int style = static_cast<int>(state.range(0));
    if (!kv::StyleAvailable(style)) {
        state.SkipWithError("not built yet");
        return;
    }
    Pictures& p = Shared();
    kv::Bitmap screen(kWidth, kHeight);
    kv::RandSeed(1);
    std::vector<double> frames, floors;
    for (auto _ : state) {
        for (int progress = 1; progress <= 99; ++progress) {
            auto t0 = Clock::now();
            std::memcpy(screen.ScanLine(0), p.Old.ScanLine(0), size_t{4} * kWidth * kHeight);
            kv::RunStyle(style, screen, p.New, 4, static_cast<uint8_t>(progress));
            benchmark::ClobberMemory();
            frames.push_back(Seconds(Clock::now() - t0));
        }
        floors.push_back(FloorFrame(screen, p));
    }
    const double frame = Median(frames), floor = Median(floors);
    state.counters["frame_ms"] = frame * 1e3;
    state.counters["floor_ms"] = floor * 1e3;
    state.counters["x_floor"] = floor > 0 ? frame / floor : 0;
    state.SetLabel(kv::EffectTable[style - 1].Name);
}

void BM_Floor(benchmark::State& state) {
    Pictures& p = Shared();
    kv::Bitmap screen(kWidth, kHeight);
    std::vector<double> floors;
    for (auto _ : state) floors.push_back(FloorFrame(screen, p));
    state.counters["floor_ms"] = Median(floors) * 1e3;
}

// Registered at start-up for every style; a style without a procedure reports so.
const bool kRegistered = [] {
    benchmark::RegisterBenchmark("Styles/floor", BM_Floor)->Iterations(50)->Unit(benchmark::kMillisecond);
    for (int style = 1; style <= kv::kStyleCount; ++style)
        benchmark::RegisterBenchmark(("Styles/" + std::to_string(style)).c_str(), BM_Style)
            ->Arg(style)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    return true;
}();

}  // namespace
