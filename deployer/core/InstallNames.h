#pragma once
// The names of an install: the destination folder from the system folder, and the
// screensaver's path from the installer's own file name. Paths are UTF-8 text with
// Windows separators ("\" and ":"; "/" is taken as a separator too).
#include <string>
#include <string_view>

namespace kv {

// The file name part of a path: what follows the last "\", "/" or ":".
std::string_view FileNamePart(std::string_view path);

// The system folder with a trailing "\" (none is added when it already ends in one).
std::string DestinationFolder(std::string_view systemFolder);

// The installer's file name less a leading "Install-" (case counts).
std::string ScreensaverName(std::string_view installerPath);

// The path with its file name's extension replaced by ".scr" (appended where the file
// name has no ".").
std::string WithScrExtension(std::string_view path);

// Destination folder + screensaver name, with the extension ".scr".
std::string ScreensaverPath(std::string_view destinationFolder, std::string_view installerPath);

// The program's title from its path: the file name up to its first ".", in lower case
// after the first character ("Install-Lagoon.exe" -> "Install-lagoon").
std::string ProgramTitle(std::string_view programPath);

}  // namespace kv
