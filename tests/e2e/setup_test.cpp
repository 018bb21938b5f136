// Nivora's downloads used as a user would: the setup program installs silently, the installed
// Nivora starts, a second setup and the uninstaller end a running Nivora the normal way (what it
// hid comes back), the uninstaller takes away what the setup put in place and keeps the user's
// data; the portable copy runs from any folder. scripts/test-setup.sh runs these tests in a prefix
// of their own, with the portable zip unpacked where NV_PORTABLE_DIR says.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "support/Driver.h"

using namespace e2e;

namespace {

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nivora";
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}
std::wstring InstallDir() { return KnownFolder(CSIDL_PROGRAM_FILES) + L"\\Nivora"; }
std::wstring InstalledExe() { return InstallDir() + L"\\Nivora.exe"; }
std::wstring Uninstaller() { return InstallDir() + L"\\Uninstall.exe"; }
std::wstring Shortcut() { return KnownFolder(CSIDL_COMMON_PROGRAMS) + L"\\Nivora.lnk"; }
// The way back without the hotkey.
std::wstring RestoreShortcut() {
    return KnownFolder(CSIDL_COMMON_PROGRAMS) + L"\\Nivora - show all windows.lnk";
}

// What a shortcut starts: its target and arguments joined by a blank; "" when unreadable.
std::wstring ShortcutCommand(const std::wstring& link) {
    std::wstring command;
    CoInitialize(nullptr);
    IShellLinkW* shell = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IShellLinkW, reinterpret_cast<void**>(&shell)))) {
        IPersistFile* file = nullptr;
        wchar_t target[MAX_PATH] = {}, arguments[MAX_PATH] = {};
        if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
            SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
            SUCCEEDED(shell->GetPath(target, MAX_PATH, nullptr, 0)) &&
            SUCCEEDED(shell->GetArguments(arguments, MAX_PATH)))
            command = std::wstring(target) + L" " + arguments;
        if (file) file->Release();
        shell->Release();
    }
    CoUninitialize();
    return command;
}
// The installation only for the current user: in the user's own programs folder.
std::wstring UserInstallDir() { return KnownFolder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Nivora"; }
std::wstring UserShortcut() { return KnownFolder(CSIDL_PROGRAMS) + L"\\Nivora.lnk"; }

// build/dist, beside the Windows build's bin folder.
std::wstring DistDir() { return BinDir() + L"\\..\\..\\dist"; }

// The one file of the folder that matches the pattern, or "" when there is none or several.
std::wstring TheOnlyFile(const std::wstring& folder, const std::wstring& pattern) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return L"";
    std::wstring name = found.cFileName;
    bool more = FindNextFileW(find, &found) != FALSE;
    FindClose(find);
    return more ? L"" : folder + L"\\" + name;
}

std::wstring SetupExe() { return TheOnlyFile(DistDir(), L"Nivora-*-setup.exe"); }

// The manifest a program carries, as its bytes stand.
std::string ManifestOf(const std::wstring& exe) {
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return "";
    std::string text;
    if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST))
        if (HGLOBAL data = LoadResource(module, found))
            text.assign(static_cast<const char*>(LockResource(data)), SizeofResource(module, found));
    FreeLibrary(module);
    return text;
}

// The names of the files in a folder.
std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

// Starts a program by its full path with an exact command line.
bool StartAt(Process& process, const std::wstring& exe, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    return CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &si, &process.pi) != FALSE;
}

// Runs a program to its end; its exit code, or -1.
int RunToEnd(const std::wstring& exe, const std::wstring& arguments, int timeoutMs = 60000) {
    Process p;
    if (!StartAt(p, exe, arguments)) return -1;
    return p.Wait(timeoutMs);
}

bool KeyExists(HKEY root, const std::wstring& key) {
    HKEY h;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

// A value of the 64-bit view of HKLM, as text (a DWORD as its decimal number); "" if missing.
std::wstring MachineValue(const std::wstring& key, const std::wstring& name) {
    wchar_t data[1024] = {};
    DWORD type = 0, size = sizeof(data) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(),
                     RRF_RT_REG_SZ | RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY, &type, data,
                     &size) != ERROR_SUCCESS)
        return L"";
    if (type == REG_DWORD) return std::to_wstring(*reinterpret_cast<DWORD*>(data));
    return data;
}

// A value of the current user's uninstall entry, "" if missing.
std::wstring UserValue(const std::wstring& name) {
    std::wstring value;
    return RegReadString(HKEY_CURRENT_USER, kUninstallKey, name, value) ? value : L"";
}

