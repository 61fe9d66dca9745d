// kvart skin: the dialog's default skin "swing.mskn", a calm blue-grey look. Every
// picture in it is drawn here from shapes (rounded boxes, circles, strokes) with
// four-by-four supersampled edges, so the file is made again exactly by this command.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

#include "ArtCommands.h"
#include "common/Error.h"
#include "common/Files.h"
#include "showcase/core/SkinFile.h"

namespace kv::art {
namespace {

struct Rgba {
    float R = 0, G = 0, B = 0, A = 1;
};

Rgba Hex(uint32_t rgb, float a = 1) {
    return {static_cast<float>(rgb >> 16 & 255), static_cast<float>(rgb >> 8 & 255), static_cast<float>(rgb & 255), a};
}

Rgba Mix(Rgba a, Rgba b, float t) {
    return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t, a.A + (b.A - a.A) * t};
}

using Distance = std::function<float(float x, float y)>;  // negative inside the shape

Distance RoundBox(float x0, float y0, float x1, float y1, float radius) {
    return [=](float x, float y) {
        float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
        float qx = std::fabs(x - cx) - ((x1 - x0) / 2 - radius);
        float qy = std::fabs(y - cy) - ((y1 - y0) / 2 - radius);
        float outside = std::hypot(std::max(qx, 0.f), std::max(qy, 0.f));
        return outside + std::min(std::max(qx, qy), 0.f) - radius;
    };
}

Distance Circle(float cx, float cy, float r) {
    return [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; };
}

// A stroke of the given width along the segments of a polyline.
Distance Stroke(std::vector<std::pair<float, float>> points, float width) {
    return [=](float x, float y) {
        float best = 1e9f;
        for (size_t i = 0; i + 1 < points.size(); ++i) {
            auto [ax, ay] = points[i];
            auto [bx, by] = points[i + 1];
            float dx = bx - ax, dy = by - ay;
            float t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.f, 1.f);
            best = std::min(best, std::hypot(x - ax - t * dx, y - ay - t * dy));
        }
        return best - width / 2;
    };
}

// Lays a shape over piece `part` of the picture: inside the shape fill(y) (y from 0 at the
// piece's top to 1 at its bottom), and a border band of borderWidth along the inside of
// its edge. Pixels keep straight (not premultiplied) alpha.
void Paint(Bitmap& b, int part, int partWidth, const Distance& shape, const std::function<Rgba(float)>& fill,
           std::optional<Rgba> border = std::nullopt, float borderWidth = 1) {
    const int h = b.Height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < partWidth; ++x) {
            float r = 0, g = 0, bl = 0, a = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    float px = x + (sx + 0.5f) / 4, py = y + (sy + 0.5f) / 4;
                    float d = shape(px, py);
                    if (d >= 0) continue;
                    Rgba c = (border && d > -borderWidth) ? *border : fill(py / h);
                    r += c.R * c.A;
                    g += c.G * c.A;
                    bl += c.B * c.A;
                    a += c.A;
                }
            if (a <= 0) continue;
            uint8_t* p = b.ScanLine(y) + (part * partWidth + x) * 4;
            // Source over what the piece already holds, in straight alpha.
            const float sa = a / 16, da = p[3] / 255.f;
            const float oa = sa + da * (1 - sa);
            auto over = [&](float sourceSum, uint8_t dest) {
                float v = ((sourceSum / a) * sa + dest * da * (1 - sa)) / oa;
                return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
            };
            p[2] = over(r, p[2]);
            p[1] = over(g, p[1]);
            p[0] = over(bl, p[0]);
            p[3] = static_cast<uint8_t>(std::clamp(std::lround(oa * 255), 0L, 255L));
        }
}

std::function<Rgba(float)> Gradient(uint32_t top, uint32_t bottom) {
    return [=](float t) { return Mix(Hex(top), Hex(bottom), t); };
}

