// The main window as the hide/restore cycle sees it: its options, lists and own window.
#pragma once

#include "conceal/CycleContext.h"

namespace nv {

class TMainForm;

class TMainWindowContext final : public ICycleContext {
  public:
    explicit TMainWindowContext(TMainForm& form) : m_form(form) {}

    bool Ready() override;
    bool Option(TCycleOption option) override;
    WindowHandle MainWindow() override;
    bool MainWindowVisible() override;
    std::wstring MainWindowTitle() override;
    void ToggleProgramWindow(bool ask) override;
    std::vector<const TWindowEntry*> DoNotHideEntries() override;
    const TWindowEntry* BringToTopEntry() override;
    TWindowInventory& Inventory() override;
    void RefreshAvailableWindows() override;
    void RetryStylesLater() override;
    void Tell(const std::wstring& text) override;

  private:
    TMainForm& m_form;
};

}  // namespace nv
