#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace kvpack {

// Each command takes the arguments after its name and returns the exit status.
// Errors leave as kvpack::UsageError (bad command line) or kv::Error.
int BuildCommand(const std::vector<std::string>& args);
int InspectCommand(const std::vector<std::string>& args);
int ExtractCommand(const std::vector<std::string>& args);
int StylesCommand(const std::vector<std::string>& args);
int RenderCommand(const std::vector<std::string>& args);
int AnimateCommand(const std::vector<std::string>& args);
int FrameCommand(const std::vector<std::string>& args);

// The folder that holds the running kvpack program.
std::filesystem::path ProgramFolder();

}  // namespace kvpack
