// The fake desktop's threads: the calls that wait on a window's thread, what each costs on the
// fake's clock, and the workers that run jobs side by side on that clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <utility>

#include "support/FakeDesktop.h"

namespace nv::test {

namespace {
std::string Hex(WindowHandle h) {
    std::ostringstream out;
    out << std::hex << h;
    return out.str();
}
}  // namespace

std::uint64_t FakeDesktop::FreeAt(WindowHandle window) {
    auto busy = busyUntilMs.find(ThreadOf(window));
    return busy == busyUntilMs.end() ? clockMs : std::max(clockMs, busy->second);
}

bool FakeDesktop::WaitOn(WindowHandle window, const std::string& call) {
    calls.push_back(call);
    if (!Has(window)) return false;
    // On Windows this call would stall the program until the window's thread answers again.
    if (m_windows[window].hung) ADD_FAILURE() << call << " waits on a window that does not answer";
    clockMs = FreeAt(window) + 1;
    return !m_windows[window].elevated;
}

void FakeDesktop::SetWindowExStyleAndWait(WindowHandle window, std::uint32_t exStyle) {
    if (WaitOn(window, "SetWindowExStyleAndWait(" + Hex(window) + ")"))
        m_windows[window].exStyle = exStyle;
}

bool FakeDesktop::ShowWindowAndWait(WindowHandle window, int showCmd) {
    bool allowed =
        WaitOn(window, "ShowWindowAndWait(" + Hex(window) + "," + std::to_string(showCmd) + ")");
    return allowed && ApplyShow(window, showCmd, clockMs);
}

bool FakeDesktop::ShowWindowAsync(WindowHandle window, int showCmd) {
    // Logged apart from ShowWindow: it is the one show call that cannot wait on a hung window.
    calls.push_back("ShowWindowAsync(" + Hex(window) + "," + std::to_string(showCmd) + ")");
    if (!Has(window) || m_windows[window].elevated) return false;
    // Done by the window's thread as soon as it is free.
    return ApplyShow(window, showCmd, FreeAt(window));
}

bool FakeDesktop::ApplyShow(WindowHandle window, int showCmd, std::uint64_t atMs) {
    if (!Has(window)) return false;
    FakeWindow& w = m_windows[window];
    const bool wasVisible = (w.style & kWsVisible) != 0;
    const bool wasIconic = w.iconic;
    bool toTop = true;
    switch (showCmd) {
        case ShowCmd::Hide:
            if (!w.refusesHide) w.style &= ~kWsVisible;
            toTop = false;
            break;
        case ShowCmd::ShowMinimized:
        case ShowCmd::ShowMinNoActive:
            w.style |= kWsVisible;
            w.iconic = true;
            toTop = false;
            break;
        case ShowCmd::Restore:
        case ShowCmd::ShowNormal:
        case ShowCmd::ShowNoActivate:
            w.style |= kWsVisible;
            w.iconic = false;
            break;
        default:
            w.style |= kWsVisible;
            break;
    }
    if (wasVisible != ((w.style & kWsVisible) != 0) || wasIconic != w.iconic) w.changedAtMs = atMs;
    if (toTop && w.parent == 0) {
        m_z.erase(std::remove(m_z.begin(), m_z.end(), window), m_z.end());
        m_z.insert(m_z.begin(), window);
    }
    return wasVisible;
}

bool FakeDesktop::SendMessageTimeoutW(WindowHandle window, std::uint32_t msg, std::uintptr_t,
                                      std::intptr_t, std::uint32_t timeoutMs) {
    calls.push_back("SendMessageTimeout(" + Hex(window) + "," + std::to_string(msg) + ")");
    if (!Has(window)) return false;
    FakeWindow& w = m_windows[window];
    if (w.hung || w.unanswered > 0) {
        if (!w.hung) --w.unanswered;
        clockMs += timeoutMs;
        return false;
    }
    std::uint64_t free = FreeAt(window);
    if (free > clockMs + timeoutMs) {
        clockMs += timeoutMs;
        return false;
    }
    clockMs = free + 1;
    return true;
}

void FakeDesktop::SetWindowPosAndWait(WindowHandle window, WindowHandle insertAfter) {
    if (!WaitOn(window, "SetWindowPos(" + Hex(window) + "," + Hex(insertAfter) + ")") ||
        m_windows[window].parent != 0)
        return;
    m_z.erase(std::remove(m_z.begin(), m_z.end(), window), m_z.end());
    auto after = std::find(m_z.begin(), m_z.end(), insertAfter);
    m_z.insert(after == m_z.end() ? m_z.begin() : after + 1, window);
}

// ---------------------------------------------------------------------------------------------
// Workers

void FakeDesktop::Start(std::vector<std::function<void()>> jobs) {
    m_jobsStartedAt = clockMs;
    m_jobsEndAt.clear();
    m_jobError = nullptr;
    for (auto& job : jobs) {
        clockMs = m_jobsStartedAt;
        try {
            job();
        } catch (...) {
            if (!m_jobError) m_jobError = std::current_exception();
        }
        m_jobsEndAt.push_back(clockMs);
    }
    clockMs = m_jobsStartedAt;
}

bool FakeDesktop::WaitForJob(std::size_t index, std::uint32_t deadlineMs) {
    const std::uint64_t endAt = m_jobsEndAt.at(index);
    const std::uint64_t limit =
        deadlineMs == UINT32_MAX ? endAt : std::max(clockMs, m_jobsStartedAt + deadlineMs);
    if (endAt <= limit) {
        clockMs = std::max(clockMs, endAt);
        return true;
    }
    clockMs = limit;
    return false;
}

void FakeDesktop::WaitForAll() {
    for (std::uint64_t endAt : m_jobsEndAt) clockMs = std::max(clockMs, endAt);
    if (std::exception_ptr error = std::exchange(m_jobError, nullptr))
        std::rethrow_exception(error);
}

}  // namespace nv::test
