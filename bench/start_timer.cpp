// Benchmark helper for bench/start_bench.sh, run under Wine: starts a program and prints how many
// milliseconds passed from CreateProcessW until a top-level window of the new process was
// visible, then leaves the program running. Usage: start_timer.exe PROGRAM [ARGUMENTS]
#include <windows.h>

#include <cstdio>
#include <string>

namespace {
double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

bool HasVisibleWindow(DWORD pid) {
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == pid && IsWindowVisible(h)) return true;
    }
    return false;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
    for (int i = 2; i < argc; ++i) commandLine += L" " + std::wstring(argv[i]);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    double start = Now();
    if (!CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi))
        return 1;
    while (!HasVisibleWindow(pi.dwProcessId)) {
        if (Now() - start > 30000) return 1;
        Sleep(1);
    }
    std::printf("%.0f\n", Now() - start);
    return 0;
}
