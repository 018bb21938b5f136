// The window inventory: which top-level windows count as visible, and how each is described
// (title, program path, extended style). Used by the visible-windows list, the hide direction of
// the cycle and the hide of a newly created window.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "inventory/WinInfo.h"
#include "platform/Platform.h"

namespace nv {

class TListView;
class TImageList;

class TWindowInventory {
public:
    // mainWindow is read each time a window is offered: the main window is never listed.
    TWindowInventory(Platform& platform, std::function<WindowHandle()> mainWindow);

    // Every top-level window in Z order, topmost first, that passes the filter.
    std::vector<std::unique_ptr<TWinInfo>> ListWindows(bool visibleOnly);
    // One window: its record when it passes the filter, else null.
    std::unique_ptr<TWinInfo> AddWindowToList(WindowHandle window, bool visibleOnly);

    // Empties the list view and appends one item per listed window (caption: program name;
    // first sub-item: title; data: the record).
    void FillWindowList(TListView& list, bool visibleOnly);
    // Rebuilds the image list with one icon per item, in item order.
    void RefreshWindowIcons(TListView& list, TImageList& images);

    std::wstring GetWindowProgramPath(WindowHandle window);
    // \Device\HarddiskVolume3\dir\file.exe -> C:\dir\file.exe; unchanged when no drive maps.
    std::wstring DevicePathToDrivePath(const std::wstring& devicePath);

private:
    Platform& m_platform;
    std::function<WindowHandle()> m_mainWindow;
    // What one listing looks up once and shares among its windows: drive letter -> device,
    // and program path by process. Null outside a listing.
    struct Listing {
        std::map<std::wstring, std::wstring> drives;
        std::map<ProcessId, std::wstring> paths;
    };
    Listing* m_listing = nullptr;
};

// Appends one item for a record to a list view showing windows (program name, title).
void AppendWindowItem(TListView& list, std::unique_ptr<TWinInfo> info);

}  // namespace nv
