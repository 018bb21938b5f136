#include "conceal/WindowsStep.h"

#include <algorithm>
#include <unordered_set>

#include "conceal/RecoveryRecord.h"
#include "conceal/WindowSteps.h"
#include "inventory/WindowInventory.h"

namespace nv {

TWindowsStep::TWindowsStep(Platform& platform, ICycleContext& context)
    : m_platform(platform), m_context(context) {}

// ---------------------------------------------------------------------------------------------
// Hiding

void TWindowsStep::Hide() {
    WindowList& list = m_hidden.emplace();
    list = m_context.Inventory().ListWindows(true);
    // The inventory never lists the main window. When it is on screen it goes with the rest
    // and comes back at restore, so it gets an entry of its own where it stands in Z order.
    if (m_context.MainWindowVisible()) {
        std::size_t at = MainWindowPosition(list);
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), MainWindowEntry());
    }
    // A window still owed its style from the last restore shows the cut one: the style to give
    // back at the next restore is the one it is owed.
    IWindowManager& windows = m_platform.windows;
    for (auto& entry : list) {
        auto owed = m_owedStyles.find(entry->handle);
        if (owed == m_owedStyles.end()) continue;
        if (windows.GetWindowThreadProcessId(entry->handle) == owed->second.pid)
            entry->savedExStyle = owed->second.exStyle;
        m_owedStyles.erase(owed);
    }
    WindowHandle player = windows.FindWindowW(L"WMPlayerApp", L"");
    if (player != 0) windows.ShowWindowAsync(player, ShowCmd::ShowMinimized);

    // The windows to conceal are decided, and recorded, before the first one goes: a session
    // that ends half way through leaves none of them for good.
    std::vector<TSpareRule> rules = ReadSpareRules();
    const std::size_t count = list.size();
    std::vector<char> conceal(count);
    std::map<ProcessId, std::uint64_t> times;
    m_concealed.clear();
    for (std::size_t i = 0; i < count; ++i) {
        conceal[i] = !IsOwnWindow(list[i]->handle) && !Spared(*list[i], rules);
        if (conceal[i]) NoteConcealed(*list[i], times);
    }
    if (m_checkpoint) m_checkpoint();
    for (std::size_t i = 0; i < count; ++i) HideEntry(*list[i], conceal[i]);
}

void TWindowsStep::NoteConcealed(const TWinInfo& entry,
                                 std::map<ProcessId, std::uint64_t>& times) {
    TConcealed& concealed = m_concealed[entry.handle];
    concealed.owner.pid = m_platform.windows.GetWindowThreadProcessId(entry.handle);
    auto time = times.find(concealed.owner.pid);
    if (time == times.end())
        time = times
                   .emplace(concealed.owner.pid,
                            m_platform.kernel.GetProcessCreationTime(concealed.owner.pid)
                                .value_or(0))
                   .first;
    concealed.owner.created = time->second;
    concealed.exStyle = entry.savedExStyle;
}

std::unique_ptr<TWinInfo> TWindowsStep::MainWindowEntry() {
    auto entry = std::make_unique<TWinInfo>();
    entry->handle = m_context.MainWindow();
    entry->title = m_context.MainWindowTitle();
    entry->programPath = m_platform.kernel.GetModuleFileNameW();
    entry->savedExStyle = m_platform.windows.GetWindowExStyle(entry->handle);
    return entry;
}

// Where the main window stands among the listed windows in Z order.
std::size_t TWindowsStep::MainWindowPosition(const WindowList& list) {
    std::unordered_set<WindowHandle> listed;
    for (const auto& entry : list) listed.insert(entry->handle);
    IWindowManager& windows = m_platform.windows;
    std::size_t above = 0;
    for (WindowHandle h = windows.GetTopWindow(); h != 0; h = windows.GetNextWindow(h)) {
        if (h == m_context.MainWindow()) return above;
        if (listed.count(h)) ++above;
    }
    return 0;
}

