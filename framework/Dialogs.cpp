#include "framework/Dialogs.h"

#include <stdexcept>

#include "framework/Application.h"

namespace kv {

int ShowMessageBox(std::string_view text, UINT flags) {
    HWND owner = GetActiveWindow();
    return MessageBoxW(owner, Widen(text).c_str(), Widen(Application().Title()).c_str(), flags | MB_TASKMODAL);
}

std::string ErrorBoxText(std::string_view message) {
    std::string text(message);
    // Compare code points, not bytes: the last character of a UTF-8 text starts at its
    // last byte that is not a continuation byte, and every non-ASCII character sorts after ".".
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    return text;
}

void ShowErrorBox(std::string_view message) {
    HWND owner = GetActiveWindow();
    MessageBoxW(owner, Widen(ErrorBoxText(message)).c_str(), Widen(Application().Title()).c_str(),
                MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

void ShowExceptionBox(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        ShowErrorBox(e.what());
    } catch (...) {
        ShowErrorBox("Unknown error");
    }
}

}  // namespace kv
