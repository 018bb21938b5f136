#include "conceal/HideCycle.h"

#include <algorithm>
#include <unordered_set>

#include "conceal/WindowSteps.h"
#include "inventory/WindowEntry.h"
#include "inventory/WindowInventory.h"
#include "shell/Globals.h"
#include "ui/MainForm.h"

namespace nv {

namespace {

// The folder a program is started in. A program at the root of a drive starts in "C:\", not
// in "C:", which would be whatever folder was last current on that drive.
std::wstring ProgramFolder(const std::wstring& path) {
    std::wstring folder = ExtractFileDir(path);
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
    return folder;
}

const TWindowEntry* EntryOf(const TListItem& item) {
    return dynamic_cast<const TWindowEntry*>(item.Data());
}

}  // namespace

THideCycle::THideCycle(TMainForm& form) : m_form(form), m_platform(form.platform) {}

bool THideCycle::IsOwnWindow(WindowHandle window) const {
    return window != 0 && window == m_form.Handle();
}

void THideCycle::btnHideAllClick() {
    if (!m_form.globals.ready) return;
    if (IsHiddenMode())
        RestoreDirection();
    else
        HideDirection();
}

// ---------------------------------------------------------------------------------------------
// Hiding

void THideCycle::HideDirection() {
    RecordForegroundWindow();
    CloseRecordedWindow();
    m_form.SwitchDisplayMode();
    m_form.RemoveWallpaper();
    m_form.SaveCurrentVolume();
    m_form.ApplyDesiredVolume();
    m_hidden.emplace();
    HideAllWindows();
    BringProgramToTop();
    m_form.HideSpecialWindows(m_form.cbHideDeskTop.Checked(), m_form.cbHideTaskBar.Checked(),
                              m_form.cbHideTray.Checked());
}

void THideCycle::RecordForegroundWindow() {
    IWindowManager& windows = m_platform.windows;
    m_foreground.window = windows.GetForegroundWindow();
    m_foreground.className = windows.GetClassNameW(m_foreground.window, 255);
    m_foreground.title = windows.GetWindowTextW(m_foreground.window, 255);
}

void THideCycle::CloseRecordedWindow() {
    if (!m_form.cbCloseActiveWindow.Checked() || m_foreground.window == 0) return;
    WindowHandle window = m_foreground.window;
    if (window == m_form.Handle()) return;
    // A dialog of ours in front: closing it the way other programs' windows are closed would
    // end this program itself.
    if (m_platform.windows.GetWindowThreadProcessId(window) ==
        m_platform.kernel.GetCurrentProcessId())
        return;
    // The desktop and the taskbar are never closed.
    const std::wstring& cls = m_foreground.className;
    if (ContainsText(m_platform.kernel, m_foreground.title, L"Program Manager") ||
        ContainsText(m_platform.kernel, cls, L"SysListView32") ||
        ContainsText(m_platform.kernel, cls, L"Shell_TrayWnd") ||
        ContainsText(m_platform.kernel, cls, L"WorkerW"))
        return;
    // A folder window is closed; ending its process would end the shell.
    if (ContainsText(m_platform.kernel, cls, L"ExploreWClass")) {
        m_platform.windows.PostMessageW(window, kWmClose, 0, 0);
        return;
    }
    TerminateWindowOwner(m_platform, window);
}

std::unique_ptr<TWinInfo> THideCycle::MainWindowEntry() {
    auto entry = std::make_unique<TWinInfo>();
    entry->handle = m_form.Handle();
    entry->title = m_form.Caption();
    entry->programPath = m_platform.kernel.GetModuleFileNameW();
    entry->savedExStyle = m_platform.windows.GetWindowExStyle(entry->handle);
    return entry;
}

// Where the main window stands among the listed windows in Z order.
std::size_t THideCycle::MainWindowPosition(const WindowList& list) {
    std::unordered_set<WindowHandle> listed;
    for (const auto& entry : list) listed.insert(entry->handle);
    IWindowManager& windows = m_platform.windows;
    std::size_t above = 0;
    for (WindowHandle h = windows.GetTopWindow(); h != 0; h = windows.GetNextWindow(h)) {
        if (h == m_form.Handle()) return above;
        if (listed.count(h)) ++above;
    }
    return 0;
}

void THideCycle::HideAllWindows() {
    WindowList& list = *m_hidden;
    list = m_form.inventory->ListWindows(true);
    // The inventory never lists the main window. When it is on screen it goes with the rest
    // and comes back at restore, so it gets an entry of its own where it stands in Z order.
    if (m_form.Visible()) {
        std::size_t at = MainWindowPosition(list);
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), MainWindowEntry());
    }
    WindowHandle player = m_platform.windows.FindWindowW(L"WMPlayerApp", L"");
    if (player != 0) m_platform.windows.ShowWindow(player, ShowCmd::ShowMinimized);

    std::vector<TSpareRule> rules = ReadSpareRules();
    const std::size_t count = list.size();
    for (std::size_t i = 0; i < count; ++i) HideUnlessSpared(*list[i], rules);
}

