#include "package/SaverPackage.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/Error.h"
#include "common/Files.h"
#include "graphics/Jpeg.h"
#include "package/LittleEndian.h"

namespace fs = std::filesystem;

namespace kv {
namespace {

constexpr uint64_t kHeadSize = 5;
// Media bodies are copied through one reused buffer in pieces of this size.
constexpr size_t kCopyChunk = size_t{4} << 20;

bool IsMedia(RecordTag tag) { return tag == RecordTag::Picture || tag == RecordTag::Music || tag == RecordTag::Flash; }

// The program file, read at explicit offsets. Consecutive reads go on without a seek.
class InputFile {
public:
    explicit InputFile(const fs::path& path) : file_(OpenFile(path, "rb")) {
        if (!file_) throw Error(Format("Cannot open file %s", PathToUtf8(path).c_str()));
        if (SeekEnd() != 0) {
            std::fclose(file_);
            throw Error("Stream read error");
        }
        size_ = Tell();
        position_ = size_;
    }
    ~InputFile() { std::fclose(file_); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    uint64_t Size() const { return size_; }

    // Reads exactly size bytes at offset or throws "Stream read error".
    void Read(uint64_t offset, void* data, size_t size) {
        if (offset != position_) {
            position_ = kUnknown;
            if (Seek(offset) != 0) throw Error("Stream read error");
            position_ = offset;
        }
        if (size == 0) return;
        if (std::fread(data, 1, size, file_) != size) {
            position_ = kUnknown;
            throw Error("Stream read error");
        }
        position_ += size;
    }

private:
    static constexpr uint64_t kUnknown = ~uint64_t{0};
#ifdef _WIN32
    int Seek(uint64_t offset) { return _fseeki64(file_, static_cast<__int64>(offset), SEEK_SET); }
    int SeekEnd() { return _fseeki64(file_, 0, SEEK_END); }
    uint64_t Tell() { return static_cast<uint64_t>(_ftelli64(file_)); }
#else
    int Seek(uint64_t offset) { return fseeko(file_, static_cast<off_t>(offset), SEEK_SET); }
    int SeekEnd() { return fseeko(file_, 0, SEEK_END); }
    uint64_t Tell() { return static_cast<uint64_t>(ftello(file_)); }
#endif

    std::FILE* file_;
    uint64_t size_ = 0;
    uint64_t position_ = 0;
};

// An extracted file. Unless Close() succeeds, the destructor removes what was written,
// so a failed record leaves no partial file behind.
class OutputFile {
public:
    explicit OutputFile(fs::path path) : path_(std::move(path)), file_(OpenFile(path_, "wb")) {
        if (!file_) throw Error(Format("Cannot create file %s", PathToUtf8(path_).c_str()));
        std::setvbuf(file_, nullptr, _IONBF, 0);  // every write is a large block already
    }
    ~OutputFile() {
        if (!file_) return;
        std::fclose(file_);
        std::error_code ec;
        fs::remove(path_, ec);
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void Write(const uint8_t* data, size_t size) {
        if (size != 0 && std::fwrite(data, 1, size, file_) != size) throw Error("Stream write error");
    }
    void Close() {
        std::FILE* f = file_;
        file_ = nullptr;
        if (std::fclose(f) != 0) {
            std::error_code ec;
            fs::remove(path_, ec);
            throw Error("Stream write error");
        }
    }

private:
    fs::path path_;
    std::FILE* file_;
};

struct PackageBounds {
    uint64_t First;  // offset of the first record
    uint64_t End;    // offset of the trailer: no record may reach into it
};

PackageTrailer DecodeTrailer(const uint8_t* b) {
    PackageTrailer t;
    std::memcpy(t.Magic.data(), b, 4);
    t.Length = LoadInt32LE(b + 4);
    return t;
}

PackageTrailer ReadTrailerOf(InputFile& in) {
    if (in.Size() < PackageTrailer::kSize) return PackageTrailer{};
    uint8_t b[PackageTrailer::kSize];
    in.Read(in.Size() - PackageTrailer::kSize, b, sizeof b);
    return DecodeTrailer(b);
}

std::optional<PackageBounds> LocatePackage(InputFile& in) {
    PackageTrailer trailer = ReadTrailerOf(in);
    if (!trailer.MagicMatches()) return std::nullopt;
    if (trailer.Length < 0) throw Error(Format("Invalid package length %d", trailer.Length));
    uint64_t end = in.Size() - PackageTrailer::kSize;
    if (static_cast<uint64_t>(trailer.Length) > end) throw Error("Stream read error");  // starts before the file
    return PackageBounds{end - static_cast<uint64_t>(trailer.Length), end};
}

// Reads the record head at offset and checks that the record fits its kind and lies
// wholly before the trailer. The end record's length is not used and not checked.
// A package without an end record reaches the trailer, whose "K" reads as an invalid tag.
RecordInfo ReadRecordHead(InputFile& in, uint64_t offset, const PackageBounds& bounds) {
    uint8_t head[kHeadSize];
    in.Read(offset, head, sizeof head);  // offset <= bounds.End, so the trailer supplies any missing bytes
    RecordInfo info;
    info.Offset = offset;
    info.Tag = head[0];
    info.Length = LoadInt32LE(head + 1);
    if (info.Tag > static_cast<uint8_t>(RecordTag::End)) throw Error(kInvalidTagMessage);
    const auto tag = static_cast<RecordTag>(info.Tag);
    if (tag == RecordTag::End) return info;
    if (bounds.End - offset < kHeadSize) throw Error("Stream read error");
    if (info.Length < MinimumBodyLength(tag))
        throw Error(Format("Invalid length %d of the package record with tag %d at offset %llu", info.Length, info.Tag,
                           static_cast<unsigned long long>(offset)));
    if (static_cast<uint64_t>(info.Length) > bounds.End - offset - kHeadSize) throw Error("Stream read error");
    return info;
}

MediaHeader ReadMediaHeader(InputFile& in, uint64_t offset) {
    uint8_t b[MediaHeader::kSize];
    in.Read(offset, b, sizeof b);
    MediaHeader h;
    h.Index = b[0];
    h.ExtensionLength = b[1];
    std::memcpy(h.ExtensionChars.data(), b + 2, h.ExtensionChars.size());
    return h;
}

// The extension takes part in a file name for music and for Flash movies other than
// the player movie; there it must be a plain extension.
void CheckMediaName(RecordTag tag, const MediaHeader& media) {
    bool named = tag == RecordTag::Music || (tag == RecordTag::Flash && media.Index != 255);
    if (!named) return;
    if (media.ExtensionLength > MediaHeader::kMaxExtension)
        throw Error(Format("Invalid file extension length %d", media.ExtensionLength));
    CheckMediaExtension(media.Extension());
}

class Extractor {
public:
    Extractor(InputFile& in, const fs::path& folder) : in_(in), folder_(folder) {}

