#include "graphics/Random.h"

#include <atomic>
#include <chrono>

namespace kv {

namespace {

constexpr uint64_t kMultiplier = 6364136223846793005ULL;
constexpr uint64_t kIncrement = 1442695040888963407ULL;

std::atomic<uint64_t> g_state{0x853C49E6748FEA9BULL};

constexpr uint64_t Advance(uint64_t s) { return s * kMultiplier + kIncrement; }

constexpr uint32_t Output(uint64_t s) {
    uint32_t xorshifted = static_cast<uint32_t>(((s >> 18) ^ s) >> 27);
    uint32_t rot = static_cast<uint32_t>(s >> 59);
    return (xorshifted >> rot) | (xorshifted << ((32 - rot) & 31));
}

// One step of the shared state; returns the 32 bits it yields.
uint32_t Next() {
    uint64_t old = g_state.load(std::memory_order_relaxed);
    while (!g_state.compare_exchange_weak(old, Advance(old), std::memory_order_relaxed)) {
    }
    return Output(old);
}

struct ClockSeeder {
    ClockSeeder() { RandomizeFromClock(); }
};
const ClockSeeder g_clockSeeder;

}  // namespace

void RandSeed(uint32_t seed) {
    uint64_t s = Advance(0);
    s = Advance(s + seed);
    g_state.store(s, std::memory_order_relaxed);
}

void RandomizeFromClock() {
    auto wall = std::chrono::system_clock::now().time_since_epoch().count();
    auto mono = std::chrono::steady_clock::now().time_since_epoch().count();
    uint64_t mixed = static_cast<uint64_t>(wall) * 0x9E3779B97F4A7C15ULL ^ static_cast<uint64_t>(mono);
    g_state.store(Advance(mixed), std::memory_order_relaxed);
}

int32_t Random(int32_t n) {
    if (n <= 0) return 0;
    // Multiply-shift with rejection of the few low products that would bias the result.
    uint32_t range = static_cast<uint32_t>(n);
    uint64_t m = uint64_t{Next()} * range;
    uint32_t low = static_cast<uint32_t>(m);
    if (low < range) {
        uint32_t threshold = (0u - range) % range;
        while (low < threshold) {
            m = uint64_t{Next()} * range;
            low = static_cast<uint32_t>(m);
        }
    }
    return static_cast<int32_t>(m >> 32);
}

uint64_t RandState() { return g_state.load(std::memory_order_relaxed); }

void SetRandState(uint64_t state) { g_state.store(state, std::memory_order_relaxed); }

}  // namespace kv
