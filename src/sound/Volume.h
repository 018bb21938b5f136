// The master volume of the default playback device: read into the Sound page's "Current"
// group, saved and set to the desired level while hidden, put back at the restore; and the
// test sound of the Sound page.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "conceal/CycleStep.h"
#include "platform/Platform.h"
#include "sound/VolumeSettings.h"

namespace nv {

// Device scalar 0.0..1.0 to the 0..65535 scale, the nearest level with halves to even (0.5 reads
// 32768); and back, in extended precision.
std::uint16_t ScalarToLevel(float scalar);
float LevelToScalar(std::uint16_t level);

class TVolume {
  public:
    // modifyVolume tells whether "Modify sound" is ticked, at the moment it is asked.
    TVolume(IAudio& audio, const TVolumeSettings& desired, std::function<bool()> modifyVolume)
        : m_audio(audio), m_desired(desired), m_modifyVolume(std::move(modifyVolume)) {}

    // The device's level and mute state; false when there is none or it cannot be read.
    bool ReadCurrentVolume(std::uint16_t& level, bool& muted);
    void SaveCurrentVolume();
    // True when the device took the desired settings.
    bool ApplyDesiredVolume();
    void RestoreSavedVolume();
    // Sets the device's level and mute; false when it refused the level.
    bool SetVolume(std::uint16_t level, bool muted);
    // Windows' "tada" sound, played to its end.
    void PlayTestSound();

    std::uint16_t SavedVolume() const { return m_savedVolume; }
    bool SavedMute() const { return m_savedMute; }

    const TVolumeSettings& Desired() const { return m_desired; }

  private:
    IAudio& m_audio;
    const TVolumeSettings& m_desired;
    std::function<bool()> m_modifyVolume;
    std::uint16_t m_savedVolume = 0;
    bool m_savedMute = false;
};

// The volume as a step of the cycle: save and apply at the hide, put back at the restore.
class TVolumeStep final : public ICycleStep {
  public:
    explicit TVolumeStep(TVolume& volume) : m_volume(volume) {}
    void Hide() override;
    void Restore() override;
    // The level and mute saved, and the ones set, while the device holds what the hide set.
    void SaveTo(TRecoveryRecord& record) const override;
    // Puts the recorded level and mute back while the device still has the ones the hide set:
    // a volume the user has changed since is theirs.
    bool RecoverFrom(const TRecoveryRecord& record) override;

  private:
    TVolume& m_volume;
    // What the hide set the device to; none when it set nothing.
    struct TApplied {
        std::uint16_t level;
        bool muted;
    };
    std::optional<TApplied> m_applied;
};

}  // namespace nv
