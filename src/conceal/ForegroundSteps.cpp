#include "conceal/ForegroundSteps.h"

#include "conceal/WindowSteps.h"
#include "conceal/WindowsStep.h"

namespace nv {

namespace {

// The folder a program is started in. A program at the root of a drive starts in "C:\", not
// in "C:", which would be whatever folder was last current on that drive.
std::wstring ProgramFolder(const std::wstring& path) {
    std::wstring folder = ExtractFileDir(path);
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
    return folder;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The active window

TActiveWindowStep::TActiveWindowStep(Platform& platform, ICycleContext& context)
    : m_platform(platform), m_context(context) {}

void TActiveWindowStep::Hide() {
    IWindowManager& windows = m_platform.windows;
    m_record.window = windows.GetForegroundWindow();
    m_record.className = windows.GetClassNameW(m_record.window, 255);
    m_record.title = windows.InternalGetWindowText(m_record.window, 255);
    CloseRecordedWindow();
}

void TActiveWindowStep::CloseRecordedWindow() {
    if (!m_context.Option(TCycleOption::CloseActiveWindow) || m_record.window == 0) return;
    WindowHandle window = m_record.window;
    if (window == m_context.MainWindow()) return;
    // The desktop and the taskbars are never closed: asked to close, they offer to shut
    // Windows down.
    IKernel& kernel = m_platform.kernel;
    const std::wstring& cls = m_record.className;
    if (ContainsText(kernel, m_record.title, L"Program Manager")) return;
    for (const wchar_t* shell : {L"SysListView32", L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd",
                                 L"WorkerW", L"Progman"})
        if (ContainsText(kernel, cls, shell)) return;
    // A dialog of ours in front is spared: ending its process would end this program.
    ProcessId pid = m_platform.windows.GetWindowThreadProcessId(window);
    if (pid == kernel.GetCurrentProcessId()) return;
    if (OnlyAskedToClose(window, pid))
        m_platform.windows.PostMessageW(window, kWmClose, 0, 0);
    else
        TerminateWindowOwner(m_platform, window);
}

// A window whose process holds more than that window is asked to close, never ended: a folder
// window or any other of the shell's (ending it ends the taskbar, the desktop, every folder and
// any copy in progress), a Store app's frame (one process holds them all), and a window of a
// process that is not ours to end (the system's, another user's or session's, or one we cannot
// even ask about).
bool TActiveWindowStep::OnlyAskedToClose(WindowHandle window, ProcessId pid) {
    IWindowManager& windows = m_platform.windows;
    IKernel& kernel = m_platform.kernel;
    const std::wstring& cls = m_record.className;
    for (const wchar_t* shared : {L"CabinetWClass", L"ExploreWClass", L"ApplicationFrameWindow"})
        if (ContainsText(kernel, cls, shared)) return true;
    if (pid == 0) return true;
    const WindowHandle shellWindows[] = {windows.GetShellWindow(),
                                         windows.FindWindowW(L"Shell_TrayWnd", L"")};
    for (WindowHandle shell : shellWindows)
        if (shell != 0 && windows.GetWindowThreadProcessId(shell) == pid) return true;
    const ProcessId self = kernel.GetCurrentProcessId();
    auto session = kernel.ProcessIdToSessionId(pid);
    auto user = kernel.GetProcessUserSid(pid);
    return !session || session != kernel.ProcessIdToSessionId(self) || !user ||
           user != kernel.GetProcessUserSid(self);
}

void TActiveWindowStep::Restore() {
    if (m_context.Option(TCycleOption::CloseActiveWindow)) return;
    BringWindowToFront(m_platform.windows, m_record.window, m_context.MainWindow());
}

// ---------------------------------------------------------------------------------------------
// The Bring-to-top program

TBringToTopStep::TBringToTopStep(Platform& platform, ICycleContext& context,
                                 const TWindowsStep& windows)
    : m_platform(platform), m_context(context), m_windows(windows) {}

void TBringToTopStep::Hide() {
    const TWindowEntry* entry = m_context.BringToTopEntry();
    const TWindowsStep::WindowList* listed = m_windows.HiddenWindows();
    if (!entry || !listed) return;
    const std::wstring title = m_platform.kernel.AnsiToWide(entry->TitleBytes());
    const std::wstring path = m_platform.kernel.AnsiToWide(entry->PathBytes());
    IWindowManager& windows = m_platform.windows;

    auto bring = [&](WindowHandle window) {
        BringWindowToFront(windows, window, m_context.MainWindow());
        // A minimised program is restored; the call must not wait on a program that hangs.
        if (windows.IsIconic(window)) windows.ShowWindowAsync(window, ShowCmd::Restore);
    };
    // An empty title or path names no window: an entry added from disk has no title, and
    // would otherwise bring forward some untitled window; one without a path would pick a
    // window whose program could not be read.
    if (!title.empty())
        for (const auto& info : *listed)
            if (info->title == title) return bring(info->handle);
    if (path.empty()) return;
    // A path names its program in any letter case: a path that differs only in case from the
    // running program's must not start a second copy.
    for (const auto& info : *listed)
        if (SameText(m_platform.kernel, info->programPath, path)) return bring(info->handle);
    m_platform.shell.ShellExecuteW(L"open", path, L"", ProgramFolder(path), ShowCmd::Show);
}

}  // namespace nv
