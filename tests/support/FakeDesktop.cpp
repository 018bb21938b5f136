#include "support/FakeDesktop.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include <gtest/gtest.h>

namespace nv::test {

namespace fs = std::filesystem;

namespace {
std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}
// The simple upper-casing of the ordinal functions, for the letters the tests use: ASCII and
// Latin-1 (not the sharp s and the y with diaeresis, which have no single upper-case letter).
std::wstring OrdinalUpper(std::wstring s) {
    for (auto& c : s)
        if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
            c = static_cast<wchar_t>(c - 0x20);
    return s;
}
std::string Hex(WindowHandle h) {
    std::ostringstream out;
    out << std::hex << h;
    return out.str();
}
}  // namespace

FakeDesktop::FakeDesktop() {
    std::string tmpl = (fs::temp_directory_path() / "nvfake-XXXXXX").string();
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    char* made = ::mkdtemp(buf.data());
    m_root = made ? fs::path(made) : fs::temp_directory_path() / "nvfake";
    fs::create_directories(m_root / "AppData");
    MapDrive(L"C:", L"\\Device\\HarddiskVolume1");
    MapDrive(L"Z:", L"\\Device\\HarddiskVolume2");
}

FakeDesktop::~FakeDesktop() {
    std::error_code ec;
    fs::remove_all(m_root, ec);
}

// ---------------------------------------------------------------------------------------------
// Set-up

WindowHandle FakeDesktop::AddWindow(const std::wstring& title, const std::wstring& className,
                                    ProcessId pid, bool visible) {
    FakeWindow w;
    w.handle = m_nextHandle;
    m_nextHandle += 0x10;
    w.title = title;
    w.className = className;
    w.pid = pid;
    w.style = visible ? kWsVisible : 0;
    m_windows[w.handle] = w;
    m_z.insert(m_z.begin(), w.handle);
    return w.handle;
}

WindowHandle FakeDesktop::AddChildWindow(WindowHandle parent, const std::wstring& title,
                                         const std::wstring& className, bool visible) {
    FakeWindow w;
    w.handle = m_nextHandle;
    m_nextHandle += 0x10;
    w.title = title;
    w.className = className;
    w.pid = Has(parent) ? m_windows[parent].pid : 0;
    w.style = visible ? kWsVisible : 0;
    w.parent = parent;
    m_windows[w.handle] = w;
    return w.handle;
}

void FakeDesktop::DestroyWindow(WindowHandle h) {
    if (!m_windows.count(h)) return;
    m_windows[h].alive = false;
    m_z.erase(std::remove(m_z.begin(), m_z.end(), h), m_z.end());
}

void FakeDesktop::AddProcess(ProcessId pid, const std::wstring& devicePath) {
    m_processes[pid] = devicePath;
}

fs::path FakeDesktop::RealPath(const std::wstring& path) const {
    std::string utf8 = ToUtf8(path);
    std::replace(utf8.begin(), utf8.end(), '\\', '/');
    fs::path p(utf8);
    if (p.is_absolute()) return p;
    return m_root / "cwd" / p;  // relative paths land in a folder of their own
}

// ---------------------------------------------------------------------------------------------
// Window manager

WindowHandle FakeDesktop::GetTopWindow() { return m_z.empty() ? 0 : m_z.front(); }

WindowHandle FakeDesktop::GetNextWindow(WindowHandle window) {
    auto it = std::find(m_z.begin(), m_z.end(), window);
    if (it == m_z.end() || ++it == m_z.end()) return 0;
    return *it;
}

std::wstring FakeDesktop::InternalGetWindowText(WindowHandle window, int maxChars) {
    if (!Has(window)) return {};
    return m_windows[window].title.substr(0, std::max(0, maxChars - 1));
}

std::wstring FakeDesktop::GetClassNameW(WindowHandle window, int maxChars) {
    if (!Has(window)) return {};
    return m_windows[window].className.substr(0, std::max(0, maxChars - 1));
}

bool FakeDesktop::GetWindowStyles(WindowHandle window, WindowStyles& styles) {
    if (!Has(window)) return false;
    styles.style = m_windows[window].style;
    styles.exStyle = m_windows[window].exStyle;
    return true;
}

ProcessId FakeDesktop::GetWindowThreadProcessId(WindowHandle window) {
    return Has(window) ? m_windows[window].pid : 0;
}

std::uint32_t FakeDesktop::GetWindowThreadAndProcessId(WindowHandle window, ProcessId& pid) {
    pid = GetWindowThreadProcessId(window);
    return ThreadOf(window);
}

std::uint32_t FakeDesktop::GetWindowExStyle(WindowHandle window) {
    return Has(window) ? m_windows[window].exStyle : 0;
}