SkinImage Image(Bitmap picture, int parts, int l, int t, int r, int b) {
    SkinImage image;
    image.Picture = std::move(picture);
    image.Parts = parts;
    image.Left = l;
    image.Top = t;
    image.Right = r;
    image.Bottom = b;
    return image;
}

SkinFile MakeSwing() {
    SkinFile skin;
    skin.Name = "Swing";
    skin.Colors = {
        {"Window", 0xE9EFF6},      {"Page", 0xF7F9FC},          {"Text", 0x1B2733},
        {"DisabledText", 0x8C98A5}, {"GroupText", 0x23507A},     {"GroupFrame", 0xA9BCD0},
        {"ButtonText", 0xFFFFFF},  {"ButtonDisabledText", 0x7D8895}, {"TabText", 0x3A4B5D},
        {"TabSelectedText", 0x0F3A63}, {"Edit", 0xFFFFFF},      {"EditText", 0x1B2733},
        {"EditBorder", 0x93A8BF},  {"Focus", 0xD98A1C},         {"Accent", 0x3A76B8},
    };
    skin.Fonts = {
        {"Text", {"Tahoma", 8, false, false}},
        {"Group", {"Tahoma", 8, true, false}},
        {"Button", {"Tahoma", 8, true, false}},
        {"Tab", {"Tahoma", 8, false, false}},
    };

    // Window background: a soft vertical gradient, stretched over the client area.
    {
        Bitmap b(4, 64);
        Paint(b, 0, 4, [](float, float) { return -1.f; }, Gradient(0xF5F8FC, 0xDCE5EF));
        skin.Images["Window"] = Image(std::move(b), 1, 0, 0, 0, 0);
    }
    // Push buttons: normal, hot, pressed, disabled.
    {
        const int w = 16, h = 25;
        Bitmap b(w * 4, h);
        const uint32_t fills[4][3] = {
            {0x74A4DB, 0x3A6FAE, 0x2A5687}, {0x8DB9EA, 0x4A82C3, 0x2F6299},
            {0x315F96, 0x4C7DB8, 0x23466F}, {0xE0E6ED, 0xC9D2DC, 0xA8B3BF},
        };
        for (int i = 0; i < 4; ++i) {
            Paint(b, i, w, RoundBox(0.5f, 0.5f, w - 0.5f, h - 0.5f, 4), Gradient(fills[i][0], fills[i][1]), Hex(fills[i][2]));
            // A glassy highlight over the upper half.
            if (i != 2)
                Paint(b, i, w, RoundBox(1.5f, 1.5f, w - 1.5f, h / 2.f, 3),
                      [](float t) { return Rgba{255, 255, 255, std::max(0.f, 0.3f - 0.45f * t)}; });
        }
        skin.Images["Button"] = Image(std::move(b), 4, 5, 5, 5, 5);
    }
    // Tabs: normal, hot, selected. The bottom edge runs off the piece so that a selected
    // tab opens into the page below it.
    {
        const int w = 16, h = 22;
        Bitmap b(w * 3, h);
        Paint(b, 0, w, RoundBox(0.5f, 2.5f, w - 0.5f, h + 6.f, 4), Gradient(0xE6ECF3, 0xD0DAE6), Hex(0xA9BCD0));
        Paint(b, 1, w, RoundBox(0.5f, 2.5f, w - 0.5f, h + 6.f, 4), Gradient(0xF3F7FB, 0xDCE6F1), Hex(0x7FA0C4));
        Paint(b, 2, w, RoundBox(0.5f, 0.5f, w - 0.5f, h + 6.f, 4), Gradient(0xFFFFFF, 0xF7F9FC), Hex(0xA9BCD0));
        Paint(b, 2, w, RoundBox(1.5f, 0.5f, w - 1.5f, 2.5f, 1), [](float) { return Hex(0x3A76B8); });
        skin.Images["Tab"] = Image(std::move(b), 3, 5, 5, 5, 3);
    }
    // Group box frame: a rounded outline over a faint white wash.
    {
        const int s = 16;
        Bitmap b(s, s);
        Paint(b, 0, s, RoundBox(0.5f, 0.5f, s - 0.5f, s - 0.5f, 5), [](float) { return Rgba{255, 255, 255, 0.45f}; },
              Hex(0xA9BCD0));
        skin.Images["Group"] = Image(std::move(b), 1, 6, 6, 6, 6);
    }
    // Check box and radio button glyphs: off, on, off hot, on hot, off disabled, on disabled.
    {
        const int s = 13;
        Bitmap check(s * 6, s), radio(s * 6, s);
        for (int i = 0; i < 6; ++i) {
            const bool on = i % 2 == 1, hot = i / 2 == 1, disabled = i / 2 == 2;
            const uint32_t edge = disabled ? 0xB8C3CF : hot ? 0x3A76B8 : 0x6F8BAA;
            const auto fill = disabled ? Gradient(0xF0F2F5, 0xE6EAEF) : Gradient(0xFFFFFF, 0xE2EAF3);
            const Rgba mark = Hex(disabled ? 0xA0AAB5 : 0x245C9E);
            Paint(check, i, s, RoundBox(0.5f, 0.5f, s - 0.5f, s - 0.5f, 2.5f), fill, Hex(edge));
            Paint(radio, i, s, Circle(s / 2.f, s / 2.f, s / 2.f - 0.3f), fill, Hex(edge));
            if (on) {
                Paint(check, i, s, Stroke({{3.2f, 6.6f}, {5.4f, 9.0f}, {9.8f, 3.6f}}, 1.9f), [&](float) { return mark; });
                Paint(radio, i, s, Circle(s / 2.f, s / 2.f, 2.8f), [&](float) { return mark; });
            }
        }
        skin.Images["CheckBox"] = Image(std::move(check), 6, 0, 0, 0, 0);
        skin.Images["Radio"] = Image(std::move(radio), 6, 0, 0, 0, 0);
    }
    // Track bar: the channel (stretched) and the thumb (normal, hot, pressed).
    {
        Bitmap channel(12, 6);
        Paint(channel, 0, 12, RoundBox(0.5f, 0.5f, 11.5f, 5.5f, 2.5f), Gradient(0xB9C8D8, 0xDCE4EE), Hex(0x8DA3BB));
        skin.Images["TrackChannel"] = Image(std::move(channel), 1, 3, 2, 3, 2);
        const int w = 11, h = 20;
        Bitmap thumb(w * 3, h);
        const uint32_t fills[3][3] = {{0x74A4DB, 0x3A6FAE, 0x2A5687}, {0x8DB9EA, 0x4A82C3, 0x2F6299}, {0x315F96, 0x4C7DB8, 0x23466F}};
        for (int i = 0; i < 3; ++i)
            Paint(thumb, i, w, RoundBox(0.5f, 0.5f, w - 0.5f, h - 0.5f, 3), Gradient(fills[i][0], fills[i][1]), Hex(fills[i][2]));
        skin.Images["TrackThumb"] = Image(std::move(thumb), 3, 0, 0, 0, 0);
    }
    return skin;
}

int SkinCommand(const std::vector<std::string>& args) {
    if (args.size() != 2 || args[0] != "--out") {
        std::fprintf(stderr, "usage: kvart skin --out FILE\n  writes the dialog's default skin\n");
        return 2;
    }
    const std::string text = FormatSkin(MakeSwing());
    ParseSkin(text);  // what is written must read back
    AtomicFileWriter out(PathFromUtf8(args[1]));
    out.Write(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    out.Commit();
    return 0;
}

}  // namespace

KV_ART_COMMAND("skin", "the configuration dialog's default skin (swing.mskn)", SkinCommand);

}  // namespace kv::art
