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

// The icon view in the first of a window's untitled "WorkerW" children that holds one (in the
// top-level ones when host is 0). Several exist; the others paint the wallpaper.
WindowHandle IconViewInWorkerW(IWindowManager& windows, WindowHandle host) {
    for (WindowHandle worker = windows.FindWindowExW(host, 0, L"WorkerW", kNoTitle); worker != 0;
         worker = windows.FindWindowExW(host, worker, L"WorkerW", kNoTitle))
        if (WindowHandle list = IconViewIn(windows, worker)) return list;
    return 0;
}

WindowHandle FindTaskbarIn(IWindowManager& windows) {
    return windows.FindWindowExW(0, 0, L"Shell_TrayWnd", std::nullopt);
}

// The children of a class under parent, in order.
std::vector<WindowHandle> ChildrenOf(IWindowManager& windows, WindowHandle parent,
                                     const wchar_t* className) {
    std::vector<WindowHandle> children;
    for (WindowHandle child = windows.FindWindowExW(parent, 0, className, std::nullopt);
         child != 0; child = windows.FindWindowExW(parent, child, className, std::nullopt))
        children.push_back(child);
    return children;
}

// The toolbars of icons under the taskbar's "TrayNotifyWnd": straight under it and under each
// of its "SysPager" windows, as the tray library finds them.
std::vector<WindowHandle> TrayToolbars(IWindowManager& windows, WindowHandle taskbar) {
    WindowHandle notify =
        taskbar ? windows.FindWindowExW(taskbar, 0, L"TrayNotifyWnd", std::nullopt) : 0;
    if (notify == 0) return {};
    std::vector<WindowHandle> toolbars = ChildrenOf(windows, notify, L"ToolbarWindow32");
    for (WindowHandle pager : ChildrenOf(windows, notify, L"SysPager"))
        for (WindowHandle bar : ChildrenOf(windows, pager, L"ToolbarWindow32"))
            toolbars.push_back(bar);
    return toolbars;
}

}  // namespace

WindowHandle FindDesktopListView(IWindowManager& windows, const OsVersion& version) {
    WindowHandle manager = windows.FindWindowExW(0, 0, L"", std::wstring(L"Program Manager"));
    auto underManager = [&] {
        if (manager == 0) return WindowHandle{0};
        if (WindowHandle list = IconViewIn(windows, manager)) return list;
        return IconViewInWorkerW(windows, manager);
    };
    // From build 21337 to 24H2 a desktop that has been raised keeps its view in a top-level
    // WorkerW, so that is looked at first; elsewhere Program Manager is the likelier.
    if (version.major >= 10 && version.build >= 21337 && version.build < 26100) {
        if (WindowHandle list = IconViewInWorkerW(windows, 0)) return list;
        return underManager();
    }
    if (WindowHandle list = underManager()) return list;
    return IconViewInWorkerW(windows, 0);
}

bool TrayIconsHideOneByOne(IWindowManager& windows, const OsVersion& version) {
    if (version.major < 10 || version.build < 22621) return true;
    WindowHandle taskbar = FindTaskbarIn(windows);
    if (taskbar == 0) return true;
    std::vector<WindowHandle> toolbars = TrayToolbars(windows, taskbar);
    // The icons in the overflow panel count too.
    for (WindowHandle overflow : ChildrenOf(windows, 0, L"NotifyIconOverflowWindow"))
        for (WindowHandle bar : ChildrenOf(windows, overflow, L"ToolbarWindow32"))
            toolbars.push_back(bar);
    for (WindowHandle bar : toolbars) {
        std::optional<int> buttons = windows.GetToolbarButtonCount(bar, kAnswerTimeoutMs);
        if (!buttons || *buttons > 0) return true;
    }
    return false;
}

TShellPartsStep::TShellPartsStep(Platform& platform, ICycleContext& context,
                                 const std::wstring& programFolder)
    : m_platform(platform), m_context(context) {
    if (!programFolder.empty())
        m_trayBound = platform.tray.LoadTrayLibrary(programFolder + L"\\nvatray.dll");
}

WindowHandle TShellPartsStep::FindTaskbar() { return FindTaskbarIn(m_platform.windows); }

void TShellPartsStep::Hide() {
    IWindowManager& windows = m_platform.windows;
    const OsVersion version = m_platform.kernel.GetVersionExW();
    WindowHandle icons = FindDesktopListView(windows, version);
    if (icons != 0 && m_context.Option(TCycleOption::HideDesktop)) Conceal(icons, m_desktopIcons);
    WindowHandle taskbar = FindTaskbar();
    if (m_context.Option(TCycleOption::HideTaskbar)) {
        if (taskbar != 0) Conceal(taskbar, m_taskbar);
        // The taskbar of each further monitor, with its own clock and pinned programs.
        m_secondaryTaskbars.clear();
        for (WindowHandle secondary : ChildrenOf(windows, 0, L"Shell_SecondaryTrayWnd")) {
            std::optional<THiddenPart> part;
            Conceal(secondary, part);
            if (part) m_secondaryTaskbars.push_back(*part);
        }
    }
    // Where the taskbar draws the tray icons itself the library would find nothing to hide;
    // the box's hint says so.
    if (m_trayBound && m_context.Option(TCycleOption::HideTray) &&
        TrayIconsHideOneByOne(windows, version)) {
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
    RevealSecondaryTaskbars();
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

void TShellPartsStep::RevealSecondaryTaskbars() {
    // A restarted shell makes taskbars of its own, showing: only the ones hidden are shown.
    IWindowManager& windows = m_platform.windows;
    for (const THiddenPart& part : m_secondaryTaskbars)
        if (windows.GetClassNameW(part.window, 64) == L"Shell_SecondaryTrayWnd")
            RevealWindow(windows, part.window, part.exStyle);
    m_secondaryTaskbars.clear();
}

std::vector<TShellPartsStep::TTrayToolbar> TShellPartsStep::ShowingTrayToolbars() {
    IWindowManager& windows = m_platform.windows;
    std::vector<TTrayToolbar> showing;
    for (WindowHandle bar : TrayToolbars(windows, FindTaskbar())) {
        WindowStyles styles;
        if (!windows.GetWindowStyles(bar, styles) || !(styles.style & kWsVisible)) continue;
        ProcessId pid = windows.GetWindowThreadProcessId(bar);
        showing.push_back({bar, pid, m_platform.kernel.GetProcessCreationTime(pid).value_or(0)});
    }
    return showing;
}

namespace {
constexpr char kDesktopIconsTag[] = "desktopicons";          // handle, extended style
constexpr char kTaskbarTag[] = "taskbar";                    // handle, extended style
constexpr char kSecondaryTaskbarTag[] = "secondarytaskbar";  // handle, extended style
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
    for (const THiddenPart& part : m_secondaryTaskbars)
        record.Add(kSecondaryTaskbarTag, {part.window, part.exStyle});
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
    // Older records have no secondary taskbars: there is nothing more to read then.
    for (const TRecordLine* line : record.Lines(kSecondaryTaskbarTag)) {
        if (auto saved = PartOf(*line))
            m_secondaryTaskbars.push_back(THiddenPart{saved->first, saved->second});
        else
            understood = false;
    }
    RevealSecondaryTaskbars();
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