std::wstring RunValue() {
    std::wstring value;
    return RegReadString(HKEY_CURRENT_USER, kRunKey, L"NVA", value) ? value : L"<none>";
}

bool AllVisible(const std::vector<HWND>& windows, bool visible) {
    for (HWND h : windows)
        if ((IsWindowVisible(h) != FALSE) != visible) return false;
    return true;
}

class Setup : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDataFolder();
        RegDelete(HKEY_CURRENT_USER, kRunKey, L"NVA");
        ASSERT_FALSE(SetupExe().empty()) << "no single Nivora-*-setup.exe in " << DistDir()
                                         << ": run 'make dist'";
    }
    void TearDown() override {
        KillProcesses(L"Nivora.exe");
        // What a failed test may have left: the installations go, by the uninstaller in place.
        for (const std::wstring& dir : {InstallDir(), UserInstallDir()}) {
            if (FileExists(dir + L"\\Uninstall.exe"))
                RunToEnd(dir + L"\\Uninstall.exe", L"/S _?=" + dir);
            for (const std::wstring& name : FilesIn(dir))
                DeleteFileW((dir + L"\\" + name).c_str());
            RemoveDirectoryW(dir.c_str());
        }
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY, 0);
        RegDeleteKeyExW(HKEY_CURRENT_USER, kUninstallKey, KEY_WOW64_64KEY, 0);
        DeleteFileW(Shortcut().c_str());
        DeleteFileW(RestoreShortcut().c_str());
        DeleteFileW(UserShortcut().c_str());
        RegDelete(HKEY_CURRENT_USER, kRunKey, L"NVA");
    }

    // Starts a Nivora and waits until it holds its hotkeys (a start can take long on a busy
    // machine: the deadlines are generous).
    static void StartNivora(Process& nivora, const std::wstring& exe) {
        ASSERT_TRUE(StartAt(nivora, exe, L"/q"));
        HWND main = nullptr;
        ASSERT_TRUE(
            WaitFor([&] { return (main = FindMainWindow(nivora.Pid())) != nullptr; }, 30000));
        ASSERT_TRUE(Answers(main, 30000));
    }
    static void HideRestoreKey() { PressKeys({VK_CONTROL}, VK_OEM_3); }
    // The uninstaller, as Windows starts it: the entry's UninstallString, with /S. It hands over
    // to a copy of itself and returns at once; what it removes goes some moments later.
    static void Uninstall() {
        std::wstring command = MachineValue(kUninstallKey, L"UninstallString");
        ASSERT_EQ(command, L"\"" + Uninstaller() + L"\"");
        ASSERT_EQ(RunToEnd(Uninstaller(), L"/S"), 0);
    }
    // Waits for the uninstaller's work, whose last step removes the entry.
    static bool Uninstalled() {
        return WaitFor([] { return !KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey); }, 30000) &&
               !FileExists(InstallDir());
    }
};

