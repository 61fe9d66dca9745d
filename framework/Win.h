#pragma once
// The framework's window onto Win32: <windows.h> and text conversion. Everything that
// crosses into Win32 goes through the wide (W) functions; our own strings are UTF-8.
#include <windows.h>

#include <string>
#include <string_view>

namespace kv {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);
// The system's text for an error code (GetLastError()), without the trailing line break.
std::string SystemErrorText(DWORD code);

}  // namespace kv
