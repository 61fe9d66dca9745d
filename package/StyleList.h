#pragma once
// The usable transition styles of a show: the styles 0..122 that the package's effect
// flags enable and that are not in the fixed excluded set, in ascending order.
#include <span>
#include <vector>

#include "common/Files.h"
#include "package/ShowSettings.h"

namespace kv {

constexpr int kEffectFlagCount = 123;

// The styles that are never used, whatever the effect flags say.
bool IsExcludedStyle(int style);

class StyleList {
public:
    // Adds every style whose flag byte is exactly 1 and that is not excluded. flags must
    // hold kEffectFlagCount bytes (kv::Error otherwise). Adding to a list that already
    // holds styles (a package with more than one effect-flags record) merges: a style
    // already in the list is not added again, so the list stays ascending and never
    // holds more than the usable styles.
    void AddEnabled(std::span<const uint8_t> flags);
    const std::vector<int>& Styles() const { return styles_; }
    int Count() const { return static_cast<int>(styles_.size()); }

private:
    std::vector<int> styles_;
};

// True when a picture show (ShowKind 0) has no usable style. Other kinds need none.
bool StyleCheckFails(const ShowSettings& settings, const StyleList& styles);

// Effect flags enabling exactly the given styles (each 0..122, kv::Error otherwise).
Bytes EffectFlagsFor(std::span<const int> styles);
// The default selection: every style 1..118 that is not excluded (style 0 stays off).
Bytes DefaultEffectFlags();

}  // namespace kv
