#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <string>
#include <vector>

#include "TempDir.h"
#include "common/Error.h"
#include "common/Files.h"
#include "framework/FlashControl.h"

using kv::Bytes;
using Clock = std::chrono::steady_clock;

namespace {

// Serves this thread's messages for ms milliseconds.
void Pump(int ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (auto now = Clock::now(); now < end; now = Clock::now()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// A movie of no frame size at the rate (8.8 fixed) with the frame count; with a
// background colour tag (0xRRGGBB) when one is given.
Bytes Movie(const char* signature, uint16_t rate, uint16_t frames, std::optional<uint32_t> background = {}) {
    Bytes body{0x00, static_cast<uint8_t>(rate), static_cast<uint8_t>(rate >> 8), static_cast<uint8_t>(frames),
               static_cast<uint8_t>(frames >> 8)};
    if (background) {
        const uint32_t c = *background;
        body.insert(body.end(), {0x43, 0x02, static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                                 static_cast<uint8_t>(c)});
    }
    body.insert(body.end(), {0x40, 0x00, 0x00, 0x00});  // show frame, end
    Bytes out(signature, signature + 3);
    const uint32_t length = static_cast<uint32_t>(8 + body.size());
    out.insert(out.end(), {10, static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8), 0, 0});
    if (signature[0] == 'C') {
        uLongf size = compressBound(static_cast<uLong>(body.size()));
        Bytes packed(size);
        EXPECT_EQ(compress(packed.data(), &size, body.data(), static_cast<uLong>(body.size())), Z_OK);
        out.insert(out.end(), packed.begin(), packed.begin() + static_cast<long>(size));
    } else {
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}

class FlashTest : public ::testing::Test {
protected:
    // One visible top-level window for all the tests (taking a top-level window down
    // is slow under Wine); each test gets a fresh child of it as the control's parent.
    static void SetUpTestSuite() {
        stage = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 160, 120, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    static void TearDownTestSuite() {
        if (stage) DestroyWindow(stage);
        stage = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(stage, nullptr);
        parent = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 160, 120, stage, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(parent, nullptr);
    }
    void TearDown() override {
        if (parent) DestroyWindow(parent);
    }
    std::wstring Write(const Bytes& bytes, const char* name) {
        auto path = dir.path() / name;
        kv::WriteFileBytes(path, bytes);
        return path.wstring();
    }
    // The colour at the middle of the control, as painted.
    COLORREF Painted(kv::FlashControl& flash) {
        Pump(50);
        UpdateWindow(flash.Handle());
        HDC dc = GetDC(flash.Handle());
        const COLORREF c = GetPixel(dc, 80, 60);
        ReleaseDC(flash.Handle(), dc);
        return c;
    }

    inline static HWND stage = nullptr;
    kv::test::TempDir dir;
    HWND parent = nullptr;
};

TEST_F(FlashTest, PlaysAtTheMovieFrameRateAndStopsOnTheLastFrame) {
    struct Case {
        const char* signature;
        uint16_t rate;    // 8.8 fixed
        double fps;       // what the player plays at
        uint16_t frames;
        int checkAfterMs;
    };
    const Case cases[] = {
        {"FWS", 20 << 8, 20, 20, 600},
        {"CWS", 40 << 8, 40, 30, 400},
        {"FWS", 0, 12, 10, 500},  // no rate in the movie: 12 frames a second
    };
    auto flash = kv::CreateBuiltInFlashControl(parent, true);
    EXPECT_TRUE(flash->BuiltIn());
    EXPECT_EQ(flash->TotalFrames(), 0);
    EXPECT_EQ(flash->CurrentFrame(), 0);
    flash->Play();  // no movie: nothing to play
    EXPECT_EQ(flash->CurrentFrame(), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.signature) + " at " + std::to_string(c.fps) + " fps");
        flash->SetMovie(Write(Movie(c.signature, c.rate, c.frames), "clip.swf"));
        EXPECT_EQ(flash->TotalFrames(), c.frames);
        Pump(200);
        EXPECT_EQ(flash->CurrentFrame(), 0) << "moved before Play";

        const auto beforePlay = Clock::now();
        flash->Play();
        const auto afterPlay = Clock::now();
        Pump(c.checkAfterMs);
        const auto beforeRead = Clock::now();
        const int32_t frame = flash->CurrentFrame();
        const auto afterRead = Clock::now();
        EXPECT_GE(frame, static_cast<int32_t>(c.fps * Seconds(beforeRead - afterPlay)) - 1);
        EXPECT_LE(frame, static_cast<int32_t>(c.fps * Seconds(afterRead - beforePlay)) + 1);
        EXPECT_GT(frame, 0);

        // To the end and beyond: it stays on the last frame, also after another Play.
        Pump(static_cast<int>(1000.0 * c.frames / c.fps) - c.checkAfterMs + 300);
        EXPECT_EQ(flash->CurrentFrame(), c.frames - 1);
        flash->Play();
        Pump(300);
        EXPECT_EQ(flash->CurrentFrame(), c.frames - 1);
        flash->SetVariable(L"start", L"1");
    }
    // A new movie starts at its first frame, stopped.
    flash->SetMovie(Write(Movie("FWS", 50 << 8, 100), "next.swf"));
    Pump(200);
    EXPECT_EQ(flash->CurrentFrame(), 0);
    EXPECT_EQ(flash->TotalFrames(), 100);
}

TEST_F(FlashTest, PaintsTheBackgroundColour) {
    auto flash = kv::CreateBuiltInFlashControl(parent, true);
    const std::wstring tinted = Write(Movie("CWS", 12 << 8, 10, 0x2080C0), "tinted.swf");
    const std::wstring plain = Write(Movie("FWS", 12 << 8, 10), "plain.swf");
    struct Step {
        const char* what;
        const std::wstring* movie;  // loaded before the colour is set; null keeps the last
        int32_t color;              // set when not -2
        COLORREF expected;
    };
    const Step steps[] = {
        {"the movie's own colour", &tinted, -2, RGB(0x20, 0x80, 0xC0)},
        {"no colour in the movie: white", &plain, -2, RGB(255, 255, 255)},
        {"a colour set wins", nullptr, 0x000000, RGB(0, 0, 0)},
        {"and stays for the next movie", &tinted, -2, RGB(0, 0, 0)},
        {"0x00RRGGBB order", nullptr, 0x102030, RGB(0x10, 0x20, 0x30)},
        {"-1 gives the movie's colour back", nullptr, -1, RGB(0x20, 0x80, 0xC0)},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        if (s.movie) flash->SetMovie(*s.movie);
        if (s.color != -2) flash->SetBackgroundColor(s.color);
        EXPECT_EQ(Painted(*flash), s.expected);
    }
}

TEST_F(FlashTest, BadMoviesRaiseClearErrorsAndLeaveThePlayerEmpty) {
    auto flash = kv::CreateBuiltInFlashControl(parent, true);
    flash->SetMovie(Write(Movie("FWS", 12 << 8, 40), "good.swf"));
    flash->Play();
    const std::wstring lzma = Write(Movie("ZWS", 12 << 8, 40), "packed.swf");
    try {
        flash->SetMovie(lzma);
        ADD_FAILURE() << "no error";
    } catch (const kv::Error& e) {
        EXPECT_EQ(std::string(e.what()), "Unsupported movie format in " + kv::Narrow(lzma) +
                                             ": LZMA-compressed movies cannot be played");
    }
    // The old movie is gone: the show's "near its end" test moves on to the next movie.
    EXPECT_EQ(flash->TotalFrames(), 0);
    Pump(300);
    EXPECT_EQ(flash->CurrentFrame(), 0);
    EXPECT_THROW(flash->SetMovie(dir.path().wstring() + L"\\missing.swf"), kv::Error);

    // The show's click at (0, 0) does no harm.
    flash->SetMovie(Write(Movie("FWS", 12 << 8, 40), "good.swf"));
    SendMessageW(flash->Handle(), WM_LBUTTONDOWN, 0, 0);
    SendMessageW(flash->Handle(), WM_LBUTTONUP, 0, 0);
    EXPECT_TRUE(IsWindow(flash->Handle()));
    EXPECT_EQ(flash->CurrentFrame(), 0);
    EXPECT_EQ(flash->TotalFrames(), 40);
}

TEST_F(FlashTest, TheFactoryFallsBackToTheBuiltInPlayer) {
    // The ActiveX control is not registered here.
    EXPECT_EQ(kv::CreateActiveXFlashControl(parent, false), nullptr);
    auto flash = kv::CreateFlashControl(parent, false);
    ASSERT_NE(flash, nullptr);
    EXPECT_TRUE(flash->BuiltIn());
    EXPECT_EQ(GetParent(flash->Handle()), parent);
    EXPECT_FALSE(IsWindowVisible(flash->Handle()));
    RECT rc;
    GetWindowRect(flash->Handle(), &rc);
    EXPECT_EQ(rc.right - rc.left, 0);
    EXPECT_EQ(rc.bottom - rc.top, 0);

    // The parent (and with it the control's window) may go first.
    flash->SetMovie(Write(Movie("FWS", 50 << 8, 10), "clip.swf"));
    flash->Play();
    DestroyWindow(parent);
    parent = nullptr;
    EXPECT_EQ(flash->Handle(), nullptr);
    Pump(400);
    EXPECT_EQ(flash->CurrentFrame(), 9);
}

}  // namespace
