#include "triggers/MouseShortcut.h"

#include "triggers/MouseShortcutForm.h"
#include "widgets/Dialogs.h"

namespace nv {

bool PointInCorner(IWindowManager& windows, std::uint8_t corner, std::int32_t zoneSize,
                   std::int32_t x, std::int32_t y) {
    Rect screen = windows.GetPrimaryScreenRect();
    std::int32_t w = screen.Width(), h = screen.Height(), s = zoneSize;
    Rect zone;
    switch (corner) {
        case 0:
            zone = {0, 0, s, s};
            break;
        case 1:
            zone = {w - s, 0, w, s};
            break;
        case 2:
            zone = {0, h - s, s, h};
            break;
        case 3:
            zone = {w - s, h - s, w, h};
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
