// What the hide/restore cycle needs of the main window, and nothing more: its options, its two
// lists, its own window and the visible-windows list to refresh.
#pragma once

#include <string>
#include <vector>

#include "inventory/WindowEntry.h"
#include "platform/Platform.h"

namespace nv {

class TWindowInventory;

// The check boxes the cycle's own steps read at the moment they run.
enum class TCycleOption {
    CloseActiveWindow,
    HideDesktop,
    HideTaskbar,
    HideTray,
    HideWallpaper,
};

class ICycleContext {
  public:
    virtual ~ICycleContext() = default;
    // False until start-up has finished: the cycle does nothing before.
    virtual bool Ready() = 0;
    virtual bool Option(TCycleOption option) = 0;
    // The main window: the inventory never lists it, the cycle hides and shows it through the
    // program-window toggle.
    virtual WindowHandle MainWindow() = 0;
    virtual bool MainWindowVisible() = 0;
    virtual std::wstring MainWindowTitle() = 0;
    virtual void ToggleProgramWindow(bool ask) = 0;
    // The Do-not-hide entries in list order, and the Bring-to-top entry (null when none).
    virtual std::vector<const TWindowEntry*> DoNotHideEntries() = 0;
    virtual const TWindowEntry* BringToTopEntry() = 0;
    virtual TWindowInventory& Inventory() = 0;
    virtual void RefreshAvailableWindows() = 0;
    // Asks for RetryExtendedStyles on the cycle a little later, until it says nothing is left.
    virtual void RetryStylesLater() = 0;
    // Tells the user something they should know, in a warning box over the main window.
    virtual void Tell(const std::wstring& text) = 0;
};

}  // namespace nv
