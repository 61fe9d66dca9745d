// The installer window's pictures: its face (title, a framed landscape and the round
// button, over a darkened photograph), the three "Install" word pictures of the image
// button, and the program icons.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "common/Error.h"
#include "common/Files.h"
#include "graphics/Bmp.h"
#include "graphics/Jpeg.h"
#include "graphics/Resample.h"
#include "tools/artwork/ArtCommands.h"
#include "tools/artwork/ArtPaint.h"

namespace fs = std::filesystem;

namespace kv::art {
namespace {

// The face, and where the image button lies on it (the window shows the face from x = 8).
constexpr int kFaceWidth = 450, kFaceHeight = 304;
constexpr int kFaceOffsetX = 8;
constexpr int kButtonLeft = 351 + kFaceOffsetX, kButtonTop = 210, kButtonWidth = 28, kButtonHeight = 9;
constexpr float kDiscX = kButtonLeft + kButtonWidth / 2.0f, kDiscY = kButtonTop + kButtonHeight / 2.0f;

// "key value" pairs after a command's name.
std::string Option(const std::vector<std::string>& args, const std::string& name) {
    for (size_t i = 0; i + 1 < args.size(); i += 2)
        if (args[i] == name) return args[i + 1];
    throw Error("missing " + name);
}

void Darken(Bitmap& b, Rgb tint, float amount) {
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            const float fall = 0.15f * y / b.Height();  // deeper towards the bottom
            const float dx = (x - b.Width() * 0.4f) / b.Width(), dy = (y - b.Height() * 0.45f) / b.Height();
            const float vignette = 0.35f * std::min(1.0f, (dx * dx + dy * dy) * 1.6f);
            WritePixel(b, x, y, Mix(ReadPixel(b, x, y), tint, std::min(1.0f, amount + fall + vignette)));
        }
}

void DrawFramedPicture(Bitmap& face, const Bitmap& landscape, int left, int top) {
    const int w = landscape.Width(), h = landscape.Height(), mat = 7;
    const float l = left - mat, t = top - mat, r = left + w + mat, bt = top + h + mat;
    DropShadow(face, l + 3, t + 5, r + 3, bt + 5, 3, 12, 0.6f);
    PaintCoverage(
        face, static_cast<int>(l) - 1, static_cast<int>(t) - 1, static_cast<int>(r) + 2, static_cast<int>(bt) + 2,
        [&](float x, float y) { return RoundRectCoverage(x, y, l, t, r, bt, 3); },
        [&](float, float y) { return Mix(Rgb{250, 248, 243}, Rgb{222, 218, 210}, (y - t) / (bt - t)); });
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) WritePixel(face, left + x, top + y, ReadPixel(landscape, x, y));
    // A fine line where the picture meets the mat.
    for (int x = left - 1; x <= left + w; ++x) {
        BlendPixel(face, x, top - 1, Rgb{90, 90, 90}, 0.5f);
        BlendPixel(face, x, top + h, Rgb{255, 255, 255}, 0.6f);
    }
    for (int y = top - 1; y <= top + h; ++y) {
        BlendPixel(face, left - 1, y, Rgb{90, 90, 90}, 0.5f);
        BlendPixel(face, left + w, y, Rgb{255, 255, 255}, 0.6f);
    }
}

