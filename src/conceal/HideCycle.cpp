#include "conceal/HideCycle.h"

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

template <std::size_t N>
void THideCycle::Run(const TStepKind (&order)[N], void (ICycleStep::*action)()) {
    for (TStepKind kind : order)
        if (ICycleStep* step = m_steps[static_cast<std::size_t>(kind)].get()) (step->*action)();
}

void THideCycle::btnHideAllClick() {
    if (!m_context.Ready()) return;
    if (IsHiddenMode()) {
        Run(kRestoreOrder, &ICycleStep::Restore);
        m_context.RefreshAvailableWindows();
    } else {
        Run(kHideOrder, &ICycleStep::Hide);
    }
}

void THideCycle::RestoreEverything() {
    if (IsHiddenMode()) Run(kShutdownOrder, &ICycleStep::RestoreAtShutdown);
}

}  // namespace nv
