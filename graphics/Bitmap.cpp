#include "graphics/Bitmap.h"

#include <limits>
#include <new>

#include "common/Error.h"

namespace kv {

Bitmap::Bitmap(int width, int height) { SetSize(width, height); }

void Bitmap::SetSize(int width, int height) {
    if (width < 0 || height < 0) throw Error(Format("Invalid bitmap size %dx%d", width, height));
    uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4;
    if (bytes > static_cast<uint64_t>(std::numeric_limits<std::ptrdiff_t>::max()))
        throw Error("Out of memory");
    std::vector<uint8_t> pixels;
    try {
        pixels.assign(static_cast<size_t>(bytes), 0);
    } catch (const std::bad_alloc&) {
        throw Error("Out of memory");
    } catch (const std::length_error&) {
        throw Error("Out of memory");
    }
    pixels_.swap(pixels);
    width_ = width;
    height_ = height;
}

}  // namespace kv
