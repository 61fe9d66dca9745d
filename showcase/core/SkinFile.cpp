#include "showcase/core/SkinFile.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "common/Error.h"
#include "common/Files.h"
#include "graphics/Bmp.h"

namespace kv {
namespace {

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string_view Trim(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> SplitCommas(std::string_view s) {
    std::vector<std::string_view> out;
    for (;;) {
        size_t comma = s.find(',');
        out.push_back(Trim(s.substr(0, comma)));
        if (comma == std::string_view::npos) return out;
        s.remove_prefix(comma + 1);
    }
}

// A decimal number in [lo, hi], or nullopt.
std::optional<int> Number(std::string_view s, int lo, int hi) {
    if (s.empty() || s.size() > 6) return std::nullopt;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (v < lo || v > hi) return std::nullopt;
    return v;
}

std::optional<uint32_t> ParseColor(std::string_view s) {
    if (s.size() != 7 || s[0] != '#') return std::nullopt;
    uint32_t v = 0;
    for (char c : s.substr(1)) {
        int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
        if (d < 0) return std::nullopt;
        v = v * 16 + static_cast<uint32_t>(d);
    }
    return v;
}

std::optional<SkinFont> ParseFont(std::string_view s) {
    auto parts = SplitCommas(s);
    if (parts.size() < 2 || parts[0].empty() || parts[0].size() > 31) return std::nullopt;
    SkinFont f;
    f.Face = std::string(parts[0]);
    auto points = Number(parts[1], 6, 36);
    if (!points) return std::nullopt;
    f.Points = *points;
    for (size_t i = 2; i < parts.size(); ++i) {
        if (parts[i] == "bold") f.Bold = true;
        else if (parts[i] == "italic") f.Italic = true;
        else return std::nullopt;
    }
    return f;
}

struct PendingImage {
    std::string Name;
    int Line = 0;
    int Parts = 1;
    int Margins[4] = {0, 0, 0, 0};
    std::optional<Bytes> Data;
};

std::string LineError(int line, const std::string& what) { return Format("line %d: ", line) + what; }

SkinImage FinishImage(const PendingImage& p) {
    if (!p.Data) throw Error(LineError(p.Line, "picture '" + p.Name + "' has no Data"));
    SkinImage image;
    try {
        image.Picture = ReadBmp(*p.Data);
    } catch (const Error& e) {
        throw Error(LineError(p.Line, "picture '" + p.Name + "': " + e.what()));
    }
    const int w = image.Picture.Width(), h = image.Picture.Height();
    if (w > kMaxSkinImageSide * p.Parts || h > kMaxSkinImageSide)
        throw Error(LineError(p.Line, "picture '" + p.Name + "' is too large"));
    if (w % p.Parts != 0) throw Error(LineError(p.Line, "picture '" + p.Name + "' does not split into its parts"));
    image.Parts = p.Parts;
    image.Left = p.Margins[0];
    image.Top = p.Margins[1];
    image.Right = p.Margins[2];
    image.Bottom = p.Margins[3];
    if (image.Left + image.Right > image.PartWidth() || image.Top + image.Bottom > h)
        throw Error(LineError(p.Line, "picture '" + p.Name + "' is smaller than its margins"));
    return image;
}

}  // namespace

std::string EncodeBase64(std::span<const uint8_t> data) {
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4);
    for (size_t i = 0; i < data.size(); i += 3) {
        uint32_t n = static_cast<uint32_t>(data[i]) << 16;
        if (i + 1 < data.size()) n |= static_cast<uint32_t>(data[i + 1]) << 8;
        if (i + 2 < data.size()) n |= data[i + 2];
        out += kBase64[(n >> 18) & 63];
        out += kBase64[(n >> 12) & 63];
        out += i + 1 < data.size() ? kBase64[(n >> 6) & 63] : '=';
        out += i + 2 < data.size() ? kBase64[n & 63] : '=';
    }
    return out;
}

std::optional<std::vector<uint8_t>> DecodeBase64(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::vector<uint8_t> out;
    out.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        uint32_t n = 0;
        int pad = 0;
        for (size_t k = 0; k < 4; ++k) {
            char c = text[i + k];
            int v;
            if (c == '=') {
                // Padding only at the very end, in the last one or two places.
                if (i + 4 != text.size() || k < 2) return std::nullopt;
                ++pad;
                v = 0;
            } else {
                if (pad) return std::nullopt;
                const char* at = std::strchr(kBase64, c);
                if (c == '\0' || !at) return std::nullopt;
                v = static_cast<int>(at - kBase64);
            }
            n = n << 6 | static_cast<uint32_t>(v);
        }
        out.push_back(static_cast<uint8_t>(n >> 16));
        if (pad < 2) out.push_back(static_cast<uint8_t>(n >> 8));
        if (pad < 1) out.push_back(static_cast<uint8_t>(n));
    }
    return out;
}

Bitmap SkinImage::Part(int index) const {
    const int pw = PartWidth(), h = Picture.Height();
    index = std::clamp(index, 0, Parts - 1);
    Bitmap out(pw, h);
    for (int y = 0; y < h; ++y)
        std::memcpy(out.ScanLine(y), Picture.ScanLine(y) + static_cast<size_t>(index) * pw * 4, static_cast<size_t>(pw) * 4);
    return out;
}

std::optional<uint32_t> SkinFile::Color(const std::string& name) const {
    auto it = Colors.find(name);
    if (it == Colors.end()) return std::nullopt;
    return it->second;
}

const SkinFont* SkinFile::Font(const std::string& name) const {
    auto it = Fonts.find(name);
    return it == Fonts.end() ? nullptr : &it->second;
}

