// Waiting for a call that may never return: the work runs on a thread of its own, and the
// caller waits for it no longer than it chose.
#pragma once

#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

#include "platform/win32/Win32Util.h"

namespace nv::win32 {

// Runs work() on a new thread and waits at most timeoutMs for it: its result, or what it raised
// raised again, or nullopt when the time ran out. The thread is then left to finish by itself,
// so the work must own all it uses (capture by value, never the caller's locals): it shares
// nothing with the caller but the slot of its result, which it keeps alive itself and which is
// dropped, unread, when it ends.
template <typename Work>
auto RunWithDeadline(Work work, std::uint32_t timeoutMs) -> std::optional<decltype(work())> {
    using Result = decltype(work());
    using Task = std::packaged_task<Result()>;
    auto task = std::make_shared<Task>(std::move(work));
    std::future<Result> result = task->get_future();
    // A thread of the system's own rather than a std::thread: under Wine, a std::thread started
    // after another thread of the process ended (shook.dll's) now and then ended before running
    // its work, and the caller waited out its whole deadline for nothing.
    auto* owned = new std::shared_ptr<Task>(std::move(task));
    HANDLE thread = ::CreateThread(
        nullptr, 0,
        [](void* argument) -> DWORD {
            std::unique_ptr<std::shared_ptr<Task>> mine(
                static_cast<std::shared_ptr<Task>*>(argument));
            (**mine)();
            return 0;
        },
        owned, 0, nullptr);
    if (!thread) {
        delete owned;
        throw std::runtime_error("Cannot start a thread");
    }
    ::CloseHandle(thread);
    if (result.wait_for(std::chrono::milliseconds(timeoutMs)) != std::future_status::ready)
        return std::nullopt;
    return result.get();
}

}  // namespace nv::win32
