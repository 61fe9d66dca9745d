#pragma once
// Command-line arguments as UTF-8 strings on every platform.
#include <string>
#include <vector>

namespace kv {

#ifdef _WIN32
std::vector<std::string> ArgsFromWide(int argc, wchar_t** argv);
#endif
std::vector<std::string> ArgsFromNarrow(int argc, char** argv);

}  // namespace kv

// Defines the program's entry point (wmain on Windows, main elsewhere) and hands the
// arguments as UTF-8 to `int fn(const std::vector<std::string>&)`.
#ifdef _WIN32
#define KV_UTF8_MAIN(fn) \
    int wmain(int argc, wchar_t** argv) { return fn(kv::ArgsFromWide(argc, argv)); }
#else
#define KV_UTF8_MAIN(fn) \
    int main(int argc, char** argv) { return fn(kv::ArgsFromNarrow(argc, argv)); }
#endif
