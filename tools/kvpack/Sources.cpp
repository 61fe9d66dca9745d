#include "tools/kvpack/Sources.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "common/Error.h"
#include "common/Files.h"
#include "graphics/Canvas.h"
#include "graphics/ImageFile.h"
#include "tools/kvpack/Cli.h"

namespace kvpack {
namespace {

kv::Bitmap Filled(const PictureSource& source, int width, int height) {
    kv::Bitmap b(width, height);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(b.ScanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = source.Type == PictureSource::Kind::Coords ? CoordsPixel(x, y) : source.Colour;
    }
    return b;
}

kv::Bitmap Load(const PictureSource& source) {
    try {
        return kv::LoadImageFile(kv::PathFromUtf8(source.File));
    } catch (const kv::Error& e) {
        throw UsageError(e.what());
    }
}

kv::Bitmap Stretched(const kv::Bitmap& picture, int width, int height) {
    if (picture.Width() == width && picture.Height() == height) return picture;
    kv::Bitmap b(width, height);
    b.Canvas().StretchDraw(kv::Rect{0, 0, width, height}, picture);
    return b;
}

}  // namespace

uint32_t CoordsPixel(int x, int y) {
    uint32_t blue = static_cast<uint32_t>(x % 256), green = static_cast<uint32_t>(y % 256);
    uint32_t red = static_cast<uint32_t>((16 * (y / 256) + x / 256) & 0xFF);
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

PictureSource ParseSource(const std::string& option, const std::string& text) {
    PictureSource s;
    if (text == "coords") {
        s.Type = PictureSource::Kind::Coords;
        return s;
    }
    if (!text.empty() && text[0] == '#') {
        bool hex = text.size() == 7 && std::all_of(text.begin() + 1, text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
        if (!hex) throw UsageError("--" + option + ": '" + text + "' is not a colour like #RRGGBB");
        s.Type = PictureSource::Kind::Colour;
        s.Colour = 0xFF000000u | static_cast<uint32_t>(std::stoul(text.substr(1), nullptr, 16));
        return s;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(kv::PathFromUtf8(text), ec))
        throw UsageError("--" + option + ": '" + text + "' is no picture file, colour (#RRGGBB) or 'coords'");
    s.Type = PictureSource::Kind::File;
    s.File = text;
    return s;
}

kv::Bitmap MakeNewPicture(const PictureSource& source, std::optional<std::pair<int, int>> size) {
    auto [w, h] = size.value_or(std::pair<int, int>{800, 600});
    if (source.Type != PictureSource::Kind::File) return Filled(source, w, h);
    kv::Bitmap picture = Load(source);
    return size ? Stretched(picture, w, h) : picture;
}

kv::Bitmap MakeOldPicture(const PictureSource& source, int width, int height) {
    if (source.Type != PictureSource::Kind::File) return Filled(source, width, height);
    return Stretched(Load(source), width, height);
}

void CheckOutputExtension(const std::string& option, const std::string& file) {
    std::string ext = kv::PathToUtf8(kv::PathFromUtf8(file).extension());
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext != ".png" && ext != ".ppm") throw UsageError("--" + option + ": '" + file + "' must end in .png or .ppm");
}

}  // namespace kvpack
