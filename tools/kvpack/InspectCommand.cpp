// kvpack inspect: what a screensaver file holds.
#include <algorithm>
#include <cstdio>
#include <string>

#include "common/Error.h"
#include "common/Files.h"
#include "deployer/core/InstallNames.h"
#include "deployer/core/InstallerFile.h"
#include "package/SaverPackage.h"
#include "package/ShowSettings.h"
#include "tools/kvpack/Cli.h"
#include "tools/kvpack/Commands.h"

namespace fs = std::filesystem;

namespace kvpack {
namespace {

const char* const kHelp = R"(usage: kvpack inspect FILE

Shows what the screensaver file FILE holds: where its package starts, the trailer,
every record (offset, tag, length, item index, extension), the show settings and the
transition styles the show can use. For an installer file (made by kvpack installer)
it shows where the screensaver it carries lies and then that screensaver's package.
Exits with 1 when FILE holds neither a package nor a screensaver.
)";

const char* TagName(uint8_t tag) {
    static const char* const kNames[] = {"settings", "picture", "music", "flash", "effect-flags", "frame", "end"};
    return tag < 7 ? kNames[tag] : "invalid";
}

std::string Printable(const char* chars, size_t n) {
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        auto c = static_cast<unsigned char>(chars[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out;
}

const char* QuitModeName(int32_t mode) {
    switch (mode) {
    case 1: return "mouse move";
    case 2: return "mouse click";
    case 3: return "key press";
    case 4: return "any of mouse move, click, key";
    default: return "none (Alt+F4 only)";
    }
}


// A copy of an installer's payload in the temporary folder, removed afterwards.
class PayloadCopy {
public:
    explicit PayloadCopy(const kv::Bytes& payload) {
        path_ = fs::temp_directory_path() /
                kv::PathFromUtf8(kv::Format("kvpack-payload-%llx.scr",
                                            static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(this))));
        kv::WriteFileBytes(path_, payload);
    }
    ~PayloadCopy() {
        std::error_code ec;
        fs::remove(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

int InspectSaver(const fs::path& file, const std::string& name) {
    std::error_code ec;
    const uint64_t size = fs::file_size(file, ec);

    const kv::PackageTrailer trailer = kv::ReadTrailer(file);
    std::optional<std::vector<kv::RecordInfo>> records = kv::ListRecords(file);
    if (!records) {
        std::printf("%s: %llu bytes, no screensaver package (no KVQ trailer)\n", name.c_str(),
                    static_cast<unsigned long long>(size));
        return 1;
    }
    const int64_t firstRecord = static_cast<int64_t>(size) - trailer.Length - 8;
    std::printf("%s: %llu bytes\n", name.c_str(), static_cast<unsigned long long>(size));
    std::printf("program:  %lld bytes\n", static_cast<long long>(firstRecord));
    std::printf("trailer:  \"%s\", records %d bytes from offset %lld\n",
                Printable(trailer.Magic.data(), 4).c_str(), trailer.Length, static_cast<long long>(firstRecord));
    std::printf("records:\n  %10s  %-14s %10s  %5s  %s\n", "offset", "tag", "length", "index", "extension");
    for (const kv::RecordInfo& r : *records) {
        std::string index, ext;
        if (r.Media) {
            index = std::to_string(r.Media->Index);
            ext = Printable(r.Media->ExtensionChars.data(), std::min<size_t>(r.Media->ExtensionLength, 9));
        }
        std::printf("  %10llu  %u %-12s %10d  %5s  %s\n", static_cast<unsigned long long>(r.Offset), r.Tag,
                    TagName(r.Tag), r.Length, index.c_str(), ext.c_str());
    }

    // The settings and styles as the configuration dialog's walk takes them.
    kv::PackageState state;
    bool styleCheckFailed = false;
    kv::PackageActions actions;
    actions.StyleCheckFailed = [&] { styleCheckFailed = true; };
    kv::ReadSaverPackage(file, fs::path(), kv::kConfigPolicy, actions, state);
    const kv::ShowSettings& s = state.Settings;
    std::printf("settings:\n");
    std::printf("  ShowKind         %u (%s)\n", s.ShowKind, s.ShowKind == 0 ? "pictures" : s.ShowKind == 1 ? "Flash movies" : "unknown: no items");
    std::printf("  PictureCount     %d\n  FlashCount       %d\n  MusicCount       %d\n", s.PictureCount, s.FlashCount, s.MusicCount);
    std::printf("  QuitMode         %d (%s)\n", s.QuitMode, QuitModeName(s.QuitMode));
    std::printf("  IntervalSeconds  %d\n", s.IntervalSeconds);
    std::printf("  DesignWidth      %d\n  DesignHeight     %d\n", s.DesignWidth, s.DesignHeight);
    std::printf("  UseScreenSize    %u%s\n", s.UseScreenSize, s.UseScreenSize ? " (the screen's size replaces the design size)" : "");
    std::printf("  UseFrame         %u\n  UsePlayer        %u\n  Reserved         %u\n", s.UseFrame, s.UsePlayer, s.Reserved);
    std::printf("  item count       %d\n", kv::ItemCount(s));
    std::printf("usable styles (%d):", state.Styles.Count());
    for (int style : state.Styles.Styles()) std::printf(" %d", style);
    std::printf("\n");
    if (styleCheckFailed) std::printf("warning: a picture show without usable styles: the screensaver refuses to start\n");
    return 0;
}

}  // namespace

int InspectCommand(const std::vector<std::string>& argv) {
    ParsedArgs args(argv, {});
    if (args.Help()) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (args.Positional().size() != 1) throw UsageError("give one screensaver or installer file: kvpack inspect FILE");
    const std::string name = args.Positional()[0];
    const fs::path file = kv::PathFromUtf8(name);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) throw kv::Error(name + ": no such file");
    if (kv::ReadTrailer(file).MagicMatches()) return InspectSaver(file, name);

    // Not a screensaver: perhaps an installer that carries one.
    kv::PayloadLocation at;
    try {
        at = kv::ReadPayloadLocation(file);
    } catch (const kv::Error&) {
        return InspectSaver(file, name);  // says that it holds no package
    }
    const uint64_t size = fs::file_size(file, ec);
    std::printf("%s: %llu bytes, an installer\n", name.c_str(), static_cast<unsigned long long>(size));
    std::printf("installer program: %llu bytes\n", static_cast<unsigned long long>(at.Offset));
    std::printf("payload:  %llu bytes from offset %llu, length count in the last 4 bytes\n",
                static_cast<unsigned long long>(at.Length), static_cast<unsigned long long>(at.Offset));
    std::printf("installs as: %s\n\n", kv::WithScrExtension(kv::ScreensaverName(kv::PathToUtf8(file.filename()))).c_str());
    PayloadCopy payload(kv::ReadPayload(file));
    return InspectSaver(payload.path(), "payload");
}

}  // namespace kvpack
