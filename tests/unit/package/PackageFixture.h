#pragma once
// Builds package files byte by byte for the tests, so that malformed packages can be
// made as easily as good ones, and a tiny valid JPEG for picture records.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/Files.h"
#include "graphics/Bitmap.h"
#include "graphics/Jpeg.h"
#include "package/SaverPackage.h"
#include "package/ShowSettings.h"

namespace kv::test {

// A small baseline JPEG made with the program's own encoder.
inline const Bytes& TinyJpeg() {
    static const Bytes jpeg = kv::EncodeJpeg(kv::Bitmap(8, 8));
    return jpeg;
}

inline Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes Text(std::string_view s) { return Bytes(s.begin(), s.end()); }

// A MediaHeader and data: extension characters as given, the extension length byte as
// given (default: the characters' count), the rest of the 9 bytes filled with filler.
inline Bytes MediaBody(uint8_t index, std::string_view ext, const Bytes& data,
                       std::optional<uint8_t> extLength = std::nullopt, char filler = '\0') {
    Bytes b{index, extLength.value_or(static_cast<uint8_t>(ext.size()))};
    for (size_t i = 0; i < 9; ++i) b.push_back(static_cast<uint8_t>(i < ext.size() ? ext[i] : filler));
    return Concat(std::move(b), data);
}

class PackageBuilder {
public:
    explicit PackageBuilder(Bytes program = Text("MZ-program-bytes")) : program_(std::move(program)) {}

    // A record with an explicit N, whatever the body holds.
    PackageBuilder& Raw(uint8_t tag, int32_t n, const Bytes& body) {
        records_.push_back(tag);
        uint32_t u = static_cast<uint32_t>(n);
        for (int i = 0; i < 4; ++i) records_.push_back(static_cast<uint8_t>(u >> (8 * i)));
        records_.insert(records_.end(), body.begin(), body.end());
        return *this;
    }
    PackageBuilder& Record(RecordTag tag, const Bytes& body) {
        return Raw(static_cast<uint8_t>(tag), static_cast<int32_t>(body.size()), body);
    }
    PackageBuilder& Settings(const ShowSettings& s) {
        auto e = s.Encode();
        return Record(RecordTag::Settings, Bytes(e.begin(), e.end()));
    }
    PackageBuilder& Media(RecordTag tag, uint8_t index, std::string_view ext, const Bytes& data) {
        return Record(tag, MediaBody(index, ext, data));
    }
    PackageBuilder& Flags(const Bytes& flags) { return Record(RecordTag::EffectFlags, flags); }
    PackageBuilder& End() { return Record(RecordTag::End, {}); }

    size_t RecordsSize() const { return records_.size(); }

    // Program, records and trailer; L is the records' length unless given.
    Bytes Build(std::string_view magic = "KVQ1", std::optional<int32_t> length = std::nullopt) const {
        if (magic.size() != 4) throw std::logic_error("a trailer magic has 4 characters");
        Bytes file = Concat(program_, records_);
        file.insert(file.end(), magic.begin(), magic.end());
        uint32_t l = static_cast<uint32_t>(length.value_or(static_cast<int32_t>(records_.size())));
        for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(l >> (8 * i)));
        return file;
    }
    std::filesystem::path Write(const std::filesystem::path& file, std::string_view magic = "KVQ1",
                                std::optional<int32_t> length = std::nullopt) const {
        WriteFileBytes(file, Build(magic, length));
        return file;
    }

private:
    Bytes program_;
    Bytes records_;
};

inline ShowSettings PictureShow() {
    ShowSettings s;
    s.ShowKind = 0;
    s.QuitMode = 1;
    s.IntervalSeconds = 8;
    s.DesignWidth = 1024;
    s.DesignHeight = 768;
    return s;
}

inline Bytes AllFlags(uint8_t value = 1) { return Bytes(123, value); }

}  // namespace kv::test
