#include "inventory/WindowInventory.h"

#include "shell/Globals.h"
#include "widgets/Controls.h"

namespace nv {

namespace {

constexpr std::uint32_t kPlatformWin32Nt = 2;

std::wstring TrimControlChars(const std::wstring& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && text[first] <= 32) ++first;
    while (last > first && text[last - 1] <= 32) --last;
    return text.substr(first, last - first);
}

wchar_t UpperAscii(wchar_t c) { return (c >= L'a' && c <= L'z') ? wchar_t(c - 32) : c; }

// Device names are compared without regard to the case of the letters A-Z only.
bool SameDevice(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return true;
}

bool CloakedOffScreen(std::uint32_t cloaked) {
    if (cloaked == 0) return false;
    return (cloaked & kCloakedApp) || !(cloaked & kCloakedShell);
}

std::map<std::wstring, std::wstring> BuildDriveMap(IKernel& kernel) {
    std::map<std::wstring, std::wstring> drives;
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        std::wstring drive{letter, L':'};
        std::wstring device = kernel.QueryDosDeviceW(drive);
        if (!device.empty()) drives.emplace(drive, device);
    }
    return drives;
}

}  // namespace

TWindowInventory::TWindowInventory(Platform& platform, std::function<WindowHandle()> mainWindow)
    : m_platform(platform), m_mainWindow(std::move(mainWindow)) {}

std::vector<std::unique_ptr<TWinInfo>> TWindowInventory::ListWindows(bool visibleOnly) {
    // Asking every drive letter for its device costs far more than reading an image name, so
    // the map is built once here and serves every window of the walk.
    Listing listing{BuildDriveMap(m_platform.kernel), {}};
    m_listing = &listing;
    std::vector<std::unique_ptr<TWinInfo>> windows;
    IWindowManager& wm = m_platform.windows;
    try {
        for (WindowHandle h = wm.GetTopWindow(); h != 0; h = wm.GetNextWindow(h)) {
            if (auto info = AddWindowToList(h, visibleOnly)) windows.push_back(std::move(info));
        }
    } catch (...) {
        m_listing = nullptr;
        throw;
    }
    m_listing = nullptr;
    return windows;
}

std::unique_ptr<TWinInfo> TWindowInventory::AddWindowToList(WindowHandle window, bool visibleOnly) {
    IWindowManager& wm = m_platform.windows;
    std::wstring title = TrimControlChars(wm.InternalGetWindowText(window, 10000));
    // The class matters only for an untitled window or a "Start" one, so a titled window is
    // spared the call.
    std::wstring className;
    if (title.empty() || title == L"Start")
        className = TrimControlChars(wm.GetClassNameW(window, 10000));
    WindowStyles info;
    if (!wm.GetWindowStyles(window, info)) info = WindowStyles{};

    bool listed = !visibleOnly || (info.style & kWsVisible) != 0;
    // Untitled windows are left out, except the one class that is listed even when invisible.
    if (title.empty()) listed = className == L"Afx:00400000:8";
    if (title == L"Start" && className == L"Button") listed = false;
    if (title == L"Program Manager") listed = false;
    if (title == L"Windows Security") listed = false;
    WindowHandle mainWindow = m_mainWindow ? m_mainWindow() : 0;
    if (mainWindow != 0 && window == mainWindow) listed = false;
    if (!listed) return nullptr;
    // Windows that DWM keeps off screen still count as visible. Those cloaked by their own
    // program, or through their owner, are not the user's to see (Start, Search, suspended
    // apps) and are left out; those the shell keeps on another virtual desktop are listed, so
    // that they are hidden with the rest and switching desktops while hidden shows nothing.
    if (visibleOnly && CloakedOffScreen(wm.DwmGetWindowCloaked(window))) return nullptr;

    auto record = std::make_unique<TWinInfo>();
    record->handle = window;
    record->title = title;
    record->programPath = GetWindowProgramPath(window);
    record->savedExStyle = info.exStyle;
    return record;
}

void TWindowInventory::FillWindowList(TListView& list, bool visibleOnly) {
    auto windows = ListWindows(visibleOnly);
    list.BeginUpdate();
    list.Clear();
    for (auto& info : windows) AppendWindowItem(list, std::move(info));
    list.EndUpdate();
}

void TWindowInventory::RefreshWindowIcons(TListView& list, TImageList& images) {
    images.Clear();
    // The shell's icon goes by the path alone: the windows of one program share one lookup and
    // one image.
    std::map<std::wstring, int> imageOf;
    list.BeginUpdate();
    for (int i = 0; i < list.Count(); ++i) {
        TListItem& item = list.Item(i);
        const auto* info = dynamic_cast<const TWinInfo*>(item.Data());
        std::wstring path = info ? info->programPath : L"";
        auto found = imageOf.find(path);
        if (found == imageOf.end()) {
            IconHandle icon = m_platform.shell.GetFileIcon(path, true);
            // A missing icon still takes a slot (an empty image), which its program's rows use.
            found = imageOf.emplace(path, images.AddIcon(icon)).first;
            if (icon != 0) m_platform.shell.DestroyIcon(icon);
        }
        item.SetImageIndex(found->second);
    }
    list.EndUpdate();
}

std::wstring TWindowInventory::GetWindowProgramPath(WindowHandle window) {
    // Only the NT family is served: the older consumer family never runs this program.
    if (m_platform.kernel.GetVersionExW().platformId != kPlatformWin32Nt) return {};
    ProcessId pid = m_platform.windows.GetWindowThreadProcessId(window);
    if (pid == 0) return {};
    if (m_listing) {
        auto known = m_listing->paths.find(pid);
        if (known != m_listing->paths.end()) return known->second;
    }
    // The process is opened by its id directly, so no process is missed however many run.
    std::wstring image = m_platform.kernel.GetProcessImageFileNameW(pid);
    // Kept whole however long: the program is long-path aware, and a path cut short would name
    // a program that does not exist.
    std::wstring path = image.empty() ? image : DevicePathToDrivePath(image);
    if (m_listing) m_listing->paths.emplace(pid, path);
    return path;
}

std::wstring TWindowInventory::DevicePathToDrivePath(const std::wstring& devicePath) {
    // \Device\HarddiskVolume3\dir\file.exe: the device part ends before the third backslash.
    if (devicePath.size() < 2) return devicePath;
    std::size_t second = devicePath.find(L'\\', 1);
    if (second == std::wstring::npos) return devicePath;
    std::size_t third = devicePath.find(L'\\', second + 1);
    if (third == std::wstring::npos) return devicePath;
    std::wstring device = devicePath.substr(0, third);
    std::wstring rest = devicePath.substr(third);

    std::map<std::wstring, std::wstring> ownMap;
    if (!m_listing) ownMap = BuildDriveMap(m_platform.kernel);
    for (const auto& [drive, mapped] : m_listing ? m_listing->drives : ownMap)  // "A:" to "Z:"
        if (SameDevice(mapped, device)) return drive + rest;
    return devicePath;
}

void AppendWindowItem(TListView& list, std::unique_ptr<TWinInfo> info) {
    std::wstring caption = ExtractFileName(info->programPath);
    std::wstring title = info->title;
    TListItem& item = list.Add();
    item.SetData(std::move(info));
    // Setting the caption re-sorts a sorted list; the item itself stays the same object.
    item.SetCaption(caption);
    item.AddSubItem(title);
}

}  // namespace nv
