#pragma once
// A 32-bit memory bitmap: rows of B, G, R, A bytes, stored top-down in one contiguous
// buffer (row y starts at y * 4 * Width()). The fourth byte is carried along by every
// operation and never interpreted.
#include <atomic>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace kv {

class Bitmap;
class Canvas;

namespace detail {
// Holds the canvas of one Bitmap object (graphics/Canvas.h). The canvas is made on first
// use and belongs to that object alone: a copied or moved Bitmap gets a canvas of its own
// (unlocked, no clip region), and assignment keeps the target's canvas.
class CanvasSlot {
public:
    CanvasSlot() = default;
    CanvasSlot(const CanvasSlot&) noexcept {}
    CanvasSlot& operator=(const CanvasSlot&) noexcept { return *this; }
    ~CanvasSlot();
    Canvas& Get(Bitmap& owner);
    friend bool operator==(const CanvasSlot&, const CanvasSlot&) { return true; }

private:
    std::atomic<Canvas*> canvas_{nullptr};
};
}  // namespace detail

class Bitmap {
public:
    Bitmap() = default;
    // A zero-filled bitmap. Throws kv::Error for negative sizes or when the buffer
    // cannot be allocated.
    Bitmap(int width, int height);
    Bitmap(const Bitmap&) = default;
    Bitmap& operator=(const Bitmap&) = default;
    // A moved-from bitmap is left empty (0 x 0), never with a size its buffer lacks.
    Bitmap(Bitmap&& other) noexcept
        : width_(std::exchange(other.width_, 0)), height_(std::exchange(other.height_, 0)),
          pixels_(std::move(other.pixels_)) {
        other.pixels_.clear();
    }
    Bitmap& operator=(Bitmap&& other) noexcept {
        if (this != &other) {
            width_ = std::exchange(other.width_, 0);
            height_ = std::exchange(other.height_, 0);
            pixels_ = std::move(other.pixels_);
            other.pixels_.clear();
        }
        return *this;
    }

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }

    // Resizes to width x height; the pixels are reset to zero.
    void SetSize(int width, int height);

    // Row y from the top: 4 * Width() bytes.
    uint8_t* ScanLine(int y) {
        assert(y >= 0 && y < height_);
        return pixels_.data() + static_cast<size_t>(y) * Stride();
    }
    const uint8_t* ScanLine(int y) const {
        assert(y >= 0 && y < height_);
        return pixels_.data() + static_cast<size_t>(y) * Stride();
    }

    // One pixel as 0xAARRGGBB (the four bytes read as a little-endian value).
    uint32_t Pixel(int x, int y) const {
        assert(x >= 0 && x < width_);
        const uint8_t* p = ScanLine(y) + static_cast<size_t>(x) * 4;
        return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
               static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
    }
    void SetPixel(int x, int y, uint32_t bgra) {
        assert(x >= 0 && x < width_);
        uint8_t* p = ScanLine(y) + static_cast<size_t>(x) * 4;
        p[0] = static_cast<uint8_t>(bgra);
        p[1] = static_cast<uint8_t>(bgra >> 8);
        p[2] = static_cast<uint8_t>(bgra >> 16);
        p[3] = static_cast<uint8_t>(bgra >> 24);
    }

    // Bytes per row, and the whole buffer (Height() rows, top-down).
    size_t Stride() const { return static_cast<size_t>(width_) * 4; }
    uint8_t* Bits() { return pixels_.data(); }
    const uint8_t* Bits() const { return pixels_.data(); }
    size_t SizeBytes() const { return pixels_.size(); }

    bool operator==(const Bitmap& other) const = default;

    // The bitmap's canvas: its drawing operations, lock and clip region (graphics/Canvas.h).
    kv::Canvas& Canvas() { return canvas_.Get(*this); }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> pixels_;
    detail::CanvasSlot canvas_;
};

}  // namespace kv
