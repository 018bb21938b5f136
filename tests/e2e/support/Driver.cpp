#include "support/Driver.h"

#include <shlobj.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace e2e {

std::wstring BinDir() {
    wchar_t path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L'\\'));
}

std::wstring DataFolder() {
    wchar_t path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, CSIDL_APPDATA, FALSE);
    return std::wstring(path) + L"\\Talvern\\NVA\\";
}

void ResetDataFolder() {
    // Whatever is there: the settings, the lists, the recovery record, one set aside, the
    // temporary files of a save, and a folder a test put in a file's place.
    std::wstring folder = DataFolder();
    folder.pop_back();  // the trailing backslash
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(folder), ignored);
}

void ClearProgramState() {
    KillProcesses(L"Nivora.exe");
    WaitFor([] { return CountProcesses(L"Nivora.exe") == 0; }, 10000);
    ResetDataFolder();
    RegDelete(HKEY_CURRENT_USER, L"Software\\Windows\\Cryptography", L"10");
    RegDelete(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"NVA");
}

void MakeEmptyDataFolder() {
    ResetDataFolder();
    std::wstring folder = DataFolder();
    CreateDirectoryW(folder.substr(0, folder.size() - 5).c_str(), nullptr);  // ...\Talvern
    CreateDirectoryW(folder.c_str(), nullptr);
}

bool FileExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<unsigned char> ReadFileBytes(const std::wstring& path) {
    // Opened so that the program can still delete the file meanwhile (under Wine nothing lets
    // it replace a file that is open): read files only once the program is done with them.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::vector<unsigned char> bytes;
    if (file == INVALID_HANDLE_VALUE) return bytes;
    unsigned char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    CloseHandle(file);
    return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs, int stepMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        Sleep(stepMs);
    }
}

bool Answers(HWND window, int timeoutMs) {
    DWORD_PTR result = 0;
    return window && SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL,
                                         static_cast<UINT>(timeoutMs), &result) != 0;
}

bool HotkeyTaken(UINT modifiers, UINT key) {
    if (RegisterHotKey(nullptr, 0x7000, modifiers, key)) {
        UnregisterHotKey(nullptr, 0x7000);
        return false;
    }
    return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED;
}

bool Process::Running() const {
    return pi.hProcess && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT;
}

int Process::Wait(int timeoutMs) {
    if (!pi.hProcess) return -1;
    if (WaitForSingleObject(pi.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    return static_cast<int>(code);
}

bool Process::WaitUntilIdle(int timeoutMs) const {
    return pi.hProcess && WaitForInputIdle(pi.hProcess, static_cast<DWORD>(timeoutMs)) == 0;
}

void Process::Kill() {
    if (Running()) {
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
    }
}

Process::~Process() {
    Kill();
    if (pi.hProcess) CloseHandle(pi.hProcess);
    if (pi.hThread) CloseHandle(pi.hThread);
}

void Linger() {
    wchar_t ms[16] = {};
    if (GetEnvironmentVariableW(L"NV_E2E_LINGER_MS", ms, 16) > 0) Sleep(_wtoi(ms));
}

bool Start(Process& process, const std::wstring& exe, const std::wstring& arguments) {
    std::wstring path = BinDir() + L"\\" + exe;
    std::wstring commandLine = L"\"" + path + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        BinDir().c_str(), &si, &process.pi))
        return false;
    // A helper of the tests has made and shown its windows once it first waits for input. Its
    // window can be found before CreateWindowExW has shown it: hiding it from here then does
    // nothing, and a hide cycle started then would not count it as visible.
    if (exe.rfind(L"nv_", 0) == 0) WaitForInputIdle(process.pi.hProcess, 10000);
    return true;
}

std::vector<HWND> TopWindows(DWORD pid) {
    std::vector<HWND> found;
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == pid) found.push_back(h);
    }
    return found;
}

std::wstring WindowText(HWND window) {
    wchar_t buf[4096] = {};
    GetWindowTextW(window, buf, static_cast<int>(std::size(buf)));
    return buf;
}

std::wstring ClassName(HWND window) {
    wchar_t buf[256] = {};
    GetClassNameW(window, buf, static_cast<int>(std::size(buf)));
    return buf;
}

std::wstring ProductVersion(const std::wstring& exe) {
    DWORD ignored = 0, size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    if (size == 0) return L"";
    std::vector<unsigned char> info(size);
    if (!GetFileVersionInfoW(exe.c_str(), 0, size, info.data())) return L"";
    wchar_t* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), L"\\StringFileInfo\\040904b0\\ProductVersion",
                        reinterpret_cast<void**>(&text), &length))
        return L"";
    return std::wstring(text, length ? length - 1 : 0);
}

