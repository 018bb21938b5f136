// The settings store: every option of the main window, the three hotkey texts, the two corner
// shortcuts, the sound settings and the chosen display mode in nva.dat; the application password
// in the user's registry; and the Run value that starts the program silently at log-on.
//
// The store has no settings object of its own: loading writes each value straight into the main
// window's control or the program value that carries it, saving reads it back from there.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace nv {

class TMainForm;

// Where the values live.
// Earlier versions named this key "\Software\Windows\Cryptography\", counted from the root of
// HKEY_CURRENT_USER; the registry functions themselves refuse a leading backslash.
constexpr wchar_t kPasswordKey[] = L"Software\\Windows\\Cryptography";
constexpr wchar_t kPasswordValue[] = L"10";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"NVA";


// The Run value's data: the executable's path in double quotes, so that a path with blanks
// starts this program and no other, followed by the silent-start switch.
std::wstring AutoStartCommand(const std::wstring& executablePath);

class TSettingsStore {
public:
    explicit TSettingsStore(TMainForm& form);

    // Called once from the main window's creation step, after the two lists are loaded.
    void LoadSettings();
    // Called after the two lists are saved; a failed write of the file raises and stops the
    // save at that point.
    void SaveSettings();
    // The Sounds section alone; the first step of LoadSettings and SaveSettings.
    void LoadSoundSettings();
    void SaveSoundSettings();

    // Writes the password as kept (its hash, or empty for none) into the registry at once;
    // raises when the write fails.
    void StorePassword(const std::wstring& stored);

    // Whether the Run value exists (the key is never created).
    bool IsAutoStartSet();
    // Writes (true) or removes (false) the Run value. A failed write raises.
    void SetAutoStart(bool enabled);

private:
    std::wstring ReadString(const wchar_t* section, const wchar_t* key,
                            const std::wstring& defaultValue);
    std::int32_t ReadInteger(const wchar_t* section, const wchar_t* key, std::int32_t defaultValue);
    bool ReadBool(const wchar_t* section, const wchar_t* key, bool defaultValue);
    void WriteString(const wchar_t* section, const wchar_t* key, const std::wstring& value);
    void WriteInteger(const wchar_t* section, const wchar_t* key, std::int32_t value);
    void WriteBool(const wchar_t* section, const wchar_t* key, bool value);

    void LoadPassword();
    void SavePassword();
    void CheckFileReadable();
    void SaveFile();  // every key of nva.dat

    TMainForm& m_form;
    Platform& m_platform;
    bool m_toldHashFailed = false;  // the user hears of a failed hash once per run
    bool m_fileUnreadable = false;  // nva.dat exists but could not be read at the load
    bool m_passwordUnread = false;  // the password value could not be read at the load
};

}  // namespace nv
