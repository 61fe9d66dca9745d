#pragma once
// Message boxes: the fixed-text boxes the windows show, and the standard error box that
// reports an error which escaped an event handler or a window's creation.
#include <exception>
#include <string>
#include <string_view>

#include "framework/Win.h"

namespace kv {

// A message box under the application's title (owner: the active window of this thread).
// flags are MB_* values; returns the button pressed (IDOK, IDYES, ...).
int ShowMessageBox(std::string_view text, UINT flags = MB_OK);

// The error box's text: the message with a full stop added when its last character sorts
// after "." (so "Stream read error" gains one and "File not found." does not).
std::string ErrorBoxText(std::string_view message);

// The standard error box: ErrorBoxText(message) under the program's title, stop icon.
void ShowErrorBox(std::string_view message);

// Shows the error box for the exception in flight (kv::Error or any std::exception).
void ShowExceptionBox(std::exception_ptr error);

// Runs fn; an error that escapes it is shown in the error box and goes no further.
// Returns false when fn did not complete.
template <typename Fn>
bool Guarded(Fn&& fn) {
    try {
        fn();
        return true;
    } catch (...) {
        ShowExceptionBox(std::current_exception());
        return false;
    }
}

}  // namespace kv
