// A session that ends while hidden, without its restore: the record it leaves, what the next
// start puts back from it and what it leaves alone, a damaged record, a record that cannot be
// written, and the last-chance restore of a crash.
#include "HideCycleFixture.h"
#include "conceal/RecoveryRecord.h"

namespace nv::test {
namespace {

constexpr RegistryHive kHkcu = RegistryHive::CurrentUser;

class Recovery : public HideCycle {
  protected:
    void SetUp() override {
        HideCycle::SetUp();
        recordFile = h.Globals().recoveryFile;
        damagedFile = h.Globals().damagedRecoveryFile;
    }
    // A killed program's shut-down never ran; it is only freed once the test is over.
    void TearDown() override { killed.clear(); }
    // Ends the program as TerminateProcess would: its windows and hotkeys vanish with it, and
    // nothing of its own shut-down runs.
    void Kill() {
        for (WindowHandle w : h.desktop.ZOrder())
            if (h.desktop.Has(w) && h.desktop.Window(w).pid == h.desktop.currentPid)
                h.desktop.DestroyWindow(w);
        killed.push_back(std::move(h.program));
        h.desktop.hotkeys.clear();
        h.desktop.mutexExists = false;
        h.desktop.currentPid += 1;
    }
    // The next start, silent as at log-on.
    void StartAgain() {
        h.desktop.commandLine = {L"/q"};
        h.desktop.calls.clear();
        h.desktop.messageBoxes.clear();
        ASSERT_TRUE(h.Start());
    }
    bool RecordExists() { return h.desktop.FileExists(recordFile); }
    TRecoveryRecord Record() {
        auto record = TRecoveryRecord::Parse(h.desktop.ReadWholeFile(recordFile));
        EXPECT_TRUE(record.has_value());
        return record.value_or(TRecoveryRecord());
    }
    void WriteRecord(const std::string& bytes) {
        h.desktop.ReplaceFileContents(recordFile, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }
    std::uint32_t ExStyle(WindowHandle w) { return h.desktop.Window(w).exStyle; }
    std::wstring RegistryWallpaper() {
        return h.desktop.ReadString(kHkcu, kDesktopKey, kWallpaperValue).value_or(L"?");
    }

    std::wstring recordFile, damagedFile;
    std::vector<std::unique_ptr<TProgram>> killed;
};

TEST_F(Recovery, TheHideRecordsTheConcealedWindowsAndTheRestoreRemovesTheRecord) {
    WindowHandle report = Open(L"Report", kEditorPid, 0x300);
    Open(L"Spared", kViewerPid);
    Spare("Spared", "", false);
    h.Form().Show();  // the main window goes with the rest, and is none of the record's business

    Press();
    ASSERT_TRUE(RecordExists());
    TRecoveryRecord record = Record();  // the lines point into it
    std::vector<const TRecordLine*> lines = record.Lines("window");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]->fields, (std::vector<TRecordField>{std::uint64_t{report},
                                                           std::uint64_t{kEditorPid},
                                                           std::uint64_t{0x1000 + kEditorPid},
                                                           std::uint64_t{0x300}}));
    Press();
    EXPECT_FALSE(RecordExists());
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

TEST_F(Recovery, AKilledSessionsWindowsComeBackAtTheNextStartWithTheirStyles) {
    std::vector<WindowHandle> windows{Open(L"One", kEditorPid, 0x300), Open(L"Two", kEditorPid, 0x100),
                                      Open(L"Three", kViewerPid, 0x8)};
    // Hidden by its own program before ours came: not ours to show.
    WindowHandle theirs = Open(L"Theirs", kViewerPid, 0x300);
    h.desktop.ShowWindowAndWait(theirs, ShowCmd::Hide);
    Press();
    for (WindowHandle w : windows) ASSERT_FALSE(Shown(w));

    Kill();
    StartAgain();
    for (WindowHandle w : windows) {
        EXPECT_TRUE(Shown(w));
        EXPECT_EQ(CallsOn(w).back(), "ShowWindowAndWait(" + Hex(w) + ",8)");  // no activation
    }
    EXPECT_EQ(ExStyle(windows[0]), 0x300u);
    EXPECT_EQ(ExStyle(windows[1]), 0x100u);
    EXPECT_EQ(ExStyle(windows[2]), 0x8u);
    EXPECT_FALSE(Shown(theirs));
    EXPECT_FALSE(RecordExists());
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
    EXPECT_FALSE(Hidden());
    EXPECT_FALSE(h.Form().Visible());  // "/q" still starts silently
    EXPECT_EQ(h.desktop.hotkeys.size(), 3u);

    // A second start finds nothing to do.
    Kill();
    StartAgain();
    for (WindowHandle w : windows) EXPECT_TRUE(CallsOn(w).empty());
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

TEST_F(Recovery, OnlyWindowsOfTheSameRunOfTheSameProgramAreShown) {
    WindowHandle ended = Open(L"Ended", kEditorPid);
    WindowHandle reused = Open(L"Reused", kEditorPid);
    WindowHandle samePidLaterRun = Open(L"Later", kShellPid);
    WindowHandle kept = Open(L"Kept", kViewerPid, 0x100);
    Press();
    Kill();
    // The editor ended; its window handle went to another program, which keeps it hidden.
    h.desktop.DestroyWindow(ended);
    h.desktop.Window(reused).pid = 500;
    // The shell's id was given to a later program that owns the same handle now.
    h.desktop.processCreationTimes[kShellPid] = 0x99999;

    StartAgain();
    EXPECT_FALSE(Shown(reused));
    EXPECT_TRUE(CallsOn(reused).empty());
    EXPECT_FALSE(Shown(samePidLaterRun));
    EXPECT_TRUE(Shown(kept));
    EXPECT_EQ(ExStyle(kept), 0x100u);
    EXPECT_FALSE(RecordExists());
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

TEST_F(Recovery, TheWallpaperDisplayModeAndVolumeComeBackUnlessTheUserChangedThemSince) {
    for (bool changedSince : {false, true}) {
        SCOPED_TRACE(changedSince ? "changed since" : "as the hide left them");
        h.desktop.SetRegistryString(kHkcu, kDesktopKey, kWallpaperValue, L"C:\\Pictures\\Lake.bmp");
        h.desktop.currentMode = h.desktop.displayModes[3];
        h.desktop.audio.level = 0.5f;
        h.desktop.audio.muted = false;
        TMainForm& form = h.Form();
        form.cbHideWallapaper.SetChecked(true);
        form.cbSwitchResolution.SetChecked(true);
        form.selectedModeNumber = 1;
        form.cbModifyVolume.SetChecked(true);
        form.volumeSettings.desiredVolume = 0;
        form.volumeSettings.desiredMute = true;
        Press();
        ASSERT_EQ(RegistryWallpaper(), L"");
        ASSERT_EQ(h.desktop.currentMode, h.desktop.displayModes[1]);
        ASSERT_TRUE(h.desktop.audio.muted);
        Kill();
        if (changedSince) {
            h.desktop.SetRegistryString(kHkcu, kDesktopKey, kWallpaperValue, L"C:\\New.bmp");
            h.desktop.currentMode = h.desktop.displayModes[2];
            h.desktop.audio.muted = false;
        }

        StartAgain();
        if (changedSince) {
            EXPECT_EQ(RegistryWallpaper(), L"C:\\New.bmp");
            EXPECT_EQ(h.desktop.currentMode, h.desktop.displayModes[2]);
            EXPECT_FALSE(h.desktop.audio.muted);
            EXPECT_EQ(h.desktop.audio.level, 0.0f);
        } else {
            EXPECT_EQ(RegistryWallpaper(), L"C:\\Pictures\\Lake.bmp");
            EXPECT_EQ(h.desktop.wallpaper.shown, L"C:\\Pictures\\Lake.bmp");
            EXPECT_EQ(h.desktop.currentMode, h.desktop.displayModes[3]);
            EXPECT_EQ(ScalarToLevel(h.desktop.audio.level), 32768);
            EXPECT_FALSE(h.desktop.audio.muted);
        }
        EXPECT_FALSE(RecordExists());
    }
}

TEST_F(Recovery, TheVolumeGoesBackToTheDeviceTheHideChangedAndAnOlderRecordMeansTheDefault) {
    const std::wstring headphones = L"{0.0.0.00000000}.{headphones}";
    h.desktop.audio.level = 0.5f;
    TMainForm& form = h.Form();
    form.cbModifyVolume.SetChecked(true);
    form.volumeSettings.desiredVolume = 0;
    form.volumeSettings.desiredMute = true;
    Press();
    TRecoveryRecord record = Record();
    std::vector<const TRecordLine*> lines = record.Lines("volume");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]->Text(4), std::wstring(FakeAudio::kSpeakers));
    Kill();
    // Headphones plugged in meanwhile are the default now.
    h.desktop.audio.others[headphones] = {0.0f, true};
    h.desktop.audio.defaultId = headphones;
    StartAgain();
    EXPECT_EQ(ScalarToLevel(h.desktop.audio.level), 32768);
    EXPECT_FALSE(h.desktop.audio.muted);
    EXPECT_TRUE(h.desktop.audio.others[headphones].muted);

    // A record of an older version names no device: it meant the default one.
    Kill();
    TRecoveryRecord older;
    older.Add("volume", {std::uint64_t{32768}, std::uint64_t{0}, std::uint64_t{0},
                         std::uint64_t{1}});
    WriteRecord(older.Serialize());
    StartAgain();
    EXPECT_EQ(ScalarToLevel(h.desktop.audio.others[headphones].level), 32768);
    EXPECT_FALSE(h.desktop.audio.others[headphones].muted);
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

TEST_F(Recovery, TheHiddenProgramsSoundComesBackUnlessItsProcessIsAnotherRunNow) {
    Open(L"Report", kEditorPid);
    Open(L"Viewer", kViewerPid);
    FakeAudioSessions& sessions = h.desktop.audioSessions;
    sessions.Open(L"report", kEditorPid);
    sessions.Open(L"viewer", kViewerPid);
    h.Form().cbMuteHiddenPrograms.SetChecked(true);
    Press();
    sessions.Open(L"report-later", kEditorPid);  // muted while hidden, and recorded as well
    ASSERT_EQ(Record().Lines("programmute").size(), 3u);
    Kill();
    h.desktop.processCreationTimes[kViewerPid] = 0xBEEF;  // the id went to a later process

    StartAgain();
    EXPECT_FALSE(sessions.Find(L"report")->muted);
    EXPECT_FALSE(sessions.Find(L"report-later")->muted);
    EXPECT_TRUE(sessions.Find(L"viewer")->muted);
    EXPECT_FALSE(RecordExists());
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

// "Nivora.exe /restore" with none running: what the record lists comes back, as at a start,
// and the program ends there, with no hotkey taken, no window shown and nothing saved.
TEST_F(Recovery, RestoreWithNoneRunningPutsBackWhatTheRecordListsAndEnds) {
    WindowHandle report = Open(L"Report", kEditorPid, 0x300);
    Press();
    Kill();
    h.desktop.commandLine = {L"/restore"};
    EXPECT_FALSE(h.Start());
    EXPECT_TRUE(Shown(report));
    EXPECT_EQ(ExStyle(report), 0x300u);
    EXPECT_FALSE(RecordExists());
    EXPECT_TRUE(h.App().Terminated());
    EXPECT_TRUE(h.desktop.hotkeys.empty());
    EXPECT_FALSE(h.Form().Visible());
    h.Finish();
    EXPECT_FALSE(h.desktop.FileExists(h.Globals().settingsFile));
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

TEST_F(Recovery, TheShellPartsAndTheTrayIconsComeBack) {
    WindowHandle manager = h.desktop.AddWindow(L"Program Manager", L"Progman", kShellPid);
    WindowHandle view = h.desktop.AddChildWindow(manager, L"", L"SHELLDLL_DefView");
    WindowHandle icons = h.desktop.AddChildWindow(view, L"FolderView", L"SysListView32");
    h.desktop.Window(icons).exStyle = 0x204;
    WindowHandle taskbar = Open(L"", kShellPid, 0x88, L"Shell_TrayWnd");
    WindowHandle secondTaskbar = Open(L"", kShellPid, 0x80, L"Shell_SecondaryTrayWnd");
    WindowHandle notify = h.desktop.AddChildWindow(taskbar, L"", L"TrayNotifyWnd");
    WindowHandle direct = h.desktop.AddChildWindow(notify, L"", L"ToolbarWindow32");
    WindowHandle pager = h.desktop.AddChildWindow(notify, L"", L"SysPager");
    WindowHandle paged = h.desktop.AddChildWindow(pager, L"", L"ToolbarWindow32");
    WindowHandle offAlready = h.desktop.AddChildWindow(pager, L"", L"ToolbarWindow32", false);
    h.Form().cbHideDeskTop.SetChecked(true);
    h.Form().cbHideTaskBar.SetChecked(true);
    h.Form().cbHideTray.SetChecked(true);
    Press();
    // What the tray library does, which the fake leaves to the test.
    for (WindowHandle bar : {direct, paged}) h.desktop.ShowWindowAndWait(bar, ShowCmd::Hide);
    ASSERT_FALSE(Shown(icons));
    ASSERT_FALSE(Shown(taskbar));
    ASSERT_FALSE(Shown(secondTaskbar));

    Kill();
    StartAgain();
    EXPECT_TRUE(Shown(icons));
    EXPECT_TRUE(Shown(taskbar));
    EXPECT_TRUE(Shown(secondTaskbar));
    EXPECT_EQ(ExStyle(icons), 0x204u);
    EXPECT_EQ(ExStyle(taskbar), 0x88u);
    EXPECT_EQ(ExStyle(secondTaskbar), 0x80u);
    EXPECT_TRUE(h.desktop.Window(direct).style & kWsVisible);
    EXPECT_TRUE(h.desktop.Window(paged).style & kWsVisible);
    EXPECT_FALSE(h.desktop.Window(offAlready).style & kWsVisible);
    EXPECT_FALSE(RecordExists());
}

TEST_F(Recovery, TrayToolbarsOfARestartedExplorerAreLeftAsItKeepsThem) {
    WindowHandle taskbar = Open(L"", kShellPid, 0x88, L"Shell_TrayWnd");
    WindowHandle notify = h.desktop.AddChildWindow(taskbar, L"", L"TrayNotifyWnd");
    WindowHandle direct = h.desktop.AddChildWindow(notify, L"", L"ToolbarWindow32");
    WindowHandle pager = h.desktop.AddChildWindow(notify, L"", L"SysPager");
    WindowHandle paged = h.desktop.AddChildWindow(pager, L"", L"ToolbarWindow32");
    h.Form().cbHideTray.SetChecked(true);
    Press();
    for (WindowHandle bar : {direct, paged}) h.desktop.ShowWindowAndWait(bar, ShowCmd::Hide);

    Kill();
    // Explorer restarted meanwhile, and the recorded handles name toolbars it keeps hidden:
    // one of a process that took over the handle, one of a later process given the same id.
    h.desktop.Window(paged).pid = kShellPid + 1;
    h.desktop.processCreationTimes[kShellPid] = 0x99999;
    StartAgain();
    EXPECT_FALSE(h.desktop.Window(direct).style & kWsVisible);
    EXPECT_FALSE(h.desktop.Window(paged).style & kWsVisible);
    EXPECT_FALSE(RecordExists());
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

TEST_F(Recovery, ADamagedRecordIsSetAsideWithOneMessageAndTheStartGoesOn) {
    WindowHandle report = Open(L"Report", kEditorPid, 0x300);
    Press();
    Kill();
    std::vector<std::uint8_t> bytes = h.desktop.ReadWholeFile(recordFile);
    bytes[bytes.size() / 2] ^= 0x01;  // one bit flipped anywhere is found by the check line
    h.desktop.ReplaceFileContents(recordFile, bytes);

    StartAgain();
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(h.desktop.messageBoxes[0].text,
              L"Nivora could not recover what a previous session had hidden.\r\n"
              L"Its record was damaged and has been kept as " + damagedFile + L".");
    EXPECT_FALSE(Shown(report));
    EXPECT_FALSE(RecordExists());
    EXPECT_EQ(h.desktop.ReadWholeFile(damagedFile), bytes);  // kept for whoever wants to look
    EXPECT_EQ(h.desktop.hotkeys.size(), 3u);

    Kill();
    StartAgain();
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

TEST_F(Recovery, ADamagedRecordThatCannotBeSetAsideIsRemovedOrToldToStayAsItIs) {
    Open(L"Report", kEditorPid, 0x300);
    Press();
    Kill();
    WriteRecord("Nivora?\r\n");
    // The name it would be kept under is taken by something that cannot be replaced.
    std::filesystem::create_directories(h.desktop.RealPath(damagedFile) / "in use");
    const std::wstring start = L"Nivora could not recover what a previous session had hidden.\r\n";

    StartAgain();
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(h.desktop.messageBoxes[0].text,
              start + L"Its record was damaged and could not be kept as " + damagedFile +
                  L", so it has been removed.");
    EXPECT_FALSE(RecordExists());
    Kill();
    StartAgain();
    EXPECT_TRUE(h.desktop.messageBoxes.empty()) << "met once, not at every start";

    // Held open by another program: neither moved nor removed, and said so.
    Kill();
    WriteRecord("Nivora?\r\n");
    h.desktop.failingWrites.insert(recordFile);
    StartAgain();
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(h.desktop.messageBoxes[0].text,
              start + L"Its record " + recordFile +
                  L" could not be read, set aside or removed; it is read again at the next start.");
    EXPECT_TRUE(h.desktop.FileExists(recordFile));
}

TEST_F(Recovery, AFolderOrLinesNobodyUnderstandsCountAsDamaged) {
    // A line of ours that makes no sense: the lines around it are put back all the same.
    WindowHandle report = Open(L"Report", kEditorPid, 0x300);
    Press();
    Kill();
    TRecoveryRecord record = Record();
    record.Add("window", {std::uint64_t{1}, std::wstring(L"not a number")});
    record.Add("somethingnew", {std::uint64_t{7}});  // a later version's: not ours, ignored
    WriteRecord(record.Serialize());
    StartAgain();
    EXPECT_TRUE(Shown(report));
    EXPECT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_FALSE(RecordExists());

    // A folder in the record's place.
    Kill();
    std::filesystem::remove(h.desktop.RealPath(damagedFile));
    std::filesystem::create_directories(h.desktop.RealPath(recordFile));
    StartAgain();
    EXPECT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_TRUE(h.Form().cbHideTray.Checked());  // the settings are loaded as ever
}

TEST_F(Recovery, ARecordThatCannotBeWrittenNeverStopsTheHideAndIsToldOnceAfterTheRestore) {
    WindowHandle report = Open(L"Report", kEditorPid);
    h.desktop.failingWrites.insert(recordFile);
    Press();
    EXPECT_FALSE(Shown(report));
    EXPECT_TRUE(h.desktop.messageBoxes.empty());  // nothing shows up over the hidden desktop
    Press();
    EXPECT_TRUE(Shown(report));
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_NE(h.desktop.messageBoxes[0].text.find(L"could not keep its record"), std::wstring::npos);
    Press();
    Press();
    EXPECT_EQ(h.desktop.messageBoxes.size(), 1u);  // once a run
}

TEST_F(Recovery, TheLastChanceRestorePutsEverythingBackButTheProgramsOwnWindow) {
    WindowHandle report = Open(L"Report", kEditorPid, 0x300);
    h.Form().Show();
    Press();
    ASSERT_FALSE(h.Form().Visible());
    h.program->RestoreAfterCrash();
    EXPECT_TRUE(Shown(report));
    EXPECT_EQ(ExStyle(report), 0x300u);
    EXPECT_FALSE(h.Form().Visible());
    EXPECT_FALSE(RecordExists());
}

TEST_F(Recovery, AWindowTooBusyToTakeItsStyleKeepsItsLineUntilItDoes) {
    WindowHandle busy = Open(L"Busy", kEditorPid, 0x300);
    Press();
    Kill();
    h.desktop.Window(busy).unanswered = 1;
    StartAgain();
    EXPECT_TRUE(Shown(busy));
    ASSERT_TRUE(RecordExists());
    EXPECT_EQ(Record().Lines("window").size(), 1u);
    EXPECT_TRUE(h.Form().StyleRetryTimer.Enabled());
    h.Form().StyleRetryTimer.Tick();
    EXPECT_EQ(ExStyle(busy), 0x300u);
    EXPECT_FALSE(RecordExists());
}

// A style still owed when the program ends gets a last try; one the window is still too busy
// to take stays in the record for the next start.
TEST_F(Recovery, AStyleStillOwedAtShutDownGetsALastTryElseTheNextStartGivesItBack) {
    WindowHandle busy = Open(L"Busy", kEditorPid, 0x300);
    Press();
    h.desktop.Window(busy).unanswered = 1;
    Press();
    ASSERT_EQ(ExStyle(busy), 0u);
    h.Finish();  // answering by now
    EXPECT_EQ(ExStyle(busy), 0x300u);
    EXPECT_FALSE(RecordExists());

    Kill();
    StartAgain();
    Press();
    h.desktop.Window(busy).unanswered = 2;  // the restore at shut-down and its last try
    h.Finish();
    EXPECT_TRUE(Shown(busy));
    ASSERT_EQ(ExStyle(busy), 0u);
    ASSERT_TRUE(RecordExists());
    Kill();
    StartAgain();
    EXPECT_EQ(ExStyle(busy), 0x300u);
    EXPECT_FALSE(RecordExists());
}

// A creation time that cannot be read, at the hide or at the next start, leaves the process id
// to tell whether the window is still the same program's; an id that is this run's own never
// names a window to show.
TEST_F(Recovery, AnUnreadableCreationTimeLeavesTheIdToTellButThisRunsOwnIdNamesNothing) {
    WindowHandle unreadThen = Open(L"Unread at the hide", 600, 0x300);
    WindowHandle unreadNow = Open(L"Unread at the start", 700, 0x100);
    // Its process has the id the next run of ours will get.
    WindowHandle oursNext = Open(L"Same id as ours", h.desktop.currentPid + 1, 0x8);
    h.desktop.unreadableProcesses = {600};
    Press();
    Kill();
    h.desktop.unreadableProcesses = {700};
    StartAgain();
    EXPECT_TRUE(Shown(unreadThen));
    EXPECT_EQ(ExStyle(unreadThen), 0x300u);
    EXPECT_TRUE(Shown(unreadNow));
    EXPECT_EQ(ExStyle(unreadNow), 0x100u);
    EXPECT_FALSE(Shown(oursNext));
    EXPECT_TRUE(CallsOn(oursNext).empty());
    EXPECT_FALSE(RecordExists());
}

}  // namespace
}  // namespace nv::test
