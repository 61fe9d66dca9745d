#pragma once
// The configuration dialog: the user's wake-up condition, picture interval, frame switch
// and design resolution for this screensaver file, stored in the registry on Save.
#include <string>

#include "framework/Controls.h"
#include "framework/DialogControls.h"
#include "framework/Forms.h"

namespace kv {

class TSaverConfigForm : public TForm {
public:
    TSaverConfigForm();
    ~TSaverConfigForm() override;

    // The start-up showed a message that ends the program: the dialog is not shown.
    bool EndedAtStart() const { return endedAtStart_; }

    TPageControl scPageWiz{this};
    TTabSheet tab_options{&scPageWiz};
    TTabSheet tab_decorate{&scPageWiz};
    TRadioGroup RdoGpQuitMode{&tab_options};
    TGroupBox grpInterval{&tab_options};
    TLabel Label2{&grpInterval};
    TSpinEdit SpnDelayTime{&grpInterval};
    TLabel Label3{&grpInterval};
    TGroupBox grpbScreenSolution{&tab_options};
    TTrackBar trkbScreenSize{&grpbScreenSolution};
    TLabel lblScreenSizeDisplay{&grpbScreenSolution};
    TGroupBox TeGroupBox2{&tab_decorate};
    TCheckBox chkUseFrame{&TeGroupBox2};
    TPanel pnlFrame1{&TeGroupBox2};
    TImage ImgFrame1{&pnlFrame1};
    TLabel lblMoreFrames{&TeGroupBox2};
    TLabel lblPreviewFrame{&TeGroupBox2};
    TImage imgPreviewFrame{&TeGroupBox2};
    TSkinButton TeButton1{this};
    TSkinButton TeButton2{this};

    void FormCreate();
    void trkbScreenSizeChange();
    void TeButton1Click();

private:
    void PaintBackground();
    std::string programName_;
    HWND lastFocus_ = nullptr;
    bool endedAtStart_ = false;
};

// Configuration mode: makes the dialog, runs it modally and frees it. Returns 0.
int RunConfigDialog();

}  // namespace kv
