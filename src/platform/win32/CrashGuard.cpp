#include "platform/win32/CrashGuard.h"

#include <windows.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <exception>

namespace nv::win32 {

namespace {

std::function<void()> g_lastChance;
std::atomic_flag g_ran = ATOMIC_FLAG_INIT;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;
std::terminate_handler g_previousTerminate = nullptr;

// Once only: a fault inside the action itself ends the program at once.
void RunLastChance() {
    if (g_ran.test_and_set()) return;
    if (g_lastChance) g_lastChance();
}

LONG WINAPI UnhandledFilter(EXCEPTION_POINTERS* info) {
    RunLastChance();
    // The fault goes on to whatever reports it (a debugger, Windows Error Reporting).
    return g_previousFilter ? g_previousFilter(info) : EXCEPTION_CONTINUE_SEARCH;
}

void OnTerminate() {
    RunLastChance();
    if (g_previousTerminate) g_previousTerminate();
    std::abort();
}

void OnAbort(int) { RunLastChance(); }

}  // namespace

void InstallCrashGuard(std::function<void()> lastChance) {
    g_lastChance = std::move(lastChance);
    static bool installed = false;  // once: a second install would chain the guard to itself
    if (installed) return;
    installed = true;
    g_previousFilter = ::SetUnhandledExceptionFilter(UnhandledFilter);
    g_previousTerminate = std::set_terminate(OnTerminate);
    std::signal(SIGABRT, OnAbort);
}

}  // namespace nv::win32
