#include "sound/ProgramMute.h"

#include <algorithm>
#include <map>
#include <set>

#include "conceal/RecoveryRecord.h"

namespace nv {

namespace {
constexpr char kSessionTag[] = "programmute";  // session id, process id, process creation time
}  // namespace

TProgramMuteStep::~TProgramMuteStep() {
    if (m_active) m_owner.platform.audioSessions.WatchNewAudioSessions(nullptr);
}

void TProgramMuteStep::Hide() {
    m_muted.clear();
    m_active = m_owner.enabled();
    if (!m_active) return;
    MuteHiddenPrograms();
    m_owner.platform.audioSessions.WatchNewAudioSessions([this] { MuteHiddenPrograms(); });
}

void TProgramMuteStep::Restore() {
    IAudioSessions& sessions = m_owner.platform.audioSessions;
    if (m_active) sessions.WatchNewAudioSessions(nullptr);
    m_active = false;
    for (auto it = m_muted.rbegin(); it != m_muted.rend(); ++it)
        sessions.SetAudioSessionMute(it->id, false);
    m_muted.clear();
}

bool TProgramMuteStep::Muted(const std::wstring& id) const {
    return std::any_of(m_muted.begin(), m_muted.end(),
                       [&](const TMuted& muted) { return muted.id == id; });
}

// A program is hidden when a window of its process is on the hidden-windows list and off the
// screen now (the list holds the spared windows too). A program often plays its sound from
// another process of its own (a browser's audio process), so a session counts as the hidden
// program's when its process runs the same executable.
void TProgramMuteStep::MuteHiddenPrograms() {
    if (!m_active) return;
    const TWindowsStep::WindowList* hidden = m_owner.hiddenWindows();
    if (!hidden) return;
    IWindowManager& windows = m_owner.platform.windows;
    IKernel& kernel = m_owner.platform.kernel;
    const ProcessId self = kernel.GetCurrentProcessId();
    std::map<ProcessId, std::wstring> images;  // each process's image path, read once
    auto image = [&](ProcessId pid) -> const std::wstring& {
        auto it = images.find(pid);
        if (it == images.end())
            it = images.emplace(pid, kernel.GetProcessImageFileNameW(pid)).first;
        return it->second;
    };
    std::set<ProcessId> pids;
    std::set<std::wstring> programs;
    for (const auto& entry : *hidden) {
        if (windows.IsWindowVisible(entry->handle)) continue;
        ProcessId pid = windows.GetWindowThreadProcessId(entry->handle);
        if (pid == 0 || pid == self) continue;
        pids.insert(pid);
        if (!image(pid).empty()) programs.insert(image(pid));
    }
    if (pids.empty()) return;

    bool changed = false;
    for (const AudioSession& session : m_owner.platform.audioSessions.GetAudioSessions()) {
        // Already muted: by the user (theirs to keep), or by this hide.
        if (session.muted || Muted(session.id)) continue;
        if (session.pid == 0 || session.pid == self) continue;  // the system sounds, our own
        if (!pids.count(session.pid) && !programs.count(image(session.pid))) continue;
        if (!m_owner.platform.audioSessions.SetAudioSessionMute(session.id, true)) continue;
        m_muted.push_back(
            {session.id, session.pid, kernel.GetProcessCreationTime(session.pid).value_or(0)});
        changed = true;
    }
    if (changed && m_owner.checkpoint) m_owner.checkpoint();
}

// ---------------------------------------------------------------------------------------------
// The recovery record

void TProgramMuteStep::SaveTo(TRecoveryRecord& record) const {
    for (const TMuted& muted : m_muted)
        record.Add(kSessionTag, {muted.id, muted.pid, muted.created});
}

bool TProgramMuteStep::RecoverFrom(const TRecoveryRecord& record) {
    std::vector<const TRecordLine*> lines = record.Lines(kSessionTag);
    if (lines.empty()) return true;
    IAudioSessions& sessions = m_owner.platform.audioSessions;
    std::vector<AudioSession> live = sessions.GetAudioSessions();
    bool understood = true;
    for (const TRecordLine* line : lines) {
        auto id = line->Text(0);
        auto pid = line->Number(1), created = line->Number(2);
        if (line->fields.size() != 3 || !id || !pid || !created || *pid > UINT32_MAX) {
            understood = false;
            continue;
        }
        auto session = std::find_if(live.begin(), live.end(),
                                    [&](const AudioSession& s) { return s.id == *id; });
        // Gone, unmuted since, or another program's now: nothing of ours to put back.
        if (session == live.end() || !session->muted || session->pid != *pid) continue;
        if (*created != 0 &&
            m_owner.platform.kernel.GetProcessCreationTime(session->pid) != *created)
            continue;
        sessions.SetAudioSessionMute(*id, false);
    }
    return understood;
}

}  // namespace nv
