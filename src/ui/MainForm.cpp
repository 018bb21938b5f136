#include "ui/MainForm.h"

#include "conceal/HideCycle.h"
#include "inventory/ListEditing.h"
#include "shell/Globals.h"
#include "triggers/Shortcuts.h"
#include "ui/Links.h"

namespace nv {

namespace {
constexpr std::uint32_t kAccent = 0x008C4B0B;  // red 11, green 75, blue 140, as 0x00BBGGRR
constexpr wchar_t kVersionText[] = L"Version 5.9";
constexpr std::uint16_t kVkF5 = 116;
constexpr wchar_t kHotkeyHint[] =
    L"Click in this field and hit the key of your choice. Please click outside the box using "
    L"your mouse before hitting any other keys.";

void Place(TControl& c, int left, int top, int width, int height) {
    c.SetBounds(left, top, width, height);
}

void Docked(TControl& c, Align align, int size) {
    if (align == Align::Left || align == Align::Right)
        c.SetBounds(0, 0, size, 10);
    else
        c.SetBounds(0, 0, 10, size);
    c.SetAlign(align);
}
}  // namespace

TMainForm::TMainForm(Platform& platform, TApplication& app, TGlobals& globals)
    : TForm("MainForm"), platform(platform), app(app), globals(globals) {
    hideCycle = std::make_unique<THideCycle>(*this);
    BuildLayout();
    WireEvents();
}

TMainForm::~TMainForm() = default;

void TMainForm::BuildLayout() {
    SetCaption(globals.applicationTitle);
    SetClientSize(634, 341);
    minWidth = 650;
    minHeight = 380;
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

    // Windows page
    Docked(pnlLeft, Align::Left, 306);
    Docked(FlatSplitter, Align::Left, 5);
    FlatSplitter.minSize = 100;
    pnlRight.SetAlign(Align::Client);
    Docked(MCDGradientPanel1, Align::Top, 22);
    MCDGradientPanel1.SetCaption(L"Currently visible windows ( Drag And Drop a window )");
    Docked(ArrowRightImage, Align::Right, 16);
    ArrowRightImage.resourceId = 202;
    Docked(pnlBottom, Align::Bottom, 75);
    AvailableWindowsList.SetAlign(Align::Client);
    AvailableWindowsList.columns = {{L"Application Name", 100}, {L"Window Title", 185}};
    AvailableWindowsList.sorted = true;
    AvailableWindowsList.compare = [this](const std::wstring& a, const std::wstring& b) {
        return platform.kernel.lstrcmpW(a, b);
    };
    AvailableWindowsList.smallImages = &ProgramsImageList;
    AvailableWindowsList.popupMenu = &popMenuAvailableWindows;
    btnRefreshList.SetCaption(L"Refresh List");
    btnRefreshList.hint = L"Refresh the list of currently visible windows";
    Place(btnRefreshList, 6, 10, 90, 25);
    btnHideAll.SetCaption(L"Hide/Restore");
    Place(btnHideAll, 6, 42, 90, 25);
    btnHideAll.SetVisible(false);
    gbfSpecailWindows.SetCaption(L"Special windows");
    Place(gbfSpecailWindows, 104, 2, 196, 70);
    cbHideDeskTop.SetCaption(L"Hide Desktop Icons");
    cbHideDeskTop.hint = L"Hide the icons on the desktop when the hot key is pressed";
    Place(cbHideDeskTop, 10, 16, 180, 17);
    cbHideTaskBar.SetCaption(L"Hide Taskbar");
    cbHideTaskBar.hint = L"Hide the taskbar when the hot key is pressed";
    Place(cbHideTaskBar, 10, 33, 180, 17);
    cbHideTray.SetCaption(L"Hide Tray Icons");
    cbHideTray.hint = L"Hide the tray icons when the hot key is pressed";
    Place(cbHideTray, 10, 50, 180, 17);

    Docked(MCDGradientPanel3, Align::Top, 22);
    MCDGradientPanel3.SetCaption(L"Do not hide list (Right click an item for extra options)");
    Docked(BringToTopList, Align::Bottom, 49);
    BringToTopList.columns = {{L"Application Name", 100}, {L"Window Title", 185}};
    BringToTopList.autoDrag = false;
    BringToTopList.popupMenu = &PopMenuBringToTopList;
    Docked(MCDGradientPanel2, Align::Bottom, 22);
    MCDGradientPanel2.SetCaption(L"Bring to TOP after hiding windows (execute if not running)");
    Docked(pnlArrowDown, Align::Bottom, 16);
    Docked(ArrowDownImage, Align::Right, 16);
    ArrowDownImage.resourceId = 203;
    ExcludeList.SetAlign(Align::Client);
    ExcludeList.columns = {{L"Application Name", 100}, {L"Window Title", 150}, {L"All", 40}};
    ExcludeList.sorted = true;
    ExcludeList.compare = [this](const std::wstring& a, const std::wstring& b) {
        return platform.kernel.lstrcmpW(a, b);
    };
    ExcludeList.popupMenu = &popMenuDoNotHideList;

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

    // General sub-page
    pnlGeneral.SetAlign(Align::Client);
    struct Option {
        TCheckBox& box;
        const wchar_t* caption;
        const wchar_t* hint;
    };
    top = 10;
    for (const Option& o : {
             Option{cbAutoStart, L"Automatically start when Windows starts",
                    L"Auto start the application. (Starts silently without appearing on screen)"},
             Option{cbHideNewlyCreatedWindows, L"Hide newly created windows while in HIDE mode",
                    L"Use this option to prevent the newly created windows from being displayed "
                    L"on the screen."},
             Option{cbCloseActiveWindow, L"Close the window that was active before hiding",
                    L"Use this option to close the program that you was using before hiding the "
                    L"windows."},
             Option{cbHideWallapaper, L"Hide wallpaper",
                    L"Use this option to hide your wallpaper image when the hot key is pressed"},
             Option{cbAppPassword, L"Protect this application with password",
                    L"The application will request a password every time you try to start it or "
                    L"access the settings."},
         }) {
        o.box.SetCaption(o.caption);
        o.box.hint = o.hint;
        Place(o.box, 12, top, 300, 17);
        top += 22;
    }
    btnSetAppPassword.SetCaption(L"Set Password");
    btnSetAppPassword.hint = L"Click to set a password.";
    Place(btnSetAppPassword, 320, 96, 100, 23);
    FlatGroupBox2.SetCaption(L"Default Hotkeys");
    FlatGroupBox2.bold = true;
    Place(FlatGroupBox2, 12, 124, 520, 96);
    top = 20;
    for (TLabel* l : {&stHideWindowsInfo, &stHideProgramInfo, &StaticText2}) {
        l->bold = true;
        l->textColor = 0x00FFFFFF;
        l->background = kAccent;
        Place(*l, 10, top, 220, 18);
        top += 24;
    }
    stHideWindowsInfo.SetCaption(L"Hide/Restore Windows - Ctrl + `");
    stHideProgramInfo.SetCaption(L"Hide/Show Program - Ctrl + \\");
    StaticText2.SetCaption(L"Start Secreensaver - Ctrl + F12");
    btShowLayout.SetCaption(L"Show Hotkeys Layout");
    btShowLayout.imageId = 215;
    Place(btShowLayout, 300, 18, 150, 66);

    // Shortcuts sub-page
    pnlKeyboard.SetAlign(Align::Client);
    FlatGroupBox8.SetCaption(L"Hide/Restore windows hot key");
    Place(FlatGroupBox8, 12, 6, 250, 50);
    Place(edHkWindowsKey, 10, 20, 190, 21);
    Place(btnMouseWinCtrl, 206, 18, 28, 25);
    FlatGroupBox3.SetCaption(L"Hide/Show program hot key");
    Place(FlatGroupBox3, 12, 62, 250, 50);
    Place(edHkProgramKey, 10, 20, 190, 21);
    gbSSaverHotkey.SetCaption(L"Start Screen saver");
    gbSSaverHotkey.hint = L"Start Screen saver hot key configuration";
    Place(gbSSaverHotkey, 12, 118, 250, 80);
    Place(edHKSSaverKey, 10, 20, 190, 21);
    Place(btnMouseSSaverCtrl, 206, 18, 28, 25);
    cbLockWorkstation.SetCaption(L"Lock workstation before starting ( For OS >= Win 2000)");
    cbLockWorkstation.hint = L"This feature is available only for Windows 2000/XP/NT systems";
    // The caption is longer than the group is wide: it wraps onto a second line.
    Place(cbLockWorkstation, 10, 45, 236, 28);
    // Each mouse button is a group of its own that may be all up: a click flips it, and the
    // two stay independent of each other.
    int group = 3;
    for (TSpeedButton* b : {&btnMouseWinCtrl, &btnMouseSSaverCtrl}) {
        b->hint = L"Activate On Mouse Shortcut";
        b->helpContext = 1014;
        b->imageId = 216;
        b->allowAllUp = true;
        b->groupIndex = group++;
    }
    edHkWindowsKey.SetText(L"CTRL+`");
    edHkProgramKey.SetText(L"CTRL+\\");
    edHKSSaverKey.SetText(L"CTRL+F12");
    for (TEdit* e : {&edHkWindowsKey, &edHkProgramKey, &edHKSSaverKey}) e->hint = kHotkeyHint;
    FlatGroupBox4.SetCaption(L"Quick instructions");
    Place(FlatGroupBox4, 272, 6, 260, 192);
    StaticText1.SetCaption(
        L"Click inside one of the edit boxes (white fields) and press the key combination that "
        L"you want to assign. The key name will be displayed in the field. Click the button with "
        L"the mouse icon to set a mouse shortcut for the action.");
    StaticText1.bold = true;
    StaticText1.centered = true;
    StaticText1.textColor = 0x00FFFFFF;
    StaticText1.background = kAccent;
    Place(StaticText1, 10, 20, 240, 156);

    // Sound sub-page
    pnlSound.SetAlign(Align::Client);
    pnlSound.helpContext = 1011;
    Place(imSound, 12, 10, 48, 48);
    imSound.resourceId = 221;
    imSound.helpContext = 1012;
    cbModifyVolume.SetCaption(L"Modify sound");
    Place(cbModifyVolume, 72, 10, 200, 17);
    gbCurrentVolume.SetCaption(L"Current");
    gbCurrentVolume.hint = L"Display Only Panel";
    gbCurrentVolume.helpContext = 1012;
    Place(gbCurrentVolume, 72, 34, 110, 170);
    SliderGlobalVolume.maxValue = 65535;
    SliderGlobalVolume.SetEnabled(false);
    Place(SliderGlobalVolume, 10, 18, 40, 120);
    cbGlobalVolumMuted.SetCaption(L"Muted");
    cbGlobalVolumMuted.SetEnabled(false);
    Place(cbGlobalVolumMuted, 10, 144, 90, 17);
    gbDesiredVolume.SetCaption(L" Desired ");
    gbDesiredVolume.helpContext = 1012;
    Place(gbDesiredVolume, 192, 34, 110, 170);
    sliderSelectedVolume.maxValue = 65535;
    sliderSelectedVolume.lineSize = 1000;
    sliderSelectedVolume.pageSize = 10000;
    sliderSelectedVolume.hint = L"Desired volume level slider";
    Place(sliderSelectedVolume, 10, 18, 40, 120);
    cbSelectedVolumeMuted.SetCaption(L"Muted");
    cbSelectedVolumeMuted.hint = L"Mute the sound.";
    Place(cbSelectedVolumeMuted, 10, 144, 90, 17);
    btnGetVolume.SetCaption(L"Refresh current volume indicator");
    btnGetVolume.helpContext = 1012;
    Place(btnGetVolume, 312, 40, 200, 25);
    btnTestSound.SetCaption(L"Test desired volume settings");
    btnTestSound.hint = L"Play sound with the selected volume level.";
    btnTestSound.helpContext = 1012;
    Place(btnTestSound, 312, 72, 200, 25);

    // Display sub-page
    pnlDisplay.SetAlign(Align::Client);
    Place(imMonitor, 12, 10, 48, 48);
    imMonitor.resourceId = 222;
    cbSwitchResolution.SetCaption(L"Switch display resolution");
    cbSwitchResolution.hint = L"Enable display resolution switching on hot key.";
    Place(cbSwitchResolution, 72, 10, 250, 17);
    edResolutionInfo.SetReadOnly(true);
    edResolutionInfo.hint = L"Currently selected display resolution";
    Place(edResolutionInfo, 72, 36, 250, 21);
    btnSelectResolution.SetCaption(L"List");
    btnSelectResolution.hint = L"List of all display resolutions supported by your video board.";
    btnSelectResolution.dropDownMenu = &popMenuResolutions;
    Place(btnSelectResolution, 330, 35, 60, 23);
    btnTestResolution.SetCaption(L"Test selected resolution");
    btnTestResolution.hint = L"Click to switch to the resolution listed above.";
    Place(btnTestResolution, 72, 64, 180, 25);
    Label1.SetCaption(L"Current Display Resolution:");
    Place(Label1, 72, 104, 250, 14);
    edCurrentResolutionInfo.SetReadOnly(true);
    edCurrentResolutionInfo.SetEnabled(false);
    edCurrentResolutionInfo.hint = L"Currently selected display resolution";
    Place(edCurrentResolutionInfo, 72, 120, 250, 21);

    // About page
    pnlAbout.SetAlign(Align::Client);
    pnlAboutFrame.SetAlign(Align::Client);
    // The dark end of the About page's gradient, so its white texts read until it is drawn.
    pnlAboutFrame.color = 0x00857158;  // red 88, green 113, blue 133
    Place(imgLogo, 16, 16, 150, 216);
    imgLogo.resourceId = 231;
    for (TLabel* l : {&stAboutVersion, &stCompanyInfo, &stCompanyLink}) {
        l->bold = true;
        l->textColor = 0x00FFFFFF;
    }
    Place(stAboutVersion, 190, 30, 300, 16);
    stCompanyInfo.SetCaption(L"Nivora - made by the Nivora project");
    Place(stCompanyInfo, 190, 56, 330, 16);
    stCompanyLink.SetCaption(kHomePageText);
    stCompanyLink.link = true;
    Place(stCompanyLink, 190, 82, 300, 16);

    // Menus
    popMenuAvailableWindows.items.Add("Add1", L"Add to 'Do not hide list'");
    popMenuAvailableWindows.items.Add("RefreshList1", L"Refresh List").shortCut = L"F5";
    TMenuItem& all = popMenuDoNotHideList.items.Add("mnAllWinodws", L"All windows/This window");
    all.hint =
        L"Set All windows to 'yes' to hide all windows of the selected application (regardless "
        L"the window's title)";
    popMenuDoNotHideList.items.Add("N1", L"-");
    popMenuDoNotHideList.items.Add("mnRemoveSelectedEntry", L"Remove Selected Entry");
    popMenuDoNotHideList.items.Add("mnClearDoNotHideListList", L"Clear List");
    popMenuDoNotHideList.items.Add("N2", L"-");
    popMenuDoNotHideList.items.Add("mnClearDoNotHideListAddFromDisk", L"Add application from disk");
    PopMenuBringToTopList.items.Add("mnClearBringToTopList", L"Clear List");
    popMenuResolutions.items.Add("mnSelectCurrentDisplayMode", L"Current");

    MouseTimer.interval = 500;

    MainPageControl.SetActivePage(&SheetWindows);
    PageControlSettings.SetActivePage(&SheetSetGeneral);
    Realign();
}

void TMainForm::WireEvents() {
    OnCreate = [this] { FormCreate(); };
    OnCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
    OnDestroy = [this] { FormDestroy(); };
    OnHotKey = [this](int id) { WMHotKey(id); };
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
    btnHideAll.OnClick = [this] { btnHideAllClick(); };
    stHeaderLink.OnClick = [this] { OpenHomePage(platform.shell); };
    stCompanyLink.OnClick = [this] { OpenHomePage(platform.shell); };
    cbAutoStart.OnClick = [this] { SetAutoStart(cbAutoStart.Checked()); };
    // The desired sound settings follow the Sound page; the slider stands upside down.
    sliderSelectedVolume.OnChange = [this] {
        volumeSettings.desiredVolume =
            static_cast<std::uint16_t>(kVolumeScaleMax - sliderSelectedVolume.Position());
    };
    cbSelectedVolumeMuted.OnClick = [this] {
        volumeSettings.desiredMute = cbSelectedVolumeMuted.Checked();
    };
    // The hotkey boxes capture a combination and register it again when a key is released.
    for (auto [box, id] : {std::pair{&edHkWindowsKey, kHotkeyHideRestore},
                           std::pair{&edHkProgramKey, kHotkeyProgramWindow},
                           std::pair{&edHKSSaverKey, kHotkeyScreenSaver}}) {
        TEdit* edit = box;
        int hotkey = id;
        edit->OnKeyDown = [this, edit](std::uint16_t& key, ShiftState shift) {
            HotkeyBoxKeyDown(*this, *edit, key, shift);
        };
        edit->OnKeyPress = [](wchar_t& ch) { HotkeyBoxKeyPress(ch); };
        edit->OnKeyUp = [this, edit, hotkey](std::uint16_t& key, ShiftState) {
            HotkeyBoxKeyUp(*this, *edit, key, hotkey);
        };
    }
    // The visible-windows list: refresh by button, menu and F5.
    btnRefreshList.OnClick = [this] { RefreshAvailableWindows(); };
    popMenuAvailableWindows.Find("RefreshList1")->OnClick = [this] { RefreshAvailableWindows(); };
    AvailableWindowsList.OnKeyDown = [this](std::uint16_t& key, ShiftState) {
        if (key == kVkF5) RefreshAvailableWindows();
    };
    WireListEditing(*this);
    // Every subsystem that reacts to the window's controls wires itself here.
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
    // 7. Autostart, through the box's normal path: a present Run value is written again. A
    // failed write is reported and creation goes on: skipping the loads below would have the
    // next save write empty lists and default settings over the user's.
    app.Dispatch([this] { cbAutoStart.SetChecked(IsAutoStartSet()); });
    // 8, 9. Lists, then settings. A list file that cannot be read is reported and creation
    // goes on, for the same reason; that list is read again before it is ever saved.
    app.Dispatch([this] { LoadExcludeList(); });
    app.Dispatch([this] { LoadBringToTopList(); });
    LoadSettings();
    // 10. Display modes and 12. the workstation lock come with their subsystems.
    // 11. The Windows page is active.
    MainPageControl.SetActivePage(&SheetWindows);
}

void TMainForm::FormCloseQuery(bool& canClose) {
    SaveExcludeList();
    SaveBringToTopList();
    SaveSettings();
    canClose = true;
}

void TMainForm::FormDestroy() {
    if (IsHiddenMode()) RestoreEverything();
    if (globals.ready) {
        SaveExcludeList();
        SaveBringToTopList();
        SaveSettings();
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
    app.MessageBox(L"To activate this window again use : \n\r" + edHkProgramKey.Text(),
                   MessageBoxKind::Information);
    SaveExcludeList();
    SaveBringToTopList();
    SaveSettings();
    ToggleProgramWindow(true);
}

// ---------------------------------------------------------------------------------------------
// Pages

void TMainForm::btnWindowsClick() {
    btnWindows.SetDown(true);
    MainPageControl.SetActivePage(&SheetWindows);
}

void TMainForm::btnOptionsClick() {
    btnOptions.SetDown(true);
    MainPageControl.SetActivePage(&SheetOptions);
    // Every showing of the page brings the Sound page's "Current" group up to date.
    RefreshCurrentVolume();
    SheetOptions.SetFocus();
}

void TMainForm::btnAboutClick() {
    btnAbout.SetDown(true);
    MainPageControl.SetActivePage(&SheetAbout);
}

void TMainForm::btnHelpClick() { app.Backend().ShowHelp(globals.helpFilePath, 1000); }

void TMainForm::btnGeneralClick() {
    btnGeneral.SetDown(true);
    PageControlSettings.SetActivePage(&SheetSetGeneral);
    SheetSetGeneral.SetFocus();
    cbAutoStart.SetFocus();
}

void TMainForm::btnKeyaboardClick() {
    btnKeyaboard.SetDown(true);
    PageControlSettings.SetActivePage(&SheetSetShortcuts);
}

void TMainForm::btnSoundClick() {
    RefreshCurrentVolume();
    btnSound.SetDown(true);
    PageControlSettings.SetActivePage(&SheetSetSound);
    sliderSelectedVolume.SetFocus();
}

void TMainForm::btnDisplayClick() {
    edCurrentResolutionInfo.SetText(DisplayModeText(CurrentDisplayModeNumber()));
    btnDisplay.SetDown(true);
    PageControlSettings.SetActivePage(&SheetSetDisplay);
    edResolutionInfo.SetFocus();
}

void TMainForm::ShowShortcutsPage() {
    btnOptionsClick();
    btnKeyaboardClick();
}

// ---------------------------------------------------------------------------------------------
// Hotkeys

void TMainForm::WMHotKey(int id) {
    if (edHkProgramKey.Focused() || edHkWindowsKey.Focused() || edHKSSaverKey.Focused()) return;
    switch (id) {
        case 0:
            btnHideAll.Click();
            break;
        case 1:
            ToggleProgramWindow(true);
            break;
        default:
            break;
    }
}

}  // namespace nv