const SkinImage* SkinFile::Image(const std::string& name) const {
    auto it = Images.find(name);
    return it == Images.end() ? nullptr : &it->second;
}

SkinFile ParseSkin(std::string_view text) {
    if (text.size() > kMaxSkinFileSize) throw Error("the skin file is too large");
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    SkinFile skin;
    enum class Section { None, Skin, Colors, Fonts, Image, Other } section = Section::None;
    bool header = false;
    std::optional<PendingImage> image;
    std::set<std::string> keys;  // the keys of the current section, for duplicates
    std::set<std::string> sections;
    auto closeImage = [&]() {
        if (image) skin.Images[image->Name] = FinishImage(*image);
        image.reset();
    };

    int lineNo = 0;
    while (!text.empty()) {
        size_t nl = text.find('\n');
        std::string_view line = Trim(text.substr(0, nl));
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        ++lineNo;
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (!header) {
            if (line.substr(0, 7) != "KVSKIN ") throw Error(LineError(lineNo, "not a skin file"));
            auto version = Number(Trim(line.substr(7)), 1, 999);
            if (!version) throw Error(LineError(lineNo, "not a skin file"));
            if (*version > kSkinFormatVersion) throw Error(LineError(lineNo, Format("skin format %d is not supported", *version)));
            header = true;
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']') throw Error(LineError(lineNo, "unclosed section name"));
            closeImage();
            std::string name(Trim(line.substr(1, line.size() - 2)));
            if (!sections.insert(name).second) throw Error(LineError(lineNo, "section [" + name + "] appears twice"));
            keys.clear();
            if (name == "Skin") section = Section::Skin;
            else if (name == "Colors") section = Section::Colors;
            else if (name == "Fonts") section = Section::Fonts;
            else if (name.rfind("Image ", 0) == 0 && !Trim(std::string_view(name).substr(6)).empty()) {
                section = Section::Image;
                image = PendingImage{};
                image->Name = std::string(Trim(std::string_view(name).substr(6)));
                image->Line = lineNo;
            } else section = Section::Other;
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) throw Error(LineError(lineNo, "expected NAME = VALUE"));
        std::string key(Trim(line.substr(0, eq)));
        std::string_view value = Trim(line.substr(eq + 1));
        if (key.empty()) throw Error(LineError(lineNo, "expected NAME = VALUE"));
        if (section == Section::None) throw Error(LineError(lineNo, "a value outside any section"));
        if (!keys.insert(key).second) throw Error(LineError(lineNo, "'" + key + "' appears twice"));
        switch (section) {
            case Section::Skin:
                if (key == "Name") skin.Name = std::string(value);
                break;
            case Section::Colors: {
                auto c = ParseColor(value);
                if (!c) throw Error(LineError(lineNo, "colour '" + key + "' is not #RRGGBB"));
                skin.Colors[key] = *c;
                break;
            }
            case Section::Fonts: {
                auto f = ParseFont(value);
                if (!f) throw Error(LineError(lineNo, "font '" + key + "' is not FACE, POINTS[, bold][, italic]"));
                skin.Fonts[key] = *f;
                break;
            }
            case Section::Image:
                if (key == "Parts") {
                    auto n = Number(value, 1, 16);
                    if (!n) throw Error(LineError(lineNo, "Parts is not a number from 1 to 16"));
                    image->Parts = *n;
                } else if (key == "Margins") {
                    auto parts = SplitCommas(value);
                    if (parts.size() != 4) throw Error(LineError(lineNo, "Margins are four numbers: left, top, right, bottom"));
                    for (int i = 0; i < 4; ++i) {
                        auto n = Number(parts[static_cast<size_t>(i)], 0, kMaxSkinImageSide);
                        if (!n) throw Error(LineError(lineNo, "Margins are four numbers: left, top, right, bottom"));
                        image->Margins[i] = *n;
                    }
                } else if (key == "Data") {
                    auto data = DecodeBase64(value);
                    if (!data) throw Error(LineError(lineNo, "Data is not base64"));
                    image->Data = std::move(*data);
                }
                break;
            case Section::None:
            case Section::Other:
                break;
        }
    }
    if (!header) throw Error("the skin file is empty");
    closeImage();
    return skin;
}

SkinFile LoadSkinFile(const std::filesystem::path& path) {
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    if (ec) throw Error("Cannot open file " + PathToUtf8(path));
    if (size > kMaxSkinFileSize) throw Error("the skin file is too large");
    const Bytes data = ReadFileBytes(path);
    return ParseSkin(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
}

std::string FormatSkin(const SkinFile& skin) {
    std::string out = Format("KVSKIN %d\n", kSkinFormatVersion);
    out += "# Kestrelview dialog skin (docs/skin-format.md)\n\n[Skin]\nName = " + skin.Name + "\n\n[Colors]\n";
    for (const auto& [name, c] : skin.Colors) out += name + Format(" = #%06X\n", static_cast<unsigned>(c));
    out += "\n[Fonts]\n";
    for (const auto& [name, f] : skin.Fonts)
        out += name + " = " + f.Face + Format(", %d", f.Points) + (f.Bold ? ", bold" : "") + (f.Italic ? ", italic" : "") + "\n";
    for (const auto& [name, image] : skin.Images) {
        out += "\n[Image " + name + "]\n";
        out += Format("Parts = %d\nMargins = %d, %d, %d, %d\n", image.Parts, image.Left, image.Top, image.Right, image.Bottom);
        out += "Data = " + EncodeBase64(WriteBmp(image.Picture, 32)) + "\n";
    }
    return out;
}

}  // namespace kv
