// kvpack build: pictures (or Flash movies), music, frame tile and settings -> a
// screensaver file (the program followed by the package).
#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

#include "common/Error.h"
#include "common/Files.h"
#include "graphics/Bmp.h"
#include "graphics/ImageFile.h"
#include "graphics/Jpeg.h"
#include "graphics/Resample.h"
#include "package/PackageWriter.h"
#include "package/SaverPackage.h"
#include "package/ShowSettings.h"
#include "package/StyleList.h"
#include "tools/kvpack/Cli.h"
#include "tools/kvpack/Commands.h"

namespace fs = std::filesystem;

namespace kvpack {
namespace {

constexpr int kMaxPictures = 256;
constexpr int kMaxMusic = 256;
constexpr int kMaxFlash = 255;  // index 255 is the player movie
// Pictures of a show that takes the screen's size are fitted to this box.
constexpr int kScreenFitWidth = 1920;
constexpr int kScreenFitHeight = 1080;

const char* const kHelp = R"(usage: kvpack build --out FILE [--program PROGRAM]
                    (--pictures DIR|FILES... | --flash FILES...)
                    [--music FILES...] [--player-movie FILE] [--frame TILE] [--use-frame]
                    [--interval SECONDS] [--quit mouse-move|click|key|any|none]
                    [--design WxH|screen] [--effects all|LIST] [--no-resize]
                    [--installer Install-NAME.exe [--deployer PROGRAM]]

Makes a screensaver file: the screensaver program followed by a package that holds
the show. Nothing is written unless the whole file can be made.

