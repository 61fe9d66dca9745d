#include "common/Args.h"

#include "common/Files.h"

namespace kv {

#ifdef _WIN32
std::vector<std::string> ArgsFromWide(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(PathToUtf8(std::filesystem::path(argv[i])));
    return args;
}
#endif

std::vector<std::string> ArgsFromNarrow(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

}  // namespace kv
