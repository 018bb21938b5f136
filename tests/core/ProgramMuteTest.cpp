// "Mute only the programs that are hidden" against the in-memory desktop's audio sessions: only
// the hidden programs' sessions go quiet, each keeps the mute it had, sessions opened while
// hidden follow, and the master volume is left alone.
#include "HideCycleFixture.h"
#include "sound/ProgramMute.h"

namespace nv::test {
namespace {

constexpr ProcessId kAudioHelperPid = 101;  // another process of the editor's program
constexpr ProcessId kPlayerPid = 400;

class ProgramMute : public HideCycle {
  protected:
    void SetUp() override {
        HideCycle::SetUp();
        h.desktop.AddProcess(kAudioHelperPid, L"\\Device\\HarddiskVolume1\\Apps\\Editor.exe");
        h.desktop.AddProcess(kPlayerPid, L"\\Device\\HarddiskVolume1\\Apps\\Player.exe");
        Open(L"Draft", kEditorPid);
        Open(L"Music", kPlayerPid);
        Spare("Music", "", false);
        TMainForm& f = h.Form();
        f.cbMuteHiddenPrograms.SetChecked(true);
        // Were the master volume touched, it would go silent.
        f.cbModifyVolume.SetChecked(true);
        f.sliderSelectedVolume.UserSetPosition(65535);
        f.cbSelectedVolumeMuted.SetChecked(true);
        audio().level = 0.5f;
    }
    FakeAudioSessions& sessions() { return h.desktop.audioSessions; }
    FakeAudio& audio() { return h.desktop.audio; }
    bool Muted(const std::wstring& id) { return sessions().Find(id)->muted; }
};

TEST_F(ProgramMute, OnlyTheHiddenProgramsGoQuietAndEachKeepsItsOwnEarlierMute) {
    sessions().Open(L"editor", kEditorPid);
    sessions().Open(L"editor-already-muted", kEditorPid, true);
    sessions().Open(L"editor-audio-process", kAudioHelperPid);  // no window of its own
    sessions().Open(L"music", kPlayerPid);
    sessions().Open(L"system-sounds", 0);
    sessions().Open(L"nivora", h.desktop.currentPid);

    Press();
    ASSERT_TRUE(Hidden());
    EXPECT_TRUE(Muted(L"editor"));
    EXPECT_TRUE(Muted(L"editor-already-muted"));
    EXPECT_TRUE(Muted(L"editor-audio-process"));
    for (const wchar_t* id : {L"music", L"system-sounds", L"nivora"}) EXPECT_FALSE(Muted(id)) << id;
    EXPECT_EQ(audio().level, 0.5f);
    EXPECT_FALSE(audio().muted);

    Press();
    ASSERT_FALSE(Hidden());
    EXPECT_FALSE(Muted(L"editor"));
    EXPECT_FALSE(Muted(L"editor-audio-process"));
    EXPECT_TRUE(Muted(L"editor-already-muted"));  // the user's, before the hide
    EXPECT_FALSE(Muted(L"music"));
    EXPECT_EQ(audio().level, 0.5f);
    EXPECT_FALSE(sessions().Watching());
}

TEST_F(ProgramMute, SessionsOpenedWhileHiddenFollowTheirProgram) {
    Press();
    ASSERT_TRUE(sessions().Watching());
    sessions().Open(L"editor-later", kEditorPid);
    sessions().Open(L"music-later", kPlayerPid);
    EXPECT_TRUE(Muted(L"editor-later"));
    EXPECT_FALSE(Muted(L"music-later"));
    // Unmuted by the user while hidden: theirs, not muted again by the next session's news.
    sessions().Find(L"editor-later")->muted = false;
    sessions().Open(L"another", kViewerPid);
    EXPECT_FALSE(Muted(L"editor-later"));

    Press();
    EXPECT_FALSE(Muted(L"editor-later"));
    EXPECT_FALSE(sessions().Watching());
}

TEST_F(ProgramMute, EndingTheProgramWhileHiddenGivesTheSoundBack) {
    sessions().Open(L"editor", kEditorPid);
    Press();
    ASSERT_TRUE(Muted(L"editor"));
    h.Finish();
    EXPECT_FALSE(Muted(L"editor"));
    EXPECT_FALSE(sessions().Watching());
}

TEST_F(ProgramMute, UntickedTheHideLeavesEverySessionAloneAndSetsTheMasterVolume) {
    h.Form().cbMuteHiddenPrograms.SetChecked(false);
    sessions().Open(L"editor", kEditorPid);
    Press();
    EXPECT_FALSE(Muted(L"editor"));
    EXPECT_FALSE(sessions().Watching());
    EXPECT_TRUE(audio().muted);
    // Ticked while hidden: this hide muted nothing, so its restore unmutes nothing.
    h.Form().cbMuteHiddenPrograms.SetChecked(true);
    sessions().Find(L"editor")->muted = true;
    Press();
    EXPECT_TRUE(Muted(L"editor"));
}

TEST_F(ProgramMute, TheTestSoundStillPlaysAtTheDesiredLevelAndTheChoiceStays) {
    TMainForm& f = h.Form();
    float during = -1;
    audio().onPlay = [&] { during = audio().level; };
    h.User([&] { f.btnTestSound.Click(); });
    EXPECT_EQ(during, 0.0f);
    EXPECT_EQ(audio().level, LevelToScalar(32768));  // the level it had, as the scale holds it
    EXPECT_TRUE(f.cbMuteHiddenPrograms.Checked());
}

// With the window watch on, a program whose window is hidden only while hidden is muted too.
TEST_F(ProgramMute, AProgramHiddenByTheWindowWatchIsMutedToo) {
    sessions().Open(L"viewer", kViewerPid);
    h.Form().cbHideNewlyCreatedWindows.SetChecked(true);
    Press();
    EXPECT_FALSE(Muted(L"viewer"));
    WindowHandle late = Open(L"Late", kViewerPid);
    h.User([&] { h.Form().WatchWindowCreated(*h.Form().Watch, late, L""); });
    EXPECT_FALSE(Shown(late));
    EXPECT_TRUE(Muted(L"viewer"));
    Press();
    EXPECT_FALSE(Muted(L"viewer"));
}

}  // namespace
}  // namespace nv::test
