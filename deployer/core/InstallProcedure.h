#pragma once
// The install procedure of the installer's image button, as plain code over the few
// things only the system can do (InstallHost). The window runs Install() from its
// click handler and closes afterwards; an error leaves as kv::Error, for the standard
// error box, and the window stays open.
#include <optional>
#include <string>

#include "common/Files.h"

namespace kv {

inline constexpr char kSkinFileName[] = "swing.mskn";
inline constexpr char kScreensaverValueName[] = "SCRNSAVE.EXE";
inline constexpr char kRunNowQuestion[] = "Screensaver installation completed, run it now?";

class InstallHost {
public:
    virtual ~InstallHost() = default;
    // The full path of the running installer file.
    virtual std::string InstallerPath() = 0;
    // The short (8.3) form of a path, or the path itself where there is none.
    virtual std::string ShortPath(const std::string& path) = 0;
    // Sets HKEY_CURRENT_USER\Control Panel\Desktop "SCRNSAVE.EXE" to the path. Returns
    // false (and writes nothing) when the key cannot be opened or created; throws
    // kv::Error "Failed to set data for 'SCRNSAVE.EXE'" when the value cannot be set.
    virtual bool SetScreensaverValue(const std::string& path) = 0;
    // The skin file carried in the installer's resources; nothing when it is missing.
    virtual std::optional<Bytes> SkinResource() = 0;
    // Asks kRunNowQuestion with Yes and No; true on Yes.
    virtual bool AskRunNow() = 0;
    // Opens the file with the shell's default action (for ".scr": runs it).
    virtual void OpenWithShell(const std::string& path) = 0;
};

struct InstallResult {
    std::string ScreensaverPath;  // as written and registered
    bool Registered = false;      // the registry value was written
    bool SkinWritten = false;
    bool Started = false;         // the user answered Yes
};

struct PayloadLocation;

// Copies the payload's bytes from the installer file into a new (or truncated)
// destination file. A copy that fails ("Stream read error", "Stream write error")
// removes the destination again. "Cannot open file %s", "Cannot create file %s".
void CopyPayload(const std::string& installerPath, const PayloadLocation& at, const std::string& destination);

// Runs the whole procedure into destinationFolder (ending in "\"):
//   the screensaver path from the installer's name; the payload located from the end of
//   the installer file and checked before anything is written; the payload copied to the
//   path (a copy that fails removes the partly written file); the registry value; the
//   skin file (its failures are ignored); the question, and on Yes the shell.
// Errors: "Cannot open file %s", the payload checks of LocatePayload, "Cannot create
// file %s", "Stream read error", "Stream write error", the registry's error.
InstallResult Install(InstallHost& host, const std::string& destinationFolder);

}  // namespace kv
