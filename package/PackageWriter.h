#pragma once
// Writes a package behind whatever the caller already wrote to the file (the program),
// keeping the rules that readers rely on:
//   - the settings record first, exactly once; the end record and trailer last (Finish);
//   - exactly one effect-flags record of 123 bytes;
//   - per kind, the indexes 0 .. count-1 of the settings' counts, each exactly once;
//     Flash index 255 (the player movie) at most once and not counted;
//   - music records in index order, index 0 first;
//   - extensions that are plain file name extensions (CheckMediaExtension), and no
//     music and Flash record extracted to the same file name;
//   - pictures whose JPEG header parses; at most one frame picture;
//   - every length, and the package as a whole, within 32-bit signed lengths.
// A broken rule throws kv::Error before anything of that record is written.
#include <bitset>
#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "common/Files.h"
#include "package/SaverPackage.h"
#include "package/ShowSettings.h"

namespace kv {

class PackageWriter {
public:
    explicit PackageWriter(AtomicFileWriter& out) : out_(out) {}

    void AddSettings(const ShowSettings& settings);
    // A picture, music or Flash record: MediaHeader (index, extension) and the data.
    void AddMedia(RecordTag tag, uint8_t index, std::string_view extension, std::span<const uint8_t> data);
    void AddEffectFlags(std::span<const uint8_t> flags);
    void AddFramePicture(std::span<const uint8_t> data);
    // Checks that every counted item was added, then writes the end record and the
    // trailer "KVQ1" + L.
    void Finish();

    // L so far: the length of the records written.
    int64_t Length() const { return length_; }

private:
    struct Kind {
        int32_t Count = 0;
        int32_t Added = 0;
        std::bitset<256> Seen;
    };
    void CheckOpen(bool needSettings) const;
    void Reserve(uint64_t bodyLength) const;
    void WriteRecord(RecordTag tag, std::span<const uint8_t> prefix, std::span<const uint8_t> data);

    AtomicFileWriter& out_;
    bool haveSettings_ = false;
    bool haveEffectFlags_ = false;
    bool haveFrame_ = false;
    bool havePlayerMovie_ = false;
    bool finished_ = false;
    Kind pictures_, music_, flash_;
    std::set<std::string> clipNames_;  // extracted music and Flash names, lower case
    int64_t length_ = 0;
};

}  // namespace kv
