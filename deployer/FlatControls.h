#pragma once
// The flat-styled label, edit, button and progress bar of the installer window: thin
// objects over the system's controls. They lie below the window's visible area.
#include <string>

#include "framework/Controls.h"
#include <commctrl.h>

namespace kv {

class TLabel : public TWinControl {
public:
    using TWinControl::TWinControl;

protected:
    const wchar_t* SystemClassName() const override { return L"STATIC"; }
};

class TFlatEdit : public TWinControl {
public:
    using TWinControl::TWinControl;
    bool Enabled = true;
    bool ReadOnly = false;
    // The text now in the control (the caption until the window exists).
    std::string Text() const {
        if (!HandleAllocated()) return Caption;
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(Handle())) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(Handle(), text.data(), static_cast<int>(text.size()))));
        return Narrow(text);
    }

protected:
    const wchar_t* SystemClassName() const override { return L"EDIT"; }
    DWORD WindowStyle() const override {
        return TWinControl::WindowStyle() | WS_BORDER | ES_AUTOHSCROLL | (ReadOnly ? ES_READONLY : 0) |
               (Enabled ? 0 : WS_DISABLED);
    }
};

class TFlatButton : public TButton {
public:
    using TButton::TButton;
};

class TFlatProgressBar : public TWinControl {
public:
    using TWinControl::TWinControl;
    int Min = 0, Max = 100;

protected:
    const wchar_t* SystemClassName() const override { return PROGRESS_CLASSW; }
    void AfterCreate() override { SendMessageW(Handle(), PBM_SETRANGE32, Min, Max); }
};

}  // namespace kv