std::vector<THideCycle::TSpareRule> THideCycle::ReadSpareRules() {
    std::vector<TSpareRule> rules;
    TListView& excludeList = m_form.ExcludeList;
    for (int i = 0; i < excludeList.Count(); ++i) {
        const TWindowEntry* entry = EntryOf(excludeList.Item(i));
        if (!entry) continue;
        TSpareRule rule;
        rule.title = m_platform.kernel.AnsiToWide(entry->TitleBytes());
        // An entry without a file name must not spare every window: an empty name is found
        // in every path.
        if (entry->AllWindows())
            rule.programName = ExtractFileName(m_platform.kernel.AnsiToWide(entry->PathBytes()));
        rules.push_back(std::move(rule));
    }
    return rules;
}

void THideCycle::HideUnlessSpared(const TWinInfo& entry, const std::vector<TSpareRule>& rules) {
    if (IsOwnWindow(entry.handle)) {
        // The toggle hides it; a main window already out of sight stays so. It is not concealed
        // as well: its restore is the toggle, which would not give back a cut extended style.
        if (m_form.Visible()) m_form.ToggleProgramWindow(true);
        return;
    }
    for (const TSpareRule& rule : rules) {
        bool byTitle = !rule.title.empty() && rule.title == entry.title;
        bool byProgram = !rule.programName.empty() &&
                         ContainsText(m_platform.kernel, entry.programPath, rule.programName);
        if (byTitle || byProgram) return;
    }
    ConcealWindow(m_platform.windows, entry.handle);
}

void THideCycle::BringProgramToTop() {
    TListView& bringList = m_form.BringToTopList;
    if (bringList.Count() == 0) return;
    const TWindowEntry* entry = EntryOf(bringList.Item(0));
    if (!entry) return;
    const std::wstring title = m_platform.kernel.AnsiToWide(entry->TitleBytes());
    const std::wstring path = m_platform.kernel.AnsiToWide(entry->PathBytes());
    IWindowManager& windows = m_platform.windows;

    auto bring = [&](WindowHandle window) {
        BringWindowToFront(windows, window, m_form.Handle());
        if (windows.IsIconic(window)) windows.ShowWindow(window, ShowCmd::Restore);
    };
    // An empty title or path names no window: an entry added from disk has no title, and
    // would otherwise bring forward some untitled window; one without a path would pick a
    // window whose program could not be read.
    if (!title.empty())
        for (const auto& info : *m_hidden)
            if (info->title == title) return bring(info->handle);
    if (path.empty()) return;
    for (const auto& info : *m_hidden)
        if (info->programPath == path) return bring(info->handle);
    m_platform.shell.ShellExecuteW(L"open", path, L"", ProgramFolder(path), ShowCmd::Show);
}

void THideCycle::HideNewWindow(WindowHandle window) {
    if (!IsHiddenMode()) return;
    std::unique_ptr<TWinInfo> info = m_form.inventory->AddWindowToList(window, true);
    if (!info) return;
    m_hidden->push_back(std::move(info));
    HideUnlessSpared(*m_hidden->back(), ReadSpareRules());
}

// ---------------------------------------------------------------------------------------------
// Restoring

void THideCycle::RestoreDirection() {
    m_form.RestoreSpecialWindows();
    m_form.RestoreDisplayMode();
    m_form.RestoreWallpaper();
    m_form.RestoreSavedVolume();
    RestoreHiddenWindows();
    m_hidden.reset();
    if (!m_form.cbCloseActiveWindow.Checked())
        BringWindowToFront(m_platform.windows, m_foreground.window, m_form.Handle());
    m_form.RefreshAvailableWindows();
}

void THideCycle::RestoreHiddenWindows() {
    if (!m_hidden) return;
    WindowList& list = *m_hidden;
    while (!list.empty()) {
        const TWinInfo& entry = *list.back();
        if (IsOwnWindow(entry.handle)) {
            // Shown without the password: the user had it on screen when hiding began.
            if (!m_form.Visible()) m_form.ToggleProgramWindow(false);
        } else {
            RevealWindow(m_platform.windows, entry.handle, entry.savedExStyle);
        }
        list.pop_back();
    }
}

void THideCycle::RestoreEverything() {
    if (!IsHiddenMode()) return;
    m_form.RestoreSavedVolume();
    // The program is ending: its own window, closed or hidden, is not shown again on the way.
    WindowList& list = *m_hidden;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const auto& entry) { return IsOwnWindow(entry->handle); }),
               list.end());
    RestoreHiddenWindows();
    m_form.RestoreSpecialWindows();
    m_form.RestoreWallpaper();
    m_form.RestoreDisplayMode();
    m_hidden.reset();
}

}  // namespace nv