std::string UnixPath(const std::wstring& path) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unix = toUnix ? toUnix(path.c_str()) : nullptr;
    std::string text = unix ? unix : "";
    if (unix) HeapFree(GetProcessHeap(), 0, unix);
    return text;
}

std::wstring StartShellScript(const std::wstring& stem, const std::string& text) {
    // Z: is the Unix root: the script is written where sh finds it by its Unix path.
    std::wstring name = stem + L"-" + std::to_wstring(GetCurrentProcessId()) + L".sh";
    std::wstring script = L"Z:\\tmp\\" + name;
    HANDLE file = CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return L"";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    std::wstring cmd = L"Z:\\bin\\sh /tmp/" + name;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return L"";
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return script;
}

HWND FindMainWindow(DWORD pid) {
    for (HWND h : TopWindows(pid))
        if (WindowText(h) == L"NV" && ClassName(h) != L"#32770") return h;
    return nullptr;
}

HWND FindDialog(DWORD pid) {
    for (HWND h : TopWindows(pid))
        if (ClassName(h) == L"#32770" && IsWindowVisible(h)) return h;
    return nullptr;
}

namespace {
BOOL CALLBACK CollectText(HWND child, LPARAM param) {
    auto* text = reinterpret_cast<std::wstring*>(param);
    std::wstring t = WindowText(child);
    if (!t.empty()) *text += t + L"|";
    return TRUE;
}

std::wstring WithoutAmpersand(std::wstring s) {
    std::wstring out;
    for (wchar_t c : s)
        if (c != L'&') out += c;
    return out;
}

struct ChildSearch {
    std::wstring text;
    bool button;  // "&" dropped, and only a button a user could click: shown and enabled
    HWND found;
};

BOOL CALLBACK FindChild(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<ChildSearch*>(param);
    std::wstring t = WindowText(child);
    if (search->button) {
        t = WithoutAmpersand(t);
        if (!IsWindowVisible(child) || !IsWindowEnabled(child)) return TRUE;
    }
    if (t == search->text) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

std::wstring DialogText(HWND dialog) {
    std::wstring text;
    EnumChildWindows(dialog, CollectText, reinterpret_cast<LPARAM>(&text));
    return text;
}

// Waits until the window's thread has taken up its messages again: a program shows its window
// before it makes the controls of the pages not shown, and makes them before it answers.
static void CatchUpWith(HWND window) {
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
}

bool PressButton(HWND parent, const std::wstring& text) {
    CatchUpWith(parent);
    ChildSearch search{WithoutAmpersand(text), true, nullptr};
    // A page chosen by a click just posted is shown once the program has taken that click.
    WaitFor([&] {
        EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    }, 5000);
    if (!search.found) return false;
    PostMessageW(search.found, BM_CLICK, 0, 0);
    return true;
}

HWND FindChildByText(HWND parent, const std::wstring& text) {
    CatchUpWith(parent);
    ChildSearch search{text, false, nullptr};
    EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool IsShown(HWND window) { return window && IsWindowVisible(window); }

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

void PressKeys(const std::vector<WORD>& modifiers, WORD key) {
    std::vector<INPUT> inputs;
    auto add = [&](WORD vk, bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(in);
    };
    for (WORD m : modifiers) add(m, false);
    add(key, false);
    add(key, true);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) add(*it, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool PressHotkey(const std::vector<WORD>& modifiers, WORD key, const std::function<bool()>& done) {
    PressKeys(modifiers, key);
    if (WaitFor(done, 10000)) return true;
    // A combination that nobody holds registers here: then the program has let it go.
    UINT mods = 0;
    for (WORD m : modifiers)
        mods |= m == VK_CONTROL ? MOD_CONTROL : m == VK_MENU ? MOD_ALT : m == VK_SHIFT ? MOD_SHIFT : 0;
    constexpr int kProbe = 0xBFFF;
    if (RegisterHotKey(nullptr, kProbe, mods, key)) {
        UnregisterHotKey(nullptr, kProbe);
        std::printf("  (the hotkey %#x+%#x is registered by nobody)\n", mods, key);
        return false;
    }
    std::printf("  (a press of the registered hotkey %#x+%#x changed nothing in 10 s: pressed "
                "again)\n", mods, key);
    std::fflush(stdout);
    PressKeys(modifiers, key);
    return WaitFor(done);
}

void PostHotkey(HWND window, int id, UINT modifiers, UINT key) {
    PostMessageW(window, WM_HOTKEY, static_cast<WPARAM>(id), MAKELPARAM(modifiers, key));
}

bool RegWriteString(HKEY root, const std::wstring& key, const std::wstring& name,
                    const std::wstring& value) {
    HKEY h;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG r = RegSetValueExW(h, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
    return r == ERROR_SUCCESS;
}

bool RegDelete(HKEY root, const std::wstring& key, const std::wstring& name) {
    HKEY h;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_SET_VALUE, &h) != ERROR_SUCCESS) return false;
    LONG r = RegDeleteValueW(h, name.c_str());
    RegCloseKey(h);
    return r == ERROR_SUCCESS;
}

bool RegReadString(HKEY root, const std::wstring& key, const std::wstring& name,
                   std::wstring& value) {
    wchar_t buf[2048] = {};
    DWORD size = sizeof(buf) - sizeof(wchar_t);
    if (RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, buf, &size) !=
        ERROR_SUCCESS)
        return false;
    value = buf;
    return true;
}

}  // namespace e2e

#include <tlhelp32.h>
#include <commctrl.h>

namespace e2e {

HWND FindWindowOf(DWORD pid, const std::wstring& title) {
    for (HWND h : TopWindows(pid))
        if (WindowText(h) == title) return h;
    return nullptr;
}

std::vector<unsigned char> ListRecord(const std::wstring& title, const std::wstring& path,
                                      unsigned char allWindows) {
    std::vector<unsigned char> record(513, 0);
    auto put = [&](size_t offset, const std::wstring& text) {
        char buf[1024] = {};
        int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), buf,
                                    sizeof(buf), nullptr, nullptr);
        if (n > 255) n = 255;
        record[offset] = static_cast<unsigned char>(n);
        memcpy(&record[offset + 1], buf, static_cast<size_t>(n));
    };
    put(0, title);
    put(256, path);
    record[512] = allWindows;
    return record;
}

