#include "showcase/unithead.h"

#include "common/Error.h"
#include "common/Files.h"
#include "frames/frameManagerUnit.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/Registry.h"
#include "framework/Shell.h"
#include "graphics/Random.h"
#include "package/SettingsStore.h"

namespace kv {
namespace {

constexpr char kNoPackage[] = "Initialize screen saver error. Try to create it over again please.";
constexpr char kNoStyles[] = "Load effect data error, please recreate this screensaver and try again!";
constexpr char kScreenTooSmall[] = "Current screen is smaller than specified screen resolution.";
constexpr char kMusicMissing[] = "load music error";

std::filesystem::path PathOf(const std::wstring& wide) { return std::filesystem::path(wide); }

std::wstring FileNameOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

TMainForm::TMainForm() {
    Caption = "Kestrelview";
    BorderStyle = TBorderStyle::bsNone;
    StayOnTop = true;
    WindowState = TWindowState::wsMaximized;
    KeyPreview = true;
    Color = RGB(0, 0, 0);
    // The window covers the primary screen from the start; showing it maximized keeps it so.
    Width = GetSystemMetrics(SM_CXSCREEN);
    Height = GetSystemMetrics(SM_CYSCREEN);

    imgBackGround.Color = RGB(0, 0, 0);
    imgBackGround.SetBounds(0, 0, Width, Height);
    Player1.Visible = false;
    Player1.Player().SetAutoSize(false);
    Player1.Player().SetCenter(true);
    Player1.Player().SetStretch(true);
    Player1.Player().SetColor(0xFF000000u);
    btnFlashFull.Visible = false;
    btnFlashFull.OnClick = [this] { btnFlashFullClick(); };
    mpBack.OnNotify = [this] { mpBackNotify(); };
    SlidingTimer.Interval = 1000;
    SlidingTimer.OnTimer = [this] { SlidingTimerTimer(); };

    OnCreate = [this] { FormCreate(); };
    OnClose = [this](TCloseAction& action) { FormClose(action); };
    OnResize = [this] { FormResize(); };
    OnKeyPress = [this](wchar_t& key) { FormKeyPress(key); };
    OnWindowMessage = [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return SystemCommand(msg, wParam, lParam, result);
    };
}

TMainForm::~TMainForm() {
    SlidingTimer.SetEnabled(false);
    if (Application().OnMessage) Application().OnMessage = nullptr;
    // The window goes while the handlers' objects still exist (a form that was never
    // closed, as after a start-up failure).
    DestroyHandle();
}

// ---------------------------------------------------------------------------------------
// Start-up

void TMainForm::FormCreate() {
    RandomizeFromClock();
    ParkCursor();
    package_ = PackageState{};
    TempFolder_ = kv::TempFolder();
    Slide = SlideState{};
    mpBack.Notify = true;
    ResizingFlash = false;
    FlashPlayer = CreateFlashControl(Handle(), false);

    if (!ReadPackage()) {
        ShowMessageBox(kNoPackage);
        Application().Terminate();
        return;
    }
    if (styleCheckFailed_) return;  // the walk showed its message and ended the program
    ReadUserSettings();
    HideTaskbar();
    SlidingTimer.SetEnabled(true);
    LayoutShow();
    if (Application().Terminated()) return;
    Application().OnMessage = [this](MSG& msg, bool& handled) { AppMessage(msg, handled); };
}

bool TMainForm::ReadPackage() {
    PackageActions actions;
    actions.StartMusic0 = [this](const std::filesystem::path& track) {
        mpBack.FileName = track.wstring();
        mpBack.Open();
        mpBack.Play();
        musicStartedMs_ = static_cast<int64_t>(GetTickCount64());
    };
    actions.StartFlash0 = [this](const std::filesystem::path& movie) { StartFlash(movie); };
    actions.StyleCheckFailed = [this] {
        styleCheckFailed_ = true;
        ShowMessageBox(kNoStyles);
        Application().Terminate();
    };
    walking_ = true;
    struct EndWalk {
        TMainForm* self;
        ~EndWalk() {
            // What the walk read stands, also when it failed part-way.
            self->walking_ = false;
            ProcessSettings() = self->package_.Settings;
        }
    } end{this};
    const bool found =
        ReadSaverPackage(PathOf(ProgramFile()), PathOf(TempFolder_), kShowWindowPolicy, actions, package_);
    if (found) {
        music_.emplace(package_.MusicPlaylist, package_.Settings.MusicCount);
        if (!package_.MusicPlaylist.empty()) music_->Started(musicStartedMs_);
    }
    return found;
}

void TMainForm::ReadUserSettings() {
    RegistrySettingsStore store;
    OverlayUserSettings(ProcessSettings(), store, Narrow(FileNameOf(ProgramFile())));
}

void TMainForm::LayoutShow() {
    FillCanvas(0xFF000000u);
    ShowSettings& settings = ProcessSettings();
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    std::optional<TFrameManager> frame;
    int tileWidth = 0, tileHeight = 0;
    if (settings.UseFrame) {
        frame.emplace(PathOf(TempFolder_ + L"Frame.jpg"));
        const Bitmap edge = frame->TopEdge();
        tileWidth = edge.Width();
        tileHeight = edge.Height();
    }
    const ShowLayout layout = LayoutShowArea(sw, sh, settings, tileWidth, tileHeight);
    if (layout.ScreenTooSmall) {
        ShowMessageBox(kScreenTooSmall);
        ShowTaskbar();
        Application().Terminate();
        return;
    }
    GapLeft = layout.GapLeft;
    GapTop = layout.GapTop;
    GapRight = layout.GapRight;
    GapBottom = layout.GapBottom;
    const Rect& area = layout.Area;

    imgBackGround.SetBounds(0, 0, sw, sh);
    SetWindowPos(imgBackGround.Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (settings.ShowKind == 0) {
        SetWindowPos(FlashPlayer->Handle(), nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
        Player1.SetBounds(area.Left, area.Top, area.Width(), area.Height());
        Player1.Show();
    } else {
        SetWindowPos(FlashPlayer->Handle(), HWND_TOP, area.Left, area.Top, area.Width(), area.Height(),
                     SWP_NOACTIVATE | SWP_SHOWWINDOW);
        Player1.Hide();
    }
    HideCursor();
    if (layout.Framed) {
        Bitmap painted;
        frame->DrawFrame(sw, sh, settings.DesignWidth, settings.DesignHeight, painted);
        imgBackGround.SetPicture(std::move(painted));
    }
}

// ---------------------------------------------------------------------------------------
// Window handlers

void TMainForm::FormClose(TCloseAction& action) {
    SlidingTimer.SetEnabled(false);
    Application().OnMessage = nullptr;
    ShowTaskbar();
    music_.reset();
    package_.MusicPlaylist.clear();
    action = TCloseAction::caFree;
}

bool TMainForm::SystemCommand(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_SCREENSAVE) {
        result = 0;  // no screensaver over the running show
        return true;
    }
    if (msg == WM_GETMINMAXINFO) {
        // Maximized, the borderless window covers the whole primary screen, not only its
        // work area.
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMaxPosition = {0, 0};
        info->ptMaxSize = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        result = 0;
        return true;
    }
    return false;
}

void TMainForm::FormResize() {
    if (!btnFlashFull.HandleAllocated() || !FlashPlayer) return;
    ResizingFlash = true;
    SendMessageW(btnFlashFull.Handle(), WM_KEYDOWN, VK_SPACE, 1);
    SendMessageW(btnFlashFull.Handle(), WM_KEYUP, VK_SPACE, 1);
    RedrawWindow(FlashPlayer->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ResizingFlash = false;
}

void TMainForm::btnFlashFullClick() {
    HWND flash = FlashPlayer->Handle();
    SendMessageW(flash, WM_LBUTTONDOWN, 0, 0);
    SendMessageW(flash, WM_LBUTTONUP, 0, 0);
    RedrawWindow(flash, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TMainForm::FormKeyPress(wchar_t&) {
    if (KeyPressCloses(ProcessSettings().QuitMode)) Close();
}

void TMainForm::AppMessage(MSG& msg, bool& handled) {
    const WakeVerdict verdict =
        AppMessageRule(ProcessSettings().QuitMode, Wake, msg.message, msg.wParam, ResizingFlash, [] {
            const POINT p = CursorPos();
            return Point{p.x, p.y};
        });
    handled = verdict.Handled;
    if (verdict.Close) Close();
}

// ---------------------------------------------------------------------------------------
// The loops

void TMainForm::SlidingTimerTimer() { SlideStep(ProcessSettings(), package_.Styles, Slide, stage_); }

void TMainForm::mpBackNotify() {
    if (!music_) return;
    const bool stopped = mpBack.Mode() == TMediaPlayer::TMPModes::mpStopped;
    const long long position = mpBack.IsOpen() ? mpBack.Position() : 0;
    const long long length = mpBack.IsOpen() ? mpBack.Length() : 0;
    const MusicPlaylist::Action action =
        music_->OnNotify(stopped, position, length, static_cast<int64_t>(GetTickCount64()));
    switch (action.Kind) {
        case MusicPlaylist::Action::Nothing:
            return;
        case MusicPlaylist::Action::Rearm:
            mpBack.Notify = true;
            return;
        case MusicPlaylist::Action::Play:
            if (action.FileMissing) ShowMessageBox(kMusicMissing);
            mpBack.FileName = music_->Tracks()[action.Track].wstring();
            mpBack.Open();
            mpBack.Play();
            mpBack.Notify = true;
            return;
    }
}

void TMainForm::StartFlash(const std::filesystem::path& movie) {
    const std::wstring player = TempFolder_ + L"nofile.swf";
    const ShowSettings& settings = walking_ ? package_.Settings : ProcessSettings();
    if (settings.UsePlayer && FileExists(player)) {
        FlashPlayer->SetMovie(player);
        FlashPlayer->SetBackgroundColor(0);
        FlashPlayer->SetVariable(L"swfname", player);
        FlashPlayer->SetVariable(L"start", L"1");
        FlashPlayer->SetVariable(L"soundVolumn", L"0");
        return;
    }
    FlashPlayer->SetMovie(movie.wstring());
    FlashPlayer->Play();
}

}  // namespace kv
