#pragma once
// The drawing side of a Bitmap, in the manner of a device context: every Bitmap has one
// Canvas (Bitmap::Canvas()) with a re-entrant lock, an optional clipping region and the
// drawing operations below.
//
// Every operation draws only inside the bitmap and, when a clipping region is selected,
// only inside that region; whatever falls outside is cut off. Each operation takes the
// canvas's own lock while it runs (re-entrant, so a holder of the lock may draw freely).
// A copy whose source is the target bitmap itself reads the unchanged source, as if the
// source had been copied away first.
//
// Stretching copies follow StretchBlt (source copy), with nearest-pixel sampling:
//   - A destination origin xd with extent wd > 0 covers the columns xd .. xd + wd - 1;
//     with wd < 0 it covers xd + wd + 1 .. xd, that is it starts at the origin and runs
//     leftward: origin x + w - 1 with extent -w covers exactly the columns of origin x
//     with extent w, mirrored. Sources read the same way, and rows likewise.
//   - The i-th destination pixel counted from the origin (i = 0 .. |wd| - 1) shows the
//     j-th source pixel counted from the source origin, j = floor((i + 0.5) * |ws| / |wd|):
//     the source pixel under the destination pixel's centre. When the two extents have
//     opposite signs the copy comes out mirrored.
//   - A destination pixel whose source pixel lies outside the source bitmap is left
//     unchanged.
//   - A zero extent draws nothing. Coordinates are meant to stay within +-2^30 (GDI's own
//     range is smaller); a call with an origin or an end beyond that draws nothing.
// Example: StretchBlt(21, 0, -12, 5, src, 0, 0, 10, 5) covers columns 10..21; column 21
// shows source column 0 and column 10 shows source column 9 (and StretchBlt(19, 0, -10,
// 5, ...) would mirror exactly onto the columns 10..19).
#include <cstdint>
#include <mutex>
#include <optional>

#include "graphics/Bitmap.h"
#include "graphics/Geometry.h"
#include "graphics/Region.h"

namespace kv {

class Canvas {
public:
    explicit Canvas(Bitmap& target) : target_(&target) {}
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    Bitmap& Target() const { return *target_; }

    // Mutual exclusion across threads, re-entrant for the holder (each Lock needs an
    // Unlock). See CanvasLock for the scoped form.
    void Lock() { mutex_.lock(); }
    void Unlock() { mutex_.unlock(); }
    bool TryLock() { return mutex_.try_lock(); }

    // Selects a clipping region, in bitmap coordinates; the canvas keeps its own copy.
    void SelectClipRegion(const Region& region);
    void SelectClipRegion(Region&& region);
    // Removes the clipping region: drawing reaches the whole bitmap again.
    void SelectNoClip();
    // The selected region, or null. Valid until the next selection; read it under Lock.
    const Region* ClipRegion() const { return clip_ ? &*clip_ : nullptr; }

    // Fills the rectangle with one pixel value (0xAARRGGBB, stored as B, G, R, A bytes).
    void FillRect(const Rect& r, uint32_t bgra);

    // Draws the whole source bitmap with its top-left corner at (x, y).
    void Draw(int32_t x, int32_t y, const Bitmap& src);

    // Stretches the whole source bitmap into dest.
    void StretchDraw(const Rect& dest, const Bitmap& src);

    // Copies rectangle source of src into rectangle dest, stretching or shrinking it:
    // StretchBlt(dest.Left, dest.Top, dest.Right - dest.Left, dest.Bottom - dest.Top, src,
    // source.Left, source.Top, source.Right - source.Left, source.Bottom - source.Top).
    // A rectangle with Right < Left (or Bottom < Top) is a negative extent and mirrors.
    void CopyRect(const Rect& dest, const Bitmap& src, const Rect& source);

    // The stretching copy with origins and signed extents (rules at the top of this file).
    void StretchBlt(int32_t xd, int32_t yd, int32_t wd, int32_t hd, const Bitmap& src,
                    int32_t xs, int32_t ys, int32_t ws, int32_t hs);

private:
    void Blit(int64_t xd, int64_t yd, int64_t wd, int64_t hd, const Bitmap& src, int64_t xs,
              int64_t ys, int64_t ws, int64_t hs);

    Bitmap* target_;
    std::recursive_mutex mutex_;
    std::optional<Region> clip_;
};

// Holds a canvas's lock for a scope.
class CanvasLock {
public:
    explicit CanvasLock(Canvas& canvas) : canvas_(canvas) { canvas_.Lock(); }
    explicit CanvasLock(Bitmap& bitmap) : CanvasLock(bitmap.Canvas()) {}
    ~CanvasLock() { canvas_.Unlock(); }
    CanvasLock(const CanvasLock&) = delete;
    CanvasLock& operator=(const CanvasLock&) = delete;

private:
    Canvas& canvas_;
};

}  // namespace kv
