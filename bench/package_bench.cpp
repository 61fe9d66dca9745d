// The package walk against a plain copy of the same bytes.
//
// One package of 100 pictures of 2 MB each (a tiny JPEG followed by filler) is built
// once. PlainCopy reads each record's data from the file and writes it to a file of its
// own; ShowWalk runs the show window's walk, which writes the same bytes to the same
// folder after checking every JPEG header. Both write the same 200 MB per run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/Error.h"
#include "common/Files.h"
#include "graphics/Bitmap.h"
#include "graphics/Jpeg.h"
#include "package/PackageWriter.h"
#include "package/SaverPackage.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPictures = 100;
constexpr size_t kPictureSize = size_t{2} << 20;

kv::Bytes TinyJpeg() { return kv::EncodeJpeg(kv::Bitmap(16, 16)); }

// The package file and the output folder, made once and removed at exit.
struct Workload {
    fs::path root, package, out;
    uint64_t dataBytes = 0;
    std::vector<kv::RecordInfo> records;

    Workload() {
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        root = fs::temp_directory_path() / ("kv-package-bench-" + std::to_string(stamp));
        package = root / "show.scr";
        out = root / "out";
        fs::create_directories(out);
        kv::Bytes picture = TinyJpeg();
        picture.resize(kPictureSize, 0x5A);
        kv::ShowSettings settings;
        settings.PictureCount = kPictures;
        kv::AtomicFileWriter file(package);
        file.Write(kv::Bytes(64 * 1024, 0x90));  // the program in front of the package
        kv::PackageWriter writer(file);
        writer.AddSettings(settings);
        writer.AddEffectFlags(kv::DefaultEffectFlags());
        for (int i = 0; i < kPictures; ++i) {
            picture[picture.size() - 1] = static_cast<uint8_t>(i);
            writer.AddMedia(kv::RecordTag::Picture, static_cast<uint8_t>(i), ".jpg", picture);
        }
        writer.Finish();
        file.Commit();
        records = *kv::ListRecords(package);
        for (const auto& r : records)
            if (r.Media) dataBytes += static_cast<uint64_t>(r.Length) - kv::MediaHeader::kSize;
    }
    ~Workload() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

Workload& Work() {
    static Workload w;
    return w;
}

void CopyRecords(const Workload& w, std::vector<uint8_t>& buffer) {
    std::FILE* in = kv::OpenFile(w.package, "rb");
    if (!in) throw kv::Error("cannot open the package");
    for (const auto& r : w.records) {
        if (!r.Media) continue;
        uint64_t offset = r.Offset + 5 + kv::MediaHeader::kSize;
        size_t left = static_cast<size_t>(r.Length) - kv::MediaHeader::kSize;
        std::fseek(in, static_cast<long>(offset), SEEK_SET);
        std::FILE* out = kv::OpenFile(w.out / ("copy" + std::to_string(r.Media->Index) + ".bin"), "wb");
        if (!out) throw kv::Error("cannot create a copy");
        std::setvbuf(out, nullptr, _IONBF, 0);
        while (left > 0) {
            size_t piece = std::min(left, buffer.size());
            if (std::fread(buffer.data(), 1, piece, in) != piece || std::fwrite(buffer.data(), 1, piece, out) != piece)
                throw kv::Error("copy failed");
            left -= piece;
        }
        std::fclose(out);
    }
    std::fclose(in);
}

void Walk(const Workload& w) {
    kv::PackageState result;
    if (!kv::ReadSaverPackage(w.package, w.out, kv::kShowWindowPolicy, {}, result)) throw kv::Error("no package");
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

// Every iteration runs both sides, the other side first: the timed run meets the same
// state of the page cache (200 MB just written) whichever side it is, and background
// load on the machine falls on both sides alike. Each entry's time is its own side;
// "x_copy" is the walk's median time over the copy's, from the same iterations (the
// median, because a shared machine's disk now and then stalls one run several-fold).
template <bool kWalk>
void Measure(benchmark::State& state) {
    Workload& w = Work();
    std::vector<uint8_t> buffer(size_t{4} << 20);
    auto timed = [&](bool walk) {
        auto start = std::chrono::steady_clock::now();
        if (walk) Walk(w);
        else CopyRecords(w, buffer);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    timed(true);  // warm-up: every output file exists, the package is in the cache
    timed(false);
    std::vector<double> walkTimes, copyTimes;
    for (auto _ : state) {
        double other = timed(!kWalk);
        double mine = timed(kWalk);
        state.SetIterationTime(mine);
        (kWalk ? walkTimes : copyTimes).push_back(mine);
        (kWalk ? copyTimes : walkTimes).push_back(other);
    }
    state.SetBytesProcessed(static_cast<int64_t>(w.dataBytes) * state.iterations());
    state.counters["walk_ms"] = Median(walkTimes) * 1000;
    state.counters["copy_ms"] = Median(copyTimes) * 1000;
    state.counters["x_copy"] = Median(walkTimes) / Median(copyTimes);
}

void PlainCopy(benchmark::State& state) { Measure<false>(state); }
void ShowWalk(benchmark::State& state) { Measure<true>(state); }

BENCHMARK(PlainCopy)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ShowWalk)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
