// The windows step of the cycle: lists every visible top-level window into the hidden-windows
// list and hides each one the Do-not-hide list does not spare; the restore shows them again, the
// last listed first. Hidden mode is on exactly while the list exists.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "conceal/CycleContext.h"
#include "conceal/CycleStep.h"
#include "inventory/WinInfo.h"

namespace nv {

struct TConcealResult;

class TWindowsStep final : public ICycleStep {
  public:
    using WindowList = std::vector<std::unique_ptr<TWinInfo>>;

    TWindowsStep(Platform& platform, ICycleContext& context);

    // Each program's windows are hidden, and shown again, on a worker of their own (WindowGroups):
    // a busy program delays only its own windows. Both return once every window is done.
    void Hide() override;
    void Restore() override;
    // The program is ending: its own window, closed or hidden, is not shown again on the way,
    // and a style still owed to a busy window gets one last try, in hidden mode or not.
    void RestoreAtShutdown() override;

    bool IsHiddenMode() const { return m_hidden.has_value(); }
    // The hidden-windows list; null outside hidden mode.
    const WindowList* HiddenWindows() const { return m_hidden ? &*m_hidden : nullptr; }
    // A window that appeared while hidden: listed at the end and hidden unless spared. One
    // listed already (a window we hid and its program showed again) is hidden again and keeps
    // its entry.
    void HideNewWindow(WindowHandle window);
    // Writes the extended styles still owed to windows that were too busy to take them when
    // they were shown again; true while some are still owed.
    bool RetryExtendedStyles();
    // The windows that stayed on screen through the hides since the last call, named for the
    // user (each once a run), and why that may be; empty when there are none.
    std::wstring TakeNoticeOfWindowsLeftOnScreen();

    // Every window the hide is about to conceal, with the process it belongs to, and every
    // style still owed.
    void SaveTo(TRecoveryRecord& record) const override;
    // Shows the recorded windows that still exist and belong to the same run of the same
    // program, each with its saved extended style, without activating it.
    bool RecoverFrom(const TRecoveryRecord& record) override;
    // Called once the windows to conceal are known, before the first one goes, so the record
    // lists them before anything is hidden.
    void SetCheckpoint(std::function<void()> checkpoint) { m_checkpoint = std::move(checkpoint); }

  private:
    // One Do-not-hide entry, converted once per hide.
    struct TSpareRule {
        std::wstring title;        // spares windows with exactly this title, when not empty
        std::wstring programName;  // file name; spares windows whose path holds it, in any case
    };
    // Which process, and which run of it, a window belongs to.
    struct TOwner {
        ProcessId pid = 0;
        std::uint64_t created = 0;  // the process's creation time; 0 when it cannot be read
    };
    // A window of the hidden-windows list (not the program's own).
    struct TListed {
        TOwner owner;
        std::uint32_t thread = 0;  // the thread that owns it
        bool concealed = false;    // hidden by us, not spared
        bool minimised = false;    // by the hide, since it would not be hidden
    };
    // An extended style owed to a shown window that did not answer in time.
    struct TOwedStyle {
        std::uint32_t exStyle = 0;
        TOwner owner;
    };
    using TCreationTimes = std::map<ProcessId, std::uint64_t>;

    std::vector<TSpareRule> ReadSpareRules();
    bool Spared(const TWinInfo& entry, const std::vector<TSpareRule>& rules);
    // The window's owner now (none when it is gone), and its thread; times caches creation
    // times by process.
    TOwner OwnerOf(WindowHandle window, TCreationTimes& times, std::uint32_t* thread = nullptr);
    TListed& NoteListed(const TWinInfo& entry, TCreationTimes& times);
    // A style owed to this handle's window is the one to give back, if the window is still
    // the same run's; either way it is owed no longer.
    void TakeOwedStyle(TWinInfo& entry, const TOwner& owner);
    void NoteConcealResult(const TWinInfo& entry, const TConcealResult& result);
    void ConcealOne(const TWinInfo& entry);
    // Whether the window still exists and belongs to the same run of the same program.
    bool StillOwnedBy(WindowHandle window, const TOwner& owner, TCreationTimes& times,
                      std::uint32_t* thread = nullptr);
    std::unique_ptr<TWinInfo> MainWindowEntry();
    std::size_t MainWindowPosition(const WindowList& list);
    bool IsOwnWindow(WindowHandle window) {
        return window != 0 && window == m_context.MainWindow();
    }
    void RestoreHiddenWindows();

    Platform& m_platform;
    ICycleContext& m_context;
    std::optional<WindowList> m_hidden;
    std::map<WindowHandle, TListed> m_listed;
    // Styles owed to shown windows that did not answer in time: a handle that has come to
    // another program owes nothing.
    std::map<WindowHandle, TOwedStyle> m_owedStyles;
    // Windows that stayed on screen, as the user is to read them, and every one named so far.
    std::vector<std::wstring> m_leftOnScreen;
    std::set<WindowHandle> m_named;
    std::function<void()> m_checkpoint;
};

}  // namespace nv
