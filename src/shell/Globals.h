// Program-wide state built before the main block runs: the paths, the application title, the
// application password, the two mouse corner shortcuts and the ready flag.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"
#include "triggers/MouseShortcut.h"

namespace nv {

class TGlobals {
public:
    // Builds the paths and creates the data folder (a failure is ignored).
    explicit TGlobals(Platform& platform);

    std::wstring dataFolder;        // ...\AppData\Roaming\Talvern\NVA\ (trailing backslash)
    std::wstring programFolder;     // folder of the executable, no trailing backslash
    std::wstring helpFilePath;      // programFolder + "\Help.chm"
    std::wstring excludeListFile;   // dataFolder + "ExList.Dat"
    std::wstring bringToTopFile;    // dataFolder + "BttList.Dat"
    std::wstring settingsFile;      // dataFolder + "nva.dat"
    std::wstring recoveryFile;      // dataFolder + "Recovery.dat": what a hide has changed
    std::wstring damagedRecoveryFile;  // dataFolder + "Recovery.damaged": one set aside
    std::wstring applicationTitle = L"NV";
    std::wstring applicationPassword;
    TMouseShortcutInfo hideCornerShortcut;
    TMouseShortcutInfo screenSaverCornerShortcut{20, 500, 1};
    bool ready = false;
};

// GetSpecialFolderPath: the folder with a trailing backslash, or empty when not available.
std::wstring GetSpecialFolderPath(IShell& shell, int csidl);

}  // namespace nv
