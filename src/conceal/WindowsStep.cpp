#include "conceal/WindowsStep.h"

#include <algorithm>
#include <unordered_set>

#include "conceal/RecoveryRecord.h"
#include "conceal/WindowGroups.h"
#include "conceal/WindowSteps.h"
#include "inventory/WindowInventory.h"

namespace nv {

namespace {

// Whether two notes of a window's owner name the same run of the same program. A creation
// time that could not be read leaves the id to tell.
template <typename Owner>
bool SameRun(const Owner& a, const Owner& b) {
    return a.pid == b.pid && (a.created == 0 || b.created == 0 || a.created == b.created);
}

}  // namespace

TWindowsStep::TWindowsStep(Platform& platform, ICycleContext& context)
    : m_platform(platform), m_context(context) {}

// ---------------------------------------------------------------------------------------------
// Hiding

void TWindowsStep::Hide() {
    WindowList& list = m_hidden.emplace();
    list = m_context.Inventory().ListWindows(true);
    // The inventory never lists the main window. When it is on screen it goes with the rest
    // and comes back at restore, so it gets an entry of its own where it stands in Z order.
    const bool mainWindowListed = m_context.MainWindowVisible();
    if (mainWindowListed) {
        std::size_t at = MainWindowPosition(list);
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), MainWindowEntry());
    }
    IWindowManager& windows = m_platform.windows;
    WindowHandle player = windows.FindWindowW(L"WMPlayerApp", L"");
    if (player != 0) windows.ShowWindowAsync(player, ShowCmd::ShowMinimized);

    // The windows to conceal are decided, and recorded, before the first one goes: a session
    // that ends half way through leaves none of them for good. Nothing up to here waits on
    // another program.
    std::vector<TSpareRule> rules = ReadSpareRules();
    TCreationTimes times;
    m_listed.clear();
    std::vector<const TWinInfo*> concealed;
    for (auto& entry : list) {
        if (IsOwnWindow(entry->handle)) continue;
        TListed& listed = NoteListed(*entry, times);
        TakeOwedStyle(*entry, listed.owner);
        listed.concealed = !Spared(*entry, rules);
        if (listed.concealed) concealed.push_back(entry.get());
    }
    if (m_checkpoint) m_checkpoint();

    // The toggle hides the main window; it is not concealed as well: its restore is the
    // toggle, which would not give back a cut extended style.
    if (mainWindowListed && m_context.MainWindowVisible()) m_context.ToggleProgramWindow(true);
    std::vector<TThreadWindow> threadWindows;
    for (const TWinInfo* entry : concealed)
        threadWindows.push_back({entry->handle, m_listed[entry->handle].thread});
    std::vector<TConcealResult> results = ConcealByThread(m_platform, threadWindows);
    for (std::size_t i = 0; i < concealed.size(); ++i) NoteConcealResult(*concealed[i], results[i]);
}

TWindowsStep::TOwner TWindowsStep::OwnerOf(WindowHandle window, TCreationTimes& times,
                                           std::uint32_t* thread) {
    TOwner owner;
    std::uint32_t owning = m_platform.windows.GetWindowThreadAndProcessId(window, owner.pid);
    if (thread) *thread = owning;
    if (owner.pid == 0) return owner;
    auto [time, added] = times.try_emplace(owner.pid, 0);
    if (added) time->second = m_platform.kernel.GetProcessCreationTime(owner.pid).value_or(0);
    owner.created = time->second;
    return owner;
}

TWindowsStep::TListed& TWindowsStep::NoteListed(const TWinInfo& entry, TCreationTimes& times) {
    TListed& listed = m_listed[entry.handle];
    listed = TListed{};
    listed.owner = OwnerOf(entry.handle, times, &listed.thread);
    return listed;
}

void TWindowsStep::TakeOwedStyle(TWinInfo& entry, const TOwner& owner) {
    auto owed = m_owedStyles.find(entry.handle);
    if (owed == m_owedStyles.end()) return;
    // Still owed its style from the last restore, it shows the cut one: the style to give back
    // is the one it is owed, unless the handle is another program's window by now.
    if (SameRun(owed->second.owner, owner)) entry.savedExStyle = owed->second.exStyle;
    m_owedStyles.erase(owed);
}

