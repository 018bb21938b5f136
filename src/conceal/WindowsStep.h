// The windows step of the cycle: lists every visible top-level window into the hidden-windows
// list and hides each one the Do-not-hide list does not spare; the restore shows them again, the
// last listed first. Hidden mode is on exactly while the list exists.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "conceal/CycleContext.h"
#include "conceal/CycleStep.h"
#include "inventory/WinInfo.h"

namespace nv {

class TWindowsStep final : public ICycleStep {
  public:
    using WindowList = std::vector<std::unique_ptr<TWinInfo>>;

    TWindowsStep(Platform& platform, ICycleContext& context);

    void Hide() override;
    void Restore() override;
    // The program is ending: its own window, closed or hidden, is not shown again on the way,
    // and a style still owed to a busy window gets one last try.
    void RestoreAtShutdown() override;

    bool IsHiddenMode() const { return m_hidden.has_value(); }
    // The hidden-windows list; null outside hidden mode.
    const WindowList* HiddenWindows() const { return m_hidden ? &*m_hidden : nullptr; }
    // A window that appeared while hidden: listed at the end and hidden unless spared.
    void HideNewWindow(WindowHandle window);
    // Writes the extended styles still owed to windows that were too busy to take them when
    // they were shown again; true while some are still owed.
    bool RetryExtendedStyles();

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
    std::vector<TSpareRule> ReadSpareRules();
    bool Spared(const TWinInfo& entry, const std::vector<TSpareRule>& rules);
    // Hides the entry's window: the main window through the toggle, another when conceal says.
    void HideEntry(const TWinInfo& entry, bool conceal);
    // Notes a window about to be concealed; times caches creation times by process.
    void NoteConcealed(const TWinInfo& entry, std::map<ProcessId, std::uint64_t>& times);
    bool StillOwnedBy(WindowHandle window, const TOwner& owner);
    std::unique_ptr<TWinInfo> MainWindowEntry();
    std::size_t MainWindowPosition(const WindowList& list);
    bool IsOwnWindow(WindowHandle window) {
        return window != 0 && window == m_context.MainWindow();
    }
    void RestoreHiddenWindows();

    Platform& m_platform;
    ICycleContext& m_context;
    std::optional<WindowList> m_hidden;
    // The windows this hide concealed (or is about to), with their saved extended styles.
    struct TConcealed {
        TOwner owner;
        std::uint32_t exStyle = 0;
    };
    std::map<WindowHandle, TConcealed> m_concealed;
    // Extended styles owed to shown windows that did not answer in time, by window, with the
    // process the window belonged to: a handle that has come to another program owes nothing.
    struct TOwedStyle {
        std::uint32_t exStyle = 0;
        ProcessId pid = 0;
        std::uint64_t created = 0;
    };
    std::map<WindowHandle, TOwedStyle> m_owedStyles;
    std::function<void()> m_checkpoint;
};

}  // namespace nv
