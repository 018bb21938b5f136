// Benchmark, run under Wine: how long a window that appears while everything is hidden stays on
// screen with "Hide newly created windows while in HIDE mode" ticked. Nivora.exe runs as a user
// starts it; this program hides with Ctrl+`, then makes a window invisible and shows it, 20 times,
// timing each from its ShowWindow until it is hidden again (one clock, this process's). Then the
// CPU time Nivora spends in 60 s of nothing with the option on. Prints figures; asserts nothing.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "support/Driver.h"

using namespace e2e;

namespace {

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

// Pumps this thread's messages (a hide from another process takes effect only then) until the
// predicate holds or the time runs out.
bool PumpUntil(const std::function<bool()>& done, double timeoutMs) {
    double until = Now() + timeoutMs;
    MSG msg;
    while (Now() < until) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    return done();
}

void Pump(double ms) {
    PumpUntil([] { return false; }, ms);
}

double CpuMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

HWND MakeWindow(const wchar_t* title, bool visible) {
    return CreateWindowExW(0, L"NvBenchWindow", title,
                           WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 100, 100, 300, 200,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

int main() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"NvBenchWindow";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&wc);

    MakeEmptyDataFolder();
    std::wstring settings = DataFolder() + L"nva.dat";
    WritePrivateProfileStringW(L"General", L"HideNewlyCreatedWindows", L"1", settings.c_str());
    HWND anchor = MakeWindow(L"Anchor", true);
    Pump(200);

    Process nivora;
    if (!Start(nivora, L"Nivora.exe", L"/q")) {
        std::printf("Nivora.exe did not start\n");
        return 1;
    }
    HWND main = nullptr;
    WaitFor([&] { return (main = FindMainWindow(nivora.Pid())) != nullptr; });
    if (!main || !Answers(main) || FindDialog(nivora.Pid())) {
        std::printf("Nivora.exe did not start cleanly (is shook.dll beside it?)\n");
        return 1;
    }

    PressKeys({VK_CONTROL}, VK_OEM_3);
    if (!PumpUntil([&] { return !IsWindowVisible(anchor); }, 10000)) {
        std::printf("the hide did not happen\n");
        return 1;
    }

    const int kWindows = 20;
    std::vector<double> onScreen;
    int missed = 0;
    for (int i = 0; i < kWindows; ++i) {
        std::wstring title = L"Popup " + std::to_wstring(i);
        HWND w = MakeWindow(title.c_str(), false);
        Pump(50);  // made, not yet shown: as a program usually does it
        double shown = Now();
        ShowWindow(w, SW_SHOW);
        if (PumpUntil([&] { return !IsWindowVisible(w); }, 2000))
            onScreen.push_back(Now() - shown);
        else
            ++missed;
        DestroyWindow(w);
        Pump(100);
    }

    PressKeys({VK_CONTROL}, VK_OEM_3);
    PumpUntil([&] { return IsWindowVisible(anchor) != FALSE; }, 10000);

    std::printf("Window watch: %d windows shown while hidden\n", kWindows);
    if (!onScreen.empty()) {
        std::vector<double> sorted = onScreen;
        std::sort(sorted.begin(), sorted.end());
        double median = sorted.size() % 2 ? sorted[sorted.size() / 2]
                                          : (sorted[sorted.size() / 2 - 1] + sorted[sorted.size() / 2]) / 2;
        std::printf("  on screen, ms:");
        for (double t : onScreen) std::printf(" %.1f", t);
        std::printf("\n  median %.1f ms, best %.1f ms, worst %.1f ms; not hidden within 2 s: %d\n",
                    median, sorted.front(), sorted.back(), missed);
    } else {
        std::printf("  none was hidden within 2 s\n");
    }

    // Idle: the option on, the library loaded, nothing happening.
    double cpuBefore = CpuMs(nivora.pi.hProcess);
    double wallBefore = Now();
    Pump(60000);
    double cpuAfter = CpuMs(nivora.pi.hProcess);
    std::printf("Idle with the option on: Nivora used %.1f ms of CPU in %.1f s\n",
                cpuAfter - cpuBefore, (Now() - wallBefore) / 1000.0);

    nivora.Kill();
    DestroyWindow(anchor);
    return 0;
}
