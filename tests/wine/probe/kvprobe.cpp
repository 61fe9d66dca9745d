// kvprobe: a console helper for the Windows tests. It finds windows and reads their
// texts, waits for windows and processes, sends messages, hosts a window for the
// preview, stands in for the taskbar, and times the start of a program.
//
// Every result is one line on stdout (fields separated by tabs); the exit code is 0 when
// what was asked for was found or done, 1 when not (a wait that timed out), 2 on bad use.
#include <windows.h>
#include <mmsystem.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "probe.h"

namespace probe {

void Print(const std::wstring& line) {
    std::wstring text = line + L"\n";
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    fwrite(out.data(), 1, out.size(), stdout);
    fflush(stdout);
}

[[noreturn]] void Usage(const std::wstring& why) {
    fwprintf(stderr, L"kvprobe: %ls\n", why.c_str());
    fflush(stderr);
    ExitProcess(2);
}

long long ParseNumber(const std::wstring& text, int base) {
    if (text.empty()) Usage(L"a number is missing");
    wchar_t* end = nullptr;
    long long value = wcstoll(text.c_str(), &end, base);
    if (*end != 0) Usage(L"not a number: " + text);
    return value;
}

HWND ParseWindow(const std::wstring& text) {
    return reinterpret_cast<HWND>(static_cast<intptr_t>(ParseNumber(text, 10)));
}

std::wstring WindowClass(HWND hwnd) {
    wchar_t buffer[256] = {};
    GetClassNameW(hwnd, buffer, 256);
    return buffer;
}

// The window's text; asked for by message so that other processes' controls answer too.
std::wstring WindowText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    text.resize(copied);
    return text;
}

std::wstring RectText(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," +
           std::to_wstring(r.right - r.left) + L"," + std::to_wstring(r.bottom - r.top);
}

std::wstring HandleText(HWND hwnd) {
    return std::to_wstring(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hwnd)));
}

DWORD WindowProcess(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> list;
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&list));
    return list;
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> list;
    EnumChildWindows(
        parent,
        [](HWND hwnd, LPARAM param) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&list));
    return list;
}

bool PollUntil(DWORD timeoutMs, DWORD pauseMs, const std::function<bool()>& done) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(pauseMs);
    }
}

}  // namespace probe

using namespace probe;

