// kvpack extract: writes a screensaver file's media files into a folder under the
// names the show gives them in its temporary folder.
#include <algorithm>
#include <cstdio>

#include "common/Error.h"
#include "common/Files.h"
#include "package/SaverPackage.h"
#include "tools/kvpack/Cli.h"
#include "tools/kvpack/Commands.h"

namespace fs = std::filesystem;

namespace kvpack {

namespace {

const char* const kHelp = R"(usage: kvpack extract FILE DIR

Writes the pictures, music, Flash movies and frame tile of the screensaver file FILE
into the folder DIR (made if missing) under the names the show writes them with
(kvpic0.jpg, kvclip0.mp3, nofile.swf, Frame.jpg, ...). On a damaged package nothing
is written.
)";

// A staging folder inside DIR, removed on every path out unless released.
class Staging {
public:
    explicit Staging(const fs::path& dir) : path_(dir / ".kvpack-extract") {
        std::error_code ec;
        fs::remove_all(path_, ec);
        if (!fs::create_directories(path_, ec))
            throw kv::Error("Cannot create folder " + kv::PathToUtf8(path_));
    }
    ~Staging() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

}  // namespace

int ExtractCommand(const std::vector<std::string>& argv) {
    ParsedArgs args(argv, {});
    if (args.Help()) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (args.Positional().size() != 2) throw UsageError("give the screensaver file and the folder: kvpack extract FILE DIR");
    const fs::path file = kv::PathFromUtf8(args.Positional()[0]);
    const fs::path dir = kv::PathFromUtf8(args.Positional()[1]);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) throw kv::Error(args.Positional()[0] + ": no such file");
    // A folder made here is removed again when nothing lands in it.
    struct MadeFolder {
        fs::path Path;
        bool Keep = false;
        ~MadeFolder() {
            std::error_code ignored;
            if (!Path.empty() && !Keep) fs::remove_all(Path, ignored);
        }
    } made;
    if (!fs::exists(dir, ec)) {
        fs::create_directories(dir, ec);
        made.Path = dir;
    }
    if (!fs::is_directory(dir, ec)) throw kv::Error(args.Positional()[1] + ": cannot make this folder");

    // The show window's reader, into a staging folder; moved into place when the walk
    // has succeeded.
    Staging staging(dir);
    kv::PackageState state;
    if (!kv::ReadSaverPackage(file, staging.path(), kv::kShowWindowPolicy, kv::PackageActions{}, state)) {
        std::fprintf(stderr, "kvpack extract: %s holds no screensaver package\n", args.Positional()[0].c_str());
        return 1;
    }
    std::vector<fs::path> written;
    for (const auto& entry : fs::directory_iterator(staging.path())) written.push_back(entry.path().filename());
    std::sort(written.begin(), written.end());
    for (const auto& name : written) {
        fs::rename(staging.path() / name, dir / name, ec);
        if (ec) throw kv::Error("Cannot create file " + kv::PathToUtf8(dir / name));
        std::printf("%s\n", kv::PathToUtf8(dir / name).c_str());
    }
    made.Keep = true;
    std::fprintf(stderr, "%zu files written to %s\n", written.size(), args.Positional()[1].c_str());
    return 0;
}

}  // namespace kvpack
