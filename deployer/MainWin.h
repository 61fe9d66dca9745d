#pragma once
// The installer window: a picture face with one image button; its click installs the
// carried screensaver.
#include "deployer/FlatControls.h"
#include "framework/Forms.h"
#include "framework/ImageButton.h"

namespace kv {

class TInstallerForm : public TForm {
public:
    TInstallerForm();

    TImage Image1{this};
    TMouseEffectImage MouseEffectImage1{this};
    TLabel lblDestPath{this};
    TFlatEdit edtDestPath{this};
    TFlatButton btnInstall{this};
    TLabel lblProgress{this};
    TFlatProgressBar FlatProgressBar1{this};
    TFlatButton btnBrowse{this};
    TImage imgTitle{this};

    void FormCreate();
    void MouseEffectImage1Click();
    void btnBrowseClick() {}
};

}  // namespace kv
