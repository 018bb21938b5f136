#include "conceal/ShellPartsStep.h"

#include "conceal/RecoveryRecord.h"
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
        m_trayToolbars = ShowingTrayToolbars();
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
    m_trayToolbars.clear();
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

// The toolbars of icons under the taskbar's "TrayNotifyWnd": straight under it and under each
// of its "SysPager" windows, as the tray library finds them.
std::vector<TShellPartsStep::TTrayToolbar> TShellPartsStep::ShowingTrayToolbars() {
    IWindowManager& windows = m_platform.windows;
    std::vector<TTrayToolbar> toolbars;
    WindowHandle taskbar = FindTaskbar();
    WindowHandle notify =
        taskbar ? windows.FindWindowExW(taskbar, 0, L"TrayNotifyWnd", std::nullopt) : 0;
    if (notify == 0) return toolbars;
    auto addShowing = [&](WindowHandle parent) {
        for (WindowHandle bar = windows.FindWindowExW(parent, 0, L"ToolbarWindow32", std::nullopt);
             bar != 0; bar = windows.FindWindowExW(parent, bar, L"ToolbarWindow32", std::nullopt)) {
            WindowStyles styles;
            if (!windows.GetWindowStyles(bar, styles) || !(styles.style & kWsVisible)) continue;
            ProcessId pid = windows.GetWindowThreadProcessId(bar);
            toolbars.push_back(
                {bar, pid, m_platform.kernel.GetProcessCreationTime(pid).value_or(0)});
        }
    };
    addShowing(notify);
    for (WindowHandle pager = windows.FindWindowExW(notify, 0, L"SysPager", std::nullopt);
         pager != 0; pager = windows.FindWindowExW(notify, pager, L"SysPager", std::nullopt))
        addShowing(pager);
    return toolbars;
}

namespace {
constexpr char kDesktopIconsTag[] = "desktopicons";  // handle, extended style
constexpr char kTaskbarTag[] = "taskbar";            // handle, extended style
constexpr char kTrayToolbarTag[] = "traytoolbar";  // handle, process id, process creation time

// A shell part's line: its handle and extended style.
std::optional<std::pair<WindowHandle, std::uint32_t>> PartOf(const TRecordLine& line) {
    auto window = line.Number(0), exStyle = line.Number(1);
    if (line.fields.size() != 2 || !window || !exStyle || *exStyle > UINT32_MAX)
        return std::nullopt;
    return std::make_pair(static_cast<WindowHandle>(*window), static_cast<std::uint32_t>(*exStyle));
}
}  // namespace

void TShellPartsStep::SaveTo(TRecoveryRecord& record) const {
    if (m_desktopIcons) record.Add(kDesktopIconsTag, {m_desktopIcons->window, m_desktopIcons->exStyle});
    if (m_taskbar) record.Add(kTaskbarTag, {m_taskbar->window, m_taskbar->exStyle});
    for (const TTrayToolbar& bar : m_trayToolbars)
        record.Add(kTrayToolbarTag, {bar.window, bar.pid, bar.created});
}

bool TShellPartsStep::RecoverFrom(const TRecoveryRecord& record) {
    bool understood = true;
    auto recover = [&](const char* tag, std::optional<THiddenPart>& part, auto find) {
        for (const TRecordLine* line : record.Lines(tag)) {
            auto saved = PartOf(*line);
            if (!saved) {
                understood = false;
                continue;
            }
            part = THiddenPart{saved->first, saved->second};
            Reveal(find(), part);
        }
    };
    recover(kDesktopIconsTag, m_desktopIcons, [&] {
        return FindDesktopListView(m_platform.windows, m_platform.kernel.GetVersionExW());
    });
    recover(kTaskbarTag, m_taskbar, [&] { return FindTaskbar(); });
    IWindowManager& windows = m_platform.windows;
    for (const TRecordLine* line : record.Lines(kTrayToolbarTag)) {
        auto bar = line->Number(0), pid = line->Number(1), created = line->Number(2);
        if (line->fields.size() != 3 || !bar || !pid || !created || *pid > UINT32_MAX) {
            understood = false;
            continue;
        }
        // Only a toolbar of the same run of the same Explorer, still there and hidden by its
        // own style (the taskbar around it may be hidden too): a restarted Explorer shows its
        // own, and keeps hidden what it means to.
        const ProcessId owner = static_cast<ProcessId>(*pid);
        WindowStyles styles;
        if (*created != 0 && windows.GetWindowThreadProcessId(*bar) == owner &&
            m_platform.kernel.GetProcessCreationTime(owner) == *created &&
            windows.GetClassNameW(*bar, 64) == L"ToolbarWindow32" &&
            windows.GetWindowStyles(*bar, styles) && !(styles.style & kWsVisible))
            windows.ShowWindowAsync(*bar, ShowCmd::ShowNA);
    }
    return understood;
}

}  // namespace nv
