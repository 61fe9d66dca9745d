#pragma once
// The package at the end of a screensaver file, and the walk that the show, preview
// and configuration windows run over it while they are created.
//
//   [program file][record][record]...[end record][trailer: "KVQ1", int32 L]
//
// A record is a tag byte, a 32-bit body length N and N body bytes; L is the length of
// all records together, so the first record starts at file size - L - 8. Picture,
// music and Flash bodies begin with an 11-byte MediaHeader. Integers are little-endian.
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "package/ShowSettings.h"
#include "package/StyleList.h"

namespace kv {

enum class RecordTag : uint8_t { Settings = 0, Picture = 1, Music = 2, Flash = 3, EffectFlags = 4, FramePicture = 5, End = 6 };

// The message of a record whose tag is above 6.
inline constexpr const char kInvalidTagMessage[] = "无效的TagId";

struct PackageTrailer {
    static constexpr size_t kSize = 8;
    std::array<char, 4> Magic{};
    int32_t Length = 0;  // L, the length of all records
    // Only "KVQ" is checked; the fourth character is "1" as written, but not required.
    bool MagicMatches() const;
};

struct MediaHeader {
    static constexpr size_t kSize = 11;
    static constexpr int kMaxExtension = 9;
    uint8_t Index = 0;
    uint8_t ExtensionLength = 0;
    std::array<char, 9> ExtensionChars{};  // only the first ExtensionLength count
    // The first ExtensionLength characters (at most 9), with their leading dot.
    std::string Extension() const;
};

struct RecordInfo {
    uint64_t Offset = 0;  // file offset of the tag byte
    uint8_t Tag = 0;
    int32_t Length = 0;   // N, the body length
    std::optional<MediaHeader> Media;  // for picture, music and Flash records whose header was read
};

// Which records a window takes; the others are passed over by their length without
// reading their bodies. The end record always ends the walk.
struct ReadPolicy {
    bool Settings = false;
    bool Pictures = false;
    bool Music = false;
    bool Flash = false;
    bool EffectFlags = false;
    bool FramePicture = false;
    bool Takes(RecordTag tag) const;
};

inline constexpr ReadPolicy kShowWindowPolicy{true, true, true, true, true, true};
inline constexpr ReadPolicy kPreviewPolicy{true, true, false, true, true, false};
inline constexpr ReadPolicy kConfigPolicy{true, false, false, false, true, false};

// What a window plugs into the walk. Every handler is optional.
struct PackageActions {
    // Right after music index 0 is written and appended to the playlist.
    std::function<void(const std::filesystem::path&)> StartMusic0;
    // Right after Flash index 0 is written.
    std::function<void(const std::filesystem::path&)> StartFlash0;
    // A picture show has no usable style after an effect-flags record. The window shows
    // its message and ends the program; when the handler returns, the walk goes on.
    std::function<void()> StyleCheckFailed;
    // Every valid record head, before the record is acted on (with its MediaHeader when
    // the record is a media record that is taken).
    std::function<void(const RecordInfo&)> OnRecord;
};

// What the walk leaves behind. The walk adds to it: pass a fresh state.
struct PackageState {
    ShowSettings Settings;
    StyleList Styles;
    std::vector<std::filesystem::path> MusicPlaylist;
};

// Walks the package at the end of programFile, writing the media it takes into
// tempFolder under their fixed names. Returns false when the trailer's magic does not
// match (nothing else is then done), true when the walk ended at the end record.
// Errors are kv::Error and leave the walk at the failing record, with every record
// before it acted on:
//   "无效的TagId"            a tag above 6 (also a package without an end record)
//   "Stream read error"      a record running past the package (into the trailer), or
//                            a package longer than the file
//   "JPEG error #%d"         a picture whose JPEG header does not parse
//   "Cannot create file %s"  an output file that cannot be created (full name)
//   "Invalid length ..."     a record too short for its kind, or a negative length
//   "Invalid file extension ..."  an extension that is no plain file name extension
// A record that fails a check writes nothing; the walk only ever moves forwards.
bool ReadSaverPackage(const std::filesystem::path& programFile, const std::filesystem::path& tempFolder,
                      const ReadPolicy& policy, const PackageActions& actions, PackageState& state);

// The last 8 bytes of the file; a file shorter than that gives a trailer whose magic
// does not match. Throws kv::Error "Cannot open file %s".
PackageTrailer ReadTrailer(const std::filesystem::path& file);

// Every record up to and including the end record, each media record with its header,
// with the checks of ReadSaverPackage but nothing written and no body read. Nothing
// when the trailer's magic does not match.
std::optional<std::vector<RecordInfo>> ListRecords(const std::filesystem::path& file);

// The smallest body of each kind: 33 settings, 11 media, 123 effect flags, 0 otherwise.
int32_t MinimumBodyLength(RecordTag tag);

// Throws kv::Error unless extension is a plain file name extension: at most 9 printable
// ASCII characters, none of < > : " / \ | ? *, and no "..". Such an extension, appended
// to "kvclip" + n, always names a file inside the temporary folder.
void CheckMediaExtension(std::string_view extension);

// The file a record is extracted to: "kvpic" + n + ".jpg", "kvclip" + n + extension,
// "nofile.swf" (Flash index 255) or "Frame.jpg". Other tags have no file.
std::string ExtractedFileName(RecordTag tag, uint8_t index, std::string_view extension);

}  // namespace kv