TEST_F(Setup, SilentInstallThenUninstallWhileNivoraHidesWindows) {
    // Another copy's start at log-on, which neither the setup nor the uninstaller may touch.
    const std::wstring otherCopy = L"\"D:\\Tools\\Nivora\\Nivora.exe\" /q";
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kRunKey, L"NVA", otherCopy));

    ASSERT_EQ(RunToEnd(SetupExe(), L"/S"), 0);
    for (const wchar_t* name :
         {L"Nivora.exe", L"nvatray.dll", L"shook.dll", L"Help.chm", L"LICENSE.txt", L"Uninstall.exe"})
        EXPECT_TRUE(FileExists(InstallDir() + L"\\" + name)) << name;
    EXPECT_TRUE(FileExists(Shortcut()));
    EXPECT_EQ(ShortcutCommand(RestoreShortcut()), InstalledExe() + L" /restore");
    // The entry that Windows lists, for the version in the program's version resource, which
    // the name of the setup program carries too.
    const std::wstring version = ProductVersion(InstalledExe());
    ASSERT_FALSE(version.empty());
    EXPECT_EQ(SetupExe(), DistDir() + L"\\Nivora-" + version + L"-setup.exe");
    // Its manifest names the same version.
    const std::string identity = "name=\"Nivora\" version=\"" +
                                 std::string(version.begin(), version.end()) + ".0.0\"";
    EXPECT_NE(ManifestOf(InstalledExe()).find(identity), std::string::npos);
    EXPECT_EQ(MachineValue(kUninstallKey, L"DisplayName"), L"Nivora");
    EXPECT_EQ(MachineValue(kUninstallKey, L"DisplayVersion"), version);
    EXPECT_EQ(MachineValue(kUninstallKey, L"Publisher"), L"Nivora project");
    EXPECT_EQ(MachineValue(kUninstallKey, L"DisplayIcon"), InstalledExe() + L",0");
    EXPECT_EQ(MachineValue(kUninstallKey, L"UninstallString"), L"\"" + Uninstaller() + L"\"");
    EXPECT_EQ(MachineValue(kUninstallKey, L"NoModify"), L"1");
    EXPECT_EQ(MachineValue(kUninstallKey, L"NoRepair"), L"1");
    EXPECT_GT(std::stoul(L"0" + MachineValue(kUninstallKey, L"EstimatedSize")), 100u);  // KiB
    EXPECT_EQ(RunValue(), otherCopy);

    // The installed Nivora starts and hides windows.
    Process helper;
    ASSERT_TRUE(Start(helper, L"nv_windows.exe", L"One Two"));
    HWND one = nullptr, two = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        return (one = FindWindowOf(helper.Pid(), L"One")) && (two = FindWindowOf(helper.Pid(), L"Two"));
    }));
    Process nivora;
    StartNivora(nivora, InstalledExe());
    HideRestoreKey();
    ASSERT_TRUE(WaitFor([&] { return AllVisible({one, two}, false); }));
    // (A start rewrites an existing Run value for itself, as ticking its box would.)
    EXPECT_EQ(RunValue(), L"\"" + InstalledExe() + L"\" /q");
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kRunKey, L"NVA", otherCopy));

    // The uninstaller ends it the normal way: the windows come back, the settings are saved.
    Uninstall();
    EXPECT_EQ(nivora.Wait(30000), 0);
    EXPECT_TRUE(WaitFor([&] { return AllVisible({one, two}, true); }));
    ASSERT_TRUE(Uninstalled());
    EXPECT_FALSE(FileExists(Shortcut()));
    EXPECT_FALSE(FileExists(RestoreShortcut()));
    EXPECT_EQ(RunValue(), otherCopy);
    // Silent: the user's data stays.
    EXPECT_TRUE(FileExists(DataFolder() + L"nva.dat"));
}

TEST_F(Setup, UpdateEndsTheRunningNivoraAndKeepsTheStartAtLogOn) {
    ASSERT_EQ(RunToEnd(SetupExe(), L"/S /AUTOSTART"), 0);
    const std::wstring command = L"\"" + InstalledExe() + L"\" /q";
    EXPECT_EQ(RunValue(), command);

    Process nivora;
    StartNivora(nivora, InstalledExe());
    EXPECT_EQ(RunValue(), command);  // the value Nivora itself writes at its start
    // A second setup (an update) waits for Nivora to end, then replaces its files.
    ASSERT_EQ(RunToEnd(SetupExe(), L"/S"), 0);
    EXPECT_EQ(nivora.Wait(0), 0);
    EXPECT_TRUE(FileExists(InstalledExe()));
    EXPECT_EQ(RunValue(), command);

    Uninstall();
    ASSERT_TRUE(Uninstalled());
    EXPECT_EQ(RunValue(), L"<none>");
}

// A top-level dialog of the process whose texts hold the given one, or null.
HWND DialogWith(DWORD pid, const std::wstring& text) {
    for (HWND h : TopWindows(pid))
        if (ClassName(h) == L"#32770" && IsWindowVisible(h) &&
            DialogText(h).find(text) != std::wstring::npos)
            return h;
    return nullptr;
}

