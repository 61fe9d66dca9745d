#include "deployer/core/InstallNames.h"

namespace kv {
namespace {
constexpr std::string_view kInstallPrefix = "Install-";
constexpr std::string_view kSeparators = "\\/:";
}  // namespace

std::string_view FileNamePart(std::string_view path) {
    const size_t cut = path.find_last_of(kSeparators);
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string DestinationFolder(std::string_view systemFolder) {
    std::string folder(systemFolder);
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder;
}

std::string ScreensaverName(std::string_view installerPath) {
    std::string_view name = FileNamePart(installerPath);
    if (name.substr(0, kInstallPrefix.size()) == kInstallPrefix) name.remove_prefix(kInstallPrefix.size());
    return std::string(name);
}

std::string WithScrExtension(std::string_view path) {
    const size_t nameStart = path.size() - FileNamePart(path).size();
    const size_t dot = path.find_last_of('.');
    std::string out(path.substr(0, dot != std::string_view::npos && dot >= nameStart ? dot : path.size()));
    return out + ".scr";
}

std::string ScreensaverPath(std::string_view destinationFolder, std::string_view installerPath) {
    return WithScrExtension(std::string(destinationFolder) + ScreensaverName(installerPath));
}

std::string ProgramTitle(std::string_view programPath) {
    std::string_view name = FileNamePart(programPath);
    std::string title(name.substr(0, name.find('.')));
    for (size_t i = 1; i < title.size(); ++i)
        if (title[i] >= 'A' && title[i] <= 'Z') title[i] = static_cast<char>(title[i] - 'A' + 'a');
    return title;
}

}  // namespace kv
