// The main window: every option, the three window lists, the pages and the button bar.
// Controls carry the names the program is described with; handlers are member functions named
// after their control and event. The behaviour of each area lives with its subsystem; this
// class wires it together.
#pragma once

#include <memory>
#include <string>

#include "inventory/ListStore.h"
#include "inventory/WindowInventory.h"
#include "platform/Platform.h"
#include "shell/Globals.h"
#include "shell/SettingsStore.h"
#include "access/ProgramWindow.h"
#include "triggers/IdleHide.h"
#include "triggers/MouseShortcut.h"
#include "triggers/ScreenSaver.h"
#include "triggers/Shortcuts.h"
#include "sound/Volume.h"
#include "sound/VolumeSettings.h"
#include "widgets/Application.h"
#include "widgets/Controls.h"

namespace nv {

class THideCycle;
class ICycleContext;
class TConfirmationForm;
class TFormKeyboardLayour;
class TProgramMuteStep;
class TWatch;

class TMainForm : public TForm {
public:
    TMainForm(Platform& platform, TApplication& app, TGlobals& globals);
    ~TMainForm() override;

    Platform& platform;
    TApplication& app;
    TGlobals& globals;

    // --- Header -------------------------------------------------------------------------------
    TPanel HeaderPanel{this, "HeaderPanel"};
    TImage HeaderImage{&HeaderPanel, "HeaderImage"};
    TLabel stVersioninfo{&HeaderPanel, "stVersioninfo"};
    TLabel stHeaderLink{&HeaderPanel, "stHeaderLink"};

    // --- Button bar ---------------------------------------------------------------------------
    TPanel ButtonsPanel{this, "ButtonsPanel"};
    TSpeedButton btnWindows{&ButtonsPanel, "btnWindows"};
    TSpeedButton btnOptions{&ButtonsPanel, "btnOptions"};
    TSpeedButton btnAbout{&ButtonsPanel, "btnAbout"};
    TButton btnHelp{&ButtonsPanel, "btnHelp"};
    TButton btnTerminate{&ButtonsPanel, "btnTerminate"};
    TPanel pnlButtonGap{&ButtonsPanel, "pnlButtonGap"};
    TButton btnHide{&ButtonsPanel, "btnHide"};

    // --- Pages --------------------------------------------------------------------------------
    TPageControl MainPageControl{this, "MainPageControl"};
    TTabSheet SheetWindows{&MainPageControl, "SheetWindows"};
    TTabSheet SheetOptions{&MainPageControl, "SheetOptions"};
    TTabSheet SheetAbout{&MainPageControl, "SheetAbout"};

    // Windows page
    TPanel pnlLeft{&SheetWindows, "pnlLeft"};
    TGradientHeading MCDGradientPanel1{&pnlLeft, "MCDGradientPanel1"};
    TImage ArrowRightImage{&MCDGradientPanel1, "ArrowRightImage"};
    TPanel pnlBottom{&pnlLeft, "pnlBottom"};
    TListView AvailableWindowsList{&pnlLeft, "AvailableWindowsList"};
    TButton btnRefreshList{&pnlBottom, "btnRefreshList"};
    TButton btnHideAll{&pnlBottom, "btnHideAll"};
    TGroupBox gbfSpecailWindows{&pnlBottom, "gbfSpecailWindows"};
    TCheckBox cbHideDeskTop{&gbfSpecailWindows, "cbHideDeskTop"};
    TCheckBox cbHideTaskBar{&gbfSpecailWindows, "cbHideTaskBar"};
    TCheckBox cbHideTray{&gbfSpecailWindows, "cbHideTray"};
    TSplitter FlatSplitter{&SheetWindows, "FlatSplitter"};
    TPanel pnlRight{&SheetWindows, "pnlRight"};
    TGradientHeading MCDGradientPanel3{&pnlRight, "MCDGradientPanel3"};
    TListView BringToTopList{&pnlRight, "BringToTopList"};
    TGradientHeading MCDGradientPanel2{&pnlRight, "MCDGradientPanel2"};
    TPanel pnlArrowDown{&pnlRight, "pnlArrowDown"};
    TImage ArrowDownImage{&pnlArrowDown, "ArrowDownImage"};
    TListView ExcludeList{&pnlRight, "ExcludeList"};