namespace {

struct Options {
    std::vector<std::wstring> positional;
    std::wstring className, text, until, style;
    bool hasClass = false, hasText = false, visible = false, all = false;
    long long pid = -1, runs = 3;
    DWORD timeout = 10000;
};

Options ParseOptions(int argc, wchar_t** argv, int first) {
    Options o;
    for (int i = first; i < argc; ++i) {
        std::wstring a = argv[i];
        auto value = [&]() -> std::wstring {
            if (i + 1 >= argc) Usage(a + L" needs a value");
            return argv[++i];
        };
        if (a == L"--class") o.className = value(), o.hasClass = true;
        else if (a == L"--text") o.text = value(), o.hasText = true;
        else if (a == L"--pid") o.pid = ParseNumber(value(), 10);
        else if (a == L"--timeout") o.timeout = static_cast<DWORD>(ParseNumber(value(), 10));
        else if (a == L"--visible") o.visible = true;
        else if (a == L"--all") o.all = true;
        else if (a == L"--until") o.until = value();
        else if (a == L"--style") o.style = value();
        else if (a == L"--runs") o.runs = ParseNumber(value(), 10);
        else o.positional.push_back(a);
    }
    return o;
}

int CmdWindows(const Options& o) {
    for (HWND hwnd : TopLevelWindows()) {
        if (!o.all && !IsWindowVisible(hwnd)) continue;
        DWORD pid = WindowProcess(hwnd);
        if (o.pid >= 0 && pid != static_cast<DWORD>(o.pid)) continue;
        Print(HandleText(hwnd) + L"\t" + std::to_wstring(pid) + L"\t" + WindowClass(hwnd) + L"\t" +
              WindowText(hwnd) + L"\t" + RectText(hwnd) +
              (o.all ? (IsWindowVisible(hwnd) ? L"\tvisible" : L"\thidden") : L""));
    }
    return 0;
}

int CmdWaitWindow(const Options& o) {
    if (!o.hasClass && !o.hasText) Usage(L"wait-window needs --class or --text");
    HWND found = nullptr;
    bool ok = PollUntil(o.timeout, 10, [&] {
        for (HWND hwnd : TopLevelWindows()) {
            if (o.visible && !IsWindowVisible(hwnd)) continue;
            if (o.pid >= 0 && WindowProcess(hwnd) != static_cast<DWORD>(o.pid)) continue;
            if (o.hasClass && _wcsicmp(WindowClass(hwnd).c_str(), o.className.c_str()) != 0) continue;
            if (o.hasText && WindowText(hwnd) != o.text) continue;
            found = hwnd;
            return true;
        }
        return false;
    });
    if (!ok) return 1;
    Print(HandleText(found) + L"\t" + std::to_wstring(WindowProcess(found)));
    return 0;
}

int CmdWaitGone(const Options& o) {
    if (o.pid >= 0) {
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(o.pid));
        if (!process) return 0;  // no such process: it has ended
        DWORD r = WaitForSingleObject(process, o.timeout);
        CloseHandle(process);
        return r == WAIT_OBJECT_0 ? 0 : 1;
    }
    if (o.positional.empty()) Usage(L"wait-gone needs a window handle or --pid");
    HWND hwnd = ParseWindow(o.positional[0]);
    return PollUntil(o.timeout, 10, [&] { return !IsWindow(hwnd); }) ? 0 : 1;
}

bool HasText(HWND top, const std::wstring& text) {
    if (WindowText(top) == text) return true;
    for (HWND child : ChildWindows(top))
        if (WindowText(child) == text) return true;
    return false;
}

int CmdFindText(const Options& o) {
    if (o.positional.empty()) Usage(L"find-text needs a text");
    const std::wstring& text = o.positional[0];
    HWND found = nullptr;
    bool ok = PollUntil(o.timeout, 20, [&] {
        for (HWND hwnd : TopLevelWindows()) {
            if (!IsWindowVisible(hwnd)) continue;
            if (HasText(hwnd, text)) {
                found = hwnd;
                return true;
            }
        }
        return false;
    });
    if (!ok) return 1;
    Print(HandleText(found) + L"\t" + WindowText(found));
    return 0;
}

int CmdChildren(const Options& o) {
    if (o.positional.empty()) Usage(L"children needs a window handle");
    HWND parent = ParseWindow(o.positional[0]);
    if (!IsWindow(parent)) return 1;
    for (HWND hwnd : ChildWindows(parent))
        Print(HandleText(hwnd) + L"\t" + WindowClass(hwnd) + L"\t" + WindowText(hwnd) + L"\t" +
              RectText(hwnd) + L"\t" + (IsWindowVisible(hwnd) ? L"visible" : L"hidden"));
    return 0;
}

// A button's text without its accelerator marks ("&OK" is "OK").
std::wstring PlainText(std::wstring text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

// Presses a button by posting its click notification to the button's parent, the way the
// button itself reports a click. Posting (rather than BM_CLICK, which needs the dialog to
// be active) works for a message box of another process whatever window has the focus,
// and does not wait for the dialog to finish its work.
int CmdPress(const Options& o) {
    if (o.positional.size() < 2) Usage(L"press needs a window handle and a button text");
    HWND top = ParseWindow(o.positional[0]);
    if (!IsWindow(top)) return 1;
    for (HWND child : ChildWindows(top)) {
        if (_wcsicmp(WindowClass(child).c_str(), L"Button") != 0) continue;
        if (PlainText(WindowText(child)) != PlainText(o.positional[1])) continue;
        HWND parent = GetParent(child);
        int id = GetDlgCtrlID(child);
        if (!PostMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                          reinterpret_cast<LPARAM>(child)))
            return 1;
        Print(HandleText(child));
        return 0;
    }
    return 1;
}

