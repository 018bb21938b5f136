// Hide when idle: once no key has been pressed and the mouse has not moved for the chosen
// number of minutes, the windows are hidden as the hotkey hides them. The restore stays with the
// hotkey. Its timer is set for the moment the idle time will be reached, never polled faster.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/Platform.h"
#include "widgets/Controls.h"

namespace nv {

// The range of "Hide windows when idle for" and its default, in minutes.
constexpr int kMinIdleMinutes = 1;
constexpr int kMaxIdleMinutes = 240;
constexpr int kDefaultIdleMinutes = 5;

class TIdleHide {
  public:
    struct TOwner {
        IWindowManager& windows;
        IKernel& kernel;
        TTimer& timer;                   // the main window's IdleTimer
        std::function<bool()> ready;     // start-up has finished
        std::function<bool()> enabled;   // "Hide windows when idle for" is ticked
        std::function<int()> minutes;    // its minutes
        std::function<bool()> isHiddenMode;
        std::function<void()> hide;      // the click of btnHideAll
    };
    // Idle time counts from now at the earliest: the program has just started.
    explicit TIdleHide(TOwner owner);

    // The box was ticked or the minutes changed: idle time counts from now at the earliest
    // (the user has just been at the window anyway), and the timer is set again.
    void OptionChanged();
    // The cycle has run: in hidden mode the timer rests; out of it, idle time counts from now
    // at the earliest, as hidden time is nobody's idle time.
    void HiddenModeChanged();
    // The timer: hides once the idle time is reached, else sets itself for when it will be.
    void IdleTimerTimer();

  private:
    // Looks at the idle time now and sets the timer (or stops it) accordingly.
    void Schedule();
    void SetTimer(std::uint32_t ms);

    TOwner m_owner;
    // Idle time counts from this tick at the earliest.
    std::uint32_t m_since;
    // The tick of this trigger's last hide: input from before it does not count again, so an
    // idle hide fires again only after new input and another idle period.
    std::optional<std::uint32_t> m_firedAt;
};

}  // namespace nv
