// kvpack animate: a whole transition run through the player, every painted frame saved.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "common/Error.h"
#include "common/Files.h"
#include "graphics/Canvas.h"
#include "graphics/ImageFile.h"
#include "graphics/Png.h"
#include "tools/kvpack/Cli.h"
#include "tools/kvpack/Commands.h"
#include "tools/kvpack/Sources.h"
#include "transitions/TransitionEffects.h"
#include "transitions/TransitionPlayer.h"

namespace kvpack {
namespace {

namespace fs = std::filesystem;

const char* const kAnimateHelp = R"(usage: kvpack animate --style N --out DIR [--step S] [--delay MS] [--reverse] [--inline]
                      [--size WxH] [--old SOURCE] [--new SOURCE] [--sheet FILE.png]

Runs one transition of style N (1 to 150) through the transition player, from the old
picture to the new one, and writes every painted frame as DIR/frame-001.png,
DIR/frame-002.png, ... (DIR is made when missing). Prints the progress values of the
frames in order on one line.

  --step S      percent per frame, 1 to 100 (default 4)
  --delay MS    least time from one frame to the next, 0 to 65535 (default 40)
  --reverse     run from 100 down to 0: the old picture comes back
  --inline      step in the calling thread instead of the player's worker thread
  --size WxH    the picture size (default 800x600, or the size of a --new picture file)
  --old, --new  a picture file, a colour #RRGGBB or the pattern 'coords', as for
                kvpack render (defaults: old #000000, new #FFFFFF)
  --sheet FILE  also a contact sheet (.png): every frame small, in a grid, labelled
                with its progress
)";

// Digits 0-9 in a 3x5 grid, one row per 3 bits (high bit on the left).
constexpr uint8_t kDigits[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};
constexpr int kScale = 2;
constexpr int kLabelHeight = 5 * kScale + 4;
constexpr int kThumbWidth = 160;
constexpr int kGap = 4;

void DrawNumber(kv::Bitmap& target, int x, int y, int value, uint32_t colour) {
    const std::string text = std::to_string(value);
    for (char ch : text) {
        const uint8_t* glyph = kDigits[ch - '0'];
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col)
                if (glyph[row] & (4 >> col))
                    target.Canvas().FillRect({x + col * kScale, y + row * kScale, x + (col + 1) * kScale,
                                              y + (row + 1) * kScale},
                                             colour);
        x += 4 * kScale;
    }
}

struct Thumb {
    kv::Bitmap Picture;
    int Progress;
};

kv::Bitmap ContactSheet(const std::vector<Thumb>& thumbs) {
    const int tw = thumbs.front().Picture.Width(), th = thumbs.front().Picture.Height();
    const int n = static_cast<int>(thumbs.size());
    const int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n))));
    const int rows = (n + columns - 1) / columns;
    const int cellW = tw + kGap, cellH = th + kLabelHeight + kGap;
    kv::Bitmap sheet(columns * cellW + kGap, rows * cellH + kGap);
    sheet.Canvas().FillRect({0, 0, sheet.Width(), sheet.Height()}, 0xFF303030u);
    for (int i = 0; i < n; ++i) {
        const int x = kGap + (i % columns) * cellW, y = kGap + (i / columns) * cellH;
        sheet.Canvas().Draw(x, y, thumbs[i].Picture);
        DrawNumber(sheet, x, y + th + 2, thumbs[i].Progress, 0xFFFFFFFFu);
    }
    return sheet;
}

// Frames are written under temporary names and renamed into place only when the whole
// run has succeeded; otherwise they are removed, with the folder if this run made it.
class FrameFolder {
public:
    explicit FrameFolder(const fs::path& dir) : dir_(dir) {
        std::error_code ec;
        if (!fs::is_directory(dir_, ec)) {
            if (fs::exists(dir_, ec)) throw kv::Error("--out: '" + kv::PathToUtf8(dir_) + "' is not a folder");
            if (!fs::create_directories(dir_, ec) || ec)
                throw kv::Error(kv::Format("Cannot create folder %s", kv::PathToUtf8(dir_).c_str()));
            created_ = true;
        }
    }
    ~FrameFolder() {
        if (committed_) return;
        std::error_code ec;
        for (const auto& p : partial_) fs::remove(p, ec);
        if (created_) fs::remove(dir_, ec);
    }
    void Add(const kv::Bitmap& frame) {
        const int number = static_cast<int>(partial_.size()) + 1;
        partial_.push_back(dir_ / kv::PathFromUtf8(kv::Format(".frame-%03d.png.part", number)));
        kv::WriteFileBytes(partial_.back(), kv::EncodePng(frame));
    }
    void Commit() {
        for (size_t i = 0; i < partial_.size(); ++i) {
            const fs::path final = dir_ / kv::PathFromUtf8(kv::Format("frame-%03d.png", static_cast<int>(i) + 1));
            std::error_code ec;
            fs::rename(partial_[i], final, ec);
            if (ec) throw kv::Error(kv::Format("Cannot create file %s", kv::PathToUtf8(final).c_str()));
        }
        committed_ = true;
    }
    size_t Count() const { return partial_.size(); }

private:
    fs::path dir_;
    std::vector<fs::path> partial_;
    bool created_ = false;
    bool committed_ = false;
};

}  // namespace

