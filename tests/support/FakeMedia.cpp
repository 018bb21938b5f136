#include "support/FakeMedia.h"

#include <stdexcept>

namespace nv::test {

std::optional<std::wstring> FakeWallpaper::GetActiveDesktopWallpaper() {
    if (!activeDesktop || getWallpaperFails) return std::nullopt;
    return shown;
}

void FakeWallpaper::SetActiveDesktopWallpaper(const std::wstring& path) {
    if (!activeDesktop) return;
    shown = path;
    applied.push_back(L"ActiveDesktop(" + path + L")");
}

void FakeWallpaper::SetDeskWallpaper(const std::wstring& path) {
    shown = path;
    applied.push_back(L"SystemParameters(" + path + L")");
}

namespace {
void NeedEnumerator(bool missing) {
    if (missing) throw std::runtime_error("The audio device enumerator cannot be created");
}
}  // namespace

bool FakeAudio::Find(const std::wstring& endpointId, float*& deviceLevel, bool*& deviceMuted) {
    NeedEnumerator(enumeratorMissing);
    const std::wstring& id = endpointId.empty() ? defaultId : endpointId;
    if (!hasDevice || gone.count(id)) return false;
    if (id == kSpeakers) {
        deviceLevel = &level;
        deviceMuted = &muted;
        return true;
    }
    auto other = others.find(id);
    if (other == others.end()) return false;
    deviceLevel = &other->second.level;
    deviceMuted = &other->second.muted;
    return true;
}

std::optional<EndpointVolume> FakeAudio::GetMasterVolume(const std::wstring& endpointId) {
    float* deviceLevel = nullptr;
    bool* deviceMuted = nullptr;
    if (!Find(endpointId, deviceLevel, deviceMuted)) return std::nullopt;
    return EndpointVolume{endpointId.empty() ? defaultId : endpointId, *deviceLevel, *deviceMuted};
}

bool FakeAudio::SetMasterVolumeLevelScalar(const std::wstring& endpointId, float scalar) {
    float* deviceLevel = nullptr;
    bool* deviceMuted = nullptr;
    if (!Find(endpointId, deviceLevel, deviceMuted) || setLevelFails) return false;
    *deviceLevel = scalar;
    return true;
}

void FakeAudio::SetMute(const std::wstring& endpointId, bool mute) {
    float* deviceLevel = nullptr;
    bool* deviceMuted = nullptr;
    if (Find(endpointId, deviceLevel, deviceMuted)) *deviceMuted = mute;
}

void FakeAudio::PlaySoundW(const std::wstring& path) {
    played.push_back(path);
    if (onPlay) onPlay();
}

bool FakeAudioSessions::SetAudioSessionMute(const std::wstring& id, bool mute) {
    AudioSession* session = Find(id);
    if (!session) return false;
    session->muted = mute;
    ++muteChanges;
    return true;
}

AudioSession& FakeAudioSessions::Open(const std::wstring& id, ProcessId pid, bool muted) {
    sessions.push_back({id, pid, muted});
    if (m_onCreated) m_onCreated();
    return *Find(id);
}

AudioSession* FakeAudioSessions::Find(const std::wstring& id) {
    for (AudioSession& session : sessions)
        if (session.id == id) return &session;
    return nullptr;
}

}  // namespace nv::test
