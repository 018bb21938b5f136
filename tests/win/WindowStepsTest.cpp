// The single-window hide and show steps against live windows under Wine, including a window
// whose thread has stopped answering.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <thread>

#include "PlatformTestSupport.h"
#include "conceal/WindowSteps.h"

namespace {

using nvtest::PlatformTest;

// A visible top-level window owned by a thread of its own, which stops pumping messages for
// stallMs right after the window is shown, then pumps until the window is destroyed.
class ThreadWindow {
  public:
    ThreadWindow(DWORD exStyle, DWORD stallMs) {
        m_thread = std::thread([this, exStyle, stallMs] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = ::DefWindowProcW;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"NivoraStepsTestWindow";
            ::RegisterClassW(&wc);  // a second registration fails harmlessly
            HWND hwnd =
                ::CreateWindowExW(exStyle, wc.lpszClassName, L"Steps test", WS_OVERLAPPEDWINDOW, 10,
                                  10, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
            ::ShowWindow(hwnd, SW_SHOWNA);
            m_hwnd = hwnd;
            if (stallMs) ::Sleep(stallMs);
            m_pumping = true;
            MSG msg;
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
        });
        while (!m_hwnd) ::Sleep(1);
    }
    ~ThreadWindow() {
        ::PostMessageW(m_hwnd, WM_CLOSE, 0, 0);  // DefWindowProc destroys it
        ::PostThreadMessageW(::GetWindowThreadProcessId(m_hwnd, nullptr), WM_QUIT, 0, 0);
        m_thread.join();
    }
    HWND Hwnd() const { return m_hwnd; }
    nv::WindowHandle Handle() const { return reinterpret_cast<nv::WindowHandle>(m_hwnd.load()); }
    bool Pumping() const { return m_pumping; }

  private:
    std::atomic<HWND> m_hwnd{nullptr};
    std::atomic<bool> m_pumping{false};
    std::thread m_thread;
};

// Waits up to timeoutMs for a condition to hold.
template <class Condition>
bool WaitFor(Condition condition, DWORD timeoutMs) {
    ULONGLONG until = ::GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (::GetTickCount64() > until) return false;
        ::Sleep(10);
    }
    return true;
}

TEST_F(PlatformTest, ConcealAndRevealAnAnsweringWindow) {
    const DWORD exStyle = WS_EX_APPWINDOW | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE;
    ThreadWindow w(exStyle, 0);
    ASSERT_TRUE(WaitFor([&] { return w.Pumping(); }, 2000));
    const DWORD listed = static_cast<DWORD>(::GetWindowLongW(w.Hwnd(), GWL_EXSTYLE));

    nv::ConcealWindow(m_platform.windows, w.Handle());
    EXPECT_FALSE(::IsWindowVisible(w.Hwnd()));
    // Only the tool-window bit is kept (the system adds the edge of a captioned frame again).
    const DWORD cut = static_cast<DWORD>(::GetWindowLongW(w.Hwnd(), GWL_EXSTYLE));
    EXPECT_EQ(cut & (WS_EX_APPWINDOW | WS_EX_TOOLWINDOW), static_cast<DWORD>(WS_EX_TOOLWINDOW));

    nv::RevealWindow(m_platform.windows, w.Handle(), listed);
    EXPECT_TRUE(::IsWindowVisible(w.Hwnd()));
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongW(w.Hwnd(), GWL_EXSTYLE)), listed);
}

TEST_F(PlatformTest, ConcealDoesNotWaitForAWindowThatDoesNotAnswer) {
    ThreadWindow w(WS_EX_APPWINDOW, 3000);
    const DWORD listed = static_cast<DWORD>(::GetWindowLongW(w.Hwnd(), GWL_EXSTYLE));

    ULONGLONG start = ::GetTickCount64();
    nv::ConcealWindow(m_platform.windows, w.Handle());
    ULONGLONG took = ::GetTickCount64() - start;
    EXPECT_LT(took, 1000u);
    ASSERT_FALSE(w.Pumping()) << "the window answered after all; the test proves nothing";
    // Its style was left alone, and it goes as soon as its thread pumps again.
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongW(w.Hwnd(), GWL_EXSTYLE)), listed);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(w.Hwnd()); }, 6000));

    nv::RevealWindow(m_platform.windows, w.Handle(), listed);
    EXPECT_TRUE(::IsWindowVisible(w.Hwnd()));
}

// The workers run jobs beside the calling thread, which meanwhile handles what other threads
// send it (here a worker's call on one of its windows) and leaves what is posted to it queued.
TEST_F(PlatformTest, WorkersRunJobsWhileTheCallerHandlesOnlySentMessages) {
    HWND own = ::CreateWindowExW(0, L"STATIC", L"Workers test", WS_OVERLAPPED, 0, 0, 100, 50,
                                 nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(own, nullptr);
    ::PostThreadMessageW(::GetCurrentThreadId(), WM_APP + 1, 0, 0);
    HANDLE go = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    nv::IWorkers& workers = m_platform.workers;
    std::vector<std::function<void()>> jobs;
    jobs.push_back([own] { ::SendMessageW(own, WM_SETTEXT, 0, (LPARAM)L"Set by a worker"); });
    jobs.push_back([go] { ::WaitForSingleObject(go, 10000); });
    jobs.push_back([] { throw std::runtime_error("a job failed"); });
    workers.Start(std::move(jobs));

    EXPECT_TRUE(workers.WaitForJob(0, 10000));
    wchar_t text[64] = {};
    ::GetWindowTextW(own, text, 64);
    EXPECT_STREQ(text, L"Set by a worker");
    EXPECT_FALSE(workers.WaitForJob(1, 50));  // still waiting for us
    ::SetEvent(go);
    EXPECT_THROW(workers.WaitForAll(), std::runtime_error);
    EXPECT_TRUE(workers.WaitForJob(1, 0));
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_APP + 1, WM_APP + 1, PM_REMOVE));
    ::CloseHandle(go);
    ::DestroyWindow(own);
}

}  // namespace
