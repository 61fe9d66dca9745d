#pragma once
// What the show needs of the desktop: the taskbar window, the cursor, the temporary folder.
#include <string>

#include "framework/Win.h"

namespace kv {

// The top-level window of class "Shell_TrayWND", or null.
HWND FindTaskbar();
void HideTaskbar();
void ShowTaskbar();  // shown normally again

// Moves the cursor to (-1, -1); the system clamps it onto the desktop.
void ParkCursor();
// One decrement of the cursor's display count.
void HideCursor();
POINT CursorPos();

// The user's temporary folder as the system reports it, with its trailing backslash.
std::wstring TempFolder();
bool FileExists(const std::wstring& path);

}  // namespace kv
