// Waiting for a call that may never return: the work runs on a thread of its own, and the
// caller waits for it no longer than it chose.
#pragma once

#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

namespace nv::win32 {

// Runs work() on a new thread and waits at most timeoutMs for it: its result, or what it raised
// raised again, or nullopt when the time ran out. The thread is then left to finish by itself,
// so the work must own all it uses (capture by value, never the caller's locals): it shares
// nothing with the caller but the slot of its result, which it keeps alive itself and which is
// dropped, unread, when it ends.
template <typename Work>
auto RunWithDeadline(Work work, std::uint32_t timeoutMs) -> std::optional<decltype(work())> {
    using Result = decltype(work());
    auto task = std::make_shared<std::packaged_task<Result()>>(std::move(work));
    std::future<Result> result = task->get_future();
    std::thread([task] { (*task)(); }).detach();
    if (result.wait_for(std::chrono::milliseconds(timeoutMs)) != std::future_status::ready)
        return std::nullopt;
    return result.get();
}

}  // namespace nv::win32