int CountProcesses(const std::wstring& exeName) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W e{};
    e.dwSize = sizeof(e);
    int count = 0;
    for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e))
        if (_wcsicmp(e.szExeFile, exeName.c_str()) == 0) ++count;
    CloseHandle(snap);
    return count;
}

void KillProcesses(const std::wstring& exeName) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W e{};
    e.dwSize = sizeof(e);
    for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e)) {
        if (_wcsicmp(e.szExeFile, exeName.c_str()) != 0) continue;
        if (HANDLE p = OpenProcess(PROCESS_TERMINATE, FALSE, e.th32ProcessID)) {
            TerminateProcess(p, 0);
            CloseHandle(p);
        }
    }
    CloseHandle(snap);
}

std::vector<std::vector<std::wstring>> ListViewRows(HWND listView, int columns) {
    std::vector<std::vector<std::wstring>> rows;
    DWORD pid = 0;
    GetWindowThreadProcessId(listView, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return rows;
    const SIZE_T textBytes = 512 * sizeof(wchar_t);
    auto* remote = static_cast<unsigned char*>(
        VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + textBytes, MEM_COMMIT, PAGE_READWRITE));
    int count = static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::vector<std::wstring> row;
        for (int c = 0; c < columns; ++c) {
            LVITEMW item{};
            item.iSubItem = c;
            item.cchTextMax = 512;
            item.pszText = reinterpret_cast<LPWSTR>(remote + sizeof(LVITEMW));
            WriteProcessMemory(process, remote, &item, sizeof(item), nullptr);
            SendMessageW(listView, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(remote));
            wchar_t text[512] = {};
            ReadProcessMemory(process, remote + sizeof(LVITEMW), text, textBytes - sizeof(wchar_t), nullptr);
            row.push_back(text);
        }
        rows.push_back(row);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return rows;
}

namespace {
struct ClassSearch {
    std::wstring className;
    int n;
    HWND found;
};
BOOL CALLBACK FindByClass(HWND child, LPARAM param) {
    auto* s = reinterpret_cast<ClassSearch*>(param);
    if (ClassName(child) == s->className && s->n-- == 0) {
        s->found = child;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND FindChildByClass(HWND parent, const std::wstring& className, int n) {
    ClassSearch s{className, n, nullptr};
    EnumChildWindows(parent, FindByClass, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

}  // namespace e2e
