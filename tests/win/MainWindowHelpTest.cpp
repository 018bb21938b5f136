// The main window as the native peers build it: F1 pressed through the message loop opens the
// help of the focused control's page, and the hints are what its tooltip shows.
#include "WidgetTestSupport.h"  // <windows.h> first, which <commctrl.h> needs

#include <commctrl.h>
#include <gtest/gtest.h>

#include "platform/win32/Win32Platform.h"
#include "shell/Globals.h"
#include "ui/MainForm.h"
#include "widgets/win32/Win32Backend.h"

namespace {

using nvtest::Hwnd;
using nvtest::PumpPending;

class MainWindowHelp : public ::testing::Test {
  protected:
    void SetUp() override {
        app.CreateForm(form);
        form.Show();
        backend.RealizeDeferred();  // as the start does once the window shows
        PumpPending();
    }
    void TearDown() override { PumpPending(); }

    // F1 on a control, as the user presses it.
    int PressF1On(nv::TControl& control) {
        control.SetFocus();
        ::PostMessageW(Hwnd(control.Handle()), WM_KEYDOWN, VK_F1, 1);
        ::PostQuitMessage(0);
        backend.RunMessageLoop();
        return backend.contexts.empty() ? 0 : backend.contexts.back();
    }
    // The text the window's tooltip holds for a control.
    std::wstring TooltipText(nv::TControl& control) {
        std::pair<HWND, HWND> search(Hwnd(form.Handle()), nullptr);  // the form, its tooltip
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND h, LPARAM found) {
                auto* result = reinterpret_cast<std::pair<HWND, HWND>*>(found);
                wchar_t cls[64] = {};
                ::GetClassNameW(h, cls, 64);
                if (std::wstring(cls) != TOOLTIPS_CLASSW ||
                    ::GetWindow(h, GW_OWNER) != result->first)
                    return TRUE;
                result->second = h;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (!search.second) return L"(no tooltip)";
        wchar_t text[512] = {};
        TTTOOLINFOW info{};
        info.cbSize = sizeof(info);
        info.hwnd = search.first;
        info.uId = reinterpret_cast<UINT_PTR>(Hwnd(control.Handle()));
        info.lpszText = text;
        ::SendMessageW(search.second, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&info));
        return text;
    }

    nvtest::RecordingWindows windows;
    nv::Win32Platform os;
    nv::Platform platform = os.AsPlatform();
    nv::Win32WidgetBackend native{platform};
    nvtest::HelpRecordingBackend backend{native};
    nv::TApplication app{windows, backend};
    nv::TGlobals globals{platform};
    nv::TMainForm form{platform, app, globals};
};

TEST_F(MainWindowHelp, F1OpensTheFocusedControlsContextElseItsPagesElseTheWindows) {
    form.btnOptionsClick();
    form.btnSoundClick();
    PumpPending();
    EXPECT_EQ(PressF1On(form.sliderSelectedVolume), 1012);
    EXPECT_EQ(PressF1On(form.btnTestSound), 1012);
    // The Sound page's panel answers with the General context, as the program always has.
    EXPECT_EQ(PressF1On(form.cbModifyVolume), 1011);
    form.btnKeyaboardClick();
    PumpPending();
    EXPECT_EQ(PressF1On(form.cbLockWorkstation), 1013);
    EXPECT_EQ(PressF1On(form.btnMouseWinCtrl), 1014);
    form.btnDisplayClick();
    PumpPending();
    EXPECT_EQ(PressF1On(form.cbSwitchResolution), 1014);
    form.btnWindowsClick();
    PumpPending();
    EXPECT_EQ(PressF1On(form.AvailableWindowsList), 1001);
    EXPECT_EQ(PressF1On(form.btnTerminate), 1000);
}

TEST_F(MainWindowHelp, HintsAreWhatTheTooltipShows) {
    EXPECT_EQ(TooltipText(form.cbLockWorkstation),
              L"This feature is available only for Windows 2000/XP/NT systems");
    EXPECT_EQ(TooltipText(form.btnHide), L"Hide this window");
    EXPECT_EQ(TooltipText(form.cbHideTray), L"Hide the tray icons when the hot key is pressed");
    // A hint changed on screen is what the tooltip shows from then on.
    form.cbHideTray.SetHint(L"Tick Hide Taskbar instead");
    EXPECT_EQ(TooltipText(form.cbHideTray), L"Tick Hide Taskbar instead");
}

}  // namespace
