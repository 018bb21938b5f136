#include "triggers/MouseShortcut.h"

#include <algorithm>

#include "triggers/MouseShortcutForm.h"
#include "widgets/Dialogs.h"

namespace nv {

bool PointInCorner(IWindowManager& windows, std::uint8_t corner, std::int32_t zoneSize,
                   std::int32_t x, std::int32_t y) {
    // The corners of the monitor the pointer is on: with several, a corner of the primary
    // screen may lie between two of them, where the pointer passes but never rests.
    MonitorInfo monitor = windows.MonitorFromPoint(Point{x, y});
    const Rect& m = monitor.rect;
    // The zone is given in pixels at 96 dpi, so that it is as large to the eye on every monitor.
    const std::int64_t scaled = (static_cast<std::int64_t>(zoneSize) * monitor.dpi + 48) / 96;
    const auto s = static_cast<std::int32_t>(std::clamp<std::int64_t>(scaled, -100000, 100000));
    Rect zone;
    switch (corner) {
        case 0:
            zone = {m.left, m.top, m.left + s, m.top + s};
            break;
        case 1:
            zone = {m.right - s, m.top, m.right, m.top + s};
            break;
        case 2:
            zone = {m.left, m.bottom - s, m.left + s, m.bottom};
            break;
        case 3:
            zone = {m.right - s, m.bottom - s, m.right, m.bottom};
            break;
        default:
            return false;
    }
    return zone.left <= x && x < zone.right && zone.top <= y && y < zone.bottom;  // PtInRect
}

bool TMouseShortcutInfo::CheckHover(IWindowManager& windows, IKernel& kernel, std::int32_t x,
                                    std::int32_t y) {
    if (!PointInCorner(windows, Corner, ZoneSize, x, y)) {
        HoverStart = 0;
        return false;
    }
    std::uint32_t now = kernel.GetTickCount();
    if (HoverStart == 0) HoverStart = now;
    // Unsigned, so the wrap of the tick counter after 49.7 days changes nothing; compared as
    // signed 64-bit numbers, so a negative hover time is reached at once.
    std::uint32_t elapsed = now - HoverStart;
    return static_cast<std::int64_t>(HoverInterval) <= static_cast<std::int64_t>(elapsed);
}

bool TMouseShortcutInfo::EditShortcut(TApplication& app, IWindowManager& windows,
                                      const TForm& owner) {
    TMouseShortcutForm form;
    app.CreateForm(form);
    form.edHoverInterval.SetValue(HoverInterval);
    form.edZoneSize.SetValue(ZoneSize);
    form.SelectCorner(nullptr);
    if (TCheckBox* box = form.CornerBox(Corner)) box->SetCheckedSilently(true);
    CenterFormOver(windows, owner, form);
    if (form.ShowModal() != ModalResult::Ok) return false;
    HoverInterval = form.edHoverInterval.Value();
    ZoneSize = form.edZoneSize.Value();
    if (auto corner = form.TickedCorner()) Corner = *corner;
    return true;
}

void TMouseCorners::MouseTimerTimer() {
    if (!m_owner.ready()) return;
    bool hideOn = m_owner.hideOn(), saverOn = m_owner.saverOn();
    // With both shortcuts off there is nothing to look at: the tick costs nothing.
    if (!hideOn && !saverOn) return;
    if (m_owner.locked()) return;
    if (hideOn) {
        Point p = m_owner.windows.GetCursorPos();
        TMouseShortcutInfo& s = m_owner.hideShortcut;
        // In hidden mode the hover stays due: a restore with the pointer still in the corner
        // hides again at the next tick.
        if (s.CheckHover(m_owner.windows, m_owner.kernel, p.x, p.y) && !m_owner.isHiddenMode()) {
            m_owner.hide();
            s.HoverStart = 0;
        }
    }
    if (m_owner.saverOn()) {
        Point p = m_owner.windows.GetCursorPos();
        TMouseShortcutInfo& s = m_owner.saverShortcut;
        if (s.CheckHover(m_owner.windows, m_owner.kernel, p.x, p.y)) {
            m_owner.startScreenSaver();
            s.HoverStart = 0;
        }
    }
}

}  // namespace nv
