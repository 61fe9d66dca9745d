#include "framework/Shell.h"

namespace kv {

HWND FindTaskbar() { return FindWindowW(L"Shell_TrayWND", nullptr); }

void HideTaskbar() {
    if (HWND tray = FindTaskbar()) ShowWindow(tray, SW_HIDE);
}

void ShowTaskbar() {
    if (HWND tray = FindTaskbar()) ShowWindow(tray, SW_SHOWNORMAL);
}

void ParkCursor() { SetCursorPos(-1, -1); }

void HideCursor() { ShowCursor(FALSE); }

POINT CursorPos() {
    POINT p{0, 0};
    GetCursorPos(&p);
    return p;
}

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    std::wstring folder(buffer, n > MAX_PATH ? 0 : n);
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace kv