bool FakeDesktop::PostMessageW(WindowHandle window, std::uint32_t msg, std::uintptr_t wParam,
                               std::intptr_t) {
    posted.push_back({window, msg, wParam});
    if (window == desktopWindow) {
        if (msg == kWmSysCommand && wParam == kScScreenSave) lockAndSaver.push_back("ScreenSave");
        return true;
    }
    return Has(window);
}

void FakeDesktop::LockWorkStation(ProcAddress entry) {
    if (entry == 0x7E57) lockAndSaver.push_back("LockWorkStation");
}

ModuleHandle FakeDesktop::LoadLibraryW(const std::wstring& name) {
    if (CompareStringOrdinal(name, L"User32.dll", true) != 0) return 0;
    ++librariesLoaded;
    return 0x7000;
}

ProcAddress FakeDesktop::GetProcAddress(ModuleHandle module, const std::string& name) {
    if (module != 0x7000 || name != "LockWorkStation" || !lockWorkStationExported) return 0;
    return 0x7E57;
}

void FakeDesktop::FreeLibrary(ModuleHandle module) {
    if (module == 0x7000) ++librariesFreed;
}

WindowHandle FakeDesktop::FindWindowW(const std::wstring& className, const std::wstring& title) {
    for (WindowHandle h : m_z) {
        const FakeWindow& w = m_windows[h];
        if ((className.empty() || w.className == className) && (title.empty() || w.title == title))
            return h;
    }
    return 0;
}

WindowHandle FakeDesktop::FindWindowExW(WindowHandle parent, WindowHandle after,
                                        const std::wstring& className,
                                        const std::optional<std::wstring>& title) {
    std::vector<WindowHandle> candidates;
    if (parent == 0) {
        candidates = m_z;
    } else {
        for (const auto& [handle, w] : m_windows)  // handles grow: creation order
            if (w.parent == parent && w.alive) candidates.push_back(handle);
    }
    auto it = candidates.begin();
    if (after != 0) {
        it = std::find(candidates.begin(), candidates.end(), after);
        if (it == candidates.end()) return 0;
        ++it;
    }
    for (; it != candidates.end(); ++it) {
        const FakeWindow& w = m_windows[*it];
        if ((className.empty() || w.className == className) && (!title || w.title == *title))
            return *it;
    }
    return 0;
}

bool FakeDesktop::SetForegroundWindow(WindowHandle window) {
    calls.push_back("SetForegroundWindow(" + Hex(window) + ")");
    if (!Has(window)) return false;
    foreground = window;
    return true;
}

bool FakeDesktop::IsIconic(WindowHandle window) { return Has(window) && m_windows[window].iconic; }

bool FakeDesktop::IsWindowVisible(WindowHandle window) {
    return Has(window) && (m_windows[window].style & kWsVisible);
}

bool FakeDesktop::RegisterHotKey(WindowHandle window, int id, std::uint32_t modifiers,
                                 std::uint32_t virtualKey) {
    std::uint32_t mods = modifiers & ~HotKeyMod::NoRepeat;
    bool clash = takenHotkeys.count({mods, virtualKey}) > 0;
    for (const auto& r : hotkeys)
        if ((r.modifiers & ~HotKeyMod::NoRepeat) == mods && r.vk == virtualKey) clash = true;
    for (const auto& r : hotkeys)
        if (r.window == window && r.id == id) clash = true;
    if (clash) return false;
    hotkeys.push_back({window, id, modifiers, virtualKey});
    return true;
}

bool FakeDesktop::UnregisterHotKey(WindowHandle window, int id) {
    auto before = hotkeys.size();
    hotkeys.erase(std::remove_if(hotkeys.begin(), hotkeys.end(),
                                 [&](const HotKeyRegistration& r) {
                                     return r.window == window && r.id == id;
                                 }),
                  hotkeys.end());
    return hotkeys.size() != before;
}

MessageBoxResult FakeDesktop::MessageBoxW(WindowHandle, const std::wstring& text,
                                          const std::wstring& caption, MessageBoxKind kind,
                                          MessageBoxButtons buttons) {
    MessageBoxRecord record{text, caption, kind, buttons};
    messageBoxes.push_back(record);
    if (onMessageBox) onMessageBox(record);
    if (!messageBoxAnswers.empty()) {
        MessageBoxResult r = messageBoxAnswers.front();
        messageBoxAnswers.pop_front();
        return r;
    }
    return buttons == MessageBoxButtons::Ok ? MessageBoxResult::Ok : MessageBoxResult::Cancel;
}

// ---------------------------------------------------------------------------------------------
// Kernel

MutexResult FakeDesktop::CreateMutexW(const std::wstring&) {
    if (mutexFails) return MutexResult::Failed;
    MutexResult result = mutexExists ? MutexResult::AlreadyExists : MutexResult::Created;
    mutexExists = true;
    return result;
}