    // Extra Settings page
    TPanel pnlButtons{&SheetOptions, "pnlButtons"};
    TSpeedButton btnGeneral{&pnlButtons, "btnGeneral"};
    TSpeedButton btnKeyaboard{&pnlButtons, "btnKeyaboard"};
    TSpeedButton btnSound{&pnlButtons, "btnSound"};
    TSpeedButton btnDisplay{&pnlButtons, "btnDisplay"};
    TPageControl PageControlSettings{&SheetOptions, "PageControlSettings"};
    TTabSheet SheetSetGeneral{&PageControlSettings, "SheetSetGeneral"};
    TTabSheet SheetSetShortcuts{&PageControlSettings, "SheetSetShortcuts"};
    TTabSheet SheetSetSound{&PageControlSettings, "SheetSetSound"};
    TTabSheet SheetSetDisplay{&PageControlSettings, "SheetSetDisplay"};

    // General sub-page
    TPanel pnlGeneral{&SheetSetGeneral, "pnlGeneral"};
    TCheckBox cbAutoStart{&pnlGeneral, "cbAutoStart"};
    TCheckBox cbHideNewlyCreatedWindows{&pnlGeneral, "cbHideNewlyCreatedWindows"};
    TCheckBox cbCloseActiveWindow{&pnlGeneral, "cbCloseActiveWindow"};
    TCheckBox cbHideWallapaper{&pnlGeneral, "cbHideWallapaper"};
    TCheckBox cbAppPassword{&pnlGeneral, "cbAppPassword"};
    TButton btnSetAppPassword{&pnlGeneral, "btnSetAppPassword"};
    TCheckBox cbHideWhenIdle{&pnlGeneral, "cbHideWhenIdle"};
    TSpinEdit edIdleMinutes{&pnlGeneral, "edIdleMinutes"};
    TLabel stIdleMinutes{&pnlGeneral, "stIdleMinutes"};
    TGroupBox FlatGroupBox2{&pnlGeneral, "FlatGroupBox2"};
    TLabel stHideWindowsInfo{&FlatGroupBox2, "stHideWindowsInfo"};
    TLabel stHideProgramInfo{&FlatGroupBox2, "stHideProgramInfo"};
    TLabel StaticText2{&FlatGroupBox2, "StaticText2"};
    TButton btShowLayout{&FlatGroupBox2, "btShowLayout"};

    // Shortcuts sub-page
    TPanel pnlKeyboard{&SheetSetShortcuts, "pnlKeyboard"};
    TGroupBox FlatGroupBox8{&pnlKeyboard, "FlatGroupBox8"};
    TEdit edHkWindowsKey{&FlatGroupBox8, "edHkWindowsKey"};
    TSpeedButton btnMouseWinCtrl{&FlatGroupBox8, "btnMouseWinCtrl"};
    TGroupBox FlatGroupBox3{&pnlKeyboard, "FlatGroupBox3"};
    TEdit edHkProgramKey{&FlatGroupBox3, "edHkProgramKey"};
    TGroupBox gbSSaverHotkey{&pnlKeyboard, "gbSSaverHotkey"};
    TEdit edHKSSaverKey{&gbSSaverHotkey, "edHKSSaverKey"};
    TSpeedButton btnMouseSSaverCtrl{&gbSSaverHotkey, "btnMouseSSaverCtrl"};
    TCheckBox cbLockWorkstation{&gbSSaverHotkey, "cbLockWorkstation"};
    TGroupBox FlatGroupBox4{&pnlKeyboard, "FlatGroupBox4"};
    TLabel StaticText1{&FlatGroupBox4, "StaticText1"};

    // Sound sub-page
    TPanel pnlSound{&SheetSetSound, "pnlSound"};
    TImage imSound{&pnlSound, "imSound"};
    TCheckBox cbModifyVolume{&pnlSound, "cbModifyVolume"};
    TCheckBox cbMuteHiddenPrograms{&pnlSound, "cbMuteHiddenPrograms"};
    TGroupBox gbCurrentVolume{&pnlSound, "gbCurrentVolume"};
    TSlider SliderGlobalVolume{&gbCurrentVolume, "SliderGlobalVolume"};
    TCheckBox cbGlobalVolumMuted{&gbCurrentVolume, "cbGlobalVolumMuted"};
    TGroupBox gbDesiredVolume{&pnlSound, "gbDesiredVolume"};
    TSlider sliderSelectedVolume{&gbDesiredVolume, "sliderSelectedVolume"};
    TCheckBox cbSelectedVolumeMuted{&gbDesiredVolume, "cbSelectedVolumeMuted"};
    TButton btnGetVolume{&pnlSound, "btnGetVolume"};
    TButton btnTestSound{&pnlSound, "btnTestSound"};