void DrawRoundButton(Bitmap& face) {
    const float cx = kDiscX, cy = kDiscY, outer = 47, inner = 38;
    const int x0 = static_cast<int>(cx - outer - 16), x1 = static_cast<int>(cx + outer + 16);
    const int y0 = static_cast<int>(cy - outer - 16), y1 = static_cast<int>(cy + outer + 20);
    // Shadow, then a brushed-metal ring, then the dark glass disc.
    PaintCoverage(
        face, x0, y0, x1, y1,
        [&](float x, float y) {
            const float d = std::hypot(x - cx - 2, y - cy - 5) - outer;
            return d <= 0 ? 1.0f : std::pow(std::clamp(1 - d / 14, 0.0f, 1.0f), 2.0f);
        },
        [](float, float) { return Rgb{0, 0, 0}; }, 0.65f);
    PaintCoverage(
        face, x0, y0, x1, y1, [&](float x, float y) { return DiscCoverage(x, y, cx, cy, outer); },
        [&](float x, float y) {
            const float angle = std::atan2(y - cy, x - cx);
            const float sheen = 0.5f + 0.5f * std::cos(2 * angle + 0.8f);
            return Mix(Mix(Rgb{238, 242, 247}, Rgb{112, 122, 136}, (y - cy + outer) / (2 * outer)), Rgb{255, 255, 255},
                       0.25f * sheen);
        });
    PaintCoverage(
        face, x0, y0, x1, y1, [&](float x, float y) { return DiscCoverage(x, y, cx, cy, inner + 1.5f); },
        [](float, float) { return Rgb{40, 52, 66}; });
    PaintCoverage(
        face, x0, y0, x1, y1, [&](float x, float y) { return DiscCoverage(x, y, cx, cy, inner); },
        [&](float x, float y) {
            const float d = std::hypot(x - cx, y - (cy - inner * 0.45f)) / (inner * 1.5f);
            return Mix(Rgb{56, 82, 116}, Rgb{12, 18, 28}, std::clamp(d, 0.0f, 1.0f));
        });
    // A thin blue rim light inside the glass and a soft gloss over its upper half.
    PaintCoverage(
        face, x0, y0, x1, y1,
        [&](float x, float y) {
            const float d = std::abs(std::hypot(x - cx, y - cy) - (inner - 2.5f));
            return std::clamp(1.0f - d, 0.0f, 1.0f) * std::clamp((y - cy) / inner + 0.6f, 0.0f, 1.0f);
        },
        [](float, float) { return Rgb{110, 175, 235}; }, 0.7f);
    PaintCoverage(
        face, x0, y0, x1, y1,
        [&](float x, float y) {
            const float ex = (x - cx) / (inner * 0.78f), ey = (y - (cy - inner * 0.42f)) / (inner * 0.48f);
            return std::clamp((1.0f - (ex * ex + ey * ey)) * 3.0f, 0.0f, 1.0f);
        },
        [&](float, float y) { return Rgb{255, 255, 255}; }, 0.14f);
}

Bitmap MakeFace(const Bitmap& backdropPhoto, const Bitmap& landscapePhoto) {
    Bitmap face = Blur(CoverCrop(backdropPhoto, kFaceWidth, kFaceHeight, 0.5f, 0.35f), 2);
    Darken(face, Rgb{10, 18, 32}, 0.5f);

    const float left = kFaceOffsetX + 24;
    TextStyle title{28, 3.2f, 0.6f, {255, 255, 255}, 1.0f};
    TextStyle shadow = title;
    shadow.Colour = {0, 0, 0};
    shadow.Opacity = 0.45f;
    DrawText(face, left + 1.5f, 22 + 2.5f, "Kestrelview", shadow);
    DrawText(face, left, 22, "Kestrelview", title);
    TextStyle subtitle{8, 1.35f, 2.6f, {150, 196, 238}, 1.0f};
    DrawText(face, left + 2, 64, "SCREENSAVER INSTALLER", subtitle);
    for (int x = static_cast<int>(left); x < 300; ++x) {
        const float fade = 1.0f - static_cast<float>(x - left) / (300 - left);
        BlendPixel(face, x, 82, Rgb{150, 196, 238}, 0.55f * fade);
    }

    DrawFramedPicture(face, CoverCrop(landscapePhoto, 226, 146, 0.5f, 0.6f), static_cast<int>(left) + 8, 108);
    DrawRoundButton(face);

    TextStyle hint{7, 1.15f, 0.9f, {196, 212, 228}, 0.95f};
    const char* text = "Click to install";
    DrawText(face, kDiscX - TextWidth(text, hint) / 2, kDiscY + 60, text, hint);
    return face;
}

// "Install" in a small pixel font of our own, seven rows tall.
const char* const kInstallWord[] = {
    "#............#.......#.#",
    "#............#.......#.#",
    "#.###...###.###..##..#.#",
    "#.#..#.#.....#.....#.#.#",
    "#.#..#..##...#...###.#.#",
    "#.#..#....#..#..#..#.#.#",
    "#.#..#.###...##..###.#.#",
};

