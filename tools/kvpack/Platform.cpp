#include "tools/kvpack/Commands.h"

#include "common/Files.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kvpack {

std::filesystem::path ProgramFolder() {
#ifdef _WIN32
    std::wstring buffer(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    buffer.resize(n);
    return std::filesystem::path(buffer).parent_path();
#else
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : self.parent_path();
#endif
}

}  // namespace kvpack