    fs::path Target(RecordTag tag, const MediaHeader& media) const {
        return folder_ / PathFromUtf8(ExtractedFileName(tag, media.Index, media.Extension()));
    }

    // Copies length bytes at offset into a new file, in large pieces.
    void Copy(uint64_t offset, uint64_t length, const fs::path& target) {
        OutputFile out(target);
        while (length > 0) {
            size_t piece = static_cast<size_t>(std::min<uint64_t>(length, kCopyChunk));
            if (buffer_.size() < piece) buffer_.resize(piece);
            in_.Read(offset, buffer_.data(), piece);
            out.Write(buffer_.data(), piece);
            offset += piece;
            length -= piece;
        }
        out.Close();
    }

    // A picture is read whole: its JPEG header must parse before anything is written.
    // An empty picture gives an empty file.
    void Picture(uint64_t offset, size_t length, const fs::path& target) {
        if (buffer_.size() < length) buffer_.resize(length);
        in_.Read(offset, buffer_.data(), length);
        if (length > 0) ReadJpegHeader(std::span<const uint8_t>(buffer_.data(), length));
        OutputFile out(target);
        out.Write(buffer_.data(), length);
        out.Close();
    }

private:
    InputFile& in_;
    const fs::path& folder_;
    Bytes buffer_;
};

}  // namespace

bool PackageTrailer::MagicMatches() const { return Magic[0] == 'K' && Magic[1] == 'V' && Magic[2] == 'Q'; }

std::string MediaHeader::Extension() const {
    size_t n = std::min<size_t>(ExtensionLength, ExtensionChars.size());
    return std::string(ExtensionChars.data(), n);
}

bool ReadPolicy::Takes(RecordTag tag) const {
    switch (tag) {
        case RecordTag::Settings: return Settings;
        case RecordTag::Picture: return Pictures;
        case RecordTag::Music: return Music;
        case RecordTag::Flash: return Flash;
        case RecordTag::EffectFlags: return EffectFlags;
        case RecordTag::FramePicture: return FramePicture;
        case RecordTag::End: return true;
    }
    return false;
}

int32_t MinimumBodyLength(RecordTag tag) {
    switch (tag) {
        case RecordTag::Settings: return static_cast<int32_t>(ShowSettings::kSize);
        case RecordTag::Picture:
        case RecordTag::Music:
        case RecordTag::Flash: return static_cast<int32_t>(MediaHeader::kSize);
        case RecordTag::EffectFlags: return kEffectFlagCount;
        default: return 0;
    }
}

void CheckMediaExtension(std::string_view extension) {
    bool ok = extension.size() <= static_cast<size_t>(MediaHeader::kMaxExtension) &&
              extension.find("..") == std::string_view::npos;
    for (char c : extension) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7F || std::strchr("<>:\"/\\|?*", c) != nullptr) ok = false;
    }
    if (ok) return;
    std::string shown;
    for (char c : extension) {
        auto u = static_cast<unsigned char>(c);
        shown += (u < 0x20 || u >= 0x7F) ? Format("\\x%02X", u) : std::string(1, c);
    }
    throw Error(Format("Invalid file extension '%s'", shown.c_str()));
}

std::string ExtractedFileName(RecordTag tag, uint8_t index, std::string_view extension) {
    switch (tag) {
        case RecordTag::Picture: return "kvpic" + std::to_string(index) + ".jpg";
        case RecordTag::Flash:
            if (index == 255) return "nofile.swf";
            [[fallthrough]];
        case RecordTag::Music: return "kvclip" + std::to_string(index) + std::string(extension);
        case RecordTag::FramePicture: return "Frame.jpg";
        default: return std::string();
    }
}

PackageTrailer ReadTrailer(const fs::path& file) {
    InputFile in(file);
    return ReadTrailerOf(in);
}

std::optional<std::vector<RecordInfo>> ListRecords(const fs::path& file) {
    InputFile in(file);
    std::optional<PackageBounds> bounds = LocatePackage(in);
    if (!bounds) return std::nullopt;
    std::vector<RecordInfo> records;
    uint64_t offset = bounds->First;
    for (;;) {
        RecordInfo info = ReadRecordHead(in, offset, *bounds);
        const auto tag = static_cast<RecordTag>(info.Tag);
        if (IsMedia(tag)) {
            info.Media = ReadMediaHeader(in, offset + kHeadSize);
            CheckMediaName(tag, *info.Media);
        }
        records.push_back(info);
        if (tag == RecordTag::End) return records;
        offset += kHeadSize + static_cast<uint64_t>(info.Length);
    }
}

bool ReadSaverPackage(const fs::path& programFile, const fs::path& tempFolder, const ReadPolicy& policy,
                      const PackageActions& actions, PackageState& state) {
    InputFile in(programFile);
    std::optional<PackageBounds> bounds = LocatePackage(in);
    if (!bounds) return false;
    Extractor extract(in, tempFolder);
    uint64_t offset = bounds->First;
    for (;;) {
        RecordInfo info = ReadRecordHead(in, offset, *bounds);
        const auto tag = static_cast<RecordTag>(info.Tag);
        const bool take = tag != RecordTag::End && policy.Takes(tag);
        const uint64_t body = offset + kHeadSize;
        if (take && IsMedia(tag)) {
            info.Media = ReadMediaHeader(in, body);
            CheckMediaName(tag, *info.Media);
        }
        if (actions.OnRecord) actions.OnRecord(info);
        if (tag == RecordTag::End) return true;

        if (take) {
            // Media data follows the header; the head check guarantees N >= 11 for media.
            const uint64_t data = body + MediaHeader::kSize;
            const uint64_t dataLength = IsMedia(tag) ? static_cast<uint64_t>(info.Length) - MediaHeader::kSize : 0;
            switch (tag) {
                case RecordTag::Settings: {
                    uint8_t b[ShowSettings::kSize];
                    in.Read(body, b, sizeof b);
                    state.Settings = ShowSettings::Decode(b);
                    break;
                }
                case RecordTag::EffectFlags: {
                    uint8_t flags[kEffectFlagCount];
                    in.Read(body, flags, sizeof flags);
                    state.Styles.AddEnabled(flags);
                    if (StyleCheckFails(state.Settings, state.Styles) && actions.StyleCheckFailed)
                        actions.StyleCheckFailed();
                    break;
                }
                case RecordTag::Picture:
                    extract.Picture(data, static_cast<size_t>(dataLength), extract.Target(tag, *info.Media));
                    break;
                case RecordTag::Music: {
                    fs::path target = extract.Target(tag, *info.Media);
                    extract.Copy(data, dataLength, target);
                    state.MusicPlaylist.push_back(target);
                    if (info.Media->Index == 0 && actions.StartMusic0) actions.StartMusic0(target);
                    break;
                }
                case RecordTag::Flash: {
                    fs::path target = extract.Target(tag, *info.Media);
                    extract.Copy(data, dataLength, target);
                    if (info.Media->Index == 0 && actions.StartFlash0) actions.StartFlash0(target);
                    break;
                }
                case RecordTag::FramePicture:
                    extract.Copy(body, static_cast<uint64_t>(info.Length), extract.Target(tag, MediaHeader{}));
                    break;
                case RecordTag::End: break;
            }
        }
        offset = body + static_cast<uint64_t>(info.Length);
    }
}

}  // namespace kv
