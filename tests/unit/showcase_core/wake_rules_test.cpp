#include <gtest/gtest.h>

#include <set>

#include "showcase/core/ShowRules.h"

namespace {

constexpr uint32_t kKeyDown = 0x100, kKeyUp = 0x101, kChar = 0x102, kSysKeyDown = 0x104;
constexpr uint32_t kMouseMove = 0x200, kLeftDown = 0x201, kLeftUp = 0x202, kRightDown = 0x204, kRightUp = 0x205;
constexpr uint32_t kPaint = 0x0F;

const int32_t kModes[] = {-1, 0, 1, 2, 3, 4, 5, 6, 255};

}  // namespace

TEST(WakeRules, ButtonsAndKeysByQuitMode) {
    struct Case {
        const char* name;
        uint32_t msg;
        uint64_t wParam;
        bool resizingFlash;
        bool handled;
        std::set<int32_t> closes;
    };
    const Case cases[] = {
        {"right button", kRightDown, 0, false, true, {2, 4}},
        {"left button", kLeftDown, 0, false, false, {2, 4}},
        {"button ups", kLeftUp, 0, false, false, {}},
        {"right up", kRightUp, 0, false, false, {}},
        {"shift down", kKeyDown, 0x10, false, false, {3, 4}},
        {"space down", kKeyDown, 0x20, false, false, {3, 4}},
        {"space from the resize handler", kKeyDown, 0x20, true, false, {}},
        {"other key while resizing", kKeyDown, 0x41, true, false, {3, 4}},
        {"alt (a system key)", kSysKeyDown, 0x12, false, false, {}},
        {"key up", kKeyUp, 0x41, false, false, {}},
        {"character", kChar, 'a', false, false, {}},  // FormKeyPress's business
        {"paint", kPaint, 0, false, false, {}},
    };
    for (const Case& c : cases) {
        for (int32_t mode : kModes) {
            SCOPED_TRACE(testing::Message() << c.name << ", mode " << mode);
            kv::WakeState state;
            int cursorReads = 0;
            const kv::WakeVerdict v = kv::AppMessageRule(mode, state, c.msg, c.wParam, c.resizingFlash, [&] {
                ++cursorReads;
                return kv::Point{500, 500};
            });
            EXPECT_EQ(v.Handled, c.handled);
            EXPECT_EQ(v.Close, c.closes.count(mode) == 1);
            EXPECT_EQ(cursorReads, 0);
            EXPECT_EQ(state.MouseMoves, 0);
        }
    }
}

TEST(WakeRules, KeyPressClosesInKeyModes) {
    for (int32_t mode : kModes) EXPECT_EQ(kv::KeyPressCloses(mode), mode == 3 || mode == 4) << mode;
}

TEST(WakeRules, MouseWakesAfterTenMovesBeyondTwentyPixels) {
    struct Case {
        int32_t mode;
        kv::Point cursor;
        int firstClosingMove;  // 0: no move closes
    };
    const Case cases[] = {
        {1, {25, 3}, 11},
        {4, {3, 25}, 11},
        {1, {21, 0}, 11},
        {1, {20, 20}, 0},
        {1, {15, 15}, 0},
        {1, {-500, -500}, 0},
        {4, {15, 15}, 0},
        {0, {900, 900}, 0},
        {2, {900, 900}, 0},
        {3, {900, 900}, 0},
        {5, {900, 900}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " at " << c.cursor.X << "," << c.cursor.Y);
        kv::WakeState state;
        int cursorReads = 0, firstClose = 0;
        for (int move = 1; move <= 40; ++move) {
            const kv::WakeVerdict v = kv::AppMessageRule(c.mode, state, kMouseMove, 0, false, [&] {
                ++cursorReads;
                return c.cursor;
            });
            EXPECT_FALSE(v.Handled);
            if (v.Close && firstClose == 0) firstClose = move;
        }
        EXPECT_EQ(firstClose, c.firstClosingMove);
        EXPECT_EQ(cursorReads, 40);  // the cursor is read on every move, in every mode
        EXPECT_EQ(state.MouseMoves, c.mode == 1 || c.mode == 4 ? 40 : 0);
    }

    // The cursor's position at the eleventh move counts, not where it was before.
    kv::WakeState state;
    kv::Point at{0, 0};
    auto cursor = [&] { return at; };
    for (int move = 1; move <= 11; ++move) EXPECT_FALSE(kv::AppMessageRule(1, state, kMouseMove, 0, false, cursor).Close);
    at = {30, 0};
    EXPECT_TRUE(kv::AppMessageRule(1, state, kMouseMove, 0, false, cursor).Close);

    // Other messages do not count as moves.
    kv::WakeState clicks;
    for (int i = 0; i < 20; ++i) kv::AppMessageRule(1, clicks, kLeftDown, 0, false, cursor);
    EXPECT_EQ(clicks.MouseMoves, 0);
}