int AnimateCommand(const std::vector<std::string>& argv) {
    ParsedArgs args(argv, {{"style", OptionKind::Value}, {"step", OptionKind::Value},   {"delay", OptionKind::Value},
                           {"reverse", OptionKind::Flag}, {"inline", OptionKind::Flag}, {"size", OptionKind::Value},
                           {"old", OptionKind::Value},    {"new", OptionKind::Value},   {"out", OptionKind::Value},
                           {"sheet", OptionKind::Value}});
    if (args.Help()) {
        std::fputs(kAnimateHelp, stdout);
        return 0;
    }
    if (!args.Positional().empty()) throw UsageError("unexpected argument '" + args.Positional().front() + "'");
    const int style = ParseIntOption("style", args.Required("style"), 1, kv::kStyleCount);
    const int step = ParseIntOption("step", args.Value("step").value_or("4"), 1, 100);
    const int delay = ParseIntOption("delay", args.Value("delay").value_or("40"), 0, 65535);
    const bool reverse = args.Has("reverse");
    const bool threaded = !args.Has("inline");
    const std::string out = args.Required("out");
    std::optional<std::string> sheetFile = args.Value("sheet");
    if (sheetFile) {
        std::string ext = kv::PathToUtf8(kv::PathFromUtf8(*sheetFile).extension());
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (ext != ".png") throw UsageError("--sheet: '" + *sheetFile + "' must end in .png");
    }
    std::optional<std::pair<int, int>> size;
    if (auto s = args.Value("size")) size = ParseSize("size", *s);
    if (!kv::StyleAvailable(style)) throw kv::Error(kv::Format("style %d is not available", style));

    const PictureSource newSource = ParseSource("new", args.Value("new").value_or("#FFFFFF"));
    const PictureSource oldSource = ParseSource("old", args.Value("old").value_or("#000000"));
    // The picture size; a picture file without --size is read once just for it, so that
    // the new picture is not held while the old one goes on screen.
    int w = size ? size->first : 800, h = size ? size->second : 600;
    if (newSource.Type == PictureSource::Kind::File && !size) {
        const kv::Bitmap probe = MakeNewPicture(newSource, size);
        w = probe.Width();
        h = probe.Height();
    }

    FrameFolder folder(kv::PathFromUtf8(out));
    kv::InProcessHost host(w, h);
    kv::TTransitionPlayer player(host);
    player.SetDelay(static_cast<uint16_t>(delay));

    // The old picture goes on screen first, in one frame, so that the transition starts
    // from it as it would from whatever the window showed.
    player.SetThreaded(false);
    player.SetStep(100);
    player.SetPicture(MakeOldPicture(oldSource, w, h));
    player.Execute();
    host.PumpUntil([&] { return !player.Busy(); });

    std::mutex mutex;
    std::vector<int> progress;
    std::vector<Thumb> thumbs;
    const int tw = std::min(w, kThumbWidth), th = std::max(1, static_cast<int>(int64_t{h} * tw / w));
    std::optional<std::string> failure;
    host.OnPresent = [&](const kv::Bitmap& frame) {
        if (!player.Busy() || failure) return;
        try {
            folder.Add(frame);
            if (sheetFile) {
                kv::Bitmap thumb(tw, th);
                thumb.Canvas().StretchDraw({0, 0, tw, th}, frame);
                thumbs.push_back({std::move(thumb), player.Progress()});
            }
        } catch (const std::exception& e) {
            failure = e.what();
            host.Post([&] { player.Stop(); });  // not from inside the paint
        }
    };
    player.OnProgress = [&](kv::TCustomTransitionPlayer& p) {
        std::lock_guard lock(mutex);
        progress.push_back(p.Progress());
    };
    player.SetThreaded(threaded);
    player.SetStyle(style);
    player.SetStep(static_cast<unsigned>(step));
    player.SetReverse(reverse);
    player.SetPicture(MakeNewPicture(newSource, size));
    player.Execute();
    host.PumpUntil([&] { return !player.Busy(); });
    if (player.Busy()) throw kv::Error("the transition did not finish");
    if (failure) throw kv::Error(*failure);
    if (progress.empty() || progress.back() != (reverse ? 0 : 100))
        throw kv::Error("the transition ended early: a frame failed to render");
    if (folder.Count() != progress.size())
        throw kv::Error(kv::Format("%d frames rendered but %d painted", static_cast<int>(progress.size()),
                                   static_cast<int>(folder.Count())));

    if (sheetFile) kv::SaveImageFile(ContactSheet(thumbs), kv::PathFromUtf8(*sheetFile));
    folder.Commit();
    std::string line;
    for (size_t i = 0; i < progress.size(); ++i) line += (i ? " " : "") + std::to_string(progress[i]);
    std::printf("%s\n", line.c_str());
    return 0;
}

}  // namespace kvpack
