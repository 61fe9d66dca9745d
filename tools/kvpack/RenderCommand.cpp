// kvpack styles and kvpack render: the transition catalogue, and one frame of any style
// composed as the player composes it.
#include <cstdio>
#include <optional>

#include "common/Error.h"
#include "common/Files.h"
#include "graphics/Canvas.h"
#include "graphics/ImageFile.h"
#include "graphics/Random.h"
#include "tools/kvpack/Cli.h"
#include "tools/kvpack/Commands.h"
#include "tools/kvpack/Sources.h"
#include "transitions/TransitionEffects.h"

namespace kvpack {
namespace {

const char* const kStylesHelp = R"(usage: kvpack styles

Prints the 150 transition styles, one a line: number, a tab, the name.
)";

const char* const kRenderHelp = R"(usage: kvpack render --style N --progress P --out FILE [--step S] [--size WxH]
                     [--old SOURCE] [--new SOURCE] [--seed K]

Writes one frame of transition style N (1 to 150) at P percent (0 to 100) as the
player composes it: the old picture, then the style's drawing at 1 to 99; the whole
new picture at 100; the old picture alone at 0.

  --step S     the player's step, 1 to 100 (default 4)
  --size WxH   the frame size (default 800x600, or the size of a --new picture file)
  --old, --new a picture file (JPEG, PNG or BMP; the old one is stretched to the
               frame), a colour #RRGGBB, or the pattern 'coords', whose pixel (x, y)
               has blue x mod 256, green y mod 256 and red 16*(y div 256)+(x div 256)
               (defaults: old #000000, new #FFFFFF)
  --seed K     seed the shared random generator just before the frame
  --out FILE   .png or .ppm (binary P6)
)";

}  // namespace

int StylesCommand(const std::vector<std::string>& argv) {
    ParsedArgs args(argv, {});
    if (args.Help()) {
        std::fputs(kStylesHelp, stdout);
        return 0;
    }
    if (!args.Positional().empty()) throw UsageError("kvpack styles takes no arguments");
    for (int s = 1; s <= kv::kStyleCount; ++s) std::printf("%d\t%s\n", s, kv::EffectTable[s - 1].Name);
    return 0;
}

int RenderCommand(const std::vector<std::string>& argv) {
    ParsedArgs args(argv, {{"style", OptionKind::Value}, {"progress", OptionKind::Value},
                           {"step", OptionKind::Value},  {"size", OptionKind::Value},
                           {"old", OptionKind::Value},   {"new", OptionKind::Value},
                           {"seed", OptionKind::Value},  {"out", OptionKind::Value}});
    if (args.Help()) {
        std::fputs(kRenderHelp, stdout);
        return 0;
    }
    if (!args.Positional().empty()) throw UsageError("unexpected argument '" + args.Positional().front() + "'");
    const int style = ParseIntOption("style", args.Required("style"), 1, kv::kStyleCount);
    const int progress = ParseIntOption("progress", args.Required("progress"), 0, 100);
    const int step = ParseIntOption("step", args.Value("step").value_or("4"), 1, 100);
    const std::string out = args.Required("out");
    CheckOutputExtension("out", out);
    std::optional<uint32_t> seed;
    if (auto s = args.Value("seed")) seed = static_cast<uint32_t>(ParseIntOption("seed", *s, 0, 2147483647));
    std::optional<std::pair<int, int>> size;
    if (auto s = args.Value("size")) size = ParseSize("size", *s);

    const PictureSource newSource = ParseSource("new", args.Value("new").value_or("#FFFFFF"));
    const PictureSource oldSource = ParseSource("old", args.Value("old").value_or("#000000"));
    kv::Bitmap image = MakeNewPicture(newSource, size);
    kv::Bitmap screen = MakeOldPicture(oldSource, image.Width(), image.Height());

    if (progress == 100) {
        screen.Canvas().Draw(0, 0, image);
    } else if (progress > 0) {
        if (seed) kv::RandSeed(*seed);
        kv::RunStyle(style, screen, image, static_cast<uint16_t>(step), static_cast<uint8_t>(progress));
    }
    kv::SaveImageFile(screen, kv::PathFromUtf8(out));
    return 0;
}

}  // namespace kvpack
