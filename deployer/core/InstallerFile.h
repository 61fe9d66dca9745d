#pragma once
// The installer file: the installer program, then the screensaver file it carries (the
// payload), then the payload's length N as a signed 32-bit little-endian count.
//
//   [installer program: S bytes][payload: N bytes][N: 4 bytes]
//
// The payload is found from the end of the file alone. The program part ends where the
// raw data of its last section ends (possibly followed by a symbol table); a payload
// never starts inside the program's sections, which is how a bare installer program
// (one that carries nothing) is told from a real installer.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "common/Files.h"

namespace kv {

inline constexpr uint64_t kPayloadCountSize = 4;

struct PayloadLocation {
    uint64_t Offset = 0;  // where the payload starts in the installer file
    uint64_t Length = 0;  // N
};

// The end of the raw data of a Windows program's sections, read from the start of its
// file (the DOS header, PE headers and section table must lie within `head`). Nothing
// when `head` does not hold a readable PE header.
std::optional<uint64_t> ProgramImageEnd(std::span<const uint8_t> head);

// What the user reads when an installer file carries no screensaver (%s: its path).
inline constexpr char kNoPayloadMessage[] = "This installer carries no screensaver: %s holds none at its end.";

// Checks the count read from the file's last 4 bytes and returns where the payload
// lies. Throws kv::Error kNoPayloadMessage when the file carries no payload: a file
// shorter than the count, or a count of 0, a negative one, one that reaches before the
// start of the file or into the program's sections.
PayloadLocation LocatePayload(uint64_t fileSize, int32_t count, std::optional<uint64_t> imageEnd,
                              const std::string& fileName);

// Opens an installer file and locates its payload (LocatePayload's errors, and
// "Cannot open file %s" / "Stream read error").
PayloadLocation ReadPayloadLocation(const std::filesystem::path& installer);

// The payload's bytes (for inspecting an installer).
Bytes ReadPayload(const std::filesystem::path& installer);

// Writes an installer file: the installer program, the payload and its count, all or
// nothing. Throws kv::Error when the payload is empty or longer than a count can say.
void WriteInstallerFile(const std::filesystem::path& out, std::span<const uint8_t> program,
                        std::span<const uint8_t> payload);

}  // namespace kv
