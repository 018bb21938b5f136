// Each program thread's windows, hidden and shown again on a worker of their own, all threads at
// once: a program too busy to answer delays only its own windows. The one part of the program
// that runs on workers; it returns only once every worker is done with its windows.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "conceal/WindowSteps.h"
#include "platform/Platform.h"

namespace nv {

// A window and the thread that owns it.
struct TThreadWindow {
    WindowHandle window = 0;
    std::uint32_t thread = 0;
};

// Hides the windows: those of one thread in list order on one worker, with one answer check
// for the thread (after it, the settle of each window tells whether the thread still
// answers; one that does not gets ShowWindowAsync for the rest). A window still visible is
// minimised. Returns what became of each window, in the order given.
std::vector<TConcealResult> ConcealByThread(Platform& platform,
                                            const std::vector<TThreadWindow>& windows);

// One window to show again.
struct TRevealItem {
    WindowHandle window = 0;
    std::uint32_t thread = 0;
    std::uint32_t exStyle = 0;
    bool minimised = false;  // by the hide: it is brought back to the size it had
    bool spared = false;     // never hidden: its style is written only where it differs
    bool own = false;        // the program's own window, shown by the caller
};

// How long the restore waits for a thread to answer before it goes on with the windows above
// that thread's: those come back, in their place, once it answers.
constexpr std::uint32_t kInTurnMs = 20;

// Shows the windows again, the last of the list first, so that they stand in the list's Z order
// with the first on top and none is activated. Each thread is asked at once, on a worker,
// whether it answers (it gets kSettleTimeoutMs); each window is given its style and shown here,
// in order, once its thread has answered. The windows of a thread that has not answered within
// kInTurnMs are shown once it answers and put back where they stood, or, when it does not
// answer at all, without waiting, their styles left owed. showOwn shows an own item at its
// turn. Returns for each item whether its style is written.
std::vector<char> RevealByThread(Platform& platform, const std::vector<TRevealItem>& items,
                                 const std::function<void(const TRevealItem&)>& showOwn);

}  // namespace nv
