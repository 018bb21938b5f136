// The in-memory wallpaper and playback device: the Active Desktop object as a setting that is
// enabled or not (or missing), the wallpaper the desktop shows, a master volume, and the audio
// sessions of the programs.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace nv::test {

class FakeWallpaper final : public IWallpaper {
  public:
    bool ActiveDesktopEnabled() override { return activeDesktop && activeDesktopEnabled; }
    std::optional<std::wstring> GetActiveDesktopWallpaper() override;
    void SetActiveDesktopWallpaper(const std::wstring& path) override;
    void SetDeskWallpaper(const std::wstring& path) override;

    bool activeDesktop = true;          // the object exists and answers
    bool activeDesktopEnabled = false;  // what GetDesktopItemOptions says
    bool getWallpaperFails = false;
    std::wstring shown;  // the wallpaper on the desktop
    // Calls in order: "ActiveDesktop(path)" or "SystemParameters(path)".
    std::vector<std::wstring> applied;
};

class FakeAudio final : public IAudio {
  public:
    std::optional<EndpointVolume> GetMasterVolume(const std::wstring& endpointId) override;
    bool SetMasterVolumeLevelScalar(const std::wstring& endpointId, float scalar) override;
    void SetMute(const std::wstring& endpointId, bool muted) override;
    void PlaySoundW(const std::wstring& path) override;
    std::wstring GetWindowsDirectoryW() override { return L"C:\\Windows"; }

    bool hasDevice = true;           // false: no playback device at all
    bool enumeratorMissing = false;  // every call raises
    bool setLevelFails = false;
    // The speakers, the default device unless defaultId names another.
    static constexpr const wchar_t* kSpeakers = L"{0.0.0.00000000}.{speakers}";
    float level = 1.0f;
    bool muted = false;
    // Further devices by endpoint id (headphones plugged in); ids in gone are unplugged.
    struct Device {
        float level = 1.0f;
        bool muted = false;
    };
    std::map<std::wstring, Device> others;
    std::set<std::wstring> gone;
    std::wstring defaultId = kSpeakers;
    std::vector<std::wstring> played;
    // Called while a sound plays, to look at the program in the middle of it.
    std::function<void()> onPlay;

  private:
    // The level and mute of a device (the default one for an empty id); false when it is not
    // there.
    bool Find(const std::wstring& endpointId, float*& deviceLevel, bool*& deviceMuted);
};

class FakeAudioSessions final : public IAudioSessions {
  public:
    std::vector<AudioSession> GetAudioSessions() override { return sessions; }
    bool SetAudioSessionMute(const std::wstring& id, bool muted) override;
    void WatchNewAudioSessions(std::function<void()> onCreated) override {
        m_onCreated = std::move(onCreated);
    }

    // A program opens a session: it is listed, and a watch is told.
    AudioSession& Open(const std::wstring& id, ProcessId pid, bool muted = false);
    AudioSession* Find(const std::wstring& id);
    bool Watching() const { return static_cast<bool>(m_onCreated); }

    std::vector<AudioSession> sessions;
    int muteChanges = 0;

  private:
    std::function<void()> m_onCreated;
};

}  // namespace nv::test
