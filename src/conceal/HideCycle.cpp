#include "conceal/HideCycle.h"

#include <exception>
#include <stdexcept>

namespace nv {

THideCycle::THideCycle(Platform& platform, ICycleContext& context) : m_context(context) {
    auto windows = std::make_unique<TWindowsStep>(platform, context);
    auto activeWindow = std::make_unique<TActiveWindowStep>(platform, context);
    m_windows = windows.get();
    m_activeWindow = activeWindow.get();
    windows->SetCheckpoint([this] { WriteRecord(); });
    Plug(TStepKind::BringToTop, std::make_unique<TBringToTopStep>(platform, context, *windows));
    Plug(TStepKind::Windows, std::move(windows));
    Plug(TStepKind::ActiveWindow, std::move(activeWindow));
}

std::unique_ptr<ICycleStep> THideCycle::Plug(TStepKind kind, std::unique_ptr<ICycleStep> step) {
    std::swap(m_steps[static_cast<std::size_t>(kind)], step);
    return step;
}

// A step that fails does not stop the ones after it: a hide that ended at the volume would
// leave every window on screen with the wallpaper already gone, and a restore that ended there
// would leave them hidden. The first error is raised once every step has run.
// A hide brings the record up to date after each step, so it always covers what has been
// changed; a restore once at its end: a record that still lists what was already put back does
// no harm, since recovering it checks that each thing is still as the hide left it.
template <std::size_t N>
void THideCycle::Run(const TStepKind (&order)[N], void (ICycleStep::*action)()) {
    const bool hiding = action == &ICycleStep::Hide;
    std::exception_ptr firstError;
    for (TStepKind kind : order) {
        ICycleStep* step = m_steps[static_cast<std::size_t>(kind)].get();
        if (!step) continue;
        try {
            (step->*action)();
        } catch (...) {
            if (!firstError) firstError = std::current_exception();
        }
        if (hiding) WriteRecord();
    }
    if (!hiding) WriteRecord();
    if (firstError) std::rethrow_exception(firstError);
}

void THideCycle::btnHideAllClick() {
    if (!m_context.Ready()) return;
    if (IsHiddenMode()) {
        Run(kRestoreOrder, &ICycleStep::Restore);
        m_context.RefreshAvailableWindows();  // not reached after a failed step: it is reported
        // Told now, never while hidden: a box would stand on the hidden desktop.
        std::wstring leftOnScreen = m_windows->TakeNoticeOfWindowsLeftOnScreen();
        if (!leftOnScreen.empty()) m_context.Tell(leftOnScreen);
        TellRecordFailure();
    } else {
        Run(kHideOrder, &ICycleStep::Hide);
    }
}

void THideCycle::RestoreEverything() {
    if (IsHiddenMode())
        Run(kShutdownOrder, &ICycleStep::RestoreAtShutdown);
    else
        RetryExtendedStyles();  // a style still owed from the last restore gets one last try
}

bool THideCycle::RetryExtendedStyles() {
    bool owed = m_windows->RetryExtendedStyles();
    WriteRecord();
    return owed;
}

// ---------------------------------------------------------------------------------------------
// The recovery record

void THideCycle::KeepRecord(std::unique_ptr<TRecoveryFile> file) { m_record = std::move(file); }

TRecoveryRecord THideCycle::CurrentRecord() const {
    TRecoveryRecord record;
    for (const auto& step : m_steps)
        if (step) step->SaveTo(record);
    return record;
}

// Asking every step costs little next to one file write, and the file is written only when
// what it says changes: a step that changed nothing costs no write.
void THideCycle::WriteRecord() {
    if (m_record) m_record->Write(CurrentRecord());
}

void THideCycle::TellRecordFailure() {
    if (!m_record || IsHiddenMode()) return;
    std::string failure = m_record->TakeFailure();
    if (!failure.empty())
        throw std::runtime_error("Nivora could not keep its record of what was hidden, so a "
                                 "session that ends unexpectedly cannot be put right at the "
                                 "next start: " + failure);
}

THideCycle::TRecovery THideCycle::SetAsideDamagedRecord() {
    if (m_record->SetAside()) return TRecovery::Damaged;
    // Nothing in it can be put back any more; kept in its place it would be met at every start.
    if (m_record->Remove()) return TRecovery::DamagedRemoved;
    return TRecovery::DamagedLeft;
}

THideCycle::TRecovery THideCycle::RecoverPreviousSession() {
    if (!m_record) return TRecovery::Nothing;
    TRecoveryRecord record;
    switch (m_record->Read(record)) {
        case TRecoveryFile::TState::None:
            return TRecovery::Nothing;
        case TRecoveryFile::TState::Damaged:
            return SetAsideDamagedRecord();
        case TRecoveryFile::TState::Found:
            break;
    }
    // Every step gets its turn, whatever an earlier one met.
    bool understood = true;
    for (TStepKind kind : kRestoreOrder) {
        ICycleStep* step = m_steps[static_cast<std::size_t>(kind)].get();
        if (!step) continue;
        try {
            understood = step->RecoverFrom(record) && understood;
        } catch (...) {
            understood = false;
        }
    }
    if (!understood) return SetAsideDamagedRecord();
    m_record->Remove();
    // Styles still owed to windows that were busy stay in the record until they are written.
    WriteRecord();
    return TRecovery::Recovered;
}

}  // namespace nv
