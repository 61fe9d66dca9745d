// Placeholder until the player control is in the framework.
#include "probe.h"

namespace probe {
int TransitionTime(const std::wstring&, int, const std::vector<std::wstring>&) {
    Usage(L"transition-time is not built yet");
}
}  // namespace probe
