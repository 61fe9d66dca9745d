#pragma once
// The configuration dialog's rules without its window: what each control shows after
// start-up (from the package's settings and the user's stored copy), which messages the
// start-up shows and whether it ends the program, the track bar's resolutions, and the
// 33 bytes that Save writes. TSaverConfigForm applies these to its controls.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "package/SettingsStore.h"
#include "package/ShowSettings.h"

namespace kv {

struct Resolution {
    int32_t Width = 0;
    int32_t Height = 0;
};

// The selectable design resolutions; the row number is the track bar position.
inline constexpr std::array<Resolution, 8> ResolutionTable{{
    {800, 600}, {1024, 768}, {1152, 864}, {1280, 720}, {1280, 768}, {1280, 960}, {1280, 1024}, {1600, 1200},
}};
inline constexpr int kDefaultResolutionPosition = 1;

// "1024 x 768 Pixels" for a row; a position outside the table is taken as the nearest row.
std::string ResolutionLabel(int position);
const Resolution& ResolutionAt(int position);
// The first row whose width equals width (the height is not compared), or -1.
int FirstResolutionWithWidth(int32_t width);

// The radio items of the wake-up condition; QuitMode is the item index + 1.
inline constexpr std::array<const char*, 5> QuitModeCaptions{
    "Mouse move", "Mouse click", "Key press", "Either one of the three", "None (Alt + F4)",
};
// The item shown for a QuitMode: 1..5 their own item, 0 and below "Mouse move", and
// above 5 (a damaged value) "None (Alt + F4)", which is how the show treats such a value.
int QuitModeItem(int32_t quitMode);

// The interval as typed: optional blanks, an optional sign and decimal digits that fit a
// 32-bit signed integer (negative numbers are taken as typed). Any other text keeps
// current, the interval the dialog showed, rather than storing a made-up value.
int32_t ParseIntervalText(std::string_view text, int32_t current);

// What the controls hold: the design values until the start-up sets them.
struct ConfigControls {
    int QuitItem = 0;
    int32_t Interval = 8;
    bool UseFrame = false;
    int TrackPosition = kDefaultResolutionPosition;
};

// The texts the start-up shows.
inline constexpr const char kConfigInitError[] = "Initialize screen saver error. Try to create it over again please.";
inline constexpr const char kEffectDataError[] = "Load effect data error, please recreate this screensaver and try again!";

struct ConfigMessage {
    enum class Box { Message, Error };  // a plain message box, or the standard error box
    Box Kind = Box::Message;
    std::string Text;
    bool operator==(const ConfigMessage&) const = default;
};

struct ConfigStartup {
    ConfigControls Controls;
    std::vector<ConfigMessage> Messages;  // in the order they are shown
    // The start-up ended the program: the dialog closes at once and nothing is written.
    bool EndProgram = false;
};

// Runs the dialog's start-up over settings (the process-wide record): the package walk
// (settings and effect flags only, nothing extracted), the stored copy (QuitMode,
// IntervalSeconds and UseFrame taken; the first resolution row matching the stored
// width chosen, which also sets the design size), then the controls. An error in the
// walk or the stored value is shown as an error box and skips the rest of the start-up,
// leaving the controls with their design values and the settings as read so far.
ConfigStartup RunConfigStartup(const std::filesystem::path& programFile, SettingsStore& store,
                               std::string_view programFileName, ShowSettings& settings);

// The track bar moved to position: the design size becomes that row.
void ApplyTrackPosition(ShowSettings& settings, int position);

// Save: sets the five user fields from the controls (interval as typed) and returns the
// whole record as it is written.
std::array<uint8_t, ShowSettings::kSize> ApplyDialogInput(ShowSettings& settings, int quitItem,
                                                          std::string_view intervalText, bool useFrame,
                                                          int trackPosition);

// Save's write: all 33 bytes as the binary value of this program. Returns false, writing
// nothing, when the key cannot be opened.
bool WriteStoredSettings(SettingsStore& store, std::string_view programFileName, const ShowSettings& settings);

}  // namespace kv
