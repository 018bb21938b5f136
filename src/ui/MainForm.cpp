#include "ui/MainForm.h"

#include "conceal/HideCycle.h"
#include "conceal/ShellPartsStep.h"
#include "conceal/Watch.h"
#include "conceal/WallpaperStep.h"
#include "display/ConfirmationForm.h"
#include "display/DisplayModeStep.h"
#include "res/version.h"
#include "shell/Globals.h"
#include "sound/ProgramMute.h"
#include "ui/FormKeyboardLayour.h"
#include "ui/Layout.h"
#include "ui/Links.h"
#include "ui/MainWindowContext.h"
#include "widgets/Dialogs.h"

namespace nv {

namespace {
// The version the executable's version resource carries, from the one place it is set.
constexpr wchar_t kVersionText[] = L"Version " NV_VERSION_TEXT;
}  // namespace

TMainForm::TMainForm(Platform& platform, TApplication& app, TGlobals& globals)
    : TForm("MainForm"), platform(platform), app(app), globals(globals) {
    cycleContext = std::make_unique<TMainWindowContext>(*this);
    hideCycle = std::make_unique<THideCycle>(platform, *cycleContext);
    ConfirmationForm = std::make_unique<TConfirmationForm>(app);
    FormKeyboardLayour = std::make_unique<TFormKeyboardLayour>();
    // The display-mode step reads the option and the chosen mode when it hides.
    hideCycle->Plug(
        TStepKind::DisplayMode,
        std::make_unique<TDisplayModeStep>(
            platform.display, TDisplayModeChoice{[this] { return cbSwitchResolution.Checked(); },
                                                 [this] { return selectedModeNumber; }}));
    hideCycle->Plug(TStepKind::Wallpaper,
                    std::make_unique<TWallpaperStep>(platform, *cycleContext));
    hideCycle->Plug(TStepKind::Volume, std::make_unique<TVolumeStep>(volume));
    hideCycle->Plug(TStepKind::ShellParts, std::make_unique<TShellPartsStep>(
                                               platform, *cycleContext, globals.programFolder));
    auto mute = std::make_unique<TProgramMuteStep>(TProgramMuteStep::TOwner{
        platform, [this] { return cbMuteHiddenPrograms.Checked(); },
        [this] { return hideCycle->HiddenWindows(); }, [this] { hideCycle->StepChanged(); }});
    programMute = mute.get();
    hideCycle->Plug(TStepKind::ProgramMute, std::move(mute));
    // The program has no application window apart from this one, whose events the watch
    // reports like any other's (shook.dll leaves out this program's windows anyway).
    // Without a known folder there is no path, and no library, rather than one found elsewhere.
    Watch = std::make_unique<TWatch>(
        platform, app,
        globals.programFolder.empty() ? std::wstring() : globals.programFolder + L"\\shook.dll");
    hideCycle->KeepRecord(std::make_unique<TRecoveryFile>(platform.kernel, globals.recoveryFile,
                                                          globals.damagedRecoveryFile));
    BuildLayout();
    WireEvents();
}

TMainForm::~TMainForm() = default;

void TMainForm::BuildLayout() {
    SetCaption(globals.applicationTitle);
    SetClientSize(634, 341);
    minWidth = 650;
    minHeight = 380;
    // The window comes up on the Windows page: the other pages are made once it shows.
    deferHiddenPages = true;
    systemMenu = false;
    helpContext = 1000;
    helpFile = globals.helpFilePath;

    // Header
    Docked(HeaderPanel, Align::Top, 30);
    HeaderPanel.color = kAccent;
    Docked(HeaderImage, Align::Client, 0);
    HeaderImage.resourceId = 201;
    stVersioninfo.bold = true;
    stVersioninfo.textColor = 0x00FFFFFF;
    Place(stVersioninfo, 12, 8, 120, 14);
    stHeaderLink.SetCaption(kHomePageText);
    stHeaderLink.bold = true;
    stHeaderLink.link = true;
    stHeaderLink.textColor = 0x00FFFFFF;
    Place(stHeaderLink, 470, 8, 150, 14);
    stHeaderLink.SetAlign(Align::Right);

    // Button bar: three page buttons that stay down as a group, help, then Hide and Terminate
    // at the right end with a gap between them.
    Docked(ButtonsPanel, Align::Top, 29);
    struct BarButton {
        TButton& button;
        const wchar_t* caption;
        const wchar_t* hint;
        Align align;
        int width;
    };
    for (const BarButton& b : {
             BarButton{btnWindows, L"&Windows", L"Display the window behaviour setup panel",
                       Align::Left, 90},
             BarButton{btnOptions, L"&Extra Settings", L"Display the extra settings panel",
                       Align::Left, 100},
             BarButton{btnAbout, L"&About", L"About the product.", Align::Left, 80},
             BarButton{btnHelp, L"Hel&p", L"Show the help file", Align::Left, 80},
             BarButton{btnTerminate, L"&Terminate", L"Stop the application", Align::Right, 85},
             BarButton{btnHide, L"&Hide", L"Hide this window", Align::Right, 85},
         }) {
        b.button.SetCaption(b.caption);
        b.button.hint = b.hint;
        Docked(b.button, b.align, b.width);
    }
    Docked(pnlButtonGap, Align::Right, 10);
    for (TSpeedButton* b : {&btnWindows, &btnOptions, &btnAbout}) b->groupIndex = 1;
    btnWindows.SetDown(true);
    btnHelp.helpContext = 1000;

    // Page area
    MainPageControl.SetAlign(Align::Client);
    for (TTabSheet* sheet : {&SheetWindows, &SheetOptions, &SheetAbout}) sheet->SetAlign(Align::Client);
    SheetWindows.helpContext = 1001;
    SheetOptions.helpContext = 1010;
    SheetAbout.helpContext = 1030;

    // Extra Settings page: the column of sub-page buttons and the sub-pages.
    Docked(pnlButtons, Align::Left, 82);
    struct SubButton {
        TSpeedButton& button;
        const wchar_t* caption;
        int help;
        int image;
    };
    int top = 6;
    for (const SubButton& b : {SubButton{btnGeneral, L"General", 1011, 211},
                               SubButton{btnKeyaboard, L"Shortcuts", 1013, 212},
                               SubButton{btnSound, L"Sound", 1012, 213},
                               SubButton{btnDisplay, L"Display", 1014, 214}}) {
        b.button.SetCaption(b.caption);
        b.button.helpContext = b.help;
        b.button.imageId = b.image;
        b.button.groupIndex = 2;
        Place(b.button, 8, top, 65, 49);
        top += 53;
    }
    btnGeneral.SetDown(true);
    PageControlSettings.SetAlign(Align::Client);
    for (TTabSheet* sheet : {&SheetSetGeneral, &SheetSetShortcuts, &SheetSetSound, &SheetSetDisplay})
        sheet->SetAlign(Align::Client);
    SheetSetGeneral.helpContext = 1011;
    SheetSetShortcuts.helpContext = 1013;
    SheetSetDisplay.helpContext = 1014;


    BuildWindowsPage();
    BuildGeneralPage();
    BuildShortcutsPage();
    BuildSoundPage();
    BuildDisplayPage();
    BuildAboutPage();

    MouseTimer.interval = 500;
    StyleRetryTimer.interval = 500;
    MouseTimer.OnTimer = [this] { MouseTimerTimer(); };
    IdleTimer.OnTimer = [this] { idleHide.IdleTimerTimer(); };

    MainPageControl.SetActivePage(&SheetWindows);
    PageControlSettings.SetActivePage(&SheetSetGeneral);
    Realign();
}

void TMainForm::WireEvents() {
    OnCreate = [this] { FormCreate(); };
    OnCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
    OnQueryEndSession = [this] { return FormQueryEndSession(); };
    OnDestroy = [this] { FormDestroy(); };
    OnHotKey = [this](int id) { WMHotKey(id); };
    OnSessionChange = [this](std::uintptr_t code) { workstationLock.SessionChange(code); };
    btnTerminate.OnClick = [this] { btnTerminateClick(); };
    btnHide.OnClick = [this] { btnHideClick(); };
    btnWindows.OnClick = [this] { btnWindowsClick(); };
    btnOptions.OnClick = [this] { btnOptionsClick(); };
    btnAbout.OnClick = [this] { btnAboutClick(); };
    btnHelp.OnClick = [this] { btnHelpClick(); };
    btnGeneral.OnClick = [this] { btnGeneralClick(); };
    btnKeyaboard.OnClick = [this] { btnKeyaboardClick(); };
    btnSound.OnClick = [this] { btnSoundClick(); };
    btnDisplay.OnClick = [this] { btnDisplayClick(); };
    stHeaderLink.OnClick = [this] { OpenHomePage(platform.shell); };
    // Styles owed to windows that were busy at the restore are written once they answer.
    StyleRetryTimer.OnTimer = [this] {
        if (!hideCycle->RetryExtendedStyles()) StyleRetryTimer.SetEnabled(false);
    };
}

// ---------------------------------------------------------------------------------------------
// Creation, closing, destruction

void TMainForm::FormCreate() {
    // 1. The page controls show no tabs (their peers are plain containers); General sub-page.
    PageControlSettings.SetActivePage(&SheetSetGeneral);
    // 2. Double-buffered painting.
    for (TControl* c : std::initializer_list<TControl*>{
             this, &ButtonsPanel, &pnlLeft, &pnlRight, &HeaderPanel, &pnlButtons, &pnlSound,
             &pnlGeneral, &pnlDisplay, &pnlKeyboard, &pnlAbout, &pnlAboutFrame,
             &AvailableWindowsList})
        c->doubleBuffered = true;
    // 3. Caption and application title.
    SetCaption(globals.applicationTitle);
    app.title = globals.applicationTitle;
    // 4. The program icons and the visible windows. A failure here is reported and creation
    // goes on to the loads below.
    app.Dispatch([this] {
        if (!ProgramsImageList.Recreate32Bit()) throw std::runtime_error("Invalid ImageList");
        RefreshAvailableWindows();
    });
    // 5. Version texts.
    stVersioninfo.SetCaption(kVersionText);
    stAboutVersion.SetCaption(kVersionText);
    // 6. Hints and help.
    app.hintHidePause = 5000;
    app.helpFile = globals.helpFilePath;
    app.CreateTimer(StyleRetryTimer);
    app.CreateTimer(IdleTimer);
    // The corners are polled from now until the window goes, never while the workstation is
    // locked.
    workstationLock.Watch(Handle());
    app.CreateTimer(MouseTimer);
    MouseTimer.SetEnabled(true);
    // 7. Autostart, through the box's normal path: a present Run value is written again. A
    // failed write is reported and creation goes on: skipping the loads below would have the
    // next save write empty lists and default settings over the user's.
    app.Dispatch([this] { cbAutoStart.SetChecked(IsAutoStartSet()); });
    // 8, 9. Lists, then settings. A list file that cannot be read is reported and creation
    // goes on, for the same reason; that list is read again before it is ever saved.
    app.Dispatch([this] { LoadExcludeList(); });
    app.Dispatch([this] { LoadBringToTopList(); });
    LoadSettings();
    // 10. The display-mode menu and the texts of the selected and the current mode.
    app.Dispatch([this] { FillDisplayModeMenu(); });
    // 11. The Windows page is active.
    MainPageControl.SetActivePage(&SheetWindows);
    // 12. The workstation lock.
    screenSaver.LoadLockWorkStation();
}

void TMainForm::FormCloseQuery(bool& canClose) {
    SaveExcludeList();
    SaveBringToTopList();
    SaveSettings();
    canClose = true;
}

// A log-off or shutdown is never refused: what can be written is written, and a file that
// could not be read or written is left as it was. A message now would only hold the session up.
bool TMainForm::FormQueryEndSession() {
    SaveForEndOfSession();
    return true;
}

void TMainForm::SaveForEndOfSession() {
    for (void (TMainForm::*save)() :
         {&TMainForm::SaveExcludeList, &TMainForm::SaveBringToTopList, &TMainForm::SaveSettings}) {
        try {
            (this->*save)();
        } catch (const std::exception&) {
            // Left as it was; the session ends all the same.
        }
    }
}

void TMainForm::FormDestroy() {
    MouseTimer.SetEnabled(false);
    IdleTimer.SetEnabled(false);
    workstationLock.Unwatch();
    if (SessionEnding()) {
        // Nobody is left to answer a message: what cannot be put back stays in the recovery
        // record for the next start.
        try {
            RestoreEverything();  // in hidden mode or not: a style may still be owed
        } catch (const std::exception&) {
        }
        if (globals.ready) SaveForEndOfSession();
    } else {
        RestoreEverything();  // in hidden mode or not: a style may still be owed
        if (globals.ready) {
            SaveExcludeList();
            SaveBringToTopList();
            SaveSettings();
        }
    }
    AvailableWindowsList.Clear();
    ExcludeList.Clear();
    BringToTopList.Clear();
    UnregisterAllShortcuts();
}

void TMainForm::btnTerminateClick() {
    if (app.MessageBox(L"Do you really want to stop using the application?",
                       MessageBoxKind::Warning,
                       MessageBoxButtons::YesCancel) == MessageBoxResult::Yes)
        Close();
}

void TMainForm::btnHideClick() {
    ShowMessageDialog(app, L"To activate this window again use : \n\r" + edHkProgramKey.Text(),
                      MessageBoxKind::Information);
    SaveExcludeList();
    SaveBringToTopList();
    SaveSettings();
    ToggleProgramWindow(true);
}

// ---------------------------------------------------------------------------------------------
// Pages

void TMainForm::btnOptionsClick() {
    btnOptions.SetDown(true);
    MainPageControl.SetActivePage(&SheetOptions);
    // Every showing of the page brings the Sound page's "Current" group up to date.
    RefreshCurrentVolume();
    SheetOptions.SetFocus();
}

void TMainForm::btnHelpClick() { app.Backend().ShowHelp(globals.helpFilePath, 1000); }

// ---------------------------------------------------------------------------------------------
// Hotkeys and requests

void TMainForm::WMHotKey(int id) {
    if (edHkProgramKey.Focused() || edHkWindowsKey.Focused() || edHKSSaverKey.Focused()) return;
    switch (id) {
        case 0:
            btnHideAll.Click();
            break;
        case 1:
            ToggleProgramWindow(true);
            break;
        case 2:
            StartScreenSaver();
            break;
        default:
            break;
    }
}

void TMainForm::RestoreRequested() {
    if (IsHiddenMode()) btnHideAll.Click();
}

}  // namespace nv