Bitmap WordPicture(const Bitmap& face, Rgb letters) {
    Bitmap word(kButtonWidth, kButtonHeight);
    for (int y = 0; y < kButtonHeight; ++y)
        for (int x = 0; x < kButtonWidth; ++x) WritePixel(word, x, y, ReadPixel(face, kButtonLeft + x, kButtonTop + y));
    const int wordWidth = static_cast<int>(std::string(kInstallWord[0]).size());
    const int ox = (kButtonWidth - wordWidth) / 2, oy = 1;
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < wordWidth; ++x)
            if (kInstallWord[y][x] == '#') WritePixel(word, ox + x, oy + y, letters);
    return word;
}

int InstallerFaceCommand(const std::vector<std::string>& args) {
    const Bitmap face = MakeFace(LoadPhoto(PathFromUtf8(Option(args, "--backdrop"))),
                                 LoadPhoto(PathFromUtf8(Option(args, "--landscape"))));
    const fs::path out = PathFromUtf8(Option(args, "--out"));
    WriteFileBytes(out, EncodeJpeg(face, 92));
    std::printf("%s: %dx%d\n", PathToUtf8(out).c_str(), face.Width(), face.Height());
    return 0;
}

int InstallerWordsCommand(const std::vector<std::string>& args) {
    const Bitmap face = DecodeJpeg(ReadFileBytes(PathFromUtf8(Option(args, "--face"))));
    if (face.Width() != kFaceWidth || face.Height() != kFaceHeight) throw Error("the face must be 450x304");
    const fs::path dir = PathFromUtf8(Option(args, "--out-dir"));
    const Bitmap light = WordPicture(face, Rgb{236, 242, 250});
    WriteFileBytes(dir / "install-normal.bmp", WriteBmp(light, 24));
    WriteFileBytes(dir / "install-down.bmp", WriteBmp(light, 24));
    WriteFileBytes(dir / "install-over.bmp", WriteBmp(WordPicture(face, Rgb{236, 40, 40}), 24));
    std::printf("%s: install-normal.bmp, install-over.bmp, install-down.bmp (%dx%d)\n", PathToUtf8(dir).c_str(),
                kButtonWidth, kButtonHeight);
    return 0;
}

