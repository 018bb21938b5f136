// The hide/restore cycle: one operation that toggles the desktop between its normal state and
// hidden mode. Hidden mode is on exactly while the hidden-windows list exists.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "inventory/WinInfo.h"
#include "platform/Platform.h"

namespace nv {

class TMainForm;

// The window the user was working in when the last hide started.
struct TForegroundRecord {
    WindowHandle window = 0;
    std::wstring className;
    std::wstring title;
};

class THideCycle {
  public:
    using WindowList = std::vector<std::unique_ptr<TWinInfo>>;

    explicit THideCycle(TMainForm& form);

    // The click of the invisible Hide/Restore button: hides or restores, once start-up is done.
    void btnHideAllClick();
    bool IsHiddenMode() const { return m_hidden.has_value(); }
    // A window that appeared while hidden: listed at the end and hidden unless spared.
    void HideNewWindow(WindowHandle window);
    // Shows every listed window again, the last listed first, and empties the list.
    void RestoreHiddenWindows();
    // At shut-down: puts back everything still hidden, except the program's own window, and
    // ends hidden mode.
    void RestoreEverything();

    const TForegroundRecord& ForegroundRecord() const { return m_foreground; }
    // The hidden-windows list; null outside hidden mode.
    const WindowList* HiddenWindows() const { return m_hidden ? &*m_hidden : nullptr; }

  private:
    // One Do-not-hide entry, converted once per hide.
    struct TSpareRule {
        std::wstring title;        // spares windows with exactly this title, when not empty
        std::wstring programName;  // file name; spares windows whose path holds it, in any case
    };

    void HideDirection();
    void RestoreDirection();
    void RecordForegroundWindow();
    void CloseRecordedWindow();
    void HideAllWindows();
    void HideUnlessSpared(const TWinInfo& entry, const std::vector<TSpareRule>& rules);
    void BringProgramToTop();
    std::vector<TSpareRule> ReadSpareRules();
    std::unique_ptr<TWinInfo> MainWindowEntry();
    std::size_t MainWindowPosition(const WindowList& list);
    bool IsOwnWindow(WindowHandle window) const;

    TMainForm& m_form;
    Platform& m_platform;
    TForegroundRecord m_foreground;
    std::optional<WindowList> m_hidden;
};

}  // namespace nv
