#include "triggers/IdleHide.h"

#include <algorithm>

namespace nv {

TIdleHide::TIdleHide(TOwner owner)
    : m_owner(std::move(owner)), m_since(m_owner.kernel.GetTickCount()) {}

void TIdleHide::OptionChanged() {
    m_since = m_owner.kernel.GetTickCount();
    Schedule();
}

void TIdleHide::HiddenModeChanged() {
    if (!m_owner.isHiddenMode()) m_since = m_owner.kernel.GetTickCount();
    Schedule();
}

void TIdleHide::IdleTimerTimer() { Schedule(); }

void TIdleHide::SetTimer(std::uint32_t ms) {
    TTimer& timer = m_owner.timer;
    timer.SetEnabled(false);
    timer.interval = std::max<std::uint32_t>(ms, 1);
    timer.SetEnabled(true);
}

// Every time is an age counted back from now in unsigned 32-bit ticks, so the wrap of the tick
// counter after 49.7 days changes nothing. A session that has had no input reports its last
// input at tick 0, which is no input at all (after a wrap it would look recent): the start of
// the program, or the box ticked, is then the only time to count from.
void TIdleHide::Schedule() {
    if (!m_owner.enabled() || m_owner.isHiddenMode()) {
        m_owner.timer.SetEnabled(false);
        return;
    }
    const std::uint32_t now = m_owner.kernel.GetTickCount();
    const std::uint32_t lastInput = m_owner.windows.GetLastInputInfo();
    const bool anyInput = lastInput != 0;
    const std::uint32_t inputAge = now - lastInput, sinceAge = now - m_since;
    const auto minutes =
        static_cast<std::uint32_t>(std::clamp(m_owner.minutes(), kMinIdleMinutes, kMaxIdleMinutes));
    const std::uint32_t period = minutes * 60000u;
    if (m_firedAt) {
        // No input since this trigger hid (the input before it was a period older): look again
        // a period later, when any input that comes meanwhile is at most a period old, so the
        // hide after it is not late.
        if (!anyInput || inputAge > now - *m_firedAt) return SetTimer(period);
        m_firedAt.reset();
    }
    const std::uint32_t idle = anyInput ? std::min(inputAge, sinceAge) : sinceAge;
    if (idle < period) return SetTimer(period - idle);
    // Due while a start-up message is still open: once start-up has finished.
    if (!m_owner.ready()) return SetTimer(1000);
    m_firedAt = now;
    m_owner.timer.SetEnabled(false);
    m_owner.hide();  // the cycle tells HiddenModeChanged when it has run
}

}  // namespace nv
