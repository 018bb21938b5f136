// The desired sound settings: the level and mute state the hide step gives the playback device.
// The settings store loads and saves them; the Sound page's desired-volume slider and "Muted"
// box change them.
#pragma once

#include <cstdint>

namespace nv {

// Levels run 0..65535, 65535 being full volume.
constexpr std::uint16_t kVolumeScaleMax = 65535;

struct TVolumeSettings {
    std::uint16_t desiredVolume = kVolumeScaleMax;
    bool desiredMute = false;
};

}  // namespace nv
