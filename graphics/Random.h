#pragma once
// The program's one shared pseudo-random generator.
//
// A permuted 64-bit linear congruential generator: the state advances by
// state * 6364136223846793005 + 1442695040888963407 (mod 2^64) and each step yields 32
// bits by an xorshift and a state-dependent rotation of the old state. The sequence for a
// given seed is the same on every platform and compiler.
//
// The state is a single atomic word: draws on different threads interleave (each draw
// takes one or more whole steps) and never race. The generator is seeded from the clock
// when the program starts.
#include <cstdint>

namespace kv {

// Restarts the sequence from a seed; the same seed always replays the same draws.
void RandSeed(uint32_t seed);

// Seeds from the system clocks (done once automatically at program start).
void RandomizeFromClock();

// A uniformly distributed integer 0 .. n - 1 (no modulo bias); 0 when n <= 0.
int32_t Random(int32_t n);

// The raw 64-bit state, to save and restore a position in the sequence.
uint64_t RandState();
void SetRandState(uint64_t state);

}  // namespace kv
