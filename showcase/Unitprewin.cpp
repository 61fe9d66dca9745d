#include "showcase/Unitprewin.h"

#include <objbase.h>

#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/Shell.h"
#include "graphics/Random.h"

namespace kv {
namespace {
constexpr char kNoPackage[] = "Initialize screen saver error. Try to create it over again please.";
constexpr char kNoStyles[] = "Load effect data error, please recreate this screensaver and try again!";
}  // namespace

TSaverPreviewForm::TSaverPreviewForm(HWND host) : host_(host) {
    ParentWindow = host;
    BorderStyle = TBorderStyle::bsNone;
    Color = RGB(0, 0, 0);
    Width = 251;
    Height = 195;
    // The design places; the layout gives the control in use the whole client area.
    Player1.SetBounds(128, 80, 41, 25);
    Player1.Player().SetAutoSize(false);
    Player1.Player().SetStretch(true);
    Timer1.Interval = 1000;
    Timer1.OnTimer = [this] { Timer1Timer(); };
    hostWatch_.Interval = 250;
    hostWatch_.OnTimer = [this] {
        if (HostGone()) Close();
    };
    OnCreate = [this] { FormCreate(); };
    OnResize = [this] { FitControls(); };
}

TSaverPreviewForm::~TSaverPreviewForm() {
    Timer1.SetEnabled(false);
    hostWatch_.SetEnabled(false);
    DestroyHandle();  // while the handlers' objects still exist
}

bool TSaverPreviewForm::HostGone() const { return !IsWindow(host_); }

void TSaverPreviewForm::FormCreate() {
    TempFolder_ = kv::TempFolder();
    Slide = SlideState{};
    FlashPlayer = CreateFlashControl(Handle(), true);
    SetWindowPos(FlashPlayer->Handle(), nullptr, 88, 80, 24, 24, SWP_NOZORDER | SWP_NOACTIVATE);
    Timer1.SetEnabled(true);
    hostWatch_.SetEnabled(true);
    if (!ReadPackage()) {
        ShowMessageBox(kNoPackage);
        ended_ = true;
        Application().Terminate();
        return;
    }
    if (ended_) return;
    Layout();
}

bool TSaverPreviewForm::ReadPackage() {
    PackageActions actions;
    actions.StartFlash0 = [this](const std::filesystem::path& movie) {
        FlashPlayer->SetMovie(movie.wstring());
        FlashPlayer->Play();
    };
    actions.StyleCheckFailed = [this] {
        ShowMessageBox(kNoStyles);
        ended_ = true;
        Application().Terminate();
    };
    struct EndWalk {
        TSaverPreviewForm* self;
        ~EndWalk() { ProcessSettings() = self->package_.Settings; }
    } end{this};
    return ReadSaverPackage(std::filesystem::path(ProgramFile()), std::filesystem::path(TempFolder_),
                            kPreviewPolicy, actions, package_);
}

void TSaverPreviewForm::Layout() {
    FillCanvas(0xFF000000u);
    if (ProcessSettings().ShowKind == 0) {
        ShowWindow(FlashPlayer->Handle(), SW_HIDE);
        SetWindowPos(FlashPlayer->Handle(), nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE);
        Player1.SetAlign(TControlAlign::alClient);
        Player1.Show();
    } else {
        Player1.Hide();
        ShowWindow(FlashPlayer->Handle(), SW_SHOWNA);
    }
    FitControls();
}

void TSaverPreviewForm::FitControls() {
    if (!FlashPlayer || ProcessSettings().ShowKind == 0 || Player1.Visible) return;
    SetWindowPos(FlashPlayer->Handle(), nullptr, 0, 0, ClientWidth(), ClientHeight(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TSaverPreviewForm::Timer1Timer() {
    if (HostGone()) {
        Close();
        return;
    }
    if (ended_) return;
    SlideStep(ProcessSettings(), package_.Styles, Slide, stage_);
}

int RunPreview(HWND host) {
    Application().Initialize();
    RECT rc{0, 0, 0, 0};
    GetWindowRect(host, &rc);
    {
        TSaverPreviewForm form(host);
        form.Left = 0;
        form.Top = 0;
        form.Width = rc.right - rc.left;
        form.Height = rc.bottom - rc.top;
        form.Create();
        if (!Application().Terminated()) form.ShowModal();
    }
    CoUninitialize();
    return 0;
}

}  // namespace kv
