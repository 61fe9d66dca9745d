#pragma once
// The user's stored settings in the registry: HKEY_CURRENT_USER\Software\Quillonet.
#include "framework/Win.h"
#include "package/SettingsStore.h"

namespace kv {

class RegistrySettingsStore : public SettingsStore {
public:
    RegistrySettingsStore() = default;
    ~RegistrySettingsStore() override;
    RegistrySettingsStore(const RegistrySettingsStore&) = delete;
    RegistrySettingsStore& operator=(const RegistrySettingsStore&) = delete;

    bool OpenKey() override;
    std::optional<StoredValue> Read(const std::string& name) override;
    // Raises kv::Error with the system's text when the value cannot be written.
    void WriteBinary(const std::string& name, std::span<const uint8_t> data) override;

private:
    HKEY key_ = nullptr;
};

}  // namespace kv
