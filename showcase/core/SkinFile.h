#pragma once
// The dialog's skin file ("swing.mskn"): colours, fonts and small pictures that the skin
// layer paints the configuration dialog with. A text file; docs/skin-format.md describes
// it. Reading is all or nothing: a file that breaks a rule raises kv::Error naming the
// line, and the dialog then keeps the plain look.
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/Bitmap.h"

namespace kv {

inline constexpr int kSkinFormatVersion = 1;
inline constexpr size_t kMaxSkinFileSize = 1 << 20;
inline constexpr int kMaxSkinImageSide = 256;

struct SkinFont {
    std::string Face;  // UTF-8
    int Points = 8;    // 6..36
    bool Bold = false;
    bool Italic = false;
    bool operator==(const SkinFont&) const = default;
};

// A picture cut into Parts equal pieces side by side (one per state of a control). When
// it is stretched, the margins keep their size and the middle stretches.
struct SkinImage {
    Bitmap Picture;
    int Parts = 1;
    int Left = 0, Top = 0, Right = 0, Bottom = 0;

    int PartWidth() const { return Picture.Width() / Parts; }
    // Piece index (clamped to 0..Parts-1) as a bitmap of its own.
    Bitmap Part(int index) const;
};

struct SkinFile {
    std::string Name;
    std::map<std::string, uint32_t> Colors;  // 0xRRGGBB
    std::map<std::string, SkinFont> Fonts;
    std::map<std::string, SkinImage> Images;

    std::optional<uint32_t> Color(const std::string& name) const;
    const SkinFont* Font(const std::string& name) const;
    const SkinImage* Image(const std::string& name) const;
};

// Parses the text of a skin file. Names that the format does not know are kept but
// carry no meaning; a malformed line, value or picture raises kv::Error "line N: ...".
SkinFile ParseSkin(std::string_view text);
// Reads and parses a skin file; a missing or oversized file raises kv::Error too.
SkinFile LoadSkinFile(const std::filesystem::path& path);
// The text of a skin file that ParseSkin reads back as skin (pictures as 32-bit bitmaps).
std::string FormatSkin(const SkinFile& skin);

// Base64 (RFC 4648, with padding) for the pictures.
std::string EncodeBase64(std::span<const uint8_t> data);
// nullopt for text that is not base64.
std::optional<std::vector<uint8_t>> DecodeBase64(std::string_view text);

}  // namespace kv
