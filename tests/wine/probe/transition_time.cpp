// transition-time: the player control on a borderless full-screen window, two pictures
// scaled to the screen, and whole transitions timed from Execute until the player is no
// longer busy, in wall time and in the process's CPU time.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/Files.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/PlayerControl.h"
#include "graphics/Jpeg.h"
#include "graphics/Resample.h"
#include "probe.h"

namespace probe {
namespace {

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Kernel plus user time of this process, in milliseconds.
double ProcessCpu() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& f) {
        return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) |
                                   f.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Serves the window's messages until the player has finished its transition.
bool PumpUntilIdle(kv::TTransitionPlayer& player, DWORD timeoutMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (player.Busy()) {
        if (GetTickCount64() > deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        kv::Application().ProcessMessages();
    }
    kv::Application().ProcessMessages();
    return true;
}

std::vector<int> ParseStyles(const std::wstring& text) {
    std::vector<int> styles;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(L',', start);
        std::wstring item = text.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
        long long style = ParseNumber(item, 10);
        if (style < 1 || style > 150) Usage(L"styles run from 1 to 150: " + item);
        styles.push_back(static_cast<int>(style));
        if (comma == std::wstring::npos) break;
        start = comma + 1;
    }
    return styles;
}

}  // namespace

int TransitionTime(const std::wstring& styleText, int runs,
                   const std::vector<std::wstring>& pictureFiles) {
    if (pictureFiles.size() != 2) Usage(L"transition-time needs two JPEG pictures");
    if (runs < 1) Usage(L"--runs must be at least 1");
    std::vector<int> styles = ParseStyles(styleText.empty() ? L"51,118,130" : styleText);
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);

    std::vector<kv::Bitmap> pictures;
    try {
        for (const std::wstring& file : pictureFiles) {
            kv::Bitmap decoded = kv::DecodeJpeg(kv::ReadFileBytes(std::filesystem::path(file)));
            pictures.push_back(kv::ScaleBitmap(decoded, sw, sh));
        }
    } catch (const std::exception& e) {
        fprintf(stderr, "kvprobe: %s\n", e.what());
        return 2;
    }

    kv::TForm form;
    form.BorderStyle = kv::TBorderStyle::bsNone;
    form.WindowState = kv::TWindowState::wsMaximized;
    form.StayOnTop = true;
    form.Color = RGB(0, 0, 0);
    form.Caption = "kvprobe transition";
    kv::TPlayerControl control(&form);
    control.Align = kv::TControlAlign::alClient;
    form.Create();
    form.Show();
    kv::Application().ProcessMessages();

    kv::TTransitionPlayer& player = control.Player();
    player.SetStep(4);
    player.SetDelay(40);
    player.SetStretch(true);

    // The first picture comes on untimed, so every timed transition starts from a picture.
    player.SetStyle(styles[0]);
    player.SetPicture(pictures[0]);
    player.Execute();
    if (!PumpUntilIdle(player, 60000)) {
        fprintf(stderr, "kvprobe: the first transition did not end\n");
        return 1;
    }

    wchar_t line[160];
    swprintf(line, 160, L"screen %dx%d, step %u, delay %u ms, client %dx%d", sw, sh,
             static_cast<unsigned>(player.Step()), static_cast<unsigned>(player.Delay()),
             control.ClientWidth(), control.ClientHeight());
    Print(line);
    Print(L"style\trun\twall_ms\tcpu_ms");
    std::vector<double> allWall, allCpu;
    std::vector<std::wstring> summary;
    int next = 1;
    for (int style : styles) {
        std::vector<double> wall, cpu;
        for (int run = 1; run <= runs; ++run) {
            player.SetStyle(style);
            player.SetPicture(pictures[next]);
            next ^= 1;
            double cpu0 = ProcessCpu(), t0 = Now();
            player.Execute();
            if (!PumpUntilIdle(player, 60000)) {
                fprintf(stderr, "kvprobe: style %d did not end within 60 s\n", style);
                return 1;
            }
            double t1 = Now(), cpu1 = ProcessCpu();
            wall.push_back(t1 - t0);
            cpu.push_back(cpu1 - cpu0);
            swprintf(line, 160, L"%d\t%d\t%.1f\t%.1f", style, run, t1 - t0, cpu1 - cpu0);
            Print(line);
        }
        allWall.insert(allWall.end(), wall.begin(), wall.end());
        allCpu.insert(allCpu.end(), cpu.begin(), cpu.end());
        swprintf(line, 160, L"%d\tmedian\t%.1f\t%.1f", style, Median(wall), Median(cpu));
        summary.push_back(line);
    }
    for (const std::wstring& s : summary) Print(s);
    swprintf(line, 160, L"all\tmedian\t%.1f\t%.1f", Median(allWall), Median(allCpu));
    Print(line);
    form.Close();
    kv::Application().ProcessMessages();
    return 0;
}

}  // namespace probe