std::vector<TWindowsStep::TSpareRule> TWindowsStep::ReadSpareRules() {
    std::vector<TSpareRule> rules;
    for (const TWindowEntry* entry : m_context.DoNotHideEntries()) {
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

bool TWindowsStep::Spared(const TWinInfo& entry, const std::vector<TSpareRule>& rules) {
    for (const TSpareRule& rule : rules) {
        bool byTitle = !rule.title.empty() && rule.title == entry.title;
        bool byProgram = !rule.programName.empty() &&
                         ContainsText(m_platform.kernel, entry.programPath, rule.programName);
        if (byTitle || byProgram) return true;
    }
    return false;
}

void TWindowsStep::HideEntry(const TWinInfo& entry, bool conceal) {
    if (IsOwnWindow(entry.handle)) {
        // The toggle hides it; a main window already out of sight stays so. It is not concealed
        // as well: its restore is the toggle, which would not give back a cut extended style.
        if (m_context.MainWindowVisible()) m_context.ToggleProgramWindow(true);
        return;
    }
    if (conceal) ConcealWindow(m_platform.windows, entry.handle);
}

void TWindowsStep::HideNewWindow(WindowHandle window) {
    if (!IsHiddenMode()) return;
    std::unique_ptr<TWinInfo> info = m_context.Inventory().AddWindowToList(window, true);
    if (!info) return;
    m_hidden->push_back(std::move(info));
    const TWinInfo& entry = *m_hidden->back();
    bool conceal = !IsOwnWindow(entry.handle) && !Spared(entry, ReadSpareRules());
    if (conceal) {
        std::map<ProcessId, std::uint64_t> times;
        NoteConcealed(entry, times);
        if (m_checkpoint) m_checkpoint();
    }
    HideEntry(entry, conceal);
}

// ---------------------------------------------------------------------------------------------
// Restoring

void TWindowsStep::Restore() {
    RestoreHiddenWindows();
    m_hidden.reset();
    m_concealed.clear();
    if (!m_owedStyles.empty()) m_context.RetryStylesLater();
}

void TWindowsStep::RestoreAtShutdown() {
    if (!m_hidden) return;
    WindowList& list = *m_hidden;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const auto& entry) { return IsOwnWindow(entry->handle); }),
               list.end());
    RestoreHiddenWindows();
    m_hidden.reset();
    m_concealed.clear();
    RetryExtendedStyles();
}

void TWindowsStep::RestoreHiddenWindows() {
    if (!m_hidden) return;
    WindowList& list = *m_hidden;
    while (!list.empty()) {
        const TWinInfo& entry = *list.back();
        if (IsOwnWindow(entry.handle)) {
            // Shown without the password: the user had it on screen when hiding began.
            if (!m_context.MainWindowVisible()) m_context.ToggleProgramWindow(false);
        } else if (!RevealWindow(m_platform.windows, entry.handle, entry.savedExStyle)) {
            auto concealed = m_concealed.find(entry.handle);
            m_owedStyles[entry.handle] = {
                entry.savedExStyle, m_platform.windows.GetWindowThreadProcessId(entry.handle),
                concealed == m_concealed.end() ? 0 : concealed->second.owner.created};
        }
        m_concealed.erase(entry.handle);
        list.pop_back();
    }
}

bool TWindowsStep::RetryExtendedStyles() {
    IWindowManager& windows = m_platform.windows;
    for (auto it = m_owedStyles.begin(); it != m_owedStyles.end();) {
        WindowHandle window = it->first;
        bool gone =
            !windows.IsWindow(window) || windows.GetWindowThreadProcessId(window) != it->second.pid;
        if (gone || RestoreExtendedStyle(windows, window, it->second.exStyle))
            it = m_owedStyles.erase(it);
        else
            ++it;
    }
    return !m_owedStyles.empty();
}

// ---------------------------------------------------------------------------------------------
// The recovery record

namespace {
constexpr char kWindowTag[] = "window";  // handle, process id, process creation time, ex style
}  // namespace

void TWindowsStep::SaveTo(TRecoveryRecord& record) const {
    for (const auto& [window, concealed] : m_concealed)
        record.Add(kWindowTag, {window, concealed.owner.pid, concealed.owner.created,
                                concealed.exStyle});
    for (const auto& [window, owed] : m_owedStyles)
        if (!m_concealed.count(window))
            record.Add(kWindowTag, {window, owed.pid, owed.created, owed.exStyle});
}

bool TWindowsStep::StillOwnedBy(WindowHandle window, const TOwner& owner) {
    // Never one of this run's own windows, whatever a handle or an id was given to since.
    if (owner.pid == m_platform.kernel.GetCurrentProcessId()) return false;
    if (!m_platform.windows.IsWindow(window)) return false;
    if (m_platform.windows.GetWindowThreadProcessId(window) != owner.pid) return false;
    // The same id may have been given to a later program: its creation time tells them apart.
    // Without one read at the hide, the id has to do.
    if (owner.created == 0) return true;
    return m_platform.kernel.GetProcessCreationTime(owner.pid) == owner.created;
}

bool TWindowsStep::RecoverFrom(const TRecoveryRecord& record) {
    bool understood = true;
    std::vector<const TRecordLine*> lines = record.Lines(kWindowTag);
    // The last concealed first, as the restore does.
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        const TRecordLine& line = **it;
        auto window = line.Number(0), pid = line.Number(1), created = line.Number(2),
             exStyle = line.Number(3);
        if (line.fields.size() != 4 || !window || !pid || !created || !exStyle ||
            *pid > UINT32_MAX || *exStyle > UINT32_MAX || *window == 0) {
            understood = false;
            continue;
        }
        TOwner owner{static_cast<ProcessId>(*pid), *created};
        if (!StillOwnedBy(*window, owner)) continue;
        auto style = static_cast<std::uint32_t>(*exStyle);
        if (!RevealWindow(m_platform.windows, *window, style))
            m_owedStyles[*window] = {style, owner.pid, owner.created};
    }
    if (!m_owedStyles.empty()) m_context.RetryStylesLater();
    return understood;
}

}  // namespace nv
