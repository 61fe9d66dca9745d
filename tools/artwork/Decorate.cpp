// kvart decorate: the pictures of the dialog's "Decorate" page. A 38 x 38 frame tile
// (a walnut moulding with a gilded bead and slip, drawn from its cross-section) and a
// 126 x 90 sample: a photograph inside the frame that the frame painter makes from that
// tile, exactly as the show paints it, scaled down.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ArtCommands.h"
#include "common/Error.h"
#include "common/Files.h"
#include "frames/frameManagerUnit.h"
#include "graphics/Bmp.h"
#include "graphics/ImageFile.h"
#include "graphics/Resample.h"

namespace kv::art {
namespace {

constexpr int kTileSide = 38;
constexpr int kSampleWidth = 126, kSampleHeight = 90;
constexpr int kScale = 4;  // the sample is painted at four times its size, then reduced
constexpr double kPi = 3.14159265358979323846;

struct Rgb {
    double R, G, B;
};

Rgb Lerp(Rgb a, Rgb b, double t) { return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t}; }

// The moulding across its width: d = 0 at the outer edge, 1 at the inner edge. Returns
// the base colour and the surface slope there (for the light from the top left).
void Profile(double d, Rgb& colour, double& slope) {
    const Rgb walnut{92, 56, 34}, darkWalnut{52, 30, 18}, gold{212, 170, 82}, paleGold{244, 218, 146};
    if (d < 0.08) {  // outer lip
        colour = darkWalnut;
        slope = 0.9;
    } else if (d < 0.30) {  // gilded bead: a half round
        double u = (d - 0.08) / 0.22;
        colour = Lerp(gold, paleGold, 0.5 + 0.5 * std::cos(u * kPi));
        slope = std::cos(u * kPi);
    } else if (d < 0.74) {  // the wide walnut cove
        double u = (d - 0.30) / 0.44;
        colour = walnut;
        slope = -0.6 * std::cos(u * kPi);
    } else if (d < 0.80) {  // a dark step
        colour = darkWalnut;
        slope = -0.8;
    } else {  // the gilded slip against the picture
        double u = (d - 0.80) / 0.20;
        colour = Lerp(paleGold, gold, u);
        slope = 0.35 - 0.7 * u;
    }
}

Bitmap MakeTile() {
    Bitmap tile(kTileSide, kTileSide);
    for (int y = 0; y < kTileSide; ++y)
        for (int x = 0; x < kTileSide; ++x) {
            Rgb c{};
            double slope = 0;
            Profile((y + 0.5) / kTileSide, c, slope);
            // Wood grain along the border; periodic in x so that tiles join without seams.
            const double t = 2 * kPi * x / kTileSide;
            const double grain = 0.06 * std::sin(3 * t + y * 0.9) + 0.04 * std::sin(7 * t - y * 0.4) + 0.03 * std::sin(11 * t + y * 2.3);
            const double light = 1.0 + 0.35 * slope + ((y / static_cast<double>(kTileSide)) > 0.30 && y / static_cast<double>(kTileSide) < 0.74 ? grain : grain / 3);
            uint8_t* p = tile.ScanLine(y) + x * 4;
            p[2] = static_cast<uint8_t>(std::clamp(c.R * light, 0.0, 255.0));
            p[1] = static_cast<uint8_t>(std::clamp(c.G * light, 0.0, 255.0));
            p[0] = static_cast<uint8_t>(std::clamp(c.B * light, 0.0, 255.0));
            p[3] = 255;
        }
    return tile;
}

// The photograph cropped to the aspect of area and scaled to fill it.
Bitmap Fill(const Bitmap& photo, int width, int height) {
    int cw = photo.Width(), ch = photo.Height();
    if (static_cast<int64_t>(cw) * height > static_cast<int64_t>(ch) * width) cw = static_cast<int>(static_cast<int64_t>(ch) * width / height);
    else ch = static_cast<int>(static_cast<int64_t>(cw) * height / width);
    Bitmap crop(cw, ch);
    const int x0 = (photo.Width() - cw) / 2, y0 = (photo.Height() - ch) / 2;
    for (int y = 0; y < ch; ++y) std::copy_n(photo.ScanLine(y0 + y) + x0 * 4, cw * 4, crop.ScanLine(y));
    return ScaleBitmap(crop, width, height);
}

Bitmap MakeSample(const Bitmap& tile, const Bitmap& photo) {
    const int w = kSampleWidth * kScale, h = kSampleHeight * kScale;
    TFrameManager painter(tile);
    Bitmap canvas;
    painter.DrawFrame(w, h, w, h, canvas);
    const Rect area = ComputeFrameLayout(w, h, w, h, tile.Width(), tile.Height()).ShowArea();
    const Bitmap picture = Fill(photo, area.Width(), area.Height());
    for (int y = 0; y < picture.Height(); ++y)
        std::copy_n(picture.ScanLine(y), picture.Width() * 4, canvas.ScanLine(area.Top + y) + area.Left * 4);
    return ScaleBitmap(canvas, kSampleWidth, kSampleHeight);
}

int DecorateCommand(const std::vector<std::string>& args) {
    std::string photo, tileOut, sampleOut;
    for (size_t i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == "--photo") photo = args[i + 1];
        else if (args[i] == "--tile") tileOut = args[i + 1];
        else if (args[i] == "--sample") sampleOut = args[i + 1];
        else photo.clear(), i = args.size();
    }
    if (args.size() != 6 || photo.empty() || tileOut.empty() || sampleOut.empty()) {
        std::fprintf(stderr, "usage: kvart decorate --photo FILE --tile OUT.bmp --sample OUT.bmp\n");
        return 2;
    }
    const Bitmap tile = MakeTile();
    const Bitmap sample = MakeSample(tile, LoadImageFile(PathFromUtf8(photo)));
    WriteFileBytes(PathFromUtf8(tileOut), WriteBmp(tile, 24));
    WriteFileBytes(PathFromUtf8(sampleOut), WriteBmp(sample, 24));
    return 0;
}

}  // namespace

KV_ART_COMMAND("decorate", "the Decorate page's frame tile and framed sample", DecorateCommand);

}  // namespace kv::art