  --out FILE          the screensaver file to write (usually NAME.scr)
  --program PROGRAM   the screensaver program to put in front of the package; by
                      default showcase.scr beside kvpack, or, in a build tree, the
                      32-bit build's build/win32/bin/showcase.scr
  --pictures ...      a picture show: a folder (its .jpg, .jpeg, .png and .bmp files,
                      in name order) or picture files (JPEG, PNG or BMP), at most 256
  --flash FILES...    a Flash show: .swf movies in playing order, at most 255
  --player-movie FILE the player movie that plays the Flash show (stored as nofile.swf)
  --music FILES...    background music in playing order, at most 256
  --frame TILE        the square tile of the picture frame (BMP, PNG or JPEG)
  --use-frame         paint the frame (needs --frame); the user can change this
  --interval SECONDS  how long each picture stays (default 8)
  --quit MODE         what ends the show: mouse-move, click, key, any (default) or
                      none (only Alt+F4)
  --design WxH|screen the screen size the show is made for (default screen: the
                      size of the screen it runs on)
  --effects all|LIST  transition styles, 'all' (default: every usable style from 1
                      to 118) or numbers and ranges like 1-20,35,80-99 (0 to 122)
  --no-resize         store JPEG pictures byte for byte; otherwise pictures are
                      re-encoded as JPEG fitted to the design size (a JPEG that
                      already fits is kept as it is)
  --installer FILE    also make the installer FILE that carries the screensaver
                      (as kvpack installer does)
  --deployer PROGRAM  the installer program for --installer (default as for
                      kvpack installer)
)";

std::string Name(const fs::path& p) { return kv::PathToUtf8(p); }

kv::Bytes ReadInput(const fs::path& p) {
    std::error_code ec;
    if (!fs::exists(p, ec)) throw kv::Error(Name(p) + ": no such file");
    if (fs::is_directory(p, ec)) throw kv::Error(Name(p) + ": is a folder, not a file");
    try {
        return kv::ReadFileBytes(p);
    } catch (const kv::Error&) {
        throw kv::Error(Name(p) + ": cannot be read");
    }
}

std::string LowerExtension(const fs::path& p) {
    std::string ext = kv::PathToUtf8(p.extension());
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

std::vector<fs::path> CollectPictures(const std::vector<std::string>& inputs) {
    static const std::set<std::string> kPictureExtensions = {".jpg", ".jpeg", ".jpe", ".png", ".bmp"};
    std::vector<fs::path> files;
    for (const auto& input : inputs) {
        fs::path p = kv::PathFromUtf8(input);
        std::error_code ec;
        if (fs::is_directory(p, ec)) {
            std::vector<fs::path> found;
            for (const auto& entry : fs::directory_iterator(p, ec))
                if (entry.is_regular_file() && kPictureExtensions.count(LowerExtension(entry.path())))
                    found.push_back(entry.path());
            if (ec) throw kv::Error(input + ": the folder cannot be read");
            if (found.empty()) throw kv::Error(input + ": no pictures (.jpg, .jpeg, .png, .bmp) in this folder");
            std::sort(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) { return Name(a) < Name(b); });
            files.insert(files.end(), found.begin(), found.end());
        } else {
            if (!fs::exists(p, ec)) throw kv::Error(input + ": no such file or folder");
            files.push_back(p);
        }
    }
    return files;
}

std::vector<fs::path> Paths(const std::vector<std::string>& inputs) {
    std::vector<fs::path> out;
    for (const auto& s : inputs) out.push_back(kv::PathFromUtf8(s));
    return out;
}

int32_t ParseQuitMode(const std::string& text) {
    static const std::pair<const char*, int32_t> kModes[] = {
        {"mouse-move", 1}, {"click", 2}, {"key", 3}, {"any", 4}, {"none", 5}};
    for (const auto& [name, value] : kModes)
        if (text == name) return value;
    throw UsageError("--quit: '" + text + "' is not one of mouse-move, click, key, any, none");
}

// "all", or numbers and ranges: "1-20,35".
std::array<uint8_t, kv::kEffectFlagCount> ParseEffects(const std::string& text) {
    std::array<uint8_t, kv::kEffectFlagCount> flags{};
    if (text == "all") {
        for (int i = 1; i <= 118; ++i) flags[static_cast<size_t>(i)] = kv::IsExcludedStyle(i) ? 0 : 1;
        return flags;
    }
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t comma = text.find(',', pos);
        std::string item = text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        size_t dash = item.find('-');
        int first, last;
        if (dash == std::string::npos) {
            first = last = ParseIntOption("effects", item, 0, kv::kEffectFlagCount - 1);
        } else {
            first = ParseIntOption("effects", item.substr(0, dash), 0, kv::kEffectFlagCount - 1);
            last = ParseIntOption("effects", item.substr(dash + 1), 0, kv::kEffectFlagCount - 1);
            if (last < first) throw UsageError("--effects: '" + item + "' is an empty range");
        }
        for (int i = first; i <= last; ++i) {
            if (kv::IsExcludedStyle(i)) {
                if (first == last) throw UsageError("--effects: style " + std::to_string(i) + " is never used by the show");
                continue;  // a range simply passes over the styles that are never used
            }
            flags[static_cast<size_t>(i)] = 1;
        }
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    return flags;
}

// Checks an audio or movie file's extension as it will be stored in the package.
std::string MediaExtension(const fs::path& p) {
    std::string ext = kv::PathToUtf8(p.extension());
    if (ext.size() < 2) throw kv::Error(Name(p) + ": needs a file name extension (the player opens it by its name)");
    if (ext.size() > 9) throw kv::Error(Name(p) + ": the extension '" + ext + "' is longer than 9 characters");
    for (unsigned char c : ext)
        if (c >= 0x80) throw kv::Error(Name(p) + ": the extension '" + ext + "' must be plain ASCII");
    return ext;
}

void CheckFlashMovie(const fs::path& p, const kv::Bytes& data) {
    bool ok = data.size() >= 8 && (data[0] == 'F' || data[0] == 'C' || data[0] == 'Z') && data[1] == 'W' && data[2] == 'S';
    if (!ok) throw kv::Error(Name(p) + ": not a Flash movie (no FWS, CWS or ZWS header)");
}

struct PictureJob {
    fs::path Source;
    kv::Bytes Stored;
    std::string Failure;
};

// Decodes, fits and encodes one picture. Runs on worker threads.
void PreparePicture(PictureJob& job, bool noResize, int boxW, int boxH) {
    kv::Bytes data = ReadInput(job.Source);
    kv::ImageFormat format = kv::SniffImageFormat(data);
    if (noResize) {
        if (format != kv::ImageFormat::Jpeg)
            throw kv::Error(Name(job.Source) + ": --no-resize stores JPEG pictures only");
        try {
            kv::DecodeJpeg(data);  // must decode, not just start like a JPEG
        } catch (const kv::Error& e) {
            throw kv::Error(Name(job.Source) + ": " + e.what());
        }
        job.Stored = std::move(data);
        return;
    }
    kv::Bitmap image;
    try {
        image = kv::DecodeImage(data);
    } catch (const kv::Error& e) {
        throw kv::Error(Name(job.Source) + ": " + e.what());
    }
    auto [w, h] = kv::FitWithin(image.Width(), image.Height(), boxW, boxH);
    if (format == kv::ImageFormat::Jpeg && w == image.Width() && h == image.Height()) {
        int components = kv::ReadJpegHeader(data).Components;
        if (components == 1 || components == 3) {
            job.Stored = std::move(data);  // already fits: keep it without a second lossy pass
            return;
        }
    }
    if (w != image.Width() || h != image.Height()) image = kv::ScaleBitmap(image, w, h);
    job.Stored = kv::EncodeJpeg(image, 90);
}

void PreparePictures(std::vector<PictureJob>& jobs, bool noResize, int boxW, int boxH) {
    Progress progress("pictures", static_cast<int>(jobs.size()));
    std::atomic<size_t> next{0};
    std::mutex lock;
    auto worker = [&]() {
        for (size_t i; (i = next++) < jobs.size();) {
            try {
                PreparePicture(jobs[i], noResize, boxW, boxH);
            } catch (const std::exception& e) {
                jobs[i].Failure = e.what();
            }
            std::lock_guard<std::mutex> guard(lock);
            progress.Advance(kv::PathToUtf8(jobs[i].Source.filename()));
        }
    };
    unsigned n = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    std::vector<std::thread> threads;
    for (unsigned t = 1; t < n && t < jobs.size(); ++t) threads.emplace_back(worker);
    worker();
    for (auto& t : threads) t.join();
    progress.Done();
    for (const auto& job : jobs)
        if (!job.Failure.empty()) throw kv::Error(job.Failure);
}

kv::Bytes PrepareFrameTile(const fs::path& p) {
    kv::Bitmap tile;
    try {
        tile = kv::DecodeImage(ReadInput(p));
    } catch (const kv::Error& e) {
        std::string message = e.what();
        throw kv::Error(message.rfind(Name(p), 0) == 0 ? message : Name(p) + ": " + message);
    }
    if (tile.Width() != tile.Height())
        throw kv::Error(Name(p) + ": the frame tile must be square, not " + std::to_string(tile.Width()) + "x" +
                        std::to_string(tile.Height()));
    return kv::WriteBmp(tile, 24);
}

fs::path DefaultProgram() {
    const fs::path folder = ProgramFolder();
    const fs::path candidates[] = {folder / "showcase.scr", folder / ".." / ".." / "win32" / "bin" / "showcase.scr"};
    for (const auto& c : candidates) {
        std::error_code ec;
        if (fs::is_regular_file(c, ec)) return c;
    }
    throw UsageError("no screensaver program found (looked for " + Name(candidates[0]) + " and " +
                     Name(fs::weakly_canonical(candidates[1])) + "): give --program");
}

}  // namespace

