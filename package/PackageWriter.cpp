#include "package/PackageWriter.h"

#include <array>
#include <limits>

#include "common/Error.h"
#include "graphics/Jpeg.h"
#include "package/LittleEndian.h"
#include "package/StyleList.h"

namespace kv {
namespace {

constexpr int64_t kHeadSize = 5;
constexpr int64_t kMaxLength = std::numeric_limits<int32_t>::max();

const char* KindName(RecordTag tag) {
    switch (tag) {
        case RecordTag::Picture: return "Picture";
        case RecordTag::Music: return "Music";
        case RecordTag::Flash: return "Flash movie";
        default: return "Record";
    }
}

std::string LowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

}  // namespace

void PackageWriter::CheckOpen(bool needSettings) const {
    if (finished_) throw Error("The package is already finished");
    if (needSettings && !haveSettings_) throw Error("The settings record must come first");
}

// Every record must fit a 32-bit length, and so must all records with the end record.
void PackageWriter::Reserve(uint64_t bodyLength) const {
    if (bodyLength > static_cast<uint64_t>(kMaxLength) ||
        length_ + kHeadSize + static_cast<int64_t>(bodyLength) + kHeadSize > kMaxLength)
        throw Error("The package would exceed 2 GB");
}

void PackageWriter::WriteRecord(RecordTag tag, std::span<const uint8_t> prefix, std::span<const uint8_t> data) {
    const uint64_t body = prefix.size() + data.size();
    Reserve(body);
    uint8_t head[kHeadSize];
    head[0] = static_cast<uint8_t>(tag);
    StoreInt32LE(head + 1, static_cast<int32_t>(body));
    out_.Write(head, sizeof head);
    out_.Write(prefix);
    out_.Write(data);
    length_ += kHeadSize + static_cast<int64_t>(body);
}

void PackageWriter::AddSettings(const ShowSettings& settings) {
    CheckOpen(false);
    if (haveSettings_) throw Error("The package has one settings record only");
    if (settings.PictureCount < 0 || settings.PictureCount > 256)
        throw Error(Format("Picture count %d is outside 0 to 256", settings.PictureCount));
    if (settings.MusicCount < 0 || settings.MusicCount > 256)
        throw Error(Format("Music count %d is outside 0 to 256", settings.MusicCount));
    if (settings.FlashCount < 0 || settings.FlashCount > 255)
        throw Error(Format("Flash movie count %d is outside 0 to 255", settings.FlashCount));
    const auto bytes = settings.Encode();
    WriteRecord(RecordTag::Settings, {}, bytes);
    haveSettings_ = true;
    pictures_.Count = settings.PictureCount;
    music_.Count = settings.MusicCount;
    flash_.Count = settings.FlashCount;
}

void PackageWriter::AddMedia(RecordTag tag, uint8_t index, std::string_view extension, std::span<const uint8_t> data) {
    CheckOpen(true);
    Kind* kind = tag == RecordTag::Picture ? &pictures_ : tag == RecordTag::Music ? &music_
               : tag == RecordTag::Flash ? &flash_ : nullptr;
    if (!kind) throw Error(Format("Tag %d is no media record", static_cast<int>(tag)));
    CheckMediaExtension(extension);
    const bool playerMovie = tag == RecordTag::Flash && index == 255;
    if (playerMovie) {
        if (havePlayerMovie_) throw Error("The player movie (Flash index 255) is added twice");
    } else {
        if (index >= kind->Count)
            throw Error(Format("%s index %d is outside the count of %d", KindName(tag), index, kind->Count));
        if (kind->Seen[index]) throw Error(Format("%s index %d is added twice", KindName(tag), index));
        if (tag == RecordTag::Music && index != kind->Added)
            throw Error(Format("Music index %d comes out of order: index %d is next", index, kind->Added));
    }
    std::string clipName;
    if (tag != RecordTag::Picture && !playerMovie) {
        clipName = LowerAscii(ExtractedFileName(tag, index, extension));
        if (clipNames_.count(clipName))
            throw Error(Format("Music and Flash movie %d would both be extracted as %s", index, clipName.c_str()));
    }
    if (tag == RecordTag::Picture) ReadJpegHeader(data);

    std::array<uint8_t, MediaHeader::kSize> header{};
    header[0] = index;
    header[1] = static_cast<uint8_t>(extension.size());
    for (size_t i = 0; i < extension.size(); ++i) header[2 + i] = static_cast<uint8_t>(extension[i]);
    WriteRecord(tag, header, data);

    if (playerMovie) {
        havePlayerMovie_ = true;
    } else {
        kind->Seen[index] = true;
        ++kind->Added;
    }
    if (!clipName.empty()) clipNames_.insert(clipName);
}

void PackageWriter::AddEffectFlags(std::span<const uint8_t> flags) {
    CheckOpen(true);
    if (haveEffectFlags_) throw Error("The package has one effect-flags record only");
    if (flags.size() != static_cast<size_t>(kEffectFlagCount))
        throw Error(Format("Effect flags need %d bytes, not %u", kEffectFlagCount, static_cast<unsigned>(flags.size())));
    WriteRecord(RecordTag::EffectFlags, {}, flags);
    haveEffectFlags_ = true;
}

void PackageWriter::AddFramePicture(std::span<const uint8_t> data) {
    CheckOpen(true);
    if (haveFrame_) throw Error("The package has one frame picture only");
    WriteRecord(RecordTag::FramePicture, {}, data);
    haveFrame_ = true;
}

void PackageWriter::Finish() {
    CheckOpen(true);
    if (!haveEffectFlags_) throw Error("The package needs an effect-flags record");
    for (auto [kind, tag] : {std::pair{&pictures_, RecordTag::Picture}, std::pair{&music_, RecordTag::Music},
                             std::pair{&flash_, RecordTag::Flash}}) {
        if (kind->Added != kind->Count)
            throw Error(Format("%s count is %d in the settings, but %d were added", KindName(tag), kind->Count,
                               kind->Added));
    }
    WriteRecord(RecordTag::End, {}, {});
    uint8_t trailer[PackageTrailer::kSize] = {'K', 'V', 'Q', '1'};
    StoreInt32LE(trailer + 4, static_cast<int32_t>(length_));
    out_.Write(trailer, sizeof trailer);
    finished_ = true;
}

}  // namespace kv
