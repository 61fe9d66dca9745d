#include "package/StyleList.h"

#include <algorithm>
#include <array>

#include "common/Error.h"

namespace kv {

bool IsExcludedStyle(int style) {
    static constexpr std::array<int, 19> kExcluded = {7,  9,  16, 17, 24, 25,  26,  27,  33, 34,
                                                      47, 48, 49, 50, 51, 119, 120, 121, 122};
    return std::binary_search(kExcluded.begin(), kExcluded.end(), style);
}

void StyleList::AddEnabled(std::span<const uint8_t> flags) {
    if (flags.size() != static_cast<size_t>(kEffectFlagCount))
        throw Error(Format("Effect flags need %d bytes, not %u", kEffectFlagCount, static_cast<unsigned>(flags.size())));
    for (int i = 0; i < kEffectFlagCount; ++i) {
        if (flags[static_cast<size_t>(i)] != 1 || IsExcludedStyle(i)) continue;
        auto at = std::lower_bound(styles_.begin(), styles_.end(), i);
        if (at == styles_.end() || *at != i) styles_.insert(at, i);
    }
}

bool StyleCheckFails(const ShowSettings& settings, const StyleList& styles) {
    return settings.ShowKind == 0 && styles.Count() == 0;
}

Bytes EffectFlagsFor(std::span<const int> styles) {
    Bytes flags(kEffectFlagCount, 0);
    for (int s : styles) {
        if (s < 0 || s >= kEffectFlagCount) throw Error(Format("Style %d cannot be enabled (0 to 122)", s));
        flags[static_cast<size_t>(s)] = 1;
    }
    return flags;
}

Bytes DefaultEffectFlags() {
    Bytes flags(kEffectFlagCount, 0);
    for (int s = 1; s <= 118; ++s) flags[static_cast<size_t>(s)] = IsExcludedStyle(s) ? 0 : 1;
    return flags;
}

}  // namespace kv
