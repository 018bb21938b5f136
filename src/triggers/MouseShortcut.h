// The two mouse corner shortcuts: resting the pointer in a corner of the monitor it is on hides
// the windows or starts the screen saver. The main window polls the pointer every 500 ms.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/Platform.h"
#include "widgets/Application.h"
#include "widgets/Controls.h"

namespace nv {

// One mouse corner shortcut: zone size in pixels, hover time in milliseconds, the corner
// (0 top left, 1 top right, 2 bottom left, 3 bottom right) and the tick the hover began (0: the
// pointer is not hovering). Whether the shortcut is on is the down state of its button.
class TMouseShortcutInfo {
public:
    TMouseShortcutInfo() = default;
    TMouseShortcutInfo(std::int32_t zoneSize, std::int32_t hoverInterval, std::uint8_t corner)
        : ZoneSize(zoneSize), HoverInterval(hoverInterval), Corner(corner) {}

    std::int32_t ZoneSize = 20;
    std::int32_t HoverInterval = 500;
    std::uint8_t Corner = 0;
    std::uint32_t HoverStart = 0;

    // Shows the shortcut's dialog over the owner; true when the user confirmed, and the
    // shortcut then holds the values shown. The hover state is left alone.
    bool EditShortcut(TApplication& app, IWindowManager& windows, const TForm& owner);
    // One polling step with the pointer at (x, y): true once the pointer has stayed in the zone
    // for the hover time. The caller clears HoverStart when it fires.
    bool CheckHover(IWindowManager& windows, IKernel& kernel, std::int32_t x, std::int32_t y);
};

// Whether the point lies in that corner's square zone of the monitor it is on (the nearest one
// when it is on none), the zone's side scaled from 96 dpi to that monitor's. A zone of 0 pixels
// holds no point, and neither does a corner other than 0 to 3 (only an edited settings file can
// hold one).
bool PointInCorner(IWindowManager& windows, std::uint8_t corner, std::int32_t zoneSize,
                   std::int32_t x, std::int32_t y);

// The main window's 500 ms poll of the two corners.
class TMouseCorners {
public:
    struct TOwner {
        IWindowManager& windows;
        IKernel& kernel;
        TMouseShortcutInfo& hideShortcut;
        TMouseShortcutInfo& saverShortcut;
        std::function<bool()> ready;         // start-up has finished
        std::function<bool()> locked;        // the workstation is locked
        std::function<bool()> hideOn;        // btnMouseWinCtrl is down
        std::function<bool()> saverOn;       // btnMouseSSaverCtrl is down
        std::function<bool()> isHiddenMode;
        std::function<void()> hide;          // the click of btnHideAll
        std::function<void()> startScreenSaver;
    };
    explicit TMouseCorners(TOwner owner) : m_owner(std::move(owner)) {}

    void MouseTimerTimer();

private:
    TOwner m_owner;
};

}  // namespace nv