TEST_F(Setup, TheWizardAsksForTheStartAtLogOnAndTheUninstallerWhetherToKeepTheSettings) {
    Process setup;
    ASSERT_TRUE(StartAt(setup, SetupExe(), L""));
    HWND wizard = nullptr;
    ASSERT_TRUE(
        WaitFor([&] { return (wizard = DialogWith(setup.Pid(), L"License Agreement")); }, 30000));
    ASSERT_TRUE(WaitFor([&] { return PressButton(wizard, L"I Agree"); }));
    // For whom: every user unless only this user's installation is there.
    const std::wstring forAll = L"&Anyone who uses this computer (administrator rights are asked for)";
    HWND all = nullptr;
    ASSERT_TRUE(WaitFor([&] { return IsShown(all = FindChildByText(wizard, forAll)); }));
    EXPECT_EQ(SendMessageW(all, BM_GETCHECK, 0, 0), BST_CHECKED);
    ASSERT_TRUE(WaitFor([&] { return PressButton(wizard, L"Next >"); }));
    ASSERT_TRUE(WaitFor([&] { return FindChildByText(wizard, L"Destination Folder") != nullptr; }));
    ASSERT_TRUE(WaitFor([&] { return PressButton(wizard, L"Next >"); }));
    // The start at log-on: off unless asked for.
    const std::wstring option = L"&Automatically start Nivora when Windows starts";
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return IsShown(box = FindChildByText(wizard, option)); }));
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    ASSERT_TRUE(PressButton(wizard, option));
    ASSERT_TRUE(WaitFor([&] { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    ASSERT_TRUE(WaitFor([&] { return PressButton(wizard, L"Install"); }));
    ASSERT_TRUE(WaitFor([&] { return PressButton(wizard, L"Finish"); }, 30000));
    EXPECT_EQ(setup.Wait(30000), 0);
    EXPECT_EQ(RunValue(), L"\"" + InstalledExe() + L"\" /q");

    // The user's data: the lists and settings, and the password in the registry.
    MakeEmptyDataFolder();
    WriteFileBytes(DataFolder() + L"nva.dat", {'[', 'x', ']'});
    const wchar_t passwordKey[] = L"Software\\Windows\\Cryptography";
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, passwordKey, L"10", L"pbkdf2-sha256$1$00$00"));

    // The uninstaller hands over to a copy of itself, whose window is found by its title (which
    // the wizard follows with a blank).
    ASSERT_EQ(RunToEnd(Uninstaller(), L""), 0);
    HWND uninstaller = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (HWND h = GetTopWindow(nullptr); h && !uninstaller; h = GetWindow(h, GW_HWNDNEXT))
            if (ClassName(h) == L"#32770" && WindowText(h).rfind(L"Nivora Uninstall", 0) == 0)
                uninstaller = h;
        return uninstaller != nullptr;
    }, 30000));
    DWORD pid = 0;
    GetWindowThreadProcessId(uninstaller, &pid);
    ASSERT_TRUE(WaitFor([&] { return PressButton(uninstaller, L"Uninstall"); }));
    HWND question = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (question = DialogWith(pid, L"Keep your Nivora settings")); }));
    ASSERT_TRUE(WaitFor([&] { return PressButton(question, L"No"); }));
    // The wizard goes on to its last page by itself once the removal has run. The page before
    // shows the same report in its status line, so the text is read on the last page only.
    ASSERT_TRUE(WaitFor([&] { return IsShown(FindChildByText(uninstaller, L"&Finish")); }, 30000));
    // The last page says what went and what stays: the other users' own settings.
    const std::wstring report = DialogText(uninstaller);
    EXPECT_NE(report.find(L"each other user's own settings"), std::wstring::npos);
    EXPECT_NE(report.find(L"Your settings, window lists and password have been deleted"),
              std::wstring::npos);
    ASSERT_TRUE(PressButton(uninstaller, L"Finish"));
    EXPECT_TRUE(Uninstalled());
    EXPECT_EQ(RunValue(), L"<none>");
    EXPECT_FALSE(FileExists(DataFolder()));
    std::wstring password;
    EXPECT_FALSE(RegReadString(HKEY_CURRENT_USER, passwordKey, L"10", password));
}

