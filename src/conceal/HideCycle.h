// The hide/restore cycle: one operation that toggles the desktop between its normal state and
// hidden mode. Each thing a hide changes is a step (CycleStep.h); the cycle runs them in three
// fixed orders and knows the main window only through its context.
#pragma once

#include <array>
#include <memory>

#include "conceal/CycleContext.h"
#include "conceal/CycleStep.h"
#include "conceal/ForegroundSteps.h"
#include "conceal/RecoveryFile.h"
#include "conceal/WindowsStep.h"

namespace nv {

// Hiding: the active window first, the windows after the display mode, wallpaper and volume,
// the sound of the programs whose windows went, then the Bring-to-top program, and the shell
// parts last.
constexpr TStepKind kHideOrder[] = {
    TStepKind::ActiveWindow, TStepKind::DisplayMode, TStepKind::Wallpaper,
    TStepKind::Volume,       TStepKind::Windows,     TStepKind::ProgramMute,
    TStepKind::BringToTop,   TStepKind::ShellParts};
// Restoring: the shell parts first, the windows last, then the active window to the front.
constexpr TStepKind kRestoreOrder[] = {TStepKind::ShellParts,  TStepKind::DisplayMode,
                                       TStepKind::Wallpaper,   TStepKind::Volume,
                                       TStepKind::ProgramMute, TStepKind::Windows,
                                       TStepKind::ActiveWindow};
// At shut-down in hidden mode, and at the end of the session, when Windows may end the program
// part way: first what would outlast it (the display mode kept in the registry, the wallpaper,
// the shell parts, the volume and the programs' mute), then the windows, which go with their
// programs anyway. The record is brought up to date once all has run.
constexpr TStepKind kShutdownOrder[] = {TStepKind::DisplayMode, TStepKind::Wallpaper,
                                        TStepKind::ShellParts,  TStepKind::Volume,
                                        TStepKind::ProgramMute, TStepKind::Windows};

class THideCycle {
  public:
    THideCycle(Platform& platform, ICycleContext& context);

    // The click of the invisible Hide/Restore button: hides or restores, once start-up is done.
    void btnHideAllClick();
    bool IsHiddenMode() const { return m_windows->IsHiddenMode(); }
    // A window that appeared while hidden: listed at the end and hidden unless spared.
    void HideNewWindow(WindowHandle window) { m_windows->HideNewWindow(window); }
    // At shut-down: puts back everything still hidden, except the program's own window, and
    // ends hidden mode; outside it, writes the styles still owed if the windows answer now.
    void RestoreEverything();
    // Extended styles owed to windows that were busy when they were shown again; true while
    // some are still owed.
    bool RetryExtendedStyles();

    // Keeps the recovery record in this file from now on: written before a hide changes
    // anything and after each step that changed something, removed once all is back.
    void KeepRecord(std::unique_ptr<TRecoveryFile> file);
    // A damaged record is set aside (Damaged); one that cannot be is removed (DamagedRemoved);
    // one that can be neither stays to be read again at the next start (DamagedLeft).
    enum class TRecovery { Nothing, Recovered, Damaged, DamagedRemoved, DamagedLeft };
    // At start: when a previous session left a record, puts back what it lists, step by step
    // in the restore order, and removes it. A record that cannot be read is set aside.
    TRecovery RecoverPreviousSession();
    const TRecoveryFile* RecordFile() const { return m_record.get(); }
    // A step changed something outside the cycle's own runs (a sound muted as it began): the
    // record is brought up to date.
    void StepChanged() { WriteRecord(); }
    // What a restore would still put back now, as the record lists it.
    TRecoveryRecord CurrentRecord() const;

    // Puts a step in place of the one of its kind (none for the kinds whose subsystem is not
    // there); returns the one it replaces.
    std::unique_ptr<ICycleStep> Plug(TStepKind kind, std::unique_ptr<ICycleStep> step);

    const TForegroundRecord& ForegroundRecord() const { return m_activeWindow->Record(); }
    // The hidden-windows list; null outside hidden mode.
    const TWindowsStep::WindowList* HiddenWindows() const { return m_windows->HiddenWindows(); }

  private:
    template <std::size_t N>
    void Run(const TStepKind (&order)[N], void (ICycleStep::*action)());
    // Brings the record up to date with what the steps owe.
    void WriteRecord();
    // A record that could not be written is told once, when nothing is hidden any more.
    void TellRecordFailure();
    // Moves a damaged record out of the way, so that the next start does not meet it again.
    TRecovery SetAsideDamagedRecord();

    ICycleContext& m_context;
    std::array<std::unique_ptr<ICycleStep>, static_cast<std::size_t>(TStepKind::Count)> m_steps;
    // The cycle's own steps, owned in m_steps (a test may wrap them there).
    TWindowsStep* m_windows;
    TActiveWindowStep* m_activeWindow;
    std::unique_ptr<TRecoveryFile> m_record;
};

}  // namespace nv
