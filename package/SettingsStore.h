#pragma once
// The user's stored settings: one key (HKEY_CURRENT_USER\Software\Quillonet on Windows)
// holding one binary value per screensaver file. SettingsStore is the small interface
// the windows use; the registry implements it on Windows, MemorySettingsStore in tests.
// The rules that do not depend on where the values live are here, shared by both.
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/Files.h"
#include "package/ShowSettings.h"

namespace kv {

enum class StoredType { Binary, String, ExpandString, Dword, Other };

struct StoredValue {
    StoredType Type = StoredType::Binary;
    Bytes Data;
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // Opens the key, creating it when it does not exist; false when that is not possible.
    virtual bool OpenKey() = 0;
    // The value of that name in the open key, or nothing when there is none.
    virtual std::optional<StoredValue> Read(const std::string& name) = 0;
    // Creates or replaces a binary value in the open key.
    virtual void WriteBinary(const std::string& name, std::span<const uint8_t> data) = 0;
};

// Values held in memory. Names compare without regard to ASCII case, as registry value
// names do. Reading or writing before a successful OpenKey() is a caller's fault and
// throws kv::Error, so tests catch a window that forgets to open the key.
class MemorySettingsStore : public SettingsStore {
public:
    // false: OpenKey() fails, as for a key that cannot be opened or created.
    void SetKeyOpenable(bool openable) { openable_ = openable; }
    // Stores a value of any type directly (the way another program could have left it).
    void Put(const std::string& name, StoredValue value);
    // The stored value, without opening the key (for checking what was written).
    std::optional<StoredValue> Get(const std::string& name) const;
    bool KeyOpen() const { return open_; }

    bool OpenKey() override;
    std::optional<StoredValue> Read(const std::string& name) override;
    void WriteBinary(const std::string& name, std::span<const uint8_t> data) override;

private:
    struct NameLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    std::map<std::string, StoredValue, NameLess> values_;
    bool openable_ = true;
    bool open_ = false;
};

// "SaverConfig-" + the program's file name (name and extension; any folder part of the
// argument is dropped).
std::string SettingsValueName(std::string_view programFileName);

// Reads a binary value into buffer and returns the number of bytes read; a missing
// value reads 0 bytes. A string, expandable string or 32-bit number, or a value longer
// than the buffer, throws kv::Error "Invalid data type for '<name>'". Values of other
// types are read like binary ones.
size_t ReadBinaryValue(SettingsStore& store, const std::string& name, std::span<uint8_t> buffer);

// Lays the user's stored copy over the package's settings, as the show does at start:
// when the key opens and the value of this program holds at least one byte, UseFrame,
// QuitMode, IntervalSeconds, DesignWidth and DesignHeight are taken from a zero-filled
// 33-byte buffer holding the value (so a short value gives zeros for the missing bytes).
// The other fields of the stored value are never taken.
void OverlayUserSettings(ShowSettings& settings, SettingsStore& store, std::string_view programFileName);

}  // namespace kv