int BuildCommand(const std::vector<std::string>& argv) {
    ParsedArgs args(argv, {{"out", OptionKind::Value},          {"program", OptionKind::Value},
                           {"pictures", OptionKind::List},      {"music", OptionKind::List},
                           {"flash", OptionKind::List},         {"player-movie", OptionKind::Value},
                           {"frame", OptionKind::Value},        {"interval", OptionKind::Value},
                           {"quit", OptionKind::Value},         {"design", OptionKind::Value},
                           {"use-frame", OptionKind::Flag},     {"effects", OptionKind::Value},
                           {"no-resize", OptionKind::Flag},     {"installer", OptionKind::Value},
                           {"deployer", OptionKind::Value}});
    if (args.Help()) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (!args.Positional().empty()) throw UsageError("unexpected argument '" + args.Positional().front() + "'");

    // Everything on the command line is checked before any file is read.
    const fs::path out = kv::PathFromUtf8(args.Required("out"));
    const bool pictureShow = args.Has("pictures");
    const bool flashShow = args.Has("flash");
    if (pictureShow == flashShow) throw UsageError("give either --pictures or --flash");
    if (args.Has("player-movie") && !flashShow) throw UsageError("--player-movie belongs to a Flash show (--flash)");
    if (args.Has("use-frame") && !args.Has("frame")) throw UsageError("--use-frame needs a frame tile (--frame)");
    if (args.Has("deployer") && !args.Has("installer")) throw UsageError("--deployer belongs to --installer");
    std::optional<fs::path> installer, deployer;
    if (args.Has("installer")) {
        installer = kv::PathFromUtf8(*args.Value("installer"));
        deployer = args.Has("deployer") ? kv::PathFromUtf8(*args.Value("deployer")) : DefaultDeployer();
        std::error_code ec;
        if (!fs::is_regular_file(*deployer, ec)) throw kv::Error(Name(*deployer) + ": no such file");
    }

    kv::ShowSettings settings;
    settings.ShowKind = flashShow ? 1 : 0;
    settings.UseFrame = args.Has("use-frame") ? 1 : 0;
    settings.UsePlayer = args.Has("player-movie") ? 1 : 0;
    settings.QuitMode = ParseQuitMode(args.Value("quit").value_or("any"));
    settings.IntervalSeconds = ParseIntOption("interval", args.Value("interval").value_or("8"), 0, 86400);
    int boxW = kScreenFitWidth, boxH = kScreenFitHeight;
    std::string design = args.Value("design").value_or("screen");
    if (design == "screen") {
        settings.UseScreenSize = 1;
        settings.DesignWidth = 1024;
        settings.DesignHeight = 768;
    } else {
        std::tie(boxW, boxH) = ParseSize("design", design);
        settings.DesignWidth = boxW;
        settings.DesignHeight = boxH;
    }
    const auto flags = ParseEffects(args.Value("effects").value_or("all"));
    if (pictureShow && std::none_of(flags.begin(), flags.end(), [](uint8_t f) { return f == 1; }))
        throw UsageError("--effects: a picture show needs at least one transition style");

    const fs::path program = args.Has("program") ? kv::PathFromUtf8(*args.Value("program")) : DefaultProgram();
    std::vector<fs::path> pictures = pictureShow ? CollectPictures(args.List("pictures")) : std::vector<fs::path>{};
    const std::vector<fs::path> music = Paths(args.List("music"));
    const std::vector<fs::path> flash = Paths(args.List("flash"));
    if (pictures.size() > kMaxPictures)
        throw UsageError("--pictures: " + std::to_string(pictures.size()) + " pictures, at most 256");
    if (music.size() > kMaxMusic) throw UsageError("--music: " + std::to_string(music.size()) + " tracks, at most 256");
    if (flash.size() > kMaxFlash) throw UsageError("--flash: " + std::to_string(flash.size()) + " movies, at most 255");
    settings.PictureCount = static_cast<int32_t>(pictures.size());
    settings.MusicCount = static_cast<int32_t>(music.size());
    settings.FlashCount = static_cast<int32_t>(flash.size());

    // Read and check every input.
    const kv::Bytes programBytes = ReadInput(program);
    std::vector<PictureJob> jobs(pictures.size());
    for (size_t i = 0; i < pictures.size(); ++i) jobs[i].Source = pictures[i];
    if (!jobs.empty()) PreparePictures(jobs, args.Has("no-resize"), boxW, boxH);
    std::vector<std::pair<std::string, kv::Bytes>> tracks;
    for (const auto& m : music) tracks.emplace_back(MediaExtension(m), ReadInput(m));
    std::vector<kv::Bytes> movies;
    for (const auto& f : flash) {
        movies.push_back(ReadInput(f));
        CheckFlashMovie(f, movies.back());
    }
    kv::Bytes playerMovie;
    if (auto p = args.Value("player-movie")) {
        playerMovie = ReadInput(kv::PathFromUtf8(*p));
        CheckFlashMovie(kv::PathFromUtf8(*p), playerMovie);
    }
    kv::Bytes frameTile;
    if (auto f = args.Value("frame")) frameTile = PrepareFrameTile(kv::PathFromUtf8(*f));

    // Write: program, settings, effect flags, media, end record, trailer.
    kv::AtomicFileWriter file(out);
    file.Write(programBytes);
    kv::PackageWriter writer(file);
    writer.AddSettings(settings);
    writer.AddEffectFlags(flags);
    for (size_t i = 0; i < tracks.size(); ++i)
        writer.AddMedia(kv::RecordTag::Music, static_cast<uint8_t>(i), tracks[i].first, tracks[i].second);
    for (size_t i = 0; i < jobs.size(); ++i)
        writer.AddMedia(kv::RecordTag::Picture, static_cast<uint8_t>(i), ".jpg", jobs[i].Stored);
    for (size_t i = 0; i < movies.size(); ++i)
        writer.AddMedia(kv::RecordTag::Flash, static_cast<uint8_t>(i), ".swf", movies[i]);
    if (args.Has("player-movie")) writer.AddMedia(kv::RecordTag::Flash, 255, ".swf", playerMovie);
    if (args.Has("frame")) writer.AddFramePicture(frameTile);
    writer.Finish();
    file.Commit();

    std::printf("%s: %llu bytes, %d pictures, %d Flash movies, %d music tracks%s\n", Name(out).c_str(),
                static_cast<unsigned long long>(file.Size()), settings.PictureCount, settings.FlashCount,
                settings.MusicCount, args.Has("frame") ? ", frame tile" : "");
    if (installer) {
        try {
            MakeInstaller(out, *installer, *deployer);
        } catch (...) {
            std::error_code ec;
            fs::remove(out, ec);  // the command failed: it leaves no screensaver either
            throw;
        }
    }
    return 0;
}

}  // namespace kvpack