// The part that runs with administrator rights, run as the setup and the uninstaller run it: it
// writes and removes nothing of the account it runs as, whose password may be an administrator's
// typed in for a standard user.
TEST_F(Setup, ThePartWithAdministratorRightsTouchesNoUsersSettings) {
    ASSERT_EQ(RunToEnd(SetupExe(), L"/S /AUTOSTART /MACHINEPART /D=" + InstallDir()), 0);
    EXPECT_TRUE(FileExists(InstalledExe()));
    EXPECT_TRUE(FileExists(Shortcut()));
    EXPECT_EQ(MachineValue(kUninstallKey, L"InstallLocation"), InstallDir());
    EXPECT_EQ(RunValue(), L"<none>");
    EXPECT_EQ(UserValue(L"DisplayName"), L"");

    const std::wstring start = L"\"" + InstalledExe() + L"\" /q";
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kRunKey, L"NVA", start));
    MakeEmptyDataFolder();
    WriteFileBytes(DataFolder() + L"nva.dat", {'[', 'x', ']'});
    ASSERT_EQ(RunToEnd(Uninstaller(), L"/S /MACHINEPART _?=" + InstallDir()), 0);
    EXPECT_FALSE(FileExists(InstalledExe()));
    EXPECT_FALSE(FileExists(Shortcut()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_EQ(RunValue(), start);
    EXPECT_TRUE(FileExists(DataFolder() + L"nva.dat"));
}

// Only for me: the user's own programs folder and entry, no administrator rights, nothing of the
// machine's; the uninstaller of the entry takes it all away again.
TEST_F(Setup, AnInstallationOnlyForTheUserNeedsNoRightsAndGoesWithItsUninstaller) {
    ASSERT_EQ(RunToEnd(SetupExe(), L"/S /CURRENTUSER /AUTOSTART"), 0);
    const std::wstring exe = UserInstallDir() + L"\\Nivora.exe";
    EXPECT_TRUE(FileExists(exe));
    EXPECT_TRUE(FileExists(UserShortcut()));
    EXPECT_EQ(UserValue(L"InstallLocation"), UserInstallDir());
    EXPECT_EQ(UserValue(L"UninstallString"), L"\"" + UserInstallDir() + L"\\Uninstall.exe\"");
    EXPECT_FALSE(FileExists(InstallDir()));
    EXPECT_FALSE(FileExists(Shortcut()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_EQ(RunValue(), L"\"" + exe + L"\" /q");

    // A second setup keeps it for this user.
    ASSERT_EQ(RunToEnd(SetupExe(), L"/S"), 0);
    EXPECT_FALSE(FileExists(InstallDir()));
    EXPECT_EQ(UserValue(L"InstallLocation"), UserInstallDir());

    ASSERT_EQ(RunToEnd(UserInstallDir() + L"\\Uninstall.exe", L"/S"), 0);
    EXPECT_TRUE(WaitFor([] { return UserValue(L"DisplayName").empty(); }, 30000));
    EXPECT_FALSE(FileExists(UserInstallDir()));
    EXPECT_FALSE(FileExists(UserShortcut()));
    EXPECT_EQ(RunValue(), L"<none>");
}

TEST_F(Setup, ThePortableCopyRunsFromItsFolderAndEndsOnRequest) {
    wchar_t folder[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"NV_PORTABLE_DIR", folder, MAX_PATH))
        GTEST_SKIP() << "NV_PORTABLE_DIR names no unpacked portable zip";
    for (const wchar_t* name :
         {L"Nivora.exe", L"nvatray.dll", L"shook.dll", L"Help.chm", L"LICENSE.txt", L"ReadMe.txt"})
        EXPECT_TRUE(FileExists(std::wstring(folder) + L"\\" + name)) << name;
    const std::vector<std::wstring> files = FilesIn(folder);

    Process helper;
    ASSERT_TRUE(Start(helper, L"nv_windows.exe", L"Portable"));
    HWND window = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (window = FindWindowOf(helper.Pid(), L"Portable")); }));
    Process nivora;
    StartNivora(nivora, std::wstring(folder) + L"\\Nivora.exe");
    HideRestoreKey();
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(window); }));

    // What the setup does: the registered message to the window of Nivora's class.
    HWND main = FindWindowW(L"TMainForm", nullptr);
    ASSERT_EQ(main, FindMainWindow(nivora.Pid()));
    PostMessageW(main, RegisterWindowMessageW(L"NivoraTerminate"), 0, 0);
    EXPECT_EQ(nivora.Wait(30000), 0);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window) != FALSE; }));
    EXPECT_TRUE(FileExists(DataFolder() + L"nva.dat"));
    EXPECT_EQ(FilesIn(folder), files) << "Nivora writes nothing into its folder";
}

// The request may come while Nivora waits for an answer in a message box of its own.
TEST_F(Setup, TheEndRequestEndsNivoraWhileItsTerminateQuestionIsOpen) {
    Process nivora;
    ASSERT_TRUE(Start(nivora, L"Nivora.exe"));
    HWND main = nullptr;
    ASSERT_TRUE(WaitFor([&] { return IsShown(main = FindMainWindow(nivora.Pid())); }, 30000));
    ASSERT_TRUE(PressButton(main, L"&Terminate"));
    ASSERT_TRUE(WaitFor([&] { return DialogWith(nivora.Pid(), L"Do you really want") != nullptr; }));

    PostMessageW(FindWindowW(L"TMainForm", nullptr), RegisterWindowMessageW(L"NivoraTerminate"),
                 0, 0);
    EXPECT_EQ(nivora.Wait(30000), 0);
    EXPECT_TRUE(FileExists(DataFolder() + L"nva.dat"));
}

}  // namespace