void TWindowsStep::NoteConcealResult(const TWinInfo& entry, const TConcealResult& result) {
    TListed& listed = m_listed[entry.handle];
    listed.minimised = listed.minimised || result.minimised;
    if (!result.onScreen || !m_named.insert(entry.handle).second) return;
    std::wstring name = L"\"" + entry.title + L"\"";
    std::wstring program = ExtractFileName(entry.programPath);
    if (!program.empty()) name += L" (" + program + L")";
    m_leftOnScreen.push_back(name);
}

std::wstring TWindowsStep::TakeNoticeOfWindowsLeftOnScreen() {
    if (m_leftOnScreen.empty()) return {};
    std::wstring text = L"These windows could not be hidden and stayed on screen:\n\r";
    for (const std::wstring& name : m_leftOnScreen) text += L"\n\r" + name;
    text +=
        L"\n\r\n\rWindows of programs running as administrator can be hidden only when "
        L"Nivora runs as administrator too.";
    m_leftOnScreen.clear();
    return text;
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

void TWindowsStep::ConcealOne(const TWinInfo& entry) {
    TConcealResult result = ConcealWindow(m_platform.windows, entry.handle);
    MinimiseIfStillShown(m_platform.windows, entry.handle, result);
    NoteConcealResult(entry, result);
}

void TWindowsStep::HideNewWindow(WindowHandle window) {
    if (!IsHiddenMode()) return;
    std::unique_ptr<TWinInfo> info = m_context.Inventory().AddWindowToList(window, true);
    if (!info) return;
    WindowList& list = *m_hidden;
    auto entryOf = [&] {
        return std::find_if(list.begin(), list.end(),
                            [&](const auto& entry) { return entry->handle == window; });
    };
    TCreationTimes times;
    auto listed = m_listed.find(window);
    if (listed != m_listed.end()) {
        // Listed already: a window we hid that its program showed again. Its entry, and the
        // style it had when first listed (it shows the cut one now), stay as they are.
        auto entry = entryOf();
        if (SameRun(listed->second.owner, OwnerOf(window, times))) {
            if (listed->second.concealed && entry != list.end()) ConcealOne(**entry);
            return;
        }
        // The handle is another program's window by now: the old entry is of a window gone.
        if (entry != list.end()) list.erase(entry);
        m_listed.erase(listed);
    }
    TListed& noted = NoteListed(*info, times);
    TakeOwedStyle(*info, noted.owner);
    noted.concealed = !IsOwnWindow(window) && !Spared(*info, ReadSpareRules());
    list.push_back(std::move(info));
    if (!noted.concealed) return;
    if (m_checkpoint) m_checkpoint();
    ConcealOne(*list.back());
}

// ---------------------------------------------------------------------------------------------
// Restoring

void TWindowsStep::Restore() {
    RestoreHiddenWindows();
    if (!m_owedStyles.empty()) m_context.RetryStylesLater();
}

void TWindowsStep::RestoreAtShutdown() {
    if (m_hidden) {
        WindowList& list = *m_hidden;
        list.erase(std::remove_if(list.begin(), list.end(),
                                  [&](const auto& entry) { return IsOwnWindow(entry->handle); }),
                   list.end());
        RestoreHiddenWindows();
    }
    RetryExtendedStyles();
    m_leftOnScreen.clear();  // no one is told any more
}

void TWindowsStep::RestoreHiddenWindows() {
    if (!m_hidden) return;
    std::vector<TRevealItem> items;
    std::vector<TOwner> owners;
    TCreationTimes times;
    for (const auto& entry : *m_hidden) {
        if (IsOwnWindow(entry->handle)) {
            items.push_back({entry->handle, 0, 0, false, false, true});
            owners.emplace_back();
            continue;
        }
        // A window that has closed, or whose handle has gone to another program's window, is
        // not ours to show or to give a style.
        auto listed = m_listed.find(entry->handle);
        std::uint32_t thread = 0;
        if (listed == m_listed.end() ||
            !StillOwnedBy(entry->handle, listed->second.owner, times, &thread))
            continue;
        const TListed& noted = listed->second;
        items.push_back({entry->handle, thread, entry->savedExStyle, noted.minimised,
                         !noted.concealed, false});
        owners.push_back(listed->second.owner);
    }
    std::vector<char> styled = RevealByThread(m_platform, items, [&](const TRevealItem&) {
        // Shown without the password: the user had it on screen when hiding began.
        if (!m_context.MainWindowVisible()) m_context.ToggleProgramWindow(false);
    });
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].own) continue;
        if (styled[i])
            m_owedStyles.erase(items[i].window);
        else
            m_owedStyles[items[i].window] = {items[i].exStyle, owners[i]};
    }
    m_hidden.reset();
    m_listed.clear();
}