std::wstring FakeDesktop::GetProcessImageFileNameW(ProcessId pid) {
    ++imageNameCalls;
    auto it = m_processes.find(pid);
    return it == m_processes.end() ? std::wstring() : it->second;
}

std::wstring FakeDesktop::QueryDosDeviceW(const std::wstring& drive) {
    ++queryDosDeviceCalls;
    auto it = m_drives.find(drive);
    return it == m_drives.end() ? std::wstring() : it->second;
}

void FakeDesktop::TerminateProcess(ProcessId pid) {
    terminated.push_back(pid);
    for (auto& [h, w] : m_windows)
        if (w.pid == pid && w.alive) DestroyWindow(h);
}

std::optional<std::uint64_t> FakeDesktop::GetProcessCreationTime(ProcessId pid) {
    if (unreadableProcesses.count(pid)) return std::nullopt;
    auto it = processCreationTimes.find(pid);
    if (it != processCreationTimes.end()) return it->second;
    bool running = m_processes.count(pid) > 0;
    for (const auto& [h, w] : m_windows) running = running || (w.alive && w.pid == pid);
    if (!running) return std::nullopt;
    return 0x1000 + pid;
}

bool FakeDesktop::FileExists(const std::wstring& path) { return fs::is_regular_file(RealPath(path)); }

std::vector<std::uint8_t> FakeDesktop::ReadWholeFile(const std::wstring& path) {
    if (failingReads.count(path))
        throw OsError("Cannot open file \"" + ToUtf8(path) + "\". Sharing violation", 32);
    if (fs::is_directory(RealPath(path)))  // as CreateFileW answers for a folder
        throw OsError("Cannot open file \"" + ToUtf8(path) + "\". Access is denied", 5);
    std::ifstream in(RealPath(path), std::ios::binary);
    if (!in) throw OsError("Cannot open file \"" + ToUtf8(path) + "\". File not found", 2);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void FakeDesktop::ReplaceFileContents(const std::wstring& path,
                                      const std::vector<std::uint8_t>& bytes) {
    if (failingWrites.count(path))
        throw OsError("Cannot create file \"" + ToUtf8(path) + "\". Access is denied", 5);
    fs::path real = RealPath(path);
    fs::path temp = real;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) throw OsError("Cannot create file \"" + ToUtf8(path) + "\". Path not found", 3);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    fs::rename(temp, real);
}

bool FakeDesktop::DeleteFileW(const std::wstring& path) {
    if (failingWrites.count(path)) return false;
    std::error_code ec;
    if (fs::is_directory(RealPath(path))) return false;
    fs::remove(RealPath(path), ec);
    return !ec;
}

bool FakeDesktop::MoveFileW(const std::wstring& from, const std::wstring& to) {
    if (failingWrites.count(from) || failingWrites.count(to)) return false;
    std::error_code ec;
    fs::rename(RealPath(from), RealPath(to), ec);
    return !ec;
}

bool FakeDesktop::CreateDirectoryTree(const std::wstring& path) {
    std::error_code ec;
    fs::create_directories(RealPath(path), ec);
    return !ec;
}

int FakeDesktop::CompareStringOrdinal(const std::wstring& a, const std::wstring& b,
                                      bool ignoreCase) {
    std::wstring x = ignoreCase ? OrdinalUpper(a) : a, y = ignoreCase ? OrdinalUpper(b) : b;
    return x < y ? -1 : x == y ? 0 : 1;
}

