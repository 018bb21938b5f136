// The native widget backend: realises the portable control models as Win32 controls (common
// controls 6), runs the message loop and the modal loops, shows popup menus and help.
// This header stays free of <windows.h>.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "widgets/Controls.h"

namespace nv {

class Win32WidgetBackend final : public IWidgetBackend {
public:
    explicit Win32WidgetBackend(Platform& platform);
    ~Win32WidgetBackend() override;

    void Realize(TForm& form) override;
    void RealizeImageList(TImageList& list) override;
    void RealizeTimer(TTimer& timer) override;
    void RunMessageLoop() override;
    void PostQuit() override;
    ModalResult RunModal(TForm& form) override;
    void ShowPopupMenu(TPopupMenu& menu, int x, int y) override;
    void ShowHelp(const std::wstring& helpFile, int context) override;
    void RealizeDeferred() override;

private:
    void RealizeTree(TControl& control, WindowHandle parent, WindowHandle tooltip,
                     bool deferHiddenPages);
    void RealizeChildren(TControl& control, WindowHandle window, WindowHandle tooltip,
                         bool deferHiddenPages);

    Platform& m_platform;
};

}  // namespace nv
