#include "ui/MainWindowContext.h"

#include "shell/Globals.h"
#include "ui/MainForm.h"
#include "widgets/Dialogs.h"

namespace nv {

namespace {
const TWindowEntry* EntryOf(const TListItem& item) {
    return dynamic_cast<const TWindowEntry*>(item.Data());
}
}  // namespace

bool TMainWindowContext::Ready() { return m_form.globals.ready; }

bool TMainWindowContext::Option(TCycleOption option) {
    switch (option) {
        case TCycleOption::CloseActiveWindow:
            return m_form.cbCloseActiveWindow.Checked();
        case TCycleOption::HideDesktop:
            return m_form.cbHideDeskTop.Checked();
        case TCycleOption::HideTaskbar:
            return m_form.cbHideTaskBar.Checked();
        case TCycleOption::HideTray:
            return m_form.cbHideTray.Checked();
        case TCycleOption::HideWallpaper:
            return m_form.cbHideWallapaper.Checked();
    }
    return false;
}

WindowHandle TMainWindowContext::MainWindow() { return m_form.Handle(); }
bool TMainWindowContext::MainWindowVisible() { return m_form.Visible(); }
std::wstring TMainWindowContext::MainWindowTitle() { return m_form.Caption(); }
void TMainWindowContext::ToggleProgramWindow(bool ask) { m_form.ToggleProgramWindow(ask); }

std::vector<const TWindowEntry*> TMainWindowContext::DoNotHideEntries() {
    std::vector<const TWindowEntry*> entries;
    for (int i = 0; i < m_form.ExcludeList.Count(); ++i)
        if (const TWindowEntry* entry = EntryOf(m_form.ExcludeList.Item(i)))
            entries.push_back(entry);
    return entries;
}

const TWindowEntry* TMainWindowContext::BringToTopEntry() {
    return m_form.BringToTopList.Count() > 0 ? EntryOf(m_form.BringToTopList.Item(0)) : nullptr;
}

TWindowInventory& TMainWindowContext::Inventory() { return *m_form.inventory; }
void TMainWindowContext::RefreshAvailableWindows() { m_form.RefreshAvailableWindows(); }
void TMainWindowContext::RetryStylesLater() { m_form.StyleRetryTimer.SetEnabled(true); }
void TMainWindowContext::Tell(const std::wstring& text) {
    ShowMessageDialog(m_form.app, text, MessageBoxKind::Warning);
}

}  // namespace nv
