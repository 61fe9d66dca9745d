// The built-in movie player: a child window of our own class that reads a movie's header,
// counts its frames at the movie's frame rate after Play, stops on the last one, and
// paints the movie's background colour. Drawing the movie's shapes and bitmaps is not
// done here yet.
#include <algorithm>
#include <chrono>
#include <map>
#include <optional>

#include "common/Error.h"
#include "framework/FlashControl.h"
#include "framework/Forms.h"
#include "showcase/core/SwfHeader.h"

namespace kv {
namespace {

constexpr wchar_t kClassName[] = L"KestrelviewMoviePlayer";
constexpr UINT_PTR kFrameTimer = 1;
// A movie that declares a frame rate of 0 plays at 12 frames a second.
constexpr uint32_t kDefaultFrameRate = 12 << 8;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;

using Clock = std::chrono::steady_clock;

class BuiltInFlash final : public FlashControl {
public:
    BuiltInFlash(HWND parent, bool visible) {
        RegisterWindowClass();
        RECT area{0, 0, 0, 0};
        if (visible && parent) GetClientRect(parent, &area);
        hwnd_ = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0), 0, 0,
                                area.right, area.bottom, parent, nullptr, GetModuleHandleW(nullptr), this);
        if (!hwnd_) throw Error("Cannot create the movie player window: " + SystemErrorText(GetLastError()));
    }

    ~BuiltInFlash() override {
        if (hwnd_) DestroyWindow(hwnd_);
    }

    HWND Handle() const override { return hwnd_; }

    void SetMovie(const std::wstring& path) override {
        // The old movie goes first: a movie that cannot be read leaves the player empty
        // (no frames), never still playing the previous one.
        Stop();
        movie_.reset();
        frame_ = 0;
        variables_.clear();
        Repaint();
        movie_ = ReadSwfHeader(std::filesystem::path(path));
        Repaint();
    }

    void SetBackgroundColor(int32_t color) override {
        if (color >= 0 && color <= static_cast<int32_t>(kWhite)) {
            background_ = static_cast<uint32_t>(color);
        } else {
            background_.reset();
        }
        Repaint();
    }

    int32_t TotalFrames() override { return movie_ ? movie_->FrameCount : 0; }

    int32_t CurrentFrame() override {
        Advance();
        return frame_;
    }

    void Play() override {
        if (!movie_ || playing_ || frame_ >= LastFrame()) return;
        playing_ = true;
        playFrom_ = frame_;
        playStart_ = Clock::now();
        if (hwnd_) {
            const uint32_t period = std::clamp<uint32_t>(256000u / FrameRate(), 10, 1000);
            if (!SetTimer(hwnd_, kFrameTimer, period, nullptr)) {
                playing_ = false;
                throw Error("Cannot start the movie player's timer: " + SystemErrorText(GetLastError()));
            }
        }
    }

    void SetVariable(const std::wstring& name, const std::wstring& value) override { variables_[name] = value; }

    bool BuiltIn() const override { return true; }

private:
    static void RegisterWindowClass() {
        static const bool registered = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = WindowProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
            wc.lpszClassName = kClassName;
            return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
        }();
        if (!registered) throw Error("Cannot register the movie player window class");
    }

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<BuiltInFlash*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
        switch (msg) {
            case WM_ERASEBKGND:
                return 1;  // WM_PAINT covers everything
            case WM_PAINT: {
                TPaintScope paint(hwnd);
                const uint32_t c = self->PaintColor();
                FillColor(paint.DC(), paint.Client(), RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
                return 0;
            }
            case WM_TIMER:
                if (wParam == kFrameTimer) {
                    self->Advance();
                    return 0;
                }
                break;
            // Clicks reach a movie that has nothing to click yet: taken and dropped.
            case WM_LBUTTONDOWN:
            case WM_LBUTTONUP:
            case WM_LBUTTONDBLCLK:
            case WM_RBUTTONDOWN:
            case WM_RBUTTONUP:
            case WM_RBUTTONDBLCLK:
            case WM_MBUTTONDOWN:
            case WM_MBUTTONUP:
            case WM_MBUTTONDBLCLK:
                return 0;
            case WM_NCDESTROY:
                // The window can go before the object (with its parent): the object then
                // keeps counting frames from the clock and paints nothing.
                KillTimer(hwnd, kFrameTimer);
                SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
                self->hwnd_ = nullptr;
                break;
            default:
                break;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    uint32_t FrameRate() const {
        return movie_ && movie_->FrameRate != 0 ? movie_->FrameRate : kDefaultFrameRate;
    }
    int32_t LastFrame() const { return movie_ ? movie_->FrameCount - 1 : -1; }

    // Brings the frame number up to the clock; on the last frame the movie stops.
    void Advance() {
        if (!playing_) return;
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - playStart_).count();
        const int64_t frame = playFrom_ + static_cast<int64_t>(elapsed) * FrameRate() / 256000;
        if (frame >= LastFrame()) {
            frame_ = LastFrame();
            Stop();
        } else {
            frame_ = static_cast<int32_t>(frame);
        }
    }

    void Stop() {
        playing_ = false;
        if (hwnd_) KillTimer(hwnd_, kFrameTimer);
    }

    uint32_t PaintColor() const {
        if (background_) return *background_;
        if (!movie_) return kBlack;
        return movie_->BackgroundColor.value_or(kWhite);
    }

    void Repaint() {
        if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
    }

    HWND hwnd_ = nullptr;
    std::optional<SwfHeader> movie_;
    std::optional<uint32_t> background_;  // set through SetBackgroundColor; wins over the movie's
    int32_t frame_ = 0;
    bool playing_ = false;
    int32_t playFrom_ = 0;
    Clock::time_point playStart_;
    // Kept for the movie; nothing reads them yet.
    std::map<std::wstring, std::wstring> variables_;
};

}  // namespace

std::unique_ptr<FlashControl> CreateBuiltInFlashControl(HWND parent, bool visible) {
    return std::make_unique<BuiltInFlash>(parent, visible);
}

}  // namespace kv
