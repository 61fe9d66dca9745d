#include "common/Files.h"

#include <atomic>
#include <chrono>
#include <cstring>

#include "common/Error.h"

#ifdef _WIN32
#include <wchar.h>
#endif

namespace kv {

std::filesystem::path PathFromUtf8(std::string_view utf8) {
    std::u8string s(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size());
    return std::filesystem::path(s);
}

std::string PathToUtf8(const std::filesystem::path& path) {
    std::u8string s = path.u8string();
    return std::string(reinterpret_cast<const char*>(s.data()), s.size());
}

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
#ifdef _WIN32
    std::wstring wmode(mode, mode + std::strlen(mode));
    return _wfopen(path.c_str(), wmode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

Bytes ReadFileBytes(const std::filesystem::path& path) {
    std::FILE* f = OpenFile(path, "rb");
    if (!f) throw Error(Format("Cannot open file %s", PathToUtf8(path).c_str()));
    Bytes data;
    uint8_t buffer[1 << 16];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) data.insert(data.end(), buffer, buffer + n);
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) throw Error("Stream read error");
    return data;
}

void WriteFileBytes(const std::filesystem::path& path, std::span<const uint8_t> data) {
    std::FILE* f = OpenFile(path, "wb");
    if (!f) throw Error(Format("Cannot create file %s", PathToUtf8(path).c_str()));
    bool ok = data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) throw Error("Stream write error");
}

AtomicFileWriter::AtomicFileWriter(const std::filesystem::path& destination) : destination_(destination) {
    static std::atomic<unsigned> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path name = destination.filename();
    name += PathFromUtf8(Format(".%llx-%u.part", static_cast<unsigned long long>(stamp), counter++));
    temporary_ = destination.parent_path() / name;
    file_ = OpenFile(temporary_, "wb");
    if (!file_) throw Error(Format("Cannot create file %s", PathToUtf8(destination).c_str()));
}

AtomicFileWriter::~AtomicFileWriter() {
    if (file_) std::fclose(file_);
    if (!committed_) {
        std::error_code ec;
        std::filesystem::remove(temporary_, ec);
    }
}

void AtomicFileWriter::Write(const void* data, size_t size) {
    if (size == 0) return;
    if (std::fwrite(data, 1, size, file_) != size)
        throw Error(Format("Cannot write file %s", PathToUtf8(destination_).c_str()));
    size_ += size;
}

void AtomicFileWriter::Commit() {
    int rc = std::fclose(file_);
    file_ = nullptr;
    if (rc != 0) throw Error(Format("Cannot write file %s", PathToUtf8(destination_).c_str()));
    std::error_code ec;
    std::filesystem::rename(temporary_, destination_, ec);
    if (ec) throw Error(Format("Cannot create file %s", PathToUtf8(destination_).c_str()));
    committed_ = true;
}

}  // namespace kv
