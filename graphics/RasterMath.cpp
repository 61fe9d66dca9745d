#include "graphics/RasterMath.h"

#include <cmath>
#include <limits>

namespace kv {

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
    if (c == 0) return -1;
    // |a * b| <= 2^62 and |c| <= 2^31: every step below fits in 64 bits.
    int64_t p = int64_t{a} * int64_t{b};
    int64_t d = c;
    bool negative = (p < 0) != (d < 0);
    uint64_t up = p < 0 ? 0 - static_cast<uint64_t>(p) : static_cast<uint64_t>(p);
    uint64_t ud = d < 0 ? 0 - static_cast<uint64_t>(d) : static_cast<uint64_t>(d);
    uint64_t q = (up + ud / 2) / ud;  // halves round up in magnitude
    if (q > (negative ? uint64_t{1} << 31 : uint64_t{0x7FFFFFFF})) return -1;
    return negative ? static_cast<int32_t>(-static_cast<int64_t>(q)) : static_cast<int32_t>(q);
}

namespace {
constexpr long double kTwo63 = 9223372036854775808.0L;

// Saturating conversion of an integral-valued long double.
int64_t ToInt64(long double v) {
    if (v >= kTwo63) return std::numeric_limits<int64_t>::max();
    if (v < -kTwo63) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(v);
}
}  // namespace

int64_t Round(long double x) {
    if (std::isnan(x)) return 0;
    long double f = std::floor(x);
    long double frac = x - f;
    int64_t r = ToInt64(f);
    if (f >= kTwo63 || f < -kTwo63) return r;
    if (frac > 0.5L || (frac == 0.5L && (r & 1) != 0)) ++r;
    return r;
}

int64_t Trunc(long double x) {
    if (std::isnan(x)) return 0;
    return ToInt64(std::trunc(x));
}

}  // namespace kv