int FakeDesktop::FindStringOrdinal(const std::wstring& text, const std::wstring& part,
                                   bool ignoreCase) {
    std::size_t at = ignoreCase ? OrdinalUpper(text).find(OrdinalUpper(part)) : text.find(part);
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int FakeDesktop::lstrcmpW(const std::wstring& a, const std::wstring& b) {
    // Close enough to the word sort of the platform for the tests: letters compare without
    // regard to case first, then lower case before upper case.
    std::wstring la = Lower(a), lb = Lower(b);
    if (la != lb) return la < lb ? -1 : 1;
    if (a == b) return 0;
    return a > b ? -1 : 1;
}

std::string FakeDesktop::WideToAnsi(const std::wstring& text) {
    // Windows-1252 for the Latin-1 range; everything else becomes "?".
    std::string out;
    for (wchar_t c : text) {
        if (doubleByteCodePage) {
            if (c < 0x80) {
                out += static_cast<char>(c);
            } else if (c >= 0x100 && c < 0x8000) {
                out += static_cast<char>(0x80 | (c >> 8));
                out += static_cast<char>(c & 0xFF);
            } else {
                out += '?';
            }
            continue;
        }
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
            out += static_cast<char>(c);
        else if (c == 0x20AC)
            out += static_cast<char>(0x80);
        else
            out += '?';
    }
    return out;
}

std::wstring FakeDesktop::AnsiToWide(const std::string& bytes) {
    std::wstring out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (!doubleByteCodePage)
            out += (b == 0x80) ? wchar_t(0x20AC) : wchar_t(b);
        else if (b < 0x80)
            out += wchar_t(b);
        else if (i + 1 < bytes.size())
            out += static_cast<wchar_t>(((b & 0x7F) << 8) | static_cast<unsigned char>(bytes[++i]));
        else
            out += L'?';
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Shell

std::wstring FakeDesktop::SHGetSpecialFolderPathW(int csidl) {
    if (csidl != kCsidlAppData || !appDataAvailable) return {};
    std::wstring p = FromUtf8((m_root / "AppData").string());
    std::replace(p.begin(), p.end(), L'/', L'\\');
    return p;
}

void FakeDesktop::ShellExecuteW(const std::wstring& verb, const std::wstring& file,
                                const std::wstring& parameters, const std::wstring& directory,
                                int showCmd) {
    launches.push_back({verb, file, parameters, directory, showCmd});
}

IconHandle FakeDesktop::GetFileIcon(const std::wstring& path, bool) {
    if (pathsWithoutIcon.count(path)) return 0;
    return 0x5000 + (++iconsMade);
}

std::optional<std::wstring> FakeDesktop::GetOpenFileNameW(WindowHandle, const std::wstring&,
                                                          const std::wstring&) {
    return openFileAnswer;
}

// ---------------------------------------------------------------------------------------------
// Widget backend

namespace {
class FakeFormPeer : public IControlPeer {
public:
    FakeFormPeer(FakeDesktop& desktop, TForm& form) : m_desktop(desktop), m_form(form) {
        m_handle = desktop.AddWindow(form.Caption(), L"T" + FromUtf8(form.Name()),
                                     desktop.currentPid, form.Visible());
    }
    ~FakeFormPeer() override { m_desktop.DestroyWindow(m_handle); }
    void Sync(Prop what, int) override {
        if (!m_desktop.Has(m_handle)) return;
        FakeWindow& w = m_desktop.Window(m_handle);
        if (what == Prop::Text) w.title = m_form.Caption();
        if (what == Prop::Visible) {
            if (m_form.Visible())
                w.style |= kWsVisible;
            else
                w.style &= ~kWsVisible;
        }
    }
    WindowHandle Handle() const override { return m_handle; }

private:
    FakeDesktop& m_desktop;
    TForm& m_form;
    WindowHandle m_handle;
};
}  // namespace

namespace {
class RefusingImageListPeer : public TImageList::IPeer {
public:
    void Clear() override {}
    void AddIcon(IconHandle) override {}
    bool Recreate32Bit() override { return false; }
};

void RefuseImageLists(TControl& control) {
    if (auto* list = dynamic_cast<TListView*>(&control); list && list->smallImages)
        list->smallImages->AttachPeer(std::make_unique<RefusingImageListPeer>());
    for (TControl* child : control.Children()) RefuseImageLists(*child);
}
}  // namespace

void FakeWidgetBackend::Realize(TForm& form) {
    form.AttachPeer(std::make_unique<FakeFormPeer>(m_desktop, form));
    if (imageListsFail) RefuseImageLists(form);
}

bool FakeDesktop::EnumDisplaySettingsW(std::int32_t modeNumber, DisplayMode& mode) {
    if (modeNumber == kEnumCurrentSettings) {
        mode = currentMode;
        return true;
    }
    if (modeNumber < 0 || static_cast<std::size_t>(modeNumber) >= displayModes.size()) return false;
    mode = displayModes[modeNumber];
    return true;
}

std::int32_t FakeDesktop::ChangeDisplaySettingsW(const DisplayMode& mode, std::uint32_t flags) {
    displayChanges.emplace_back(mode, flags);
    currentMode = mode;
    return 0;
}

ModalResult FakeWidgetBackend::RunModal(TForm& form) {
    if (!modalResponder) return ModalResult::Cancel;
    return modalResponder(form);
}

// ---------------------------------------------------------------------------------------------
// Tray library

bool FakeDesktop::LoadTrayLibrary(const std::wstring& path) {
    trayLibraryLoads.push_back(path);
    return trayLibraryPresent;
}

void FakeDesktop::HideTray(std::int32_t what, const std::string& accessCode) {
    trayCalls.push_back("HideTray(" + std::to_string(what) + "," + accessCode + ")");
}

void FakeDesktop::RestoreTray() { trayCalls.push_back("RestoreTray"); }

}  // namespace nv::test
