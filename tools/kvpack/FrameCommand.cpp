// kvpack frame: the picture frame that a tile makes on a screen, painted as the show
// paints it, with the margins the show area gets inside it.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/Error.h"
#include "common/Files.h"
#include "frames/frameManagerUnit.h"
#include "graphics/ImageFile.h"
#include "tools/kvpack/Cli.h"
#include "tools/kvpack/Commands.h"
#include "tools/kvpack/Sources.h"

namespace kvpack {
namespace {

const char* const kFrameHelp = R"(usage: kvpack frame --tile FILE --screen WxH --design WxH --out FILE

Paints the frame that the square tile FILE makes around a design area of the given
size, centred on a black screen of the given size, and prints the margins of the show
area inside the frame as 'left top right bottom'.

  --tile FILE    the square frame tile (BMP, as the screensaver reads it; PNG and
                 JPEG are taken as kvpack build would store them)
  --screen WxH   the screen size
  --design WxH   the design size, at most the screen size
  --out FILE     .png or .ppm (binary P6)
)";

// The painter the show would make for this tile: a bitmap file is read by the show's own
// loader; other pictures are decoded first, as kvpack build converts them.
kv::TFrameManager LoadPainter(const std::string& file) {
    const std::filesystem::path path = kv::PathFromUtf8(file);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) throw UsageError("--tile: '" + file + "' is no file");
    try {
        const kv::Bytes data = kv::ReadFileBytes(path);
        if (kv::SniffImageFormat(data) == kv::ImageFormat::Bmp) return kv::TFrameManager(path);
        return kv::TFrameManager(kv::DecodeImage(data));
    } catch (const kv::Error& e) {
        throw kv::Error(file + ": " + e.what());
    }
}

}  // namespace

int FrameCommand(const std::vector<std::string>& argv) {
    ParsedArgs args(argv, {{"tile", OptionKind::Value},
                           {"screen", OptionKind::Value},
                           {"design", OptionKind::Value},
                           {"out", OptionKind::Value}});
    if (args.Help()) {
        std::fputs(kFrameHelp, stdout);
        return 0;
    }
    if (!args.Positional().empty()) throw UsageError("unexpected argument '" + args.Positional().front() + "'");
    const std::string tile = args.Required("tile");
    const auto [screenWidth, screenHeight] = ParseSize("screen", args.Required("screen"));
    const auto [designWidth, designHeight] = ParseSize("design", args.Required("design"));
    const std::string out = args.Required("out");
    CheckOutputExtension("out", out);
    if (designWidth > screenWidth || designHeight > screenHeight)
        throw UsageError("--design " + std::to_string(designWidth) + "x" + std::to_string(designHeight) +
                         " is larger than --screen " + std::to_string(screenWidth) + "x" +
                         std::to_string(screenHeight));

    const kv::TFrameManager painter = LoadPainter(tile);
    if (painter.Tile().Empty()) throw kv::Error(tile + ": the frame tile is empty");
    const kv::FrameLayout layout = kv::ComputeFrameLayout(screenWidth, screenHeight, designWidth, designHeight,
                                                          painter.Tile().Width(), painter.Tile().Height());
    kv::Bitmap screen;
    painter.DrawFrame(screenWidth, screenHeight, designWidth, designHeight, screen);
    kv::SaveImageFile(screen, kv::PathFromUtf8(out));
    std::printf("%d %d %d %d\n", layout.Left, layout.Top, layout.Right, layout.Bottom);
    return 0;
}

}  // namespace kvpack
