#pragma once
// Shared pieces of kvprobe.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace probe {

// Writes one line to stdout as UTF-8 and flushes it.
void Print(const std::wstring& line);
// Reports bad use on stderr and ends the program with exit code 2.
[[noreturn]] void Usage(const std::wstring& why);
long long ParseNumber(const std::wstring& text, int base);
// Calls done every pauseMs milliseconds until it returns true (true) or the time is up (false).
bool PollUntil(DWORD timeoutMs, DWORD pauseMs, const std::function<bool()>& done);

// transition-time: times whole transitions of the player control on a full-screen window.
int TransitionTime(const std::wstring& styles, int runs, const std::vector<std::wstring>& pictures);

}  // namespace probe
