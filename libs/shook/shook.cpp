// shook.dll: the watching thread and the calls of the program (see shook.h).
#include "shook.h"

#include <algorithm>
#include <atomic>
#include <unordered_set>
#include <vector>

namespace {

constexpr DWORD kShellKind = 0;
constexpr LPARAM kCreated = 1, kDestroyed = 2, kShellActivated = 3, kActivated = 4;
// How often windows created invisible are looked at: young ones often, old ones seldom.
constexpr DWORD kFastPollMs = 2;
constexpr DWORD kSlowPollMs = 250;
constexpr DWORD kYoungMs = 2000;
// A bound on the windows kept for polling, against a program that makes invisible windows
// without end.
constexpr std::size_t kMaxPending = 4096;

std::atomic<HWND> g_receiver{nullptr};
SRWLOCK g_lock = SRWLOCK_INIT;
int g_started[256] = {};  // starts not yet stopped, by kind; under g_lock
HANDLE g_thread = nullptr;
DWORD g_threadId = 0;
UINT g_shellMessage = 0;

// --- The watching thread: everything below is touched by it alone. ---------------------------

struct Pending {
    HWND window;
    DWORD since;
};
std::vector<Pending> g_pending;
std::unordered_set<HWND> g_known;  // reported or pending: their destruction is reported
DWORD g_nextPoll = 0;              // tick of the next look at the pending windows

void Post(HWND window, LPARAM code) {
    HWND receiver = g_receiver.load();
    if (receiver) PostMessageW(receiver, g_shellMessage, reinterpret_cast<WPARAM>(window), code);
}

bool IsTopLevel(HWND window) { return GetAncestor(window, GA_PARENT) == GetDesktopWindow(); }

void Shown(HWND window) {
    for (auto it = g_pending.begin(); it != g_pending.end(); ++it)
        if (it->window == window) {
            g_pending.erase(it);
            break;
        }
    g_known.insert(window);
    Post(window, kCreated);
}

// How long the thread may wait before it looks at the pending windows again; INFINITE when
// there are none. (A thread timer could not do better than 10 ms.)
DWORD PollInterval() {
    DWORD interval = INFINITE;
    DWORD now = GetTickCount();
    for (const Pending& p : g_pending) {
        interval = kSlowPollMs;
        if (now - p.since < kYoungMs) return kFastPollMs;
    }
    return interval;
}

void Poll() {
    std::vector<HWND> shown;
    for (auto it = g_pending.begin(); it != g_pending.end();) {
        if (!IsWindow(it->window)) {
            // Where the system sends no destroy event (Wine), this is how it is noticed.
            g_known.erase(it->window);
            Post(it->window, kDestroyed);
            it = g_pending.erase(it);
        } else if (IsWindowVisible(it->window)) {
            shown.push_back(it->window);
            ++it;
        } else {
            ++it;
        }
    }
    for (HWND window : shown) Shown(window);
}

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                      DWORD) {
    if (!window || object != OBJID_WINDOW || child != CHILDID_SELF) return;
    switch (event) {
        case EVENT_OBJECT_CREATE:
            if (!IsTopLevel(window)) return;
            if (IsWindowVisible(window)) {
                Shown(window);
            } else if (g_pending.size() < kMaxPending) {
                g_pending.push_back({window, GetTickCount()});
                g_known.insert(window);
            }
            return;
        case EVENT_OBJECT_SHOW:
            if (IsTopLevel(window)) Shown(window);
            return;
        case EVENT_OBJECT_DESTROY:
            if (g_known.erase(window) == 0) return;
            for (auto it = g_pending.begin(); it != g_pending.end(); ++it)
                if (it->window == window) {
                    g_pending.erase(it);
                    break;
                }
            Post(window, kDestroyed);
            return;
        case EVENT_SYSTEM_FOREGROUND:
            Post(window, window == GetShellWindow() ? kShellActivated : kActivated);
            return;
        default:
            return;
    }
}

DWORD WINAPI WatchThread(void* ready) {
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // the thread's queue
    const DWORD flags = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
    HWINEVENTHOOK objects =
        SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, nullptr, OnEvent, 0, 0, flags);
    HWINEVENTHOOK foreground = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND,
                                               nullptr, OnEvent, 0, 0, flags);
    SetEvent(static_cast<HANDLE>(ready));
    g_nextPoll = GetTickCount();
    for (;;) {
        DWORD interval = PollInterval();
        DWORD wait = INFINITE;
        if (interval != INFINITE) {
            DWORD due = g_nextPoll - GetTickCount();
            wait = static_cast<LONG>(due) <= 0 ? 0 : std::min(due, interval);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
        bool quit = false;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) quit = true;
            DispatchMessageW(&msg);
        }
        if (quit) break;
        if (!g_pending.empty() && static_cast<LONG>(GetTickCount() - g_nextPoll) >= 0) {
            Poll();
            g_nextPoll = GetTickCount() + PollInterval();
        } else if (g_pending.empty()) {
            g_nextPoll = GetTickCount();  // a window made next is looked at at once
        }
    }
    if (objects) UnhookWinEvent(objects);
    if (foreground) UnhookWinEvent(foreground);
    g_pending.clear();
    g_known.clear();
    return 0;
}

// --- Starting and stopping, under g_lock. ---------------------------------------------------

void StartThread() {
    if (g_thread) return;
    if (!g_shellMessage) g_shellMessage = RegisterWindowMessageW(L"MY_SHELL_EVENT");
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!ready) return;
    g_thread = CreateThread(nullptr, 0, WatchThread, ready, 0, &g_threadId);
    // Returns once the hooks are in place, so nothing shown right after the start is missed.
    if (g_thread) WaitForSingleObject(ready, 5000);
    CloseHandle(ready);
}

void StopThread() {
    if (!g_thread) return;
    PostThreadMessageW(g_threadId, WM_QUIT, 0, 0);
    WaitForSingleObject(g_thread, INFINITE);
    CloseHandle(g_thread);
    g_thread = nullptr;
    g_threadId = 0;
}

struct Locked {
    Locked() { AcquireSRWLockExclusive(&g_lock); }
    ~Locked() { ReleaseSRWLockExclusive(&g_lock); }
};

}  // namespace

extern "C" {

int __stdcall SetReceiver(HWND receiver) {
    g_receiver.store(receiver);
    return 1;
}

int __stdcall StartWatching(DWORD kind) {
    Locked lock;
    kind &= 0xFF;
    ++g_started[kind];
    if (kind == kShellKind) StartThread();
    return 1;
}

int __stdcall StopWatching(DWORD kind) {
    Locked lock;
    kind &= 0xFF;
    if (g_started[kind] > 0) --g_started[kind];
    if (kind == kShellKind && g_started[kind] == 0) StopThread();
    return 1;
}

int __stdcall StillWatching(void) {
    Locked lock;
    for (int count : g_started)
        if (count > 0) return 1;
    return 0;
}

int __stdcall StopAll(void) {
    Locked lock;
    for (int& count : g_started) count = 0;
    StopThread();
    return 1;
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
