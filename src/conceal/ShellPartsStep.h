// The shell parts the cycle conceals last and brings back first: the desktop icons, the taskbars
// (one per monitor) and the notification-area (tray) icons. The first two are shell windows hidden
// and shown with the single-window steps; the tray icons are left to nvatray.dll, bound from the
// program's own folder when the step is made. Without that library the tray icons are simply not
// touched.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "conceal/CycleContext.h"
#include "conceal/CycleStep.h"

namespace nv {

// The list view that shows the desktop icons ("SysListView32" "FolderView" under an untitled
// "SHELLDLL_DefView"), or 0. It lies under "Program Manager" (Windows 7 to 11 until the desktop
// is "raised" by a slideshow or a wallpaper program, and always from Windows 11 24H2 on), under
// a top-level untitled "WorkerW" (Windows 10 and 11 once raised) or under one of Program
// Manager's "WorkerW" children. Every place is searched on every version; the version only
// says which is tried first.
WindowHandle FindDesktopListView(IWindowManager& windows, const OsVersion& version);

// Whether the notification area keeps its icons as buttons of toolbars, which can be hidden one
// by one. The taskbar of Windows 11 from build 22621 on draws them itself: its toolbars hold no
// buttons. True where that cannot be told (no taskbar yet, a toolbar that does not answer).
bool TrayIconsHideOneByOne(IWindowManager& windows, const OsVersion& version);

// The code nvatray.dll asks for before it hides anything.
constexpr char kTrayAccessCode[] = "739402";

class TShellPartsStep final : public ICycleStep {
  public:
    // Binds programFolder\nvatray.dll.
    TShellPartsStep(Platform& platform, ICycleContext& context, const std::wstring& programFolder);

    // Hides what the options ask for: HideSpecialWindows.
    void Hide() override;
    // Puts back what the hide changed, whatever the options say by now: RestoreSpecialWindows.
    void Restore() override;

    bool TrayLibraryBound() const { return m_trayBound; }

    // The desktop icons and the taskbars this hide concealed, and the tray's icon toolbars that
    // were showing when the library was asked to hide them.
    void SaveTo(TRecoveryRecord& record) const override;
    // Shows the shell parts again as the restore does, and the recorded tray toolbars that are
    // still there and hidden: the library of the ended session took its knowledge with it.
    bool RecoverFrom(const TRecoveryRecord& record) override;

  private:
    // A shell window this step hid, with the extended style it had.
    struct THiddenPart {
        WindowHandle window = 0;
        std::uint32_t exStyle = 0;
    };
    void Conceal(WindowHandle window, std::optional<THiddenPart>& part);
    void Reveal(WindowHandle window, std::optional<THiddenPart>& part);
    // A tray toolbar and the run of the process it belonged to, so that a restarted Explorer's
    // toolbar under the same handle is never taken for it.
    struct TTrayToolbar {
        WindowHandle window = 0;
        ProcessId pid = 0;
        std::uint64_t created = 0;  // 0 when it cannot be read
    };
    // Shows the taskbars of further monitors that this step hid and that are still there.
    void RevealSecondaryTaskbars();
    WindowHandle FindTaskbar();
    // The notification area's icon toolbars that are showing now.
    std::vector<TTrayToolbar> ShowingTrayToolbars();

    Platform& m_platform;
    ICycleContext& m_context;
    bool m_trayBound = false;
    std::optional<THiddenPart> m_desktopIcons;
    std::optional<THiddenPart> m_taskbar;
    // One taskbar per further monitor ("Shell_SecondaryTrayWnd").
    std::vector<THiddenPart> m_secondaryTaskbars;
    // Set at the first tray hide and kept: every later restore asks the library to put back
    // what it hid (it puts back nothing when it hid nothing).
    bool m_trayHidden = false;
    // The toolbars that showed when the library last hid the tray, until the next restore.
    std::vector<TTrayToolbar> m_trayToolbars;
};

}  // namespace nv
