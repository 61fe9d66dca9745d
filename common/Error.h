#pragma once
// The one exception type for the program's own errors. Its message is the text the
// user sees (UTF-8), for example "Stream read error" or "JPEG error #42".
#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>

namespace kv {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// printf-style formatting into a std::string (for the "%s"/"%d" message patterns).
template <typename... Args>
std::string Format(const char* pattern, Args&&... args) {
    int n = std::snprintf(nullptr, 0, pattern, args...);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), pattern, args...);
    out.resize(static_cast<size_t>(n));
    return out;
}

}  // namespace kv
