#include "package/SettingsStore.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "common/Error.h"

namespace kv {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool MemorySettingsStore::NameLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return LowerAscii(x) < LowerAscii(y); });
}

void MemorySettingsStore::Put(const std::string& name, StoredValue value) { values_[name] = std::move(value); }

std::optional<StoredValue> MemorySettingsStore::Get(const std::string& name) const {
    auto it = values_.find(name);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

bool MemorySettingsStore::OpenKey() {
    open_ = openable_;
    return open_;
}

std::optional<StoredValue> MemorySettingsStore::Read(const std::string& name) {
    if (!open_) throw Error("The settings key is not open");
    return Get(name);
}

void MemorySettingsStore::WriteBinary(const std::string& name, std::span<const uint8_t> data) {
    if (!open_) throw Error("The settings key is not open");
    values_[name] = StoredValue{StoredType::Binary, Bytes(data.begin(), data.end())};
}

std::string SettingsValueName(std::string_view programFileName) {
    size_t slash = programFileName.find_last_of("/\\");
    if (slash != std::string_view::npos) programFileName.remove_prefix(slash + 1);
    return "SaverConfig-" + std::string(programFileName);
}

size_t ReadBinaryValue(SettingsStore& store, const std::string& name, std::span<uint8_t> buffer) {
    std::optional<StoredValue> value = store.Read(name);
    if (!value) return 0;
    bool readable = value->Type == StoredType::Binary || value->Type == StoredType::Other;
    if (!readable || value->Data.size() > buffer.size())
        throw Error(Format("Invalid data type for '%s'", name.c_str()));
    if (!value->Data.empty()) std::memcpy(buffer.data(), value->Data.data(), value->Data.size());
    return value->Data.size();
}

void OverlayUserSettings(ShowSettings& settings, SettingsStore& store, std::string_view programFileName) {
    if (!store.OpenKey()) return;
    std::array<uint8_t, ShowSettings::kSize> buffer{};
    if (ReadBinaryValue(store, SettingsValueName(programFileName), buffer) == 0) return;
    const ShowSettings stored = ShowSettings::Decode(buffer);
    settings.UseFrame = stored.UseFrame;
    settings.QuitMode = stored.QuitMode;
    settings.IntervalSeconds = stored.IntervalSeconds;
    settings.DesignWidth = stored.DesignWidth;
    settings.DesignHeight = stored.DesignHeight;
}

}  // namespace kv