int CmdSendSysCommand(const Options& o) {
    if (o.positional.size() < 2) Usage(L"send-syscommand needs a window handle and a command");
    HWND hwnd = ParseWindow(o.positional[0]);
    WPARAM command = static_cast<WPARAM>(ParseNumber(o.positional[1], 16));
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, WM_SYSCOMMAND, command, 0, SMTO_ABORTIFHUNG, o.timeout, &result))
        return 1;
    Print(std::to_wstring(static_cast<long long>(result)));
    return 0;
}

// --- Windows of our own: the host, the taskbar stand-in and the empty program ---------

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        if (!GetParent(hwnd)) PostQuitMessage(0);
        return 0;
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(hwnd, &r);
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
        FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
        DeleteObject(brush);
        return 1;
    }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void RegisterPlainClass(const wchar_t* name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

HWND MakeWindow(const wchar_t* cls, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y,
                int w, int h, HWND parent, COLORREF colour) {
    HWND hwnd = CreateWindowExW(exStyle, cls, title, style, x, y, w, h, parent, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (hwnd) SetWindowLongPtrW(hwnd, GWLP_USERDATA, colour);
    return hwnd;
}

DWORD mainThread = 0;

// Ends the message loop when standard input reaches its end.
DWORD WINAPI WatchInput(void*) {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    }
    PostThreadMessageW(mainThread, WM_QUIT, 0, 0);
    return 0;
}

// Runs the message loop until stdin closes, the file `until` appears, or `top` is gone.
void RunUntil(HWND top, const std::wstring& until) {
    mainThread = GetCurrentThreadId();
    if (until.empty()) CreateThread(nullptr, 0, WatchInput, nullptr, 0, nullptr);
    SetTimer(nullptr, 0, 50, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && !msg.hwnd) {
            if (!until.empty() && GetFileAttributesW(until.c_str()) != INVALID_FILE_ATTRIBUTES) break;
            if (!IsWindow(top)) break;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (IsWindow(top)) DestroyWindow(top);
}

int CmdHost(const Options& o) {
    if (o.positional.size() < 2) Usage(L"host needs a width and a height");
    int w = static_cast<int>(ParseNumber(o.positional[0], 10));
    int h = static_cast<int>(ParseNumber(o.positional[1], 10));
    RegisterPlainClass(L"KvProbeHost");
    RECT r{0, 0, w + 40, h + 40};
    AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
    HWND top = MakeWindow(L"KvProbeHost", L"kvprobe host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 40, 40,
                          r.right - r.left, r.bottom - r.top, nullptr, RGB(64, 64, 64));
    HWND child = MakeWindow(L"KvProbeHost", L"host", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 20, 20,
                            w, h, top, RGB(0, 0, 96));
    if (!top || !child) return 1;
    Print(HandleText(child));
    RunUntil(top, o.until);
    return 0;
}

// A stand-in for the taskbar where the desktop has none: a visible strip along the bottom
// of the screen whose class is the taskbar's.
int CmdTray(const Options& o) {
    RegisterPlainClass(L"Shell_TrayWND");
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    HWND tray = MakeWindow(L"Shell_TrayWND", L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, sh - 30,
                           sw, 30, nullptr, RGB(32, 96, 160));
    if (!tray) return 1;
    Print(HandleText(tray));
    RunUntil(tray, o.until);
    return 0;
}

int CmdEmpty(const Options&) {
    RegisterPlainClass(L"KvProbeEmpty");
    HWND hwnd = MakeWindow(L"KvProbeEmpty", L"kvprobe empty", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                           CW_USEDEFAULT, CW_USEDEFAULT, 400, 300, nullptr, RGB(255, 255, 255));
    if (!hwnd) return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

std::wstring QuoteArgument(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, L'\\');
    return out + L"\"";
}

// Starts a program and measures the time until a visible top-level window of its process
// (of the given class, when one is named) exists. Prints the milliseconds, then the pid;
// the program is left running.
int CmdStartTime(int argc, wchar_t** argv, int first) {
    int dash = first;
    while (dash < argc && std::wstring(argv[dash]) != L"--") ++dash;
    if (dash + 1 >= argc) Usage(L"start-time needs -- PROGRAM [ARGS...]");
    Options o = ParseOptions(dash, argv, first);
    std::wstring commandLine;
    for (int i = dash + 1; i < argc; ++i) {
        if (!commandLine.empty()) commandLine += L' ';
        commandLine += QuoteArgument(argv[i]);
    }
    // The program gets the null device for its standard handles, so that it keeps none of
    // ours open: whoever reads our output sees its end when we end, not when the program does.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherit, OPEN_EXISTING, 0, nullptr);
    for (DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE})
        SetHandleInformation(GetStdHandle(which), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = si.hStdOutput = si.hStdError = nul;
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    timeBeginPeriod(1);
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(argv[dash + 1], commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &si, &pi)) {
        fwprintf(stderr, L"kvprobe: cannot start %ls (error %lu)\n", argv[dash + 1], GetLastError());
        return 2;
    }
    bool ok = PollUntil(o.timeout, 1, [&] {
        for (HWND hwnd : TopLevelWindows()) {
            if (!IsWindowVisible(hwnd) || WindowProcess(hwnd) != pi.dwProcessId) continue;
            if (o.hasClass && _wcsicmp(WindowClass(hwnd).c_str(), o.className.c_str()) != 0) continue;
            return true;
        }
        return false;
    });
    QueryPerformanceCounter(&now);
    timeEndPeriod(1);
    double ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
                static_cast<double>(frequency.QuadPart);
    wchar_t text[64];
    swprintf(text, 64, L"%.1f", ms);
    if (ok) Print(text);
    Print(std::to_wstring(pi.dwProcessId));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ok ? 0 : 1;
}

void PrintHelp() {
    Print(L"usage: kvprobe COMMAND ...\n"
          L"  windows [--pid N] [--all]\n"
          L"  wait-window (--class C | --text T) [--pid N] [--timeout MS] [--visible]\n"
          L"  wait-gone (HWND | --pid N) [--timeout MS]\n"
          L"  find-text TEXT [--timeout MS]\n"
          L"  children HWND\n"
          L"  press HWND BUTTONTEXT\n"
          L"  send-syscommand HWND HEX\n"
          L"  host W H [--until FILE]\n"
          L"  tray [--until FILE]\n"
          L"  start-time [--class C] [--timeout MS] -- PROGRAM ARGS...\n"
          L"  empty\n"
          L"  transition-time [--style N[,N...]] [--runs K] A.jpg B.jpg");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        PrintHelp();
        return 2;
    }
    // Lines end in a bare line feed, as the shell scripts that read them expect.
    _setmode(_fileno(stdout), _O_BINARY);
    std::wstring command = argv[1];
    if (command == L"start-time") return CmdStartTime(argc, argv, 2);
    Options o = ParseOptions(argc, argv, 2);
    if (command == L"windows") return CmdWindows(o);
    if (command == L"wait-window") return CmdWaitWindow(o);
    if (command == L"wait-gone") return CmdWaitGone(o);
    if (command == L"find-text") return CmdFindText(o);
    if (command == L"children") return CmdChildren(o);
    if (command == L"press") return CmdPress(o);
    if (command == L"send-syscommand") return CmdSendSysCommand(o);
    if (command == L"host") return CmdHost(o);
    if (command == L"tray") return CmdTray(o);
    if (command == L"empty") return CmdEmpty(o);
    if (command == L"transition-time") return probe::TransitionTime(o.style, static_cast<int>(o.runs), o.positional);
    PrintHelp();
    return 2;
}
