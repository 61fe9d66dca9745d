#include "deployer/core/InstallProcedure.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "common/Error.h"
#include "deployer/core/InstallNames.h"
#include "deployer/core/InstallerFile.h"

namespace kv {

void CopyPayload(const std::string& installerPath, const PayloadLocation& at, const std::string& destination) {
    std::FILE* source = OpenFile(PathFromUtf8(installerPath), "rb");
    if (!source) throw Error(Format("Cannot open file %s", installerPath.c_str()));
    std::FILE* target = OpenFile(PathFromUtf8(destination), "wb");
    if (!target) {
        std::fclose(source);
        throw Error(Format("Cannot create file %s", destination.c_str()));
    }
    const char* failure = nullptr;
#ifdef _WIN32
    if (_fseeki64(source, static_cast<long long>(at.Offset), SEEK_SET) != 0) failure = "Stream read error";
#else
    if (fseeko(source, static_cast<off_t>(at.Offset), SEEK_SET) != 0) failure = "Stream read error";
#endif
    std::vector<uint8_t> buffer(1 << 16);
    for (uint64_t left = at.Length; left > 0 && !failure;) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(left, buffer.size()));
        if (std::fread(buffer.data(), 1, want, source) != want) {
            failure = "Stream read error";
        } else if (std::fwrite(buffer.data(), 1, want, target) != want) {
            failure = "Stream write error";
        }
        left -= want;
    }
    std::fclose(source);
    if (std::fclose(target) != 0 && !failure) failure = "Stream write error";
    if (failure) {
        // A half-written screensaver must not stay behind to be registered or started.
        std::error_code ec;
        std::filesystem::remove(PathFromUtf8(destination), ec);
        throw Error(failure);
    }
}

namespace {

bool WriteSkin(InstallHost& host, const std::string& destinationFolder) {
    std::optional<Bytes> skin;
    try {
        skin = host.SkinResource();
    } catch (const std::exception&) {
        return false;
    }
    if (!skin) return false;
    const std::filesystem::path file = PathFromUtf8(destinationFolder + kSkinFileName);
    std::FILE* f = OpenFile(file, "wb");
    if (!f) return false;  // whatever is in the way stays as it is
    bool ok = skin->empty() || std::fwrite(skin->data(), 1, skin->size(), f) == skin->size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::error_code ec;
        std::filesystem::remove(file, ec);  // no truncated skin for the dialog to stumble on
    }
    return ok;
}

}  // namespace

InstallResult Install(InstallHost& host, const std::string& destinationFolder) {
    InstallResult result;
    const std::string installer = host.InstallerPath();
    result.ScreensaverPath = host.ShortPath(ScreensaverPath(destinationFolder, installer));

    // The payload is located and checked before the destination is touched.
    const PayloadLocation at = ReadPayloadLocation(PathFromUtf8(installer));
    CopyPayload(installer, at, result.ScreensaverPath);

    result.Registered = host.SetScreensaverValue(result.ScreensaverPath);
    result.SkinWritten = WriteSkin(host, destinationFolder);
    if (host.AskRunNow()) {
        host.OpenWithShell(result.ScreensaverPath);
        result.Started = true;
    }
    return result;
}

}  // namespace kv
