#include "sound/Volume.h"

#include "conceal/RecoveryRecord.h"

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

bool TVolume::ApplyDesiredVolume() {
    return m_modifyVolume() && SetVolume(m_desired.desiredVolume, m_desired.desiredMute);
}

void TVolume::RestoreSavedVolume() {
    if (m_modifyVolume()) SetVolume(m_savedVolume, m_savedMute);
}

bool TVolume::SetVolume(std::uint16_t level, bool muted) {
    // A level the device refused leaves its mute state alone too.
    if (!m_audio.SetMasterVolumeLevelScalar(LevelToScalar(level))) return false;
    m_audio.SetMute(muted);
    return true;
}

void TVolume::PlayTestSound() {
    m_audio.PlaySoundW(m_audio.GetWindowsDirectoryW() + L"\\media\\tada.wav");
}

// ---------------------------------------------------------------------------------------------
// The cycle's step

namespace {
constexpr char kVolumeTag[] = "volume";  // level and mute saved, then level and mute set
}  // namespace

void TVolumeStep::Hide() {
    m_applied.reset();
    m_volume.SaveCurrentVolume();
    if (m_volume.ApplyDesiredVolume())
        m_applied = TApplied{m_volume.Desired().desiredVolume, m_volume.Desired().desiredMute};
}

void TVolumeStep::Restore() {
    m_volume.RestoreSavedVolume();
    m_applied.reset();
}

void TVolumeStep::SaveTo(TRecoveryRecord& record) const {
    if (!m_applied) return;
    record.Add(kVolumeTag, {m_volume.SavedVolume(), m_volume.SavedMute() ? 1u : 0u,
                            m_applied->level, m_applied->muted ? 1u : 0u});
}

bool TVolumeStep::RecoverFrom(const TRecoveryRecord& record) {
    bool understood = true;
    for (const TRecordLine* line : record.Lines(kVolumeTag)) {
        auto saved = line->Number(0), savedMute = line->Number(1), set = line->Number(2),
             setMute = line->Number(3);
        if (line->fields.size() != 4 || !saved || !savedMute || !set || !setMute ||
            *saved > 0xFFFF || *set > 0xFFFF || *savedMute > 1 || *setMute > 1) {
            understood = false;
            continue;
        }
        std::uint16_t level = 0;
        bool muted = false;
        if (!m_volume.ReadCurrentVolume(level, muted)) continue;
        if (level != *set || muted != (*setMute == 1)) continue;
        m_volume.SetVolume(static_cast<std::uint16_t>(*saved), *savedMute == 1);
    }
    return understood;
}

}  // namespace nv
