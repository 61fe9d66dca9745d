#include "showcase/core/ModeDispatch.h"

#include <cstdlib>
#include <limits>

#include "common/Error.h"

namespace kv {
namespace {

// The second character of a UTF-8 argument, if it is a single byte (an ASCII letter);
// 0 when the argument has no second character or it is not ASCII.
char SecondAsciiChar(const std::string& arg) {
    if (arg.empty()) return 0;
    auto lead = static_cast<unsigned char>(arg[0]);
    size_t first = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (arg.size() <= first) return 0;
    auto c = static_cast<unsigned char>(arg[first]);
    return c < 0x80 ? static_cast<char>(c) : 0;
}

}  // namespace

int32_t ParseInteger(const std::string& text) {
    auto fail = [&]() { return Error(Format("'%s' is not a valid integer value", text.c_str())); };
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == text.size()) throw fail();
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') throw fail();
        value = value * 10 + (text[i] - '0');
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) throw fail();
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) throw fail();
    return static_cast<int32_t>(value);
}

LaunchRequest ParseSaverCommandLine(const std::vector<std::string>& args) {
    LaunchRequest request;
    const std::string first = args.empty() ? std::string() : args[0];
    if (first == "/p") {
        request.Mode = SaverMode::Preview;
        request.HostWindow = ParseInteger(args.size() > 1 ? args[1] : std::string());
    } else if (char c = SecondAsciiChar(first); c == 'c' || c == 'C') {
        request.Mode = SaverMode::Configure;
    }
    return request;
}

}  // namespace kv
