#include "showcase/core/ConfigRules.h"

#include <algorithm>
#include <limits>

#include "common/Error.h"
#include "package/SaverPackage.h"

namespace kv {

const Resolution& ResolutionAt(int position) {
    position = std::clamp(position, 0, static_cast<int>(ResolutionTable.size()) - 1);
    return ResolutionTable[static_cast<size_t>(position)];
}

std::string ResolutionLabel(int position) {
    const Resolution& r = ResolutionAt(position);
    return std::to_string(r.Width) + " x " + std::to_string(r.Height) + " Pixels";
}

int FirstResolutionWithWidth(int32_t width) {
    for (size_t i = 0; i < ResolutionTable.size(); ++i)
        if (ResolutionTable[i].Width == width) return static_cast<int>(i);
    return -1;
}

int QuitModeItem(int32_t quitMode) {
    if (quitMode < 1) return 0;
    if (quitMode > static_cast<int32_t>(QuitModeCaptions.size())) return static_cast<int>(QuitModeCaptions.size()) - 1;
    return quitMode - 1;
}

int32_t ParseIntervalText(std::string_view text, int32_t current) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == text.size()) return current;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return current;
        value = value * 10 + (text[i] - '0');
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) return current;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) return current;
    return static_cast<int32_t>(value);
}

void ApplyTrackPosition(ShowSettings& settings, int position) {
    const Resolution& r = ResolutionAt(position);
    settings.DesignWidth = r.Width;
    settings.DesignHeight = r.Height;
}

ConfigStartup RunConfigStartup(const std::filesystem::path& programFile, SettingsStore& store,
                               std::string_view programFileName, ShowSettings& settings) {
    ConfigStartup result;
    auto errorBox = [&](const std::exception& e) {
        result.Messages.push_back({ConfigMessage::Box::Error, e.what()});
    };

    // The package: settings and effect flags only. The walk goes on after a failed style
    // check; the program ends once the start-up is through.
    PackageActions actions;
    actions.StyleCheckFailed = [&]() {
        result.Messages.push_back({ConfigMessage::Box::Message, kEffectDataError});
        result.EndProgram = true;
    };
    PackageState state;
    bool found = false;
    try {
        found = ReadSaverPackage(programFile, {}, kConfigPolicy, actions, state);
    } catch (const std::exception& e) {
        // Records before the failing one have been taken.
        settings = state.Settings;
        errorBox(e);
        return result;
    }
    if (!found) {
        result.Messages.push_back({ConfigMessage::Box::Message, kConfigInitError});
        result.EndProgram = true;
        return result;
    }
    settings = state.Settings;

    // The stored copy.
    ConfigControls controls;
    if (store.OpenKey()) {
        std::array<uint8_t, ShowSettings::kSize> buffer{};
        size_t read = 0;
        try {
            read = ReadBinaryValue(store, SettingsValueName(programFileName), buffer);
        } catch (const std::exception& e) {
            errorBox(e);
            return result;
        }
        const ShowSettings stored = ShowSettings::Decode(buffer);
        if (read > 0) {
            settings.QuitMode = stored.QuitMode;
            settings.IntervalSeconds = stored.IntervalSeconds;
            settings.UseFrame = stored.UseFrame;
        }
        if (int row = FirstResolutionWithWidth(stored.DesignWidth); row >= 0) {
            controls.TrackPosition = row;
            ApplyTrackPosition(settings, row);
        }
    }

    controls.QuitItem = QuitModeItem(settings.QuitMode);
    controls.Interval = settings.IntervalSeconds;
    controls.UseFrame = settings.UseFrame != 0;
    result.Controls = controls;
    return result;
}

std::array<uint8_t, ShowSettings::kSize> ApplyDialogInput(ShowSettings& settings, int quitItem,
                                                          std::string_view intervalText, bool useFrame,
                                                          int trackPosition) {
    quitItem = std::clamp(quitItem, 0, static_cast<int>(QuitModeCaptions.size()) - 1);
    settings.QuitMode = quitItem + 1;
    settings.IntervalSeconds = ParseIntervalText(intervalText, settings.IntervalSeconds);
    settings.UseFrame = useFrame ? 1 : 0;
    ApplyTrackPosition(settings, trackPosition);
    return settings.Encode();
}

bool WriteStoredSettings(SettingsStore& store, std::string_view programFileName, const ShowSettings& settings) {
    if (!store.OpenKey()) return false;
    const auto bytes = settings.Encode();
    store.WriteBinary(SettingsValueName(programFileName), bytes);
    return true;
}

}  // namespace kv
