#include "showcase/SaverConfig.h"

#include <commctrl.h>

#include <filesystem>
#include <memory>

#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/Registry.h"
#include "graphics/Bmp.h"
#include "graphics/Resample.h"
#include "package/ShowSettings.h"
#include "showcase/core/ConfigRules.h"

namespace kv {
namespace {

constexpr int kTileResource = 2001;
constexpr int kSampleResource = 2002;

// A bitmap file carried as a resource of the program; empty when it is missing.
Bitmap ResourceBitmap(int id) {
    HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!info) return {};
    HGLOBAL data = LoadResource(nullptr, info);
    const auto* bytes = static_cast<const uint8_t*>(data ? LockResource(data) : nullptr);
    if (!bytes) return {};
    try {
        return ReadBmp(std::span<const uint8_t>(bytes, SizeofResource(nullptr, info)));
    } catch (...) {
        return {};
    }
}

std::filesystem::path ProgramPath() { return std::filesystem::path(ProgramFile()); }

}  // namespace

TSaverConfigForm::TSaverConfigForm() {
    // The skin is read before any window is made, so every control starts in its look.
    TSkin::LoadCurrent(ProgramPath().parent_path() / L"swing.mskn");
    programName_ = Narrow(ProgramPath().filename().wstring());

    Caption = "Config";
    BorderStyle = TBorderStyle::bsSingle;
    MinimizeBox = true;
    MaximizeBox = true;
    Position = TPosition::poScreenCenter;
    SizeIsClient = true;
    Width = 453;
    Height = 312;
    DialogKeys = true;
    if (TSkin* skin = TSkin::Current()) Color = skin->Color("Window", Color);

    scPageWiz.SetBounds(16, 8, 417, 249);
    scPageWiz.ControlId = 1001;
    tab_options.Caption = "Options";
    tab_decorate.Caption = "Decorate";
    scPageWiz.AddPage(&tab_options);
    scPageWiz.AddPage(&tab_decorate);

    RdoGpQuitMode.Caption = "Quit mode  (Wake up  on)";
    RdoGpQuitMode.SetBounds(8, 8, 193, 201);
    RdoGpQuitMode.SetItems({QuitModeCaptions.begin(), QuitModeCaptions.end()});
    RdoGpQuitMode.SetItemIndex(0);

    grpInterval.Caption = " Interval ";
    grpInterval.SetBounds(208, 8, 185, 81);
    Label2.Caption = "Interval between two images:";
    Label2.SetBounds(15, 24, 168, 15);
    SpnDelayTime.SetBounds(16, 39, 49, 22);
    SpnDelayTime.Caption = "8";
    SpnDelayTime.ControlId = 1002;
    Label3.Caption = "seconds";
    Label3.SetBounds(73, 44, 60, 15);

    grpbScreenSolution.Caption = "Screen resolution:  ";
    grpbScreenSolution.SetBounds(208, 112, 185, 97);
    trkbScreenSize.SetBounds(16, 21, 153, 28);
    trkbScreenSize.Min = 0;
    trkbScreenSize.Max = static_cast<int>(ResolutionTable.size()) - 1;
    trkbScreenSize.PageSize = 1;
    trkbScreenSize.NoTicks = true;
    trkbScreenSize.SetPosition(kDefaultResolutionPosition);
    trkbScreenSize.ControlId = 1003;
    trkbScreenSize.OnChange = [this] { trkbScreenSizeChange(); };
    lblScreenSizeDisplay.Caption = ResolutionLabel(kDefaultResolutionPosition);
    lblScreenSizeDisplay.SetBounds(22, 68, 150, 15);

    TeGroupBox2.Caption = "Frames";
    TeGroupBox2.SetBounds(16, 11, 369, 113);
    chkUseFrame.Caption = "Apply a frame on pictures ";
    chkUseFrame.SetBounds(16, 20, 170, 20);
    chkUseFrame.ControlId = 1004;
    pnlFrame1.SetBounds(16, 54, 44, 39);
    ImgFrame1.Align = TControlAlign::alClient;
    ImgFrame1.Stretch = true;
    ImgFrame1.SetBounds(0, 0, 44, 39);
    lblMoreFrames.Caption = "More frames ...";
    lblMoreFrames.SetBounds(88, 54, 110, 15);
    lblMoreFrames.Underline = true;
    lblMoreFrames.Enabled = false;
    lblPreviewFrame.Caption = "Preview ";
    lblPreviewFrame.SetBounds(88, 80, 60, 15);
    lblPreviewFrame.Underline = true;
    lblPreviewFrame.Enabled = false;
    imgPreviewFrame.SetBounds(218, 15, 126, 90);
    imgPreviewFrame.AutoSize = true;

    TeButton1.Caption = "Save";
    TeButton1.SetBounds(264, 272, 83, 25);
    TeButton1.ControlId = IDOK;
    TeButton1.Default = true;
    TeButton1.OnClick = [this] { TeButton1Click(); };
    TeButton2.Caption = "Cancel";
    TeButton2.SetBounds(358, 272, 75, 25);
    TeButton2.ControlId = IDCANCEL;
    TeButton2.OnClick = [this] { ModalResult = IDCANCEL; };

    // The tab control tells its page changes to the form, the form hands them back.
    OnWindowMessage = [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        if (msg == WM_ACTIVATE) {
            // As in any dialog: the keyboard focus goes back to the control that had it,
            // or at first to the first control in Tab order.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(Handle(), focus)) lastFocus_ = focus;
                return false;
            }
            HWND target = lastFocus_ && IsWindow(lastFocus_) && IsChild(Handle(), lastFocus_)
                              ? lastFocus_
                              : GetNextDlgTabItem(Handle(), nullptr, FALSE);
            if (!target || HIWORD(wParam)) return false;
            ::SetFocus(target);
            result = 0;
            return true;
        }
        return ReflectToControl(msg, wParam, lParam, result);
    };
    OnCreate = [this] { FormCreate(); };
}

