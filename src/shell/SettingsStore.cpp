#include "shell/SettingsStore.h"

#include <stdexcept>

#include "access/PasswordHash.h"
#include "shell/Globals.h"
#include "sound/VolumeSettings.h"
#include "ui/MainForm.h"

namespace nv {

namespace {

constexpr wchar_t kSounds[] = L"Sounds";
constexpr wchar_t kSpecialWindows[] = L"SpecialWindows";
constexpr wchar_t kGeneral[] = L"General";
constexpr wchar_t kSSaver[] = L"SSaver";
constexpr wchar_t kDisplay[] = L"Display";
constexpr wchar_t kHotkeyWindows[] = L"HOTKEY_Windows";
constexpr wchar_t kHotkeyApp[] = L"HOTKEY_App";
constexpr wchar_t kHotkeySSaver[] = L"HOTKEY_SSaver";
constexpr wchar_t kMouseWindows[] = L"MouseShortcut_Windows";
constexpr wchar_t kMouseSSaver[] = L"MouseShortcut_SSaver";

constexpr wchar_t kDefaultWindowsKey[] = L"Ctrl+`";
constexpr wchar_t kDefaultProgramKey[] = L"Ctrl+\\";
constexpr wchar_t kDefaultSSaverKey[] = L"Ctrl+F12";

// The three hotkeys: each text in its box, and beside it in the file the key code it stands for,
// which registers the same key where the keyboard layout names that key otherwise.
struct THotkeySetting {
    const wchar_t* section;
    TEdit TMainForm::*box;
    int id;
    const wchar_t* defaultText;
    TShortCut defaultCode;
};
constexpr THotkeySetting kHotkeySettings[] = {
    {kHotkeyWindows, &TMainForm::edHkWindowsKey, kHotkeyHideRestore, kDefaultWindowsKey,
     kScCtrl | 192},
    {kHotkeyApp, &TMainForm::edHkProgramKey, kHotkeyProgramWindow, kDefaultProgramKey,
     kScCtrl | 220},
    {kHotkeySSaver, &TMainForm::edHKSSaverKey, kHotkeyScreenSaver, kDefaultSSaverKey,
     kScCtrl | 123},
};

}  // namespace

std::wstring AutoStartCommand(const std::wstring& executablePath) {
    return L"\"" + executablePath + L"\" /q";
}

TSettingsStore::TSettingsStore(TMainForm& form) : m_form(form), m_platform(form.platform) {}

// ---------------------------------------------------------------------------------------------
// The file, one private-profile call per key

std::wstring TSettingsStore::ReadString(const wchar_t* section, const wchar_t* key,
                                        const std::wstring& defaultValue) {
    return m_platform.profile.GetPrivateProfileStringW(section, key, defaultValue,
                                                       m_form.globals.settingsFile);
}

std::int32_t TSettingsStore::ReadInteger(const wchar_t* section, const wchar_t* key,
                                         std::int32_t defaultValue) {
    return ParseInteger(ReadString(section, key, L"")).value_or(defaultValue);
}

bool TSettingsStore::ReadBool(const wchar_t* section, const wchar_t* key, bool defaultValue) {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TSettingsStore::WriteString(const wchar_t* section, const wchar_t* key,
                                 const std::wstring& value) {
    const std::wstring& file = m_form.globals.settingsFile;
    if (!m_platform.profile.WritePrivateProfileStringW(section, key, value, file))
        throw std::runtime_error("Unable to write to " + ToUtf8(file));
}

void TSettingsStore::WriteInteger(const wchar_t* section, const wchar_t* key, std::int32_t value) {
    WriteString(section, key, std::to_wstring(value));
}

void TSettingsStore::WriteBool(const wchar_t* section, const wchar_t* key, bool value) {
    WriteString(section, key, value ? L"1" : L"0");
}

// ---------------------------------------------------------------------------------------------
// Load and save

void TSettingsStore::LoadSoundSettings() {
    TVolumeSettings& volume = m_form.volumeSettings;
    volume.desiredVolume =
        static_cast<std::uint16_t>(ReadInteger(kSounds, L"Volume", kVolumeScaleMax) & 0xFFFF);
    volume.desiredMute = ReadBool(kSounds, L"VolumeMuted", false);
    m_form.cbModifyVolume.SetChecked(ReadBool(kSounds, L"ModifyVolume", true));
    // The slider stands upside down: its top end is full volume.
    m_form.sliderSelectedVolume.SetPosition(m_form.sliderSelectedVolume.maxValue -
                                            volume.desiredVolume);
    m_form.cbSelectedVolumeMuted.SetChecked(volume.desiredMute);
    m_form.cbMuteHiddenPrograms.SetChecked(ReadBool(kSounds, L"MuteHiddenPrograms", false));
}

void TSettingsStore::SaveSoundSettings() {
    WriteBool(kSounds, L"ModifyVolume", m_form.cbModifyVolume.Checked());
    WriteInteger(kSounds, L"Volume", m_form.volumeSettings.desiredVolume);
    WriteBool(kSounds, L"VolumeMuted", m_form.volumeSettings.desiredMute);
    WriteBool(kSounds, L"MuteHiddenPrograms", m_form.cbMuteHiddenPrograms.Checked());
}

void TSettingsStore::LoadSettings() {
    TMainForm& f = m_form;
    CheckFileReadable();
    LoadSoundSettings();

    f.cbHideDeskTop.SetChecked(ReadBool(kSpecialWindows, L"HideDesktop", false));
    f.cbHideTaskBar.SetChecked(ReadBool(kSpecialWindows, L"HideTaskBar", false));
    f.cbHideTray.SetChecked(ReadBool(kSpecialWindows, L"Tray", true));
    f.cbHideNewlyCreatedWindows.SetChecked(ReadBool(kGeneral, L"HideNewlyCreatedWindows", false));
    f.cbCloseActiveWindow.SetChecked(ReadBool(kGeneral, L"HideActiveWindow", false));
    f.cbHideWallapaper.SetChecked(ReadBool(kGeneral, L"HideWallpaper", false));
    // The spin edit keeps the minutes within its range.
    f.edIdleMinutes.SetValue(ReadInteger(kGeneral, L"IdleMinutes", kDefaultIdleMinutes));
    f.cbHideWhenIdle.SetChecked(ReadBool(kGeneral, L"HideWhenIdle", false));
    f.cbLockWorkstation.SetChecked(ReadBool(kSSaver, L"LockWorkstation", true));
    f.selectedModeNumber = ReadInteger(kDisplay, L"Resolution", f.CurrentDisplayModeNumber());
    f.cbSwitchResolution.SetChecked(ReadBool(kDisplay, L"Switch", false));
    for (const THotkeySetting& k : kHotkeySettings) {
        std::wstring text = ReadString(k.section, L"Key", k.defaultText);
        (f.*k.box).SetText(text);
        // A file of an older version has no code: its default text stands for the default key.
        TShortCut fallback = SameText(m_platform.kernel, text, k.defaultText) ? k.defaultCode : 0;
        std::int32_t code = ReadInteger(k.section, L"KeyCode", fallback);
        bool usable = code > 0 && code <= 0xFFFF && (code & kScKeyMask) >= 8 &&
                      (code & kScKeyMask) <= 255;
        f.hotkeys.SetStoredCode(k.id, usable ? static_cast<TShortCut>(code) : 0);
    }

    struct Corner {
        const wchar_t* section;
        TSpeedButton& button;
        TMouseShortcutInfo& shortcut;
        std::uint8_t defaultCorner;
    };
    for (const Corner& c :
         {Corner{kMouseWindows, f.btnMouseWinCtrl, f.globals.hideCornerShortcut, 0},
          Corner{kMouseSSaver, f.btnMouseSSaverCtrl, f.globals.screenSaverCornerShortcut, 1}}) {
        c.button.SetDown(ReadBool(c.section, L"Enabled", false));
        c.shortcut.ZoneSize = ReadInteger(c.section, L"ZoneSize", 20);
        c.shortcut.HoverInterval = ReadInteger(c.section, L"HoverInterval", 500);
        c.shortcut.Corner =
            static_cast<std::uint8_t>(ReadInteger(c.section, L"Corner", c.defaultCorner) & 0xFF);
        c.shortcut.HoverStart = 0;
    }

    LoadPassword();
}

void TSettingsStore::SaveSettings() {
    TMainForm& f = m_form;
    if (!m_fileUnreadable) SaveFile();
    if (!f.cbAppPassword.Checked()) f.globals.applicationPassword.clear();
    SavePassword();
}

// A settings file that exists but cannot be read (locked by another program, access denied,
// a folder in its place) gives the private-profile functions nothing but defaults: written back,
// they would replace the user's settings. It is left as it is for the whole run, and the user
// is told so once.
void TSettingsStore::CheckFileReadable() {
    const std::wstring& file = m_form.globals.settingsFile;
    try {
        m_platform.kernel.ReadWholeFile(file);
        m_fileUnreadable = false;
    } catch (const OsError& error) {
        if (error.Code() == 2 || error.Code() == 3) return;  // no file yet: the defaults
        if (m_fileUnreadable) return;
        m_fileUnreadable = true;
        m_form.app.MessageBox(L"The settings file (" + ExtractFileName(file) +
                                  L") could not be read.\n" +
                                  TApplication::ErrorReportText(FromUtf8(error.what())) +
                                  L"\n\nNivora starts with its default settings, and the file " +
                                  file + L" is left as it is: the settings are not saved "
                                         L"during this session.",
                              MessageBoxKind::Error);
    }
}

void TSettingsStore::SaveFile() {
    TMainForm& f = m_form;
    SaveSoundSettings();

    WriteBool(kSpecialWindows, L"HideDesktop", f.cbHideDeskTop.Checked());
    WriteBool(kSpecialWindows, L"HideTaskBar", f.cbHideTaskBar.Checked());
    WriteBool(kSpecialWindows, L"Tray", f.cbHideTray.Checked());
    WriteBool(kGeneral, L"HideNewlyCreatedWindows", f.cbHideNewlyCreatedWindows.Checked());
    WriteBool(kGeneral, L"HideActiveWindow", f.cbCloseActiveWindow.Checked());
    WriteBool(kGeneral, L"HideWallpaper", f.cbHideWallapaper.Checked());
    WriteBool(kGeneral, L"HideWhenIdle", f.cbHideWhenIdle.Checked());
    WriteInteger(kGeneral, L"IdleMinutes", f.edIdleMinutes.Value());
    WriteBool(kSSaver, L"LockWorkstation", f.cbLockWorkstation.Checked());
    WriteInteger(kDisplay, L"Resolution", f.selectedModeNumber);
    WriteBool(kDisplay, L"Switch", f.cbSwitchResolution.Checked());
    for (const THotkeySetting& k : kHotkeySettings) {
        WriteString(k.section, L"Key", (f.*k.box).Text());
        WriteInteger(k.section, L"KeyCode", f.hotkeys.StoredCode(k.id));
    }

    struct Corner {
        const wchar_t* section;
        const TSpeedButton& button;
        const TMouseShortcutInfo& shortcut;
    };
    for (const Corner& c :
         {Corner{kMouseWindows, f.btnMouseWinCtrl, f.globals.hideCornerShortcut},
          Corner{kMouseSSaver, f.btnMouseSSaverCtrl, f.globals.screenSaverCornerShortcut}}) {
        WriteBool(c.section, L"Enabled", c.button.Down());
        WriteInteger(c.section, L"ZoneSize", c.shortcut.ZoneSize);
        WriteInteger(c.section, L"HoverInterval", c.shortcut.HoverInterval);
        WriteInteger(c.section, L"Corner", c.shortcut.Corner);
    }
}

// ---------------------------------------------------------------------------------------------
// The application password

void TSettingsStore::LoadPassword() {
    std::wstring& password = m_form.globals.applicationPassword;
    password.clear();
    m_passwordUnread = false;
    try {
        if (auto stored = m_platform.registry.ReadString(RegistryHive::CurrentUser, kPasswordKey,
                                                         kPasswordValue))
            password = *stored;
    } catch (...) {
        // An unreadable value means no password this run, as a missing one does; but what it
        // holds is kept for a start that can read it (SavePassword).
        password.clear();
        m_passwordUnread = true;
    }
    // Silently: the box's own click would open the set-password dialog.
    m_form.cbAppPassword.SetCheckedSilently(!password.empty());
}

void TSettingsStore::SavePassword() {
    std::wstring& password = m_form.globals.applicationPassword;
    std::wstring stored = password;
    // A plain password, left by an older version, goes back hashed. Should hashing fail, the
    // value is emptied rather than left as it is: the registry never keeps the password as
    // typed. This run still asks for it; the next start does not, and the user is told so.
    if (!stored.empty() && !IsPasswordHash(stored)) {
        try {
            stored = HashPassword(m_platform.crypto, stored);
            password = stored;
        } catch (const std::exception& error) {
            stored.clear();
            if (!m_toldHashFailed) {
                m_toldHashFailed = true;
                m_form.app.MessageBox(
                    L"The application password could not be stored safely.\n" +
                        TApplication::ErrorReportText(FromUtf8(error.what())) +
                        L"\n\nIt has been removed from the registry, so the program will not "
                        L"ask for it at the next start. Set it again to keep the program "
                        L"protected.",
                    MessageBoxKind::Error);
            }
        }
    }
    // A value that could not be read is not emptied: only a password set in this run replaces it.
    if (m_passwordUnread && stored.empty()) return;
    try {
        // Written on every save, also when empty: the value is overwritten, never deleted.
        m_platform.registry.WriteString(RegistryHive::CurrentUser, kPasswordKey, kPasswordValue,
                                        stored, true);
    } catch (...) {
        // A failed write of the password goes unreported; the file is already saved.
    }
}

void TSettingsStore::StorePassword(const std::wstring& stored) {
    std::uint32_t code = m_platform.registry.WriteString(RegistryHive::CurrentUser, kPasswordKey,
                                                         kPasswordValue, stored, true);
    if (code != 0)
        throw OsError("The application password could not be stored in the registry (error " +
                          std::to_string(code) + "), so it stays as it was",
                      code);
}

// ---------------------------------------------------------------------------------------------
// Autostart

bool TSettingsStore::IsAutoStartSet() {
    return m_platform.registry.ValueExists(RegistryHive::CurrentUser, kRunKey, kRunValue);
}

void TSettingsStore::SetAutoStart(bool enabled) {
    IRegistry& registry = m_platform.registry;
    if (enabled) {
        std::wstring command = AutoStartCommand(m_platform.kernel.GetModuleFileNameW());
        if (registry.WriteString(RegistryHive::CurrentUser, kRunKey, kRunValue, command, false) !=
            0)
            throw std::runtime_error("Failed to set data for '" + ToUtf8(kRunValue) + "'");
    } else if (registry.ValueExists(RegistryHive::CurrentUser, kRunKey, kRunValue)) {
        registry.DeleteValue(RegistryHive::CurrentUser, kRunKey, kRunValue);
    }
}

}  // namespace nv
