#include "framework/MediaPlayer.h"

#include <mmsystem.h>

#include "common/Error.h"
#include "framework/Dialogs.h"

namespace kv {
namespace {

constexpr wchar_t kNotifyClass[] = L"KestrelviewMediaNotify";

[[noreturn]] void ThrowMci(MCIERROR code) {
    wchar_t text[256] = L"";
    if (!mciGetErrorStringW(code, text, 256)) wcscpy(text, L"MCI error");
    throw Error(Narrow(text));
}

}  // namespace

TMediaPlayer::TMediaPlayer() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &TMediaPlayer::NotifyProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kNotifyClass;
        RegisterClassW(&wc);
        registered = true;
    }
    window_ = CreateWindowW(kNotifyClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window_) SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TMediaPlayer::~TMediaPlayer() {
    try {
        Close();
    } catch (...) {
    }
    if (window_) DestroyWindow(window_);
}

DWORD_PTR TMediaPlayer::NotifyFlags(DWORD& flags) {
    if (!Notify) return 0;
    Notify = false;
    flags |= MCI_NOTIFY;
    return reinterpret_cast<DWORD_PTR>(window_);
}

void TMediaPlayer::Open() {
    Close();
    MCI_OPEN_PARMSW open{};
    const DWORD flags = MCI_OPEN_ELEMENT;
    open.lpstrElementName = FileName.c_str();
    const MCIERROR rc = mciSendCommandW(0, MCI_OPEN, flags, reinterpret_cast<DWORD_PTR>(&open));
    if (rc) ThrowMci(rc);
    device_ = open.wDeviceID;
    MCI_SET_PARMS set{};
    set.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
    mciSendCommandW(device_, MCI_SET, MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&set));
}

void TMediaPlayer::Play() {
    if (!device_) throw Error("Not open");
    // Play always notifies: its end (finished, superseded, aborted or failed) reaches
    // OnNotify.
    MCI_PLAY_PARMS play{};
    DWORD flags = 0;
    Notify = true;
    play.dwCallback = NotifyFlags(flags);
    const MCIERROR rc = mciSendCommandW(device_, MCI_PLAY, flags, reinterpret_cast<DWORD_PTR>(&play));
    if (rc) ThrowMci(rc);
}

void TMediaPlayer::Close() {
    if (!device_) return;
    const UINT device = device_;
    device_ = 0;
    mciSendCommandW(device, MCI_CLOSE, 0, 0);
}

long long TMediaPlayer::Status(DWORD item) const {
    if (!device_) return 0;
    MCI_STATUS_PARMS status{};
    status.dwItem = item;
    const MCIERROR rc = mciSendCommandW(device_, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status));
    if (rc) ThrowMci(rc);
    return static_cast<long long>(status.dwReturn);
}

TMediaPlayer::TMPModes TMediaPlayer::Mode() const {
    if (!device_) return TMPModes::mpNotReady;
    switch (Status(MCI_STATUS_MODE)) {
        case MCI_MODE_STOP: return TMPModes::mpStopped;
        case MCI_MODE_PLAY: return TMPModes::mpPlaying;
        case MCI_MODE_RECORD: return TMPModes::mpRecording;
        case MCI_MODE_SEEK: return TMPModes::mpSeeking;
        case MCI_MODE_PAUSE: return TMPModes::mpPaused;
        case MCI_MODE_OPEN: return TMPModes::mpOpen;
        default: return TMPModes::mpNotReady;
    }
}

long long TMediaPlayer::Position() const { return Status(MCI_STATUS_POSITION); }

long long TMediaPlayer::Length() const { return Status(MCI_STATUS_LENGTH); }

LRESULT CALLBACK TMediaPlayer::NotifyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == MM_MCINOTIFY) {
        auto* self = reinterpret_cast<TMediaPlayer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && self->OnNotify) Guarded(self->OnNotify);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace kv
