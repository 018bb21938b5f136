#include "conceal/HideCycle.h"

#include <exception>

namespace nv {

THideCycle::THideCycle(Platform& platform, ICycleContext& context) : m_context(context) {
    auto windows = std::make_unique<TWindowsStep>(platform, context);
    auto activeWindow = std::make_unique<TActiveWindowStep>(platform, context);
    m_windows = windows.get();
    m_activeWindow = activeWindow.get();
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
template <std::size_t N>
void THideCycle::Run(const TStepKind (&order)[N], void (ICycleStep::*action)()) {
    std::exception_ptr firstError;
    for (TStepKind kind : order) {
        ICycleStep* step = m_steps[static_cast<std::size_t>(kind)].get();
        if (!step) continue;
        try {
            (step->*action)();
        } catch (...) {
            if (!firstError) firstError = std::current_exception();
        }
    }
    if (firstError) std::rethrow_exception(firstError);
}

void THideCycle::btnHideAllClick() {
    if (!m_context.Ready()) return;
    if (IsHiddenMode()) {
        Run(kRestoreOrder, &ICycleStep::Restore);
        m_context.RefreshAvailableWindows();  // not reached after a failed step: it is reported
    } else {
        Run(kHideOrder, &ICycleStep::Hide);
    }
}

void THideCycle::RestoreEverything() {
    if (IsHiddenMode()) Run(kShutdownOrder, &ICycleStep::RestoreAtShutdown);
}

}  // namespace nv
