// The pieces of the hide/restore cycle: each thing a hide changes is one step that owns what it
// saved while hidden and knows how to put it back. The cycle only runs them in its orders.
#pragma once

#include <cstddef>

namespace nv {

class TRecoveryRecord;

class ICycleStep {
  public:
    virtual ~ICycleStep() = default;
    virtual void Hide() = 0;
    virtual void Restore() = 0;
    // At shut-down in hidden mode: the same as Restore unless the step must spare something of
    // the ending program.
    virtual void RestoreAtShutdown() { Restore(); }

    // The recovery record: the lines of what a restore would still put back now (none when
    // the step owes nothing), so that a session that ends without its restore loses nothing.
    virtual void SaveTo(TRecoveryRecord& record) const {}
    // At start, when a previous session ended while hidden: puts back what the record's lines
    // of this step list, where it is still the program's to put back (a window that has gone
    // to another process, a wallpaper the user has set since, stay as they are). False when a
    // line of its own could not be understood; the others are put back all the same.
    virtual bool RecoverFrom(const TRecoveryRecord& record) { return true; }
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
    ProgramMute,  // the sound of the programs hidden, muted session by session
    Count
};

}  // namespace nv
