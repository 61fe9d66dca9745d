#pragma once
// Picture files of any of the formats we read, recognised by their content.
#include <cstdint>
#include <filesystem>
#include <span>

#include "graphics/Bitmap.h"

namespace kv {

enum class ImageFormat { Unknown, Jpeg, Png, Bmp };

// By the first bytes: FF D8 FF (JPEG), the PNG signature, "BM" (Windows bitmap).
ImageFormat SniffImageFormat(std::span<const uint8_t> data);

// Decodes a JPEG, PNG or BMP picture; anything else raises kv::Error
// "Unknown picture format".
Bitmap DecodeImage(std::span<const uint8_t> data);

// Reads and decodes a picture file. Every error names the file: its message is
// "<file name>: <reason>", the file name as the caller gave it.
Bitmap LoadImageFile(const std::filesystem::path& path);

// Writes a picture in the format its extension names (letter case does not matter):
// .png (RGB), .ppm (binary P6), .bmp (24 bits), .jpg/.jpeg (quality 90). The file
// appears complete or not at all. An empty bitmap or another extension raises kv::Error.
void SaveImageFile(const Bitmap& bitmap, const std::filesystem::path& path);

}  // namespace kv
