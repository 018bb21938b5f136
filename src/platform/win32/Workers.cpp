// The workers: a few threads that run jobs for the user-interface thread, which waits for them
// handling only what other threads send it.
// clang-format off
#include "platform/win32/Win32Util.h"  // <windows.h>, which the headers below need
// clang-format on

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

#include "platform/win32/Win32Platform.h"

namespace nv {

struct Win32Workers::State {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> queue;  // jobs no worker has taken yet
    std::vector<std::thread> threads;
    std::size_t idle = 0;  // workers without a job, counted from their making
    bool stopping = false;
    std::exception_ptr firstError;
    // Read and written by the starting thread only: an event per job of the last Start, set
    // when the job has ended, and when that Start was.
    std::vector<win32::UniqueHandle> ended;
    std::vector<char> seenEnded;  // once seen, a job is not waited for again
    ULONGLONG startedAt = 0;

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
};

Win32Workers::Win32Workers() : m_state(std::make_unique<State>()) {}

Win32Workers::~Win32Workers() {
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
    }
    m_state->wake.notify_all();
    for (std::thread& thread : m_state->threads) thread.join();
}

void Win32Workers::Start(std::vector<std::function<void()>> jobs) {
    State& s = *m_state;
    s.ended.clear();
    s.seenEnded.assign(jobs.size(), 0);
    s.startedAt = ::GetTickCount64();
    {
        std::lock_guard lock(s.mutex);
        s.firstError = nullptr;
        for (auto& job : jobs) {
            HANDLE ended = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
            s.ended.emplace_back(ended);
            s.queue.push_back([&s, ended, job = std::move(job)] {
                try {
                    job();
                } catch (...) {
                    std::lock_guard errorLock(s.mutex);
                    if (!s.firstError) s.firstError = std::current_exception();
                }
                ::SetEvent(ended);
            });
        }
        // A thread per job waiting, up to the limit: a job held by a program that does not
        // answer then holds one worker, not the jobs behind it.
        while (s.threads.size() < kMaxWorkers && s.idle < s.queue.size()) {
            ++s.idle;
            s.threads.emplace_back([&s] { s.Work(); });
        }
    }
    s.wake.notify_all();
}

bool Win32Workers::WaitForJob(std::size_t index, std::uint32_t deadlineMs) {
    State& s = *m_state;
    if (s.seenEnded.at(index)) return true;
    HANDLE ended = s.ended[index].get();
    const ULONGLONG until = s.startedAt + deadlineMs;
    for (;;) {
        DWORD wait = INFINITE;
        if (deadlineMs != UINT32_MAX) {
            ULONGLONG now = ::GetTickCount64();
            wait = now >= until ? 0 : static_cast<DWORD>(until - now);
        }
        // Messages sent to this thread are handled (another program's window, or a worker's
        // call on one of ours, waits on them); posted ones, timers and input stay queued, so
        // no hotkey or click runs the cycle again meanwhile.
        DWORD woke = ::MsgWaitForMultipleObjectsEx(1, &ended, wait, QS_SENDMESSAGE, 0);
        if (woke != WAIT_OBJECT_0 && woke != WAIT_OBJECT_0 + 1)
            woke = ::WaitForSingleObject(ended, 0);
        if (woke == WAIT_OBJECT_0) {
            s.seenEnded[index] = 1;
            return true;
        }
        if (woke != WAIT_OBJECT_0 + 1) return false;
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void Win32Workers::WaitForAll() {
    State& s = *m_state;
    for (std::size_t i = 0; i < s.ended.size(); ++i) WaitForJob(i, UINT32_MAX);
    std::exception_ptr error;
    {
        std::lock_guard lock(s.mutex);
        std::swap(error, s.firstError);
    }
    if (error) std::rethrow_exception(error);
}

}  // namespace nv
