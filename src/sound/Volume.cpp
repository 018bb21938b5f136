#include "sound/Volume.h"

#include <cfenv>
#include <cmath>

namespace nv {

std::uint16_t ScalarToLevel(float scalar) {
    // nearbyint rounds as the floating-point environment says: to nearest, halves to even.
    double level = std::nearbyint(static_cast<double>(kVolumeScaleMax) * scalar);
    if (level < 0) level = 0;
    if (level > kVolumeScaleMax) level = kVolumeScaleMax;
    return static_cast<std::uint16_t>(level);
}

float LevelToScalar(std::uint16_t level) {
    return static_cast<float>(static_cast<long double>(level) / kVolumeScaleMax);
}

bool TVolume::ReadCurrentVolume(std::uint16_t& level, bool& muted) {
    float scalar = 0;
    bool mute = false;
    if (!m_audio.GetMasterVolume(scalar, mute)) return false;
    level = ScalarToLevel(scalar);
    muted = mute;
    return true;
}

void TVolume::SaveCurrentVolume() {
    // Without a device the saved values keep what they held.
    ReadCurrentVolume(m_savedVolume, m_savedMute);
}

void TVolume::ApplyDesiredVolume() {
    if (m_modifyVolume()) SetVolume(m_desired.desiredVolume, m_desired.desiredMute);
}

void TVolume::RestoreSavedVolume() {
    if (m_modifyVolume()) SetVolume(m_savedVolume, m_savedMute);
}

void TVolume::SetVolume(std::uint16_t level, bool muted) {
    // A level the device refused leaves its mute state alone too.
    if (m_audio.SetMasterVolumeLevelScalar(LevelToScalar(level))) m_audio.SetMute(muted);
}

void TVolume::PlayTestSound() {
    m_audio.PlaySoundW(m_audio.GetWindowsDirectoryW() + L"\\media\\tada.wav");
}

}  // namespace nv
