#pragma once
// Which of its three windows the screensaver opens, decided from the command line alone.
#include <cstdint>
#include <string>
#include <vector>

namespace kv {

enum class SaverMode { Show, Preview, Configure };

struct LaunchRequest {
    SaverMode Mode = SaverMode::Show;
    int32_t HostWindow = 0;  // preview only: the window to draw inside
};

// args are the command-line arguments after the program name, as UTF-8.
//   "/p" HANDLE                        preview inside window HANDLE (decimal)
//   first argument's 2nd char c or C   configuration (/c, /C, /c:1234, -c)
//   anything else, or nothing          show
// A missing or non-numeric handle raises kv::Error "'%s' is not a valid integer value".
LaunchRequest ParseSaverCommandLine(const std::vector<std::string>& args);

// Decimal integer conversion with the framework's error text.
int32_t ParseInteger(const std::string& text);

}  // namespace kv