TSaverConfigForm::~TSaverConfigForm() { DestroyHandle(); }

void TSaverConfigForm::PaintBackground() {
    TSkin* skin = TSkin::Current();
    const SkinImage* picture = skin ? skin->Image("Window") : nullptr;
    if (!picture) return;
    Bitmap& canvas = Canvas();
    const Bitmap scaled = ScaleBitmap(picture->Part(0), canvas.Width(), canvas.Height());
    for (int y = 0; y < canvas.Height(); ++y)
        std::copy_n(scaled.ScanLine(y), static_cast<size_t>(canvas.Width()) * 4, canvas.ScanLine(y));
    Invalidate();
}

void TSaverConfigForm::FormCreate() {
    PaintBackground();
    ImgFrame1.SetPicture(ResourceBitmap(kTileResource));
    imgPreviewFrame.SetPicture(ResourceBitmap(kSampleResource));

    RegistrySettingsStore store;
    const ConfigStartup start = RunConfigStartup(ProgramPath(), store, programName_, ProcessSettings());
    for (const ConfigMessage& message : start.Messages) {
        if (message.Kind == ConfigMessage::Box::Error) ShowErrorBox(message.Text);
        else ShowMessageBox(message.Text, MB_OK);
    }
    if (start.EndProgram) {
        endedAtStart_ = true;
        return;
    }
    const ConfigControls& c = start.Controls;
    RdoGpQuitMode.SetItemIndex(c.QuitItem);
    SpnDelayTime.SetValue(c.Interval);
    chkUseFrame.SetChecked(c.UseFrame);
    trkbScreenSize.SetPosition(c.TrackPosition);
    lblScreenSizeDisplay.SetCaption(ResolutionLabel(trkbScreenSize.Position()));
}

void TSaverConfigForm::trkbScreenSizeChange() {
    const int position = trkbScreenSize.Position();
    lblScreenSizeDisplay.SetCaption(ResolutionLabel(position));
    ApplyTrackPosition(ProcessSettings(), position);
}

void TSaverConfigForm::TeButton1Click() {
    ApplyDialogInput(ProcessSettings(), RdoGpQuitMode.ItemIndex(), SpnDelayTime.Text(), chkUseFrame.Checked(),
                     trkbScreenSize.Position());
    RegistrySettingsStore store;
    WriteStoredSettings(store, programName_, ProcessSettings());
    ModalResult = IDOK;
}

int RunConfigDialog() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
    auto form = std::make_unique<TSaverConfigForm>();
    form->Create();
    if (!form->EndedAtStart()) form->ShowModal();
    form.reset();
    TSkin::ClearCurrent();
    return 0;
}

}  // namespace kv
