#pragma once
// Integer helpers with the rounding rules the drawing code relies on.
#include <cstdint>

namespace kv {

// a * b / c with a 64-bit intermediate, rounded to the nearest integer, halves away from
// zero (MulDiv(3, 1, 2) = 2, MulDiv(-3, 1, 2) = -2). Returns -1 when c is 0 or when the
// result does not fit in 32 bits.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

// Nearest integer, halves to the even neighbour (Round(2.5) = 2, Round(3.5) = 4).
// NaN gives 0; values beyond the int64 range saturate.
int64_t Round(long double x);

// Truncation toward zero. NaN gives 0; values beyond the int64 range saturate.
int64_t Trunc(long double x);

// Integer division rounded toward negative infinity (b > 0).
constexpr int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}
// Integer division rounded toward positive infinity (b > 0).
constexpr int64_t CeilDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    return (a % b != 0 && a > 0) ? q + 1 : q;
}

}  // namespace kv
