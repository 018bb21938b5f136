// The display-mode step of the hide/restore cycle: a hide with "Switch display resolution" on
// switches the primary display to the chosen mode, and the restore puts back the settings that
// hide switched from.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "conceal/CycleStep.h"
#include "platform/Platform.h"

namespace nv {

// What the step reads of the main window at the moment it hides.
struct TDisplayModeChoice {
    std::function<bool()> switchResolution;      // the option
    std::function<std::int32_t()> selectedMode;  // the mode number to switch to
};

class TDisplayModeStep final : public ICycleStep {
  public:
    TDisplayModeStep(IDisplay& display, TDisplayModeChoice choice);
    // Saves the settings in use and switches to the selected mode, when the option is on and
    // the system lists that mode.
    void Hide() override { SwitchDisplayMode(); }
    // Puts back what the last hide switched from, whatever the option says by now: the option
    // may have been unticked while hidden, and the user still gets the mode they had.
    void Restore() override { RestoreDisplayMode(); }

    void SwitchDisplayMode();
    void RestoreDisplayMode();
    // The settings this hide switched from, and to.
    void SaveTo(TRecoveryRecord& record) const override;
    // Switches back to the recorded settings while the display still shows the mode the hide
    // switched to: a mode the user has chosen since is theirs.
    bool RecoverFrom(const TRecoveryRecord& record) override;

    // The settings the last hide switched from; nothing when it switched nothing.
    const std::optional<DisplayMode>& SavedSettings() const { return m_saved; }

  private:
    IDisplay& m_display;
    TDisplayModeChoice m_choice;
    std::optional<DisplayMode> m_saved;
    DisplayMode m_switchedTo;  // meaningful while m_saved holds settings
};

}  // namespace nv
