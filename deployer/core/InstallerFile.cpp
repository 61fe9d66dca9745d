#include "deployer/core/InstallerFile.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>

#include "common/Error.h"
#include "package/LittleEndian.h"

namespace kv {
namespace {

constexpr size_t kHeadBytes = 64 * 1024;  // enough for any section table

uint32_t Load32(std::span<const uint8_t> b, size_t at) { return static_cast<uint32_t>(LoadInt32LE(b.data() + at)); }
uint16_t Load16(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool SeekTo(std::FILE* f, uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(f, static_cast<long long>(offset), SEEK_SET) == 0;
#else
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

}  // namespace

std::optional<uint64_t> ProgramImageEnd(std::span<const uint8_t> head) {
    if (head.size() < 0x40 || head[0] != 'M' || head[1] != 'Z') return std::nullopt;
    const uint64_t pe = Load32(head, 0x3C);
    if (pe + 24 > head.size() || head[pe] != 'P' || head[pe + 1] != 'E' || head[pe + 2] || head[pe + 3])
        return std::nullopt;
    const uint16_t sections = Load16(head, pe + 6);
    const uint16_t optionalSize = Load16(head, pe + 20);
    const uint64_t table = pe + 24 + optionalSize;
    if (table + uint64_t{sections} * 40 > head.size()) return std::nullopt;
    uint64_t end = 0;
    for (uint16_t i = 0; i < sections; ++i) {
        const uint64_t row = table + uint64_t{i} * 40;
        const uint32_t rawSize = Load32(head, row + 16);
        const uint32_t rawPointer = Load32(head, row + 20);
        if (rawSize != 0) end = std::max(end, uint64_t{rawPointer} + rawSize);
    }
    return end;
}

PayloadLocation LocatePayload(uint64_t fileSize, int32_t count, std::optional<uint64_t> imageEnd,
                              const std::string& fileName) {
    const uint64_t room = fileSize < kPayloadCountSize ? 0 : fileSize - kPayloadCountSize;
    const bool fits = fileSize >= kPayloadCountSize && count > 0 && static_cast<uint64_t>(count) <= room &&
                      (!imageEnd || room - static_cast<uint64_t>(count) >= *imageEnd);
    if (!fits) throw Error(Format(kNoPayloadMessage, fileName.c_str()));
    return {room - static_cast<uint64_t>(count), static_cast<uint64_t>(count)};
}

PayloadLocation ReadPayloadLocation(const std::filesystem::path& installer) {
    const std::string name = PathToUtf8(installer);
    FilePtr f(OpenFile(installer, "rb"));
    if (!f) throw Error(Format("Cannot open file %s", name.c_str()));
    Bytes head(kHeadBytes);
    head.resize(std::fread(head.data(), 1, head.size(), f.get()));
    std::error_code ec;
    const uint64_t size = std::filesystem::file_size(installer, ec);
    if (ec) throw Error("Stream read error");
    int32_t count = 0;
    if (size >= kPayloadCountSize) {
        uint8_t tail[4];
        if (!SeekTo(f.get(), size - kPayloadCountSize) || std::fread(tail, 1, 4, f.get()) != 4)
            throw Error("Stream read error");
        count = LoadInt32LE(tail);
    }
    return LocatePayload(size, count, ProgramImageEnd(head), name);
}

Bytes ReadPayload(const std::filesystem::path& installer) {
    const PayloadLocation at = ReadPayloadLocation(installer);
    FilePtr f(OpenFile(installer, "rb"));
    if (!f) throw Error(Format("Cannot open file %s", PathToUtf8(installer).c_str()));
    Bytes payload(static_cast<size_t>(at.Length));
    if (!SeekTo(f.get(), at.Offset) || std::fread(payload.data(), 1, payload.size(), f.get()) != payload.size())
        throw Error("Stream read error");
    return payload;
}

void WriteInstallerFile(const std::filesystem::path& out, std::span<const uint8_t> program,
                        std::span<const uint8_t> payload) {
    if (payload.empty()) throw Error("the screensaver file is empty");
    if (payload.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw Error("the screensaver file is larger than an installer can carry (2 GB)");
    uint8_t count[4];
    StoreInt32LE(count, static_cast<int32_t>(payload.size()));
    AtomicFileWriter file(out);
    file.Write(program);
    file.Write(payload);
    file.Write(count, sizeof count);
    file.Commit();
}

}  // namespace kv