    // Display sub-page
    TPanel pnlDisplay{&SheetSetDisplay, "pnlDisplay"};
    TImage imMonitor{&pnlDisplay, "imMonitor"};
    TCheckBox cbSwitchResolution{&pnlDisplay, "cbSwitchResolution"};
    TEdit edResolutionInfo{&pnlDisplay, "edResolutionInfo"};
    TButton btnSelectResolution{&pnlDisplay, "btnSelectResolution"};
    TButton btnTestResolution{&pnlDisplay, "btnTestResolution"};
    TLabel Label1{&pnlDisplay, "Label1"};
    TEdit edCurrentResolutionInfo{&pnlDisplay, "edCurrentResolutionInfo"};

    // About page
    TPanel pnlAbout{&SheetAbout, "pnlAbout"};
    TPanel pnlAboutFrame{&pnlAbout, "pnlAboutFrame"};
    TImage imgLogo{&pnlAboutFrame, "imgLogo"};
    TLabel stAboutVersion{&pnlAboutFrame, "stAboutVersion"};
    TLabel stCompanyInfo{&pnlAboutFrame, "stCompanyInfo"};
    TLabel stCompanyLink{&pnlAboutFrame, "stCompanyLink"};

    // --- Non-visual ---------------------------------------------------------------------------
    TPopupMenu popMenuAvailableWindows{"popMenuAvailableWindows"};
    TPopupMenu popMenuDoNotHideList{"popMenuDoNotHideList"};
    TPopupMenu PopMenuBringToTopList{"PopMenuBringToTopList"};
    TPopupMenu popMenuResolutions{"popMenuResolutions"};
    TImageList ProgramsImageList;
    TTimer MouseTimer;
    TTimer StyleRetryTimer;  // writes the styles owed to windows busy at the restore
    TTimer IdleTimer;        // set for the moment the idle time will be reached

    // --- Program values the controls do not hold ----------------------------------------------
    TVolumeSettings volumeSettings;          // desired volume and mute (sound)
    // Muting only the hidden programs leaves the master volume alone.
    TVolume volume{platform.audio, volumeSettings,
                   [this] { return cbModifyVolume.Checked() && !cbMuteHiddenPrograms.Checked(); }};
    std::int32_t selectedModeNumber = 0;     // the display mode to switch to when hiding
    bool trayNoticeGiven = false;  // the tray icons cannot be hidden here: told once a run
    TSettingsStore settingsStore{*this};
    std::unique_ptr<ICycleContext> cycleContext;  // what the cycle may ask of this window
    std::unique_ptr<THideCycle> hideCycle;   // the hide/restore cycle and the hidden-windows list
    TProgramMuteStep* programMute = nullptr;  // the cycle's step that mutes the hidden programs
    // The display-mode test's dialog, created once at start-up and shown for each test.
    std::unique_ptr<TConfirmationForm> ConfirmationForm;
    // The hotkey layout window, created once at start-up and shown by "Show Hotkeys Layout".
    std::unique_ptr<TFormKeyboardLayour> FormKeyboardLayour;
    // The window watch: attached while "Hide newly created windows while in HIDE mode" is
    // ticked, so its library is loaded only then.
    std::unique_ptr<TWatch> Watch;
    // The window inventory; the main window itself is never listed.
    std::unique_ptr<TWindowInventory> inventory =
        std::make_unique<TWindowInventory>(platform, [this] { return Handle(); });
    // The two user lists' files; a file that could not be read is never written over.
    TListStore listStore{platform.kernel, app, ExcludeList, BringToTopList, globals};
    // The three hotkeys and the key capture of their boxes.
    THotkeys hotkeys{{platform.windows, platform.kernel, app, [this] { return Handle(); },
                      [this] { ShowShortcutsPage(); }}};
    // The two mouse corners, polled by MouseTimer.
    TMouseCorners mouseCorners{{platform.windows, platform.kernel, globals.hideCornerShortcut,
                                globals.screenSaverCornerShortcut, [this] { return globals.ready; },
                                [this] { return IsWorkstationLocked(); },
                                [this] { return btnMouseWinCtrl.Down(); },
                                [this] { return btnMouseSSaverCtrl.Down(); },
                                [this] { return IsHiddenMode(); }, [this] { btnHideAll.Click(); },
                                [this] { StartScreenSaver(); }}};
    // Hide when idle, on IdleTimer.
    TIdleHide idleHide{{platform.windows, platform.kernel, IdleTimer,
                        [this] { return globals.ready; }, [this] { return cbHideWhenIdle.Checked(); },
                        [this] { return edIdleMinutes.Value(); }, [this] { return IsHiddenMode(); },
                        [this] { btnHideAll.Click(); }}};
    // The screen saver and the workstation lock.
    TScreenSaver screenSaver{platform};
    TWorkstationLock workstationLock{platform.windows};
    // The program window behind the password, with the two password dialogs.
    TProgramWindow programWindow{{app, platform.windows, platform.crypto, *this,
                                  globals.applicationPassword, cbAppPassword,
                                  [this](const std::wstring& stored) {
                                      settingsStore.StorePassword(stored);
                                  }}};

