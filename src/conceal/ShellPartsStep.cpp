#include "conceal/ShellPartsStep.h"

#include "conceal/WindowSteps.h"

namespace nv {

namespace {

const std::wstring kNoTitle;  // matches only windows whose title is empty

// The icon view inside one window: its untitled "SHELLDLL_DefView" child, and in that the
// "FolderView" list.
WindowHandle IconViewIn(IWindowManager& windows, WindowHandle host) {
    WindowHandle view = windows.FindWindowExW(host, 0, L"SHELLDLL_DefView", kNoTitle);
    if (view == 0) return 0;
    return windows.FindWindowExW(view, 0, L"SysListView32", std::wstring(L"FolderView"));
}

enum class TIconSearch { WorkerW, ProgramManager, None };

TIconSearch IconSearchFor(const OsVersion& v) {
    if (v.major >= 10 && v.build >= 21337) return TIconSearch::WorkerW;
    if (v.major >= 10 || (v.major == 6 && v.minor >= 1 && v.minor <= 3))
        return TIconSearch::ProgramManager;
    return TIconSearch::None;
}

}  // namespace

WindowHandle FindDesktopListView(IWindowManager& windows, const OsVersion& version) {
    switch (IconSearchFor(version)) {
        case TIconSearch::WorkerW:
            // Several untitled WorkerW windows exist; the one that holds the view wins.
            for (WindowHandle host = windows.FindWindowExW(0, 0, L"WorkerW", kNoTitle); host != 0;
                 host = windows.FindWindowExW(0, host, L"WorkerW", kNoTitle))
                if (WindowHandle list = IconViewIn(windows, host)) return list;
            return 0;
        case TIconSearch::ProgramManager:
            if (WindowHandle manager =
                    windows.FindWindowExW(0, 0, L"", std::wstring(L"Program Manager")))
                return IconViewIn(windows, manager);
            return 0;
        case TIconSearch::None:
            break;
    }
    return 0;
}

TShellPartsStep::TShellPartsStep(Platform& platform, ICycleContext& context,
                                 const std::wstring& programFolder)
    : m_platform(platform), m_context(context) {
    if (!programFolder.empty())
        m_trayBound = platform.tray.LoadTrayLibrary(programFolder + L"\\nvatray.dll");
}

WindowHandle TShellPartsStep::FindTaskbar() {
    return m_platform.windows.FindWindowExW(0, 0, L"Shell_TrayWnd", std::nullopt);
}

void TShellPartsStep::Hide() {
    WindowHandle icons = FindDesktopListView(m_platform.windows, m_platform.kernel.GetVersionExW());
    if (icons != 0 && m_context.Option(TCycleOption::HideDesktop)) Conceal(icons, m_desktopIcons);
    WindowHandle taskbar = FindTaskbar();
    if (taskbar != 0 && m_context.Option(TCycleOption::HideTaskbar)) Conceal(taskbar, m_taskbar);
    if (m_trayBound && m_context.Option(TCycleOption::HideTray)) {
        m_trayHidden = true;
        m_platform.tray.HideTray(1, kTrayAccessCode);
    }
}

void TShellPartsStep::Restore() {
    // Explorer may have been restarted meanwhile: every window is looked up again.
    if (m_desktopIcons)
        Reveal(FindDesktopListView(m_platform.windows, m_platform.kernel.GetVersionExW()),
               m_desktopIcons);
    if (m_taskbar) Reveal(FindTaskbar(), m_taskbar);
    if (m_trayHidden) m_platform.tray.RestoreTray();
}

void TShellPartsStep::Conceal(WindowHandle window, std::optional<THiddenPart>& part) {
    // A part that is not showing (desktop icons switched off in the shell) stays as it is, and
    // the restore does not show it either.
    if (!m_platform.windows.IsWindowVisible(window)) return;
    part = THiddenPart{window, m_platform.windows.GetWindowExStyle(window)};
    ConcealWindow(m_platform.windows, window);
}

void TShellPartsStep::Reveal(WindowHandle window, std::optional<THiddenPart>& part) {
    if (window != 0) {
        // A window of a restarted shell was never cut down: it keeps the style it has.
        std::uint32_t exStyle =
            window == part->window ? part->exStyle : m_platform.windows.GetWindowExStyle(window);
        RevealWindow(m_platform.windows, window, exStyle);
    }
    part.reset();
}

}  // namespace nv
