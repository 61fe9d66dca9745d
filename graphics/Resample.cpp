#include "graphics/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "common/Error.h"

namespace kv {
namespace {

// For each target pixel on one axis: the run of source pixels it draws from and their
// weights (which add up to 1).
struct AxisMap {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<int> offset;  // into weights
    std::vector<float> weights;
};

AxisMap MapAxis(int source, int target) {
    AxisMap map;
    map.first.resize(static_cast<size_t>(target));
    map.count.resize(static_cast<size_t>(target));
    map.offset.resize(static_cast<size_t>(target));
    if (target < source) {
        // Target pixel i covers the source interval [i*source, (i+1)*source) counted in
        // 1/target steps; source pixel j is [j*target, (j+1)*target). Whole integers, so
        // the covered areas are exact.
        for (int i = 0; i < target; ++i) {
            const int64_t lo = static_cast<int64_t>(i) * source;
            const int64_t hi = lo + source;
            const int first = static_cast<int>(lo / target);
            const int last = static_cast<int>((hi - 1) / target);
            map.first[i] = first;
            map.count[i] = last - first + 1;
            map.offset[i] = static_cast<int>(map.weights.size());
            for (int j = first; j <= last; ++j) {
                const int64_t overlap = std::min(hi, static_cast<int64_t>(j + 1) * target) -
                                        std::max(lo, static_cast<int64_t>(j) * target);
                map.weights.push_back(static_cast<float>(static_cast<double>(overlap) / source));
            }
        }
    } else {
        // Pixel centres line up: target centre i sits at source position
        // (i + 0.5) * source / target - 0.5, clamped at the edges.
        for (int i = 0; i < target; ++i) {
            double centre = (i + 0.5) * source / target - 0.5;
            centre = std::clamp(centre, 0.0, static_cast<double>(source - 1));
            const int j = static_cast<int>(centre);
            const double f = centre - j;
            map.first[i] = j;
            map.offset[i] = static_cast<int>(map.weights.size());
            if (f > 0 && j + 1 < source) {
                map.count[i] = 2;
                map.weights.push_back(static_cast<float>(1 - f));
                map.weights.push_back(static_cast<float>(f));
            } else {
                map.count[i] = 1;
                map.weights.push_back(1.0f);
            }
        }
    }
    return map;
}

uint8_t ToByte(float v) {
    v += 0.5f;
    if (v <= 0) return 0;
    if (v >= 255) return 255;
    return static_cast<uint8_t>(v);
}

}  // namespace

Bitmap ScaleBitmap(const Bitmap& source, int width, int height) {
    if (source.Empty()) throw Error("Cannot resize an empty picture");
    if (width < 1 || height < 1) throw Error(Format("Invalid picture size %dx%d", width, height));
    const int sw = source.Width();
    const AxisMap columns = MapAxis(sw, width);
    const AxisMap rows = MapAxis(source.Height(), height);

    Bitmap target(width, height);
    // Each target row: first the weighted sum of its source rows at full width, then
    // that row resampled across.
    std::vector<float> line(static_cast<size_t>(sw) * 4);
    const size_t lineLength = line.size();
    for (int y = 0; y < height; ++y) {
        std::fill(line.begin(), line.end(), 0.0f);
        for (int t = 0; t < rows.count[y]; ++t) {
            const float w = rows.weights[rows.offset[y] + t];
            const uint8_t* src = source.ScanLine(rows.first[y] + t);
            float* acc = line.data();
            for (size_t k = 0; k < lineLength; ++k) acc[k] += w * static_cast<float>(src[k]);
        }
        uint8_t* out = target.ScanLine(y);
        for (int x = 0; x < width; ++x, out += 4) {
            float b = 0, g = 0, r = 0, a = 0;
            const float* px = line.data() + static_cast<size_t>(columns.first[x]) * 4;
            const float* w = columns.weights.data() + columns.offset[x];
            for (int t = 0; t < columns.count[x]; ++t, px += 4) {
                b += w[t] * px[0];
                g += w[t] * px[1];
                r += w[t] * px[2];
                a += w[t] * px[3];
            }
            out[0] = ToByte(b);
            out[1] = ToByte(g);
            out[2] = ToByte(r);
            out[3] = ToByte(a);
        }
    }
    return target;
}

std::pair<int, int> FitWithin(int w, int h, int boxW, int boxH) {
    if (w < 1 || h < 1 || boxW < 1 || boxH < 1)
        throw Error(Format("Invalid picture size %dx%d in %dx%d", w, h, boxW, boxH));
    if (w <= boxW && h <= boxH) return {w, h};
    const int64_t W = w, H = h, BW = boxW, BH = boxH;
    if (W * BH >= H * BW) {  // the width reaches the box first
        int64_t fitted = (2 * H * BW + W) / (2 * W);  // H * BW / W, rounded
        return {boxW, static_cast<int>(std::clamp<int64_t>(fitted, 1, BH))};
    }
    int64_t fitted = (2 * W * BH + H) / (2 * H);
    return {static_cast<int>(std::clamp<int64_t>(fitted, 1, BW)), boxH};
}

}  // namespace kv
