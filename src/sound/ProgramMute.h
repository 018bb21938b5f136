// "Mute only the programs that are hidden": a step of the cycle that mutes, one by one, the
// audio sessions of the programs whose windows it hid, and leaves the master volume and every
// other program's sound alone. Sessions those programs open while hidden are muted too. The
// restore unmutes exactly the sessions it muted; one that was muted before the hide stays so.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "conceal/CycleStep.h"
#include "conceal/WindowsStep.h"
#include "platform/Platform.h"

namespace nv {

class TProgramMuteStep final : public ICycleStep {
  public:
    struct TOwner {
        Platform& platform;
        std::function<bool()> enabled;  // "Mute only the programs that are hidden" is ticked
        // The hidden-windows list; null outside hidden mode.
        std::function<const TWindowsStep::WindowList*()> hiddenWindows;
        // Brings the recovery record up to date after a session was muted outside the
        // cycle's own runs.
        std::function<void()> checkpoint;
    };
    explicit TProgramMuteStep(TOwner owner) : m_owner(std::move(owner)) {}
    ~TProgramMuteStep() override;

    // Runs after the windows step: with the option ticked, mutes the sessions of the programs
    // now hidden and watches for new ones.
    void Hide() override;
    void Restore() override;
    // Windows were hidden since the hide (the window watch), or a session was opened: mutes
    // what the hidden programs play now. Nothing when this hide mutes nothing.
    void MuteHiddenPrograms();

    // The sessions muted, each with its process and the run of it.
    void SaveTo(TRecoveryRecord& record) const override;
    // Unmutes the recorded sessions that are still there, in the same run of the same program,
    // and still muted.
    bool RecoverFrom(const TRecoveryRecord& record) override;

  private:
    struct TMuted {
        std::wstring id;
        ProcessId pid = 0;
        std::uint64_t created = 0;  // the process's creation time; 0 when it cannot be read
    };
    bool Muted(const std::wstring& id) const;

    TOwner m_owner;
    bool m_active = false;  // this hide mutes the hidden programs
    std::vector<TMuted> m_muted;
};

}  // namespace nv
