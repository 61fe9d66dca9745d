#pragma once
// The media player over MCI: opens one file at a time, plays it, and reports the end of
// every play command (finished, superseded, aborted or failed) through OnNotify.
#include <functional>
#include <string>

#include "framework/Win.h"

namespace kv {

class TMediaPlayer {
public:
    enum class TMPModes { mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen };

    TMediaPlayer();
    ~TMediaPlayer();
    TMediaPlayer(const TMediaPlayer&) = delete;
    TMediaPlayer& operator=(const TMediaPlayer&) = delete;

    std::wstring FileName;
    // Armed for the next command; Play arms it itself, so every play notifies.
    bool Notify = false;
    std::function<void()> OnNotify;

    // Closes the open device, then opens FileName. Raises kv::Error with the MCI text.
    void Open();
    void Play();
    void Close();
    bool IsOpen() const { return device_ != 0; }
    TMPModes Mode() const;
    long long Position() const;
    long long Length() const;

private:
    static LRESULT CALLBACK NotifyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    DWORD_PTR NotifyFlags(DWORD& flags);
    long long Status(DWORD item) const;

    HWND window_ = nullptr;  // receives MM_MCINOTIFY
    UINT device_ = 0;  // the MCI device id; 0 when nothing is open
};

}  // namespace kv
