// The General sub-page of Extra Settings: autostart, the hide options, hide when idle, the
// password and the default hotkeys.
#include "conceal/HideCycle.h"
#include "conceal/Watch.h"
#include "sound/ProgramMute.h"
#include "ui/Layout.h"
#include "ui/MainForm.h"

namespace nv {

void TMainForm::BuildGeneralPage() {
    pnlGeneral.SetAlign(Align::Client);
    struct Option {
        TCheckBox& box;
        const wchar_t* caption;
        const wchar_t* hint;
    };
    int top = 10;
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
    cbHideWhenIdle.SetCaption(L"Hide windows when idle for");
    cbHideWhenIdle.hint = L"Hide the windows when no key has been pressed and the mouse has not "
                          L"moved for this many minutes.";
    Place(cbHideWhenIdle, 12, 124, 170, 17);
    edIdleMinutes.minValue = kMinIdleMinutes;
    edIdleMinutes.maxValue = kMaxIdleMinutes;
    edIdleMinutes.SetValue(kDefaultIdleMinutes);
    edIdleMinutes.hint = cbHideWhenIdle.hint;
    Place(edIdleMinutes, 186, 122, 56, 21);
    stIdleMinutes.SetCaption(L"minutes");
    Place(stIdleMinutes, 248, 125, 60, 14);
    FlatGroupBox2.SetCaption(L"Default Hotkeys");
    FlatGroupBox2.bold = true;
    Place(FlatGroupBox2, 12, 150, 520, 96);
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
    btShowLayout.OnClick = [this] { btShowLayoutClick(); };
    Place(btShowLayout, 300, 18, 150, 66);

    cbAutoStart.OnClick = [this] { SetAutoStart(cbAutoStart.Checked()); };
    cbAppPassword.OnClick = [this] { cbAppPasswordClick(); };
    btnSetAppPassword.OnClick = [this] { btnSetAppPasswordClick(); };
    cbHideNewlyCreatedWindows.OnClick = [this] { cbHideNewlyCreatedWindowsClick(); };
    cbHideWhenIdle.OnClick = [this] { idleHide.OptionChanged(); };
    edIdleMinutes.OnChange = [this] { idleHide.OptionChanged(); };
}

// Ticked by the user or by the settings at start-up: the watch is attached, which loads its
// library; unticked, it is detached, which lets the library go.
void TMainForm::cbHideNewlyCreatedWindowsClick() {
    if (cbHideNewlyCreatedWindows.Checked())
        Watch->SetOnWindowCreated([this](TWatch& sender, WindowHandle handle,
                                         const std::wstring& appName) {
            WatchWindowCreated(sender, handle, appName);
        });
    else
        Watch->SetOnWindowCreated(nullptr);
}

void TMainForm::WatchWindowCreated(TWatch&, WindowHandle handle, const std::wstring&) {
    // The handle may name a window that is gone by now, or a new one that took its number: the
    // visible-window filter and the Do-not-hide list decide on what it names now.
    if (!cbHideNewlyCreatedWindows.Checked() || !IsHiddenMode()) return;
    hideCycle->HideNewWindow(handle);
    // A program hidden only now is muted too, when the hidden programs are.
    programMute->MuteHiddenPrograms();
}

void TMainForm::btnGeneralClick() {
    btnGeneral.SetDown(true);
    PageControlSettings.SetActivePage(&SheetSetGeneral);
    SheetSetGeneral.SetFocus();
    cbAutoStart.SetFocus();
}

}  // namespace nv
