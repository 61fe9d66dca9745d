// The framework's pieces under Wine: the error box's text, the registry store, the
// hidden button's Space click, the timer, and a whole transition in the player's window.
#include <gtest/gtest.h>

#include <chrono>

#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/Dialogs.h"
#include "framework/PlayerControl.h"
#include "framework/Registry.h"
#include "package/SettingsStore.h"

namespace kv {
namespace {

TEST(ErrorBox, AddsAFullStopAfterCharactersThatSortAfterIt) {
    const struct {
        const char* message;
        const char* shown;
    } cases[] = {
        {"Stream read error", "Stream read error."},
        {"Ends with a stop.", "Ends with a stop."},
        {"Ends with a comma,", "Ends with a comma,"},
        {"Ends with a bracket)", "Ends with a bracket)"},
        {"Ends in 7", "Ends in 7."},
        {"\xe6\x97\xa0\xe6\x95\x88\xe7\x9a\x84TagId", "\xe6\x97\xa0\xe6\x95\x88\xe7\x9a\x84TagId."},
        {"\xe6\x97\xa0\xe6\x95\x88", "\xe6\x97\xa0\xe6\x95\x88."},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorBoxText(c.message), c.shown) << c.message;
}

TEST(RegistryStore, RoundTripsBinaryValuesAndRefusesOtherTypes) {
    RegistrySettingsStore store;
    ASSERT_TRUE(store.OpenKey());
    const std::string name = "SaverConfig-framework-test.scr";
    const uint8_t bytes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    store.WriteBinary(name, bytes);
    auto value = store.Read(name);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->Type, StoredType::Binary);
    EXPECT_EQ(value->Data, Bytes(std::begin(bytes), std::end(bytes)));
    uint8_t buffer[33] = {};
    EXPECT_EQ(ReadBinaryValue(store, name, buffer), 10u);
    EXPECT_FALSE(store.Read("SaverConfig-no-such-value.scr"));

    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Quillonet", 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    const wchar_t text[] = L"not binary";
    RegSetValueExW(key, L"SaverConfig-framework-text.scr", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   sizeof(text));
    RegDeleteValueW(key, Widen(name).c_str());
    RegCloseKey(key);
    try {
        ReadBinaryValue(store, "SaverConfig-framework-text.scr", buffer);
        FAIL() << "a string value was read as settings";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'SaverConfig-framework-text.scr'");
    }
}

// A form that is never shown, holding the controls under test.
class Host : public TForm {
public:
    Host() {
        BorderStyle = TBorderStyle::bsNone;
        Width = 320;
        Height = 240;
    }
};

void PumpFor(std::chrono::milliseconds time, const std::function<bool()>& done = [] { return false; }) {
    const auto end = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < end && !done()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Application().ProcessMessages();
    }
}

TEST(Button, HiddenButtonOfNoSizeTurnsSentSpaceIntoOneClick) {
    Host form;
    TButton button(&form);
    button.Visible = false;
    int clicks = 0;
    button.OnClick = [&] { ++clicks; };
    form.Create();
    SendMessageW(button.Handle(), WM_KEYDOWN, VK_SPACE, 1);
    SendMessageW(button.Handle(), WM_KEYUP, VK_SPACE, 1);
    EXPECT_EQ(clicks, 1);
    SendMessageW(button.Handle(), WM_KEYUP, VK_SPACE, 1);  // no press before it
    SendMessageW(button.Handle(), WM_KEYDOWN, 'A', 1);
    SendMessageW(button.Handle(), WM_KEYUP, 'A', 1);
    EXPECT_EQ(clicks, 1);
}

TEST(Form, ClosesOnceWhateverFollows) {
    Host form;
    int closes = 0;
    form.OnClose = [&](TCloseAction&) { ++closes; };
    form.Create();
    HWND hwnd = form.Handle();
    ASSERT_TRUE(hwnd);
    form.Close();
    EXPECT_TRUE(form.Closed());
    EXPECT_FALSE(IsWindow(hwnd));
    form.Close();
    SendMessageW(hwnd, WM_CLOSE, 0, 0);  // a window that has gone
    EXPECT_EQ(closes, 1);
}

TEST(Form, CloseActionNoneKeepsTheWindow) {
    Host form;
    int closes = 0;
    form.OnClose = [&](TCloseAction& action) {
        if (++closes == 1) action = TCloseAction::caNone;
    };
    form.Create();
    SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form.Closed());
    EXPECT_TRUE(IsWindow(form.Handle()));
    SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(form.Closed());
    EXPECT_EQ(closes, 2);
}

TEST(Timer, TicksWhileEnabledAndStopsWhenDisabled) {
    TTimer timer;
    timer.Interval = 50;
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    timer.SetEnabled(true);
    PumpFor(std::chrono::milliseconds(2000), [&] { return ticks >= 3; });
    EXPECT_GE(ticks, 3);
    timer.SetEnabled(false);
    const int stopped = ticks;
    PumpFor(std::chrono::milliseconds(200));
    EXPECT_EQ(ticks, stopped);
}

TEST(PlayerControl, RunsAThreadedTransitionToTheEndInItsWindow) {
    Host form;
    form.Visible = true;
    TPlayerControl control(&form);
    control.SetBounds(0, 0, 200, 150);
    form.Create();
    form.Show();
    TTransitionPlayer& player = control.Player();
    player.SetAutoSize(false);
    player.SetStretch(true);
    Bitmap picture;
    picture.SetSize(40, 30);
    picture.Canvas();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) picture.SetPixel(x, y, 0xFF2050A0u);
    int completed = 0;
    player.OnComplete = [&](TCustomTransitionPlayer&) { ++completed; };
    player.SetStyle(1);
    player.SetDelay(5);
    player.SetPicture(std::move(picture));
    ASSERT_TRUE(player.Threaded());
    player.Execute();
    EXPECT_TRUE(player.Busy());
    PumpFor(std::chrono::seconds(20), [&] { return !player.Busy(); });
    EXPECT_FALSE(player.Busy());
    EXPECT_EQ(completed, 1);
    EXPECT_EQ(player.Progress(), 100);
    // The window's last paint showed the whole new picture.
    EXPECT_EQ(player.PaintBuffer().Pixel(100, 75) & 0xFFFFFF, 0x2050A0u);
}

}  // namespace
}  // namespace kv
