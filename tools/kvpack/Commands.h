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
int InstallerCommand(const std::vector<std::string>& args);

// The installer program kvpack uses when none is given: deployer.exe beside kvpack, or
// the 32-bit build's. Throws UsageError when there is none.
std::filesystem::path DefaultDeployer();
// Writes the installer `out`: the installer program `deployer` followed by the
// screensaver file `saver` and its length; prints one line about it.
void MakeInstaller(const std::filesystem::path& saver, const std::filesystem::path& out,
                   const std::filesystem::path& deployer);

// The folder that holds the running kvpack program.
std::filesystem::path ProgramFolder();

}  // namespace kvpack
