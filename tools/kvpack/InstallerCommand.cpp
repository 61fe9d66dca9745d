// kvpack installer: a screensaver file -> an installer file (the installer program,
// the screensaver file as its payload, and the payload's length).
#include <cstdio>

#include "common/Error.h"
#include "common/Files.h"
#include "deployer/core/InstallNames.h"
#include "deployer/core/InstallerFile.h"
#include "package/SaverPackage.h"
#include "tools/kvpack/Cli.h"
#include "tools/kvpack/Commands.h"

namespace fs = std::filesystem;

namespace kvpack {
namespace {

const char* const kHelp = R"(usage: kvpack installer --saver FILE.scr --out Install-NAME.exe [--deployer PROGRAM]

Makes an installer: the installer program followed by the screensaver file FILE.scr
and its length. Started on Windows, the installer writes the screensaver into the
system folder as NAME.scr (its own file name less a leading "Install-", with the
extension .scr), makes it the current screensaver and offers to start it.

  --saver FILE.scr    the screensaver file to carry (made by kvpack build)
  --out FILE          the installer to write, usually Install-NAME.exe
  --deployer PROGRAM  the installer program; by default deployer.exe beside kvpack,
                      or, in a build tree, the 32-bit build's build/win32/bin/deployer.exe
)";

std::string Name(const fs::path& p) { return kv::PathToUtf8(p); }

kv::Bytes ReadInput(const fs::path& p, const char* what) {
    std::error_code ec;
    if (!fs::is_regular_file(p, ec)) throw kv::Error(Name(p) + ": no such file");
    try {
        return kv::ReadFileBytes(p);
    } catch (const kv::Error&) {
        throw kv::Error(Name(p) + ": the " + std::string(what) + " cannot be read");
    }
}

}  // namespace

fs::path DefaultDeployer() {
    const fs::path folder = ProgramFolder();
    const fs::path candidates[] = {folder / "deployer.exe", folder / ".." / ".." / "win32" / "bin" / "deployer.exe"};
    for (const auto& c : candidates) {
        std::error_code ec;
        if (fs::is_regular_file(c, ec)) return c;
    }
    throw UsageError("no installer program found (looked for " + Name(candidates[0]) + " and " +
                     Name(fs::weakly_canonical(candidates[1])) + "): give --deployer");
}

// Checks the installer program: a Windows program that carries nothing yet.
void CheckDeployer(const fs::path& deployer, const kv::Bytes& bytes) {
    if (!kv::ProgramImageEnd(bytes)) throw kv::Error(Name(deployer) + ": not a Windows program");
    bool carries = true;
    try {
        kv::ReadPayloadLocation(deployer);
    } catch (const kv::Error&) {
        carries = false;
    }
    if (carries) throw kv::Error(Name(deployer) + ": already an installer that carries a screensaver; give the bare installer program");
}

void MakeInstaller(const fs::path& saver, const fs::path& out, const fs::path& deployer) {
    const kv::Bytes program = ReadInput(deployer, "installer program");
    CheckDeployer(deployer, program);
    const kv::Bytes payload = ReadInput(saver, "screensaver file");
    if (!kv::ReadTrailer(saver).MagicMatches())
        throw kv::Error(Name(saver) + ": not a screensaver file (no package at its end)");
    kv::WriteInstallerFile(out, program, payload);
    std::printf("%s: %llu bytes, carries %s (%llu bytes); installs as %s\n", Name(out).c_str(),
                static_cast<unsigned long long>(program.size() + payload.size() + kv::kPayloadCountSize),
                Name(saver.filename()).c_str(), static_cast<unsigned long long>(payload.size()),
                kv::WithScrExtension(kv::ScreensaverName(Name(out.filename()))).c_str());
}

int InstallerCommand(const std::vector<std::string>& argv) {
    ParsedArgs args(argv, {{"saver", OptionKind::Value}, {"out", OptionKind::Value}, {"deployer", OptionKind::Value}});
    if (args.Help()) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (!args.Positional().empty()) throw UsageError("unexpected argument '" + args.Positional().front() + "'");
    const fs::path saver = kv::PathFromUtf8(args.Required("saver"));
    const fs::path out = kv::PathFromUtf8(args.Required("out"));
    const fs::path deployer = args.Has("deployer") ? kv::PathFromUtf8(*args.Value("deployer")) : DefaultDeployer();
    MakeInstaller(saver, out, deployer);
    return 0;
}

}  // namespace kvpack
