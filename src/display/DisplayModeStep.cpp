#include "display/DisplayModeStep.h"

#include "display/DisplayFunctions.h"

namespace nv {

TDisplayModeStep::TDisplayModeStep(IDisplay& display, TDisplayModeChoice choice)
    : m_display(display), m_choice(std::move(choice)) {}

void TDisplayModeStep::SwitchDisplayMode() {
    // A restore owes only what this hide changed.
    m_saved.reset();
    if (!m_choice.switchResolution()) return;
    DisplayMode current;
    if (!m_display.EnumDisplaySettingsW(kEnumCurrentSettings, current)) return;
    std::optional<DisplayMode> selected = ListedDisplayMode(m_display, m_choice.selectedMode());
    if (!selected) return;
    m_saved = current;
    m_display.ChangeDisplaySettingsW(*selected, kDisplayModeApplyFlags);
}

void TDisplayModeStep::RestoreDisplayMode() {
    if (!m_saved) return;
    DisplayMode saved = *m_saved;
    m_saved.reset();
    // A record the system filled has a size; an empty one would ask for nothing sensible.
    if (saved.pelsWidth == 0 || saved.pelsHeight == 0) return;
    m_display.ChangeDisplaySettingsW(saved, kDisplayModeApplyFlags);
}

}  // namespace nv
