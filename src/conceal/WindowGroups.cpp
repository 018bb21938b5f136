#include "conceal/WindowGroups.h"

#include <map>

namespace nv {

namespace {

constexpr std::size_t kNoJob = static_cast<std::size_t>(-1);

// The windows of one thread, by their places in the list, in list order.
struct TGroup {
    std::uint32_t thread = 0;
    std::vector<std::size_t> members;
};

// Groups the windows by the thread that owns them, leaving out those that `leftOut` says;
// groupOf tells each window's group.
template <typename Item, typename LeftOut>
std::vector<TGroup> GroupByThread(const std::vector<Item>& items, LeftOut leftOut,
                                  std::vector<std::size_t>& groupOf) {
    std::vector<TGroup> groups;
    std::map<std::uint32_t, std::size_t> byThread;
    groupOf.assign(items.size(), kNoJob);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (leftOut(items[i])) continue;
        auto [at, added] = byThread.emplace(items[i].thread, groups.size());
        if (added) groups.push_back({items[i].thread, {}});
        groups[at->second].members.push_back(i);
        groupOf[i] = at->second;
    }
    return groups;
}

// Waits for the workers however the caller leaves, so that no job outlives what it uses.
class TJoin {
  public:
    explicit TJoin(IWorkers& workers) : m_workers(workers) {}
    ~TJoin() {
        if (m_joined) return;
        try {
            m_workers.WaitForAll();
        } catch (...) {
            // The error that brought us here is the one to report.
        }
    }
    void Now() {
        m_joined = true;
        m_workers.WaitForAll();
    }

  private:
    IWorkers& m_workers;
    bool m_joined = false;
};

}  // namespace

std::vector<TConcealResult> ConcealByThread(Platform& platform,
                                            const std::vector<TThreadWindow>& items) {
    IWindowManager& windows = platform.windows;
    std::vector<TConcealResult> results(items.size());
    auto hide = [&windows, &items, &results](const TGroup& group, bool answers) {
        if (!answers)
            answers = WindowAnswers(windows, items[group.members.front()].window, kAnswerTimeoutMs);
        for (std::size_t i : group.members) {
            const WindowHandle window = items[i].window;
            if (!answers) {
                windows.ShowWindowAsync(window, ShowCmd::Hide);
                continue;
            }
            results[i] = ConcealAnsweringWindow(windows, window);
            MinimiseIfStillShown(windows, window, results[i]);
            answers = results[i].answered;
        }
    };
    std::vector<std::size_t> groupOf;
    const std::vector<TGroup> groups = GroupByThread(
        items, [](const TThreadWindow&) { return false; }, groupOf);
    const std::uint32_t self = platform.kernel.GetCurrentThreadId();
    std::vector<std::function<void()>> jobs;
    for (const TGroup& group : groups)
        if (group.thread != self) jobs.push_back([&hide, &group] { hide(group, false); });
    TJoin join(platform.workers);
    platform.workers.Start(std::move(jobs));
    // This thread's own windows (the program's dialogs) are answered by this thread itself.
    for (const TGroup& group : groups)
        if (group.thread == self) hide(group, true);
    join.Now();
    return results;
}

std::vector<char> RevealByThread(Platform& platform, const std::vector<TRevealItem>& items,
                                 const std::function<void(const TRevealItem&)>& showOwn) {
    IWindowManager& windows = platform.windows;
    std::vector<std::size_t> groupOf;
    const std::vector<TGroup> groups = GroupByThread(
        items, [](const TRevealItem& item) { return item.own; }, groupOf);

    // Only the questions go to the workers: a busy thread gets a while to answer, and one that
    // does keeps its windows' styles. Each slot is written by one worker, and read here once
    // its job has ended.
    const std::uint32_t self = platform.kernel.GetCurrentThreadId();
    std::vector<char> answered(groups.size(), 1);
    std::vector<std::size_t> jobOf(groups.size(), kNoJob);
    std::vector<std::function<void()>> jobs;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        if (groups[g].thread == self) continue;  // this thread answers its own windows
        jobOf[g] = jobs.size();
        jobs.push_back([&windows, &answered, &groups, &items, g] {
            answered[g] =
                WindowAnswers(windows, items[groups[g].members.front()].window, kSettleTimeoutMs);
        });
    }
    std::vector<char> styled(items.size());
    // The calls that wait on a window's thread are made once it has answered: for a hidden
    // window, exactly those the platform needs to give it its style back and show it.
    auto show = [&](std::size_t i) {
        if (!items[i].spared || windows.GetWindowExStyle(items[i].window) != items[i].exStyle)
            windows.SetWindowExStyleAndWait(items[i].window, items[i].exStyle);
        styled[i] = true;
        windows.ShowWindowAndWait(items[i].window, ShowCmd::ShowNA);
        // Restored from its minimised state, to its normal or maximised size, still without
        // activation.
        if (items[i].minimised) windows.ShowWindowAndWait(items[i].window, ShowCmd::ShowNoActivate);
    };

    TJoin join(platform.workers);
    platform.workers.Start(std::move(jobs));
    std::vector<std::size_t> late;  // from the bottom up
    for (std::size_t i = items.size(); i-- > 0;) {
        if (items[i].own) {
            showOwn(items[i]);
            continue;
        }
        const std::size_t job = jobOf[groupOf[i]];
        if (job != kNoJob && !platform.workers.WaitForJob(job, kInTurnMs))
            late.push_back(i);
        else if (answered[groupOf[i]])
            show(i);
        else
            windows.ShowWindowAsync(items[i].window, ShowCmd::ShowNA);
    }
    for (std::size_t i : late) {
        platform.workers.WaitForJob(jobOf[groupOf[i]], UINT32_MAX);
        if (!answered[groupOf[i]]) {
            windows.ShowWindowAsync(items[i].window, ShowCmd::ShowNA);
            continue;
        }
        // Shown now, on top of the others, then put right below the nearest window above it
        // in the list that is on screen (with none, on top is its place).
        show(i);
        for (std::size_t above = i; above-- > 0;) {
            if (!windows.IsWindowVisible(items[above].window)) continue;
            windows.SetWindowPosAndWait(items[i].window, items[above].window);
            break;
        }
    }
    join.Now();
    return styled;
}

}  // namespace nv