bool TWindowsStep::RetryExtendedStyles() {
    IWindowManager& windows = m_platform.windows;
    TCreationTimes times;
    for (auto it = m_owedStyles.begin(); it != m_owedStyles.end();) {
        WindowHandle window = it->first;
        if (!StillOwnedBy(window, it->second.owner, times) ||
            RestoreExtendedStyle(windows, window, it->second.exStyle))
            it = m_owedStyles.erase(it);
        else
            ++it;
    }
    return !m_owedStyles.empty();
}

bool TWindowsStep::StillOwnedBy(WindowHandle window, const TOwner& owner, TCreationTimes& times,
                                std::uint32_t* thread) {
    // The same id may have been given to a later program: its creation time tells them apart.
    TOwner now = OwnerOf(window, times, thread);
    return now.pid != 0 && SameRun(owner, now);
}

// ---------------------------------------------------------------------------------------------
// The recovery record

namespace {
constexpr char kWindowTag[] = "window";  // handle, process id, process creation time, ex style
}  // namespace

void TWindowsStep::SaveTo(TRecoveryRecord& record) const {
    std::set<WindowHandle> saved;
    if (m_hidden)
        for (const auto& entry : *m_hidden) {
            auto listed = m_listed.find(entry->handle);
            if (listed == m_listed.end() || !listed->second.concealed) continue;
            const TOwner& owner = listed->second.owner;
            record.Add(kWindowTag, {entry->handle, owner.pid, owner.created, entry->savedExStyle});
            saved.insert(entry->handle);
        }
    for (const auto& [window, owed] : m_owedStyles)
        if (!saved.count(window))
            record.Add(kWindowTag, {window, owed.owner.pid, owed.owner.created, owed.exStyle});
}

bool TWindowsStep::RecoverFrom(const TRecoveryRecord& record) {
    bool understood = true;
    std::vector<TRevealItem> items;
    std::vector<TOwner> owners;
    TCreationTimes times;
    for (const TRecordLine* line : record.Lines(kWindowTag)) {
        auto window = line->Number(0), pid = line->Number(1), created = line->Number(2),
             exStyle = line->Number(3);
        if (line->fields.size() != 4 || !window || !pid || !created || !exStyle ||
            *pid > UINT32_MAX || *exStyle > UINT32_MAX || *window == 0) {
            understood = false;
            continue;
        }
        TOwner owner{static_cast<ProcessId>(*pid), *created};
        // Never one of this run's own windows, whatever a handle or an id was given to since.
        std::uint32_t thread = 0;
        if (owner.pid == m_platform.kernel.GetCurrentProcessId() ||
            !StillOwnedBy(*window, owner, times, &thread))
            continue;
        items.push_back(
            {*window, thread, static_cast<std::uint32_t>(*exStyle), false, false, false});
        owners.push_back(owner);
    }
    // The last concealed first, as the restore does.
    std::vector<char> styled = RevealByThread(m_platform, items, {});
    for (std::size_t i = 0; i < items.size(); ++i)
        if (!styled[i]) m_owedStyles[items[i].window] = {items[i].exStyle, owners[i]};
    if (!m_owedStyles.empty()) m_context.RetryStylesLater();
    return understood;
}

}  // namespace nv
