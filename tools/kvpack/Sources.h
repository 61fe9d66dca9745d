#pragma once
// Picture sources for the commands that draw transitions: a picture file, a colour
// "#RRGGBB", or the built-in pattern "coords".
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "graphics/Bitmap.h"

namespace kvpack {

struct PictureSource {
    enum class Kind { File, Colour, Coords } Type = Kind::Colour;
    std::string File;
    uint32_t Colour = 0;  // 0xAARRGGBB, alpha 0xFF
};

// Parses a source named by option (for messages); a file must exist.
PictureSource ParseSource(const std::string& option, const std::string& text);

// The pattern "coords": blue x mod 256, green y mod 256, red 16*(y div 256)+(x div 256).
uint32_t CoordsPixel(int x, int y);

// The new picture: a file at its own size unless size is given (then stretched to it);
// a colour or the pattern at size, or 800x600.
kv::Bitmap MakeNewPicture(const PictureSource& source, std::optional<std::pair<int, int>> size);

// The old picture at width x height: a file stretched to it, a colour or the pattern.
kv::Bitmap MakeOldPicture(const PictureSource& source, int width, int height);

// A UsageError unless the file name ends in .png or .ppm.
void CheckOutputExtension(const std::string& option, const std::string& file);

}  // namespace kvpack
