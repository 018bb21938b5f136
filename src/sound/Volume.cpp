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

bool TVolume::ReadCurrentVolume(std::uint16_t& level, bool& muted,
                                const std::wstring& endpointId) {
    auto read = m_audio.GetMasterVolume(endpointId);
    if (!read) return false;
    level = ScalarToLevel(read->scalar);
    muted = read->muted;
    return true;
}

void TVolume::SaveCurrentVolume() {
    // Without a device the saved values keep what they held, and name the default device.
    auto read = m_audio.GetMasterVolume(L"");
    m_savedEndpoint = read ? read->endpointId : L"";
    if (!read) return;
    m_savedVolume = ScalarToLevel(read->scalar);
    m_savedMute = read->muted;
}

bool TVolume::ApplyDesiredVolume() {
    // On the device just saved from: the default may change under us.
    return m_modifyVolume() &&
           SetVolume(m_desired.desiredVolume, m_desired.desiredMute, m_savedEndpoint);
}

void TVolume::RestoreSavedVolume() {
    if (m_modifyVolume()) SetVolume(m_savedVolume, m_savedMute, m_savedEndpoint);
}

bool TVolume::SetVolume(std::uint16_t level, bool muted, const std::wstring& endpointId) {
    // A level the device refused leaves its mute state alone too.
    if (!m_audio.SetMasterVolumeLevelScalar(endpointId, LevelToScalar(level))) return false;
    m_audio.SetMute(endpointId, muted);
    return true;
}

void TVolume::PlayTestSound() {
    m_audio.PlaySoundW(m_audio.GetWindowsDirectoryW() + L"\\media\\tada.wav");
}

// ---------------------------------------------------------------------------------------------
// The cycle's step

namespace {
// Level and mute saved, level and mute set, then the device's endpoint id (a text; older
// records have none, and meant the default device).
constexpr char kVolumeTag[] = "volume";
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
                            m_applied->level, m_applied->muted ? 1u : 0u,
                            m_volume.SavedEndpoint()});
}

bool TVolumeStep::RecoverFrom(const TRecoveryRecord& record) {
    bool understood = true;
    for (const TRecordLine* line : record.Lines(kVolumeTag)) {
        auto saved = line->Number(0), savedMute = line->Number(1), set = line->Number(2),
             setMute = line->Number(3);
        const std::size_t fields = line->fields.size();
        auto endpoint = fields == 5 ? line->Text(4) : std::optional<std::wstring>(L"");
        if ((fields != 4 && fields != 5) || !saved || !savedMute || !set || !setMute ||
            !endpoint || *saved > 0xFFFF || *set > 0xFFFF || *savedMute > 1 || *setMute > 1) {
            understood = false;
            continue;
        }
        std::uint16_t level = 0;
        bool muted = false;
        if (!m_volume.ReadCurrentVolume(level, muted, *endpoint)) continue;
        if (level != *set || muted != (*setMute == 1)) continue;
        m_volume.SetVolume(static_cast<std::uint16_t>(*saved), *savedMute == 1, *endpoint);
    }
    return understood;
}

}  // namespace nv
