#include "display/DisplayModeStep.h"

#include "conceal/RecoveryRecord.h"
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
    m_switchedTo = *selected;
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

namespace {
// The settings switched from (bits, width, height, frequency, fields), then the mode switched to
// (bits, width, height, frequency).
constexpr char kDisplayTag[] = "display";
}  // namespace

void TDisplayModeStep::SaveTo(TRecoveryRecord& record) const {
    if (!m_saved) return;
    record.Add(kDisplayTag, {m_saved->bitsPerPel, m_saved->pelsWidth, m_saved->pelsHeight,
                             m_saved->displayFrequency, m_saved->fields, m_switchedTo.bitsPerPel,
                             m_switchedTo.pelsWidth, m_switchedTo.pelsHeight,
                             m_switchedTo.displayFrequency});
}

bool TDisplayModeStep::RecoverFrom(const TRecoveryRecord& record) {
    bool understood = true;
    for (const TRecordLine* line : record.Lines(kDisplayTag)) {
        std::uint32_t v[9];
        bool ok = line->fields.size() == 9;
        for (std::size_t i = 0; ok && i < 9; ++i) {
            auto n = line->Number(i);
            ok = n && *n <= UINT32_MAX;
            if (ok) v[i] = static_cast<std::uint32_t>(*n);
        }
        if (!ok) {
            understood = false;
            continue;
        }
        DisplayMode from{v[0], v[1], v[2], v[3], v[4]};
        DisplayMode to{v[5], v[6], v[7], v[8], 0};
        DisplayMode current;
        if (!m_display.EnumDisplaySettingsW(kEnumCurrentSettings, current) || !current.SameMode(to))
            continue;
        m_saved = from;
        RestoreDisplayMode();
    }
    return understood;
}

}  // namespace nv
