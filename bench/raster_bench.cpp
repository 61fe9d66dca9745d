// The raster core at 1920 x 1080 against the floor of a frame: one memcpy of the frame.
//
//   FrameMemcpy        the floor
//   CopyRect*          stretching copies (identity, enlarging, squeezing, mirrored)
//   ClipDraw*          a full-picture draw through a clip region (span copies)
//   Region*            building the regions the bar, lattice, curved and triangle
//                      styles use, from scratch as every frame does
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "graphics/Bitmap.h"
#include "graphics/Canvas.h"
#include "graphics/Region.h"

namespace {

constexpr int kW = 1920;
constexpr int kH = 1080;

kv::Bitmap Picture(int w, int h) {
    kv::Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, static_cast<uint32_t>(x * 2654435761u + y));
    return b;
}

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kW * kH * 4);
}

void FrameMemcpy(benchmark::State& state) {
    kv::Bitmap src = Picture(kW, kH), dst(kW, kH);
    for (auto _ : state) {
        std::memcpy(dst.Bits(), src.Bits(), src.SizeBytes());
        benchmark::ClobberMemory();
    }
    SetBytes(state);
}
BENCHMARK(FrameMemcpy);

// dest rectangle and source rectangle as (left, top, right, bottom), picture sized source
void CopyRectCase(benchmark::State& state, kv::Rect dest, kv::Rect source, int srcW, int srcH) {
    kv::Bitmap src = Picture(srcW, srcH), dst(kW, kH);
    for (auto _ : state) {
        dst.Canvas().CopyRect(dest, src, source);
        benchmark::ClobberMemory();
    }
    SetBytes(state);
}
BENCHMARK_CAPTURE(CopyRectCase, Identity, kv::Rect{0, 0, kW, kH}, kv::Rect{0, 0, kW, kH}, kW, kH);
BENCHMARK_CAPTURE(CopyRectCase, Enlarge1280x720, kv::Rect{0, 0, kW, kH}, kv::Rect{0, 0, 1280, 720}, 1280, 720);
BENCHMARK_CAPTURE(CopyRectCase, SqueezeToFourFifths, kv::Rect{384, 0, kW, kH}, kv::Rect{0, 0, kW, kH}, kW, kH);
BENCHMARK_CAPTURE(CopyRectCase, Mirrored, kv::Rect{kW - 1, 0, -1, kH}, kv::Rect{0, 0, kW, kH}, kW, kH);
BENCHMARK_CAPTURE(CopyRectCase, SlideHalfOutside, kv::Rect{960, 0, 960 + kW, kH}, kv::Rect{0, 0, kW, kH}, kW, kH);

kv::Region Bars(int left) {
    kv::Region r;
    for (int i = 0; i < kH + 5; i += 10) r |= kv::Region(kv::Rect{left, i, kW, i + 5});
    return r;
}

kv::Region Lattice() {
    kv::RegionBuilder b;
    for (int i = 0; i < kH + 5; i += 10) b.Add(600, i, kW, i + 5);
    for (int j = 0; j < kW + 5; j += 10) b.Add(j, 400, j + 5, kH);
    return b.Build();
}

void ClipDraw(benchmark::State& state, kv::Region region) {
    kv::Bitmap image = Picture(kW, kH), screen(kW, kH);
    for (auto _ : state) {
        kv::Canvas& c = screen.Canvas();
        c.SelectClipRegion(region);
        c.Draw(0, 0, image);
        c.SelectNoClip();
        benchmark::ClobberMemory();
    }
    SetBytes(state);
}
BENCHMARK_CAPTURE(ClipDraw, WholeFrame, kv::Region(kv::Rect{0, 0, kW, kH}));
BENCHMARK_CAPTURE(ClipDraw, HalfRowBars, Bars(kW / 2));
BENCHMARK_CAPTURE(ClipDraw, Lattice, Lattice());
BENCHMARK_CAPTURE(ClipDraw, Disc, kv::Region::RoundRect(0, 0, kW, kH, kW * 9 / 10, kH * 9 / 10));

void RegionBarsOneByOne(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Bars(480));
}
BENCHMARK(RegionBarsOneByOne);

void RegionLatticeBuilder(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Lattice());
}
BENCHMARK(RegionLatticeBuilder);

void RegionLatticeOneByOne(benchmark::State& state) {
    for (auto _ : state) {
        kv::Region r;
        for (int i = 0; i < kH + 5; i += 10) r |= kv::Region(kv::Rect{600, i, kW, i + 5});
        for (int j = 0; j < kW + 5; j += 10) r |= kv::Region(kv::Rect{j, 400, j + 5, kH});
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(RegionLatticeOneByOne);

void RegionCurvedFront(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(kv::Region::RoundRect(-2 * kW, -5, kW, kH + 5, 2 * kW, 2 * kW));
}
BENCHMARK(RegionCurvedFront);

void RegionTriangle(benchmark::State& state) {
    const kv::Point tri[] = {{0, 0}, {kW, 0}, {0, kH}};
    for (auto _ : state) benchmark::DoNotOptimize(kv::Region::Polygon(tri));
}
BENCHMARK(RegionTriangle);

void RegionTriangleLattice(benchmark::State& state) {
    // 19 x 19 small triangles joined through the builder.
    for (auto _ : state) {
        kv::RegionBuilder b;
        for (int i = 18; i >= 0; --i)
            for (int j = 18; j >= 0; --j) {
                const kv::Point t[] = {{j * 101 - 50, i * 56 - 28}, {j * 101 + 50, i * 56 - 28}, {j * 101 - 50, i * 56 + 28}};
                b.Add(kv::Region::Polygon(t));
            }
        benchmark::DoNotOptimize(b.Build());
    }
}
BENCHMARK(RegionTriangleLattice);

}  // namespace
