// The master volume of the default playback device: read into the Sound page's "Current"
// group, saved and set to the desired level while hidden, put back at the restore on the very
// device it was saved from; and the test sound of the Sound page.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

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

    // The level and mute state of a device (the default one when the id is empty); false when
    // there is none or it cannot be read.
    bool ReadCurrentVolume(std::uint16_t& level, bool& muted, const std::wstring& endpointId = L"");
    // Saves the default device's level and mute, and which device that is.
    void SaveCurrentVolume();
    // Sets the saved device to the desired settings; true when it took them.
    bool ApplyDesiredVolume();
    // Puts the saved level and mute back on the device they were saved from; a device that has
    // gone meanwhile gets nothing, and the new default device is not touched either.
    void RestoreSavedVolume();
    // Sets a device's level and mute; false when it refused the level or is not there.
    bool SetVolume(std::uint16_t level, bool muted, const std::wstring& endpointId);
    // Windows' "tada" sound, played to its end.
    void PlayTestSound();

    std::uint16_t SavedVolume() const { return m_savedVolume; }
    bool SavedMute() const { return m_savedMute; }
    // The endpoint id of the device saved from; empty: the default device.
    const std::wstring& SavedEndpoint() const { return m_savedEndpoint; }

    const TVolumeSettings& Desired() const { return m_desired; }

  private:
    IAudio& m_audio;
    const TVolumeSettings& m_desired;
    std::function<bool()> m_modifyVolume;
    std::uint16_t m_savedVolume = 0;
    bool m_savedMute = false;
    std::wstring m_savedEndpoint;
};

// The volume as a step of the cycle: save and apply at the hide, put back at the restore.
class TVolumeStep final : public ICycleStep {
  public:
    explicit TVolumeStep(TVolume& volume) : m_volume(volume) {}
    void Hide() override;
    void Restore() override;
    // The level and mute saved, the ones set and the device, while it holds what the hide set.
    void SaveTo(TRecoveryRecord& record) const override;
    // Puts the recorded level and mute back while the device still has the ones the hide set:
    // a volume the user has changed since is theirs, and a device that has gone gets nothing.
    // A record without a device (from an older version) names the default one.
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
