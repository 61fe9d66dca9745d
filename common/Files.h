#pragma once
// File helpers shared by the programs and tools. Names cross this interface as UTF-8;
// on Windows they reach the system through the wide functions, so any Unicode
// character works in a file name.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

using Bytes = std::vector<uint8_t>;

std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const std::filesystem::path& path);

// Whole-file read. Throws kv::Error "Cannot open file %s" or "Stream read error".
Bytes ReadFileBytes(const std::filesystem::path& path);

// Creates or overwrites a file with exactly these bytes.
// Throws kv::Error "Cannot create file %s" (the full name) or "Stream write error".
void WriteFileBytes(const std::filesystem::path& path, std::span<const uint8_t> data);

// Writes a file under a temporary name in the destination folder and renames it into
// place on Commit(); a writer destroyed without Commit() removes the temporary file,
// so a failed run never leaves a partial output behind.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::filesystem::path& destination);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void Write(const void* data, size_t size);
    void Write(std::span<const uint8_t> data) { Write(data.data(), data.size()); }
    uint64_t Size() const { return size_; }
    void Commit();

private:
    std::filesystem::path destination_;
    std::filesystem::path temporary_;
    std::FILE* file_ = nullptr;
    uint64_t size_ = 0;
    bool committed_ = false;
};

// fopen for a path on every platform (wide names on Windows).
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

}  // namespace kv
