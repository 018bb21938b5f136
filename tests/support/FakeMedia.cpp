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

bool FakeAudio::GetMasterVolume(float& scalar, bool& isMuted) {
    NeedEnumerator(enumeratorMissing);
    if (!hasDevice) return false;
    scalar = level;
    isMuted = muted;
    return true;
}

bool FakeAudio::SetMasterVolumeLevelScalar(float scalar) {
    NeedEnumerator(enumeratorMissing);
    if (!hasDevice || setLevelFails) return false;
    level = scalar;
    return true;
}

void FakeAudio::SetMute(bool mute) {
    NeedEnumerator(enumeratorMissing);
    if (hasDevice) muted = mute;
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