    // --- Handlers -----------------------------------------------------------------------------
    void FormCreate();
    void FormCloseQuery(bool& canClose);
    bool FormQueryEndSession();
    void FormDestroy();
    void btnTerminateClick();
    void btnHideClick();
    void btnWindowsClick();
    void btnOptionsClick();
    void btnAboutClick();
    void btnHelpClick();
    void btnGeneralClick();
    void btnKeyaboardClick();
    void btnSoundClick();
    void btnDisplayClick();
    void btShowLayoutClick();  // FormKeyboardLayour.cpp
    void btnTestSoundClick();
    void ResolutionMenuClick(std::int32_t modeNumber);  // a rate item of popMenuResolutions
    void mnSelectCurrentDisplayModeClick();
    void btnTestResolutionClick();
    void WMHotKey(int id);
    void btnMouseWinCtrlClick();
    void btnMouseSSaverCtrlClick();
    void MouseTimerTimer();
    void btnSetAppPasswordClick();
    void cbAppPasswordClick();
    void cbHideNewlyCreatedWindowsClick();
    void cbHideTrayClick();
    // Gives "Hide Tray Icons" the hint this Windows calls for; false where the taskbar draws the
    // tray icons itself, so that they cannot be hidden one by one.
    bool UpdateTrayHint();
    // Another program asked for everything hidden back ("Nivora.exe /restore"): as the hotkey
    // restores, and nothing outside hidden mode.
    void RestoreRequested();
    // A window of another program became visible: hidden when it did so in hidden mode.
    void WatchWindowCreated(TWatch& sender, WindowHandle handle, const std::wstring& appName);
    // Shows the window on the Extra Settings page, Shortcuts sub-page (hotkey failures).
    void ShowShortcutsPage();

    // --- Operations of the subsystems, as the main window calls them --------------------------
    // Each forwards to the module that owns it (MainFormOps.cpp).
    void RefreshAvailableWindows();          // window inventory
    void LoadExcludeList();                  // list files
    void LoadBringToTopList();
    void SaveExcludeList();
    void SaveBringToTopList();
    bool IsAutoStartSet();                   // settings store
    void SetAutoStart(bool enabled);
    void LoadSettings();
    void SaveSettings();
    // The application password: whether what the user typed is the password; setting one keeps
    // only its hash, an empty text removes it.
    bool PasswordMatches(const std::wstring& typed);
    void SetApplicationPassword(const std::wstring& typed);
    std::int32_t CurrentDisplayModeNumber();  // display modes
    void FillDisplayModeMenu();
    std::wstring DisplayModeText(std::int32_t modeNumber);
    void RefreshCurrentVolume();             // volume: the Sound page's "Current" group
    bool AssignAllShortcuts();               // hotkeys
    void UnregisterAllShortcuts();
    bool IsHiddenMode();                     // hide/restore cycle
    void btnHideAllClick();
    // Restores everything still hidden, at shut-down.
    void RestoreEverything();
    // At start: puts back what a previous session left hidden, as its record lists it; tells
    // the user when that record could not be read.
    void RecoverPreviousSession();
    // Shows or hides this window, asking for the password first when asked to.
    void ToggleProgramWindow(bool ask);
    bool IsWorkstationLocked();              // screen saver and lock
    void StartScreenSaver();

private:
    // Both lists and the settings, each whatever became of the others, nothing reported.
    void SaveForEndOfSession();
    // The layout and wiring of the frame (MainForm.cpp) and of each page, in a file of its own.
    void BuildLayout();
    void WireEvents();
    void BuildWindowsPage();
    void BuildGeneralPage();
    void BuildShortcutsPage();
    void BuildSoundPage();
    void BuildDisplayPage();
    void BuildAboutPage();
};

}  // namespace nv
