#include "framework/Application.h"

#include <commctrl.h>
#include <objbase.h>

#include "framework/Dialogs.h"
#include "framework/Forms.h"

namespace kv {

TApplication& Application() {
    static TApplication app;
    return app;
}

std::wstring ProgramFile() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::string TApplication::Title() const {
    if (!title_.empty()) return title_;
    std::wstring file = ProgramFile();
    const size_t slash = file.find_last_of(L"\\/");
    if (slash != std::wstring::npos) file.erase(0, slash + 1);
    const size_t dot = file.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) file.erase(dot);
    return Narrow(file);
}

void TApplication::Initialize() {
    if (!comInitialized_) {
        comInitialized_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                                                   ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&icc);
    }
}

void TApplication::CreateForm(TForm& form) {
    if (!mainForm_) mainForm_ = &form;
    form.Create();
}

void TApplication::Run() {
    if (terminated_) return;
    if (mainForm_ && mainForm_->HandleAllocated() && !mainForm_->Closed()) mainForm_->Show();
    MSG msg;
    while (!terminated_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        HandleQueuedMessage(msg);
    }
    terminated_ = true;
}

void TApplication::HandleQueuedMessage(MSG& msg) {
    bool handled = false;
    if (OnMessage) {
        Guarded([&] { OnMessage(msg, handled); });
    }
    if (handled) return;
    if (TForm::PreviewKey(msg)) return;
    if (TForm::DialogKey(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the loop that owns it
            return;
        }
        HandleQueuedMessage(msg);
    }
}

void TApplication::Terminate() {
    if (terminated_) return;
    terminated_ = true;
    PostQuitMessage(0);
}

}  // namespace kv
