#include "framework/Registry.h"

#include "common/Error.h"

namespace kv {

RegistrySettingsStore::~RegistrySettingsStore() {
    if (key_) RegCloseKey(key_);
}

bool RegistrySettingsStore::OpenKey() {
    if (key_) return true;
    return RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quillonet", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                           &key_, nullptr) == ERROR_SUCCESS;
}

std::optional<StoredValue> RegistrySettingsStore::Read(const std::string& name) {
    if (!key_) throw Error("The settings key is not open");
    const std::wstring wname = Widen(name);
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExW(key_, wname.c_str(), nullptr, &type, nullptr, &size);
    if (rc == ERROR_FILE_NOT_FOUND) return std::nullopt;
    if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) throw Error(SystemErrorText(static_cast<DWORD>(rc)));
    StoredValue value;
    value.Data.resize(size);
    rc = RegQueryValueExW(key_, wname.c_str(), nullptr, &type, value.Data.data(), &size);
    if (rc != ERROR_SUCCESS) throw Error(SystemErrorText(static_cast<DWORD>(rc)));
    value.Data.resize(size);
    switch (type) {
        case REG_BINARY: value.Type = StoredType::Binary; break;
        case REG_SZ: value.Type = StoredType::String; break;
        case REG_EXPAND_SZ: value.Type = StoredType::ExpandString; break;
        case REG_DWORD: value.Type = StoredType::Dword; break;
        default: value.Type = StoredType::Other; break;
    }
    return value;
}

void RegistrySettingsStore::WriteBinary(const std::string& name, std::span<const uint8_t> data) {
    if (!key_) throw Error("The settings key is not open");
    const LONG rc = RegSetValueExW(key_, Widen(name).c_str(), 0, REG_BINARY, data.data(),
                                   static_cast<DWORD>(data.size()));
    if (rc != ERROR_SUCCESS) throw Error(SystemErrorText(static_cast<DWORD>(rc)));
}

}  // namespace kv