// An icon picture: a dark wooden frame around a photograph; with a badge, a blue disc
// carrying a downward arrow (the installer).
Bitmap IconImage(const Bitmap& photo, int n, bool badge) {
    const int supersample = 4, big = n * supersample;
    Bitmap canvas(big, big);  // transparent
    auto paint = [&](const std::function<float(float, float)>& cover, const std::function<Rgb(float, float)>& colour) {
        for (int y = 0; y < big; ++y)
            for (int x = 0; x < big; ++x) {
                const float c = cover(x + 0.5f, y + 0.5f);
                if (c <= 0) continue;
                uint8_t* p = canvas.ScanLine(y) + x * 4;
                const float a0 = p[3] / 255.0f, a = c + a0 * (1 - c);
                const Rgb under = ReadPixel(canvas, x, y), over = colour(x + 0.5f, y + 0.5f);
                const Rgb mixed = a > 0 ? Mix(under, over, c / a) : over;
                WritePixel(canvas, x, y, mixed);
                p[3] = static_cast<uint8_t>(std::lround(a * 255));
            }
    };
    const float s = static_cast<float>(big);
    const float fl = s * 0.04f, ft = s * 0.12f, fr = s * 0.96f, fb = s * 0.88f;
    const float border = s * (n <= 16 ? 0.1f : 0.085f);
    paint([&](float x, float y) { return RoundRectCoverage(x, y, fl, ft, fr, fb, s * 0.05f); },
          [&](float x, float y) { return Mix(Rgb{150, 104, 62}, Rgb{72, 44, 22}, (x + y) / (2 * s)); });
    const Bitmap inside = CoverCrop(photo, static_cast<int>(fr - fl - 2 * border), static_cast<int>(fb - ft - 2 * border));
    paint([&](float x, float y) { return RoundRectCoverage(x, y, fl + border, ft + border, fr - border, fb - border, 0); },
          [&](float x, float y) {
              const int ix = std::clamp(static_cast<int>(x - fl - border), 0, inside.Width() - 1);
              const int iy = std::clamp(static_cast<int>(y - ft - border), 0, inside.Height() - 1);
              return ReadPixel(inside, ix, iy);
          });
    if (badge) {
        const float cx = s * 0.74f, cy = s * 0.72f, r = s * 0.25f;
        paint([&](float x, float y) { return std::clamp((r + s * 0.03f - std::hypot(x - cx, y - cy)) / supersample, 0.0f, 1.0f); },
              [](float, float) { return Rgb{255, 255, 255}; });
        paint([&](float x, float y) { return std::clamp((r - std::hypot(x - cx, y - cy)) / supersample, 0.0f, 1.0f); },
              [&](float, float y) { return Mix(Rgb{70, 160, 240}, Rgb{20, 84, 170}, (y - cy + r) / (2 * r)); });
        const float w = r * 0.22f;
        paint([&](float x, float y) {
                  const bool stem = std::abs(x - cx) < w && y > cy - r * 0.6f && y < cy + r * 0.1f;
                  const bool head = y >= cy - r * 0.05f && y < cy + r * 0.6f &&
                                    std::abs(x - cx) < (cy + r * 0.6f - y) * 0.95f;
                  return stem || head ? 1.0f : 0.0f;
              },
              [](float, float) { return Rgb{255, 255, 255}; });
    }
    // Down to the icon's size, alpha weighted.
    Bitmap out(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < supersample; ++sy)
                for (int sx = 0; sx < supersample; ++sx) {
                    const uint8_t* p = canvas.ScanLine(y * supersample + sy) + (x * supersample + sx) * 4;
                    const float pa = p[3] / 255.0f;
                    b += p[0] * pa;
                    g += p[1] * pa;
                    r += p[2] * pa;
                    a += pa;
                }
            uint8_t* q = out.ScanLine(y) + x * 4;
            if (a > 0) {
                q[0] = static_cast<uint8_t>(std::lround(b / a));
                q[1] = static_cast<uint8_t>(std::lround(g / a));
                q[2] = static_cast<uint8_t>(std::lround(r / a));
            }
            q[3] = static_cast<uint8_t>(std::lround(a * 255 / (supersample * supersample)));
        }
    return out;
}

// The icon over a plain background colour, for a window picture.
Bitmap OnBackground(const Bitmap& icon, Rgb background) {
    Bitmap out(icon.Width(), icon.Height());
    for (int y = 0; y < icon.Height(); ++y)
        for (int x = 0; x < icon.Width(); ++x)
            WritePixel(out, x, y, Mix(background, ReadPixel(icon, x, y), icon.ScanLine(y)[x * 4 + 3] / 255.0f));
    return out;
}

int IconsCommand(const std::vector<std::string>& args) {
    const Bitmap photo = LoadPhoto(PathFromUtf8(Option(args, "--photo")));
    const fs::path dir = PathFromUtf8(Option(args, "--out-dir"));
    for (bool installer : {false, true}) {
        std::vector<Bitmap> images;
        for (int n : {16, 32, 48, 256}) images.push_back(IconImage(photo, n, installer));
        WriteIcon(dir / (installer ? "installer.ico" : "showcase.ico"), images);
        if (installer) WriteFileBytes(dir / "installer-icon32.bmp", WriteBmp(OnBackground(images[1], {240, 240, 240}), 24));
    }
    std::printf("%s: showcase.ico, installer.ico, installer-icon32.bmp\n", PathToUtf8(dir).c_str());
    return 0;
}

}  // namespace

KV_ART_COMMAND("installer-face", "--backdrop PHOTO --landscape PHOTO --out FACE.jpg: the installer window's face",
               InstallerFaceCommand);
KV_ART_COMMAND("installer-words", "--face FACE.jpg --out-dir DIR: the image button's three Install pictures",
               InstallerWordsCommand);
KV_ART_COMMAND("icons", "--photo PHOTO --out-dir DIR: showcase.ico, installer.ico and the 32x32 icon picture",
               IconsCommand);

}  // namespace kv::art
