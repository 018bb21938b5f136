// The pieces of the hide/restore cycle: each thing a hide changes is one step that owns what it
// saved while hidden and knows how to put it back. The cycle only runs them in its orders.
#pragma once

#include <cstddef>

namespace nv {

class ICycleStep {
  public:
    virtual ~ICycleStep() = default;
    virtual void Hide() = 0;
    virtual void Restore() = 0;
    // At shut-down in hidden mode: the same as Restore unless the step must spare something of
    // the ending program.
    virtual void RestoreAtShutdown() { Restore(); }
};

// Every kind of step, one step of each at most.
enum class TStepKind : std::size_t {
    ActiveWindow,  // the window the user was working in: recorded, closed if asked, reactivated
    DisplayMode,
    Wallpaper,
    Volume,
    Windows,  // the hidden-windows list: hidden mode is on exactly while it exists
    BringToTop,
    ShellParts,  // desktop icons, taskbar, tray icons
    Count
};

}  // namespace nv
