// The workers: a few threads that run jobs for the user-interface thread, which waits for them
// handling only what other threads send it.
// clang-format off
#include "platform/win32/Win32Util.h"  // <windows.h>, which the headers below need
// clang-format on

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>

#include "platform/win32/Win32Platform.h"

namespace nv {

struct Win32Workers::State {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> queue;  // jobs no worker has taken yet
    // Made with CreateThread, not std::thread: under Wine a std::thread started after another
    // thread of the process had ended (shook.dll's) now and then never ran, and a job that
    // never runs would hold the cycle, with everything hidden, for good.
    std::vector<win32::UniqueHandle> threads;
    std::size_t idle = 0;  // workers without a job, counted from their making
    bool stopping = false;
    // The jobs of the last Start that have ended, and the first error one raised.
    std::vector<char> ended;
    std::exception_ptr firstError;
    // Set each time a job ends: what the starting thread waits on.
    win32::UniqueHandle progress{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    ULONGLONG startedAt = 0;  // read and written by the starting thread only

    void Work() {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [&] { return stopping || !queue.empty(); });
            if (queue.empty()) return;
            std::function<void()> job = std::move(queue.front());
            queue.pop_front();
            --idle;
            lock.unlock();
            job();
            lock.lock();
            ++idle;
        }
    }
    static DWORD WINAPI Run(void* state) {
        static_cast<State*>(state)->Work();
        return 0;
    }
    bool Ended(std::size_t index) {
        std::lock_guard lock(mutex);
        return ended.at(index) != 0;
    }
};

Win32Workers::Win32Workers() : m_state(std::make_unique<State>()) {}

Win32Workers::~Win32Workers() {
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
    }
    m_state->wake.notify_all();
    for (const win32::UniqueHandle& thread : m_state->threads)
        ::WaitForSingleObject(thread.get(), INFINITE);
}

void Win32Workers::Start(std::vector<std::function<void()>> jobs) {
    State& s = *m_state;
    s.startedAt = ::GetTickCount64();
    {
        std::lock_guard lock(s.mutex);
        s.ended.assign(jobs.size(), 0);
        s.firstError = nullptr;
        for (std::size_t i = 0; i < jobs.size(); ++i) {
            s.queue.push_back([&s, i, job = std::move(jobs[i])] {
                std::exception_ptr error;
                try {
                    job();
                } catch (...) {
                    error = std::current_exception();
                }
                {
                    std::lock_guard endLock(s.mutex);
                    if (error && !s.firstError) s.firstError = error;
                    s.ended[i] = 1;
                }
                ::SetEvent(s.progress.get());
            });
        }
        // A thread per job waiting, up to the limit: a job held by a program that does not
        // answer then holds one worker, not the jobs behind it.
        while (s.threads.size() < kMaxWorkers && s.idle < s.queue.size()) {
            HANDLE thread = ::CreateThread(nullptr, 0, &State::Run, &s, 0, nullptr);
            if (!thread) break;
            ++s.idle;
            s.threads.emplace_back(thread);
        }
    }
    s.wake.notify_all();
    // Without a single thread the jobs run here, one after the other: late, but run.
    std::unique_lock lock(s.mutex);
    while (s.threads.empty() && !s.queue.empty()) {
        std::function<void()> job = std::move(s.queue.front());
        s.queue.pop_front();
        lock.unlock();
        job();
        lock.lock();
    }
}

bool Win32Workers::WaitForJob(std::size_t index, std::uint32_t deadlineMs) {
    State& s = *m_state;
    const ULONGLONG until = s.startedAt + deadlineMs;
    HANDLE progress = s.progress.get();
    while (!s.Ended(index)) {
        DWORD wait = INFINITE;
        if (deadlineMs != UINT32_MAX) {
            ULONGLONG now = ::GetTickCount64();
            if (now >= until) return false;
            wait = static_cast<DWORD>(until - now);
        }
        // Messages sent to this thread are handled (another program's window, or a worker's
        // call on one of ours, waits on them); posted ones, timers and input stay queued, so
        // no hotkey or click runs the cycle again meanwhile.
        DWORD woke = ::MsgWaitForMultipleObjectsEx(1, &progress, wait, QS_SENDMESSAGE, 0);
        if (woke == WAIT_OBJECT_0 + 1) {
            MSG msg;
            ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        } else if (woke != WAIT_OBJECT_0) {
            return s.Ended(index);  // the time is up
        }
    }
    return true;
}

void Win32Workers::WaitForAll() {
    State& s = *m_state;
    std::size_t count;
    {
        std::lock_guard lock(s.mutex);
        count = s.ended.size();
    }
    for (std::size_t i = 0; i < count; ++i) WaitForJob(i, UINT32_MAX);
    std::exception_ptr error;
    {
        std::lock_guard lock(s.mutex);
        std::swap(error, s.firstError);
    }
    if (error) std::rethrow_exception(error);
}

}  // namespace nv
