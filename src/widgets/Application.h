// The application object: title, main form, termination, the focused control and the one
// boundary where errors that nothing else catches become the general error report.
#pragma once

#include <exception>
#include <functional>
#include <string>

#include "platform/Platform.h"
#include "widgets/Controls.h"

// <windows.h> turns MessageBox into MessageBoxW; files that include it first would otherwise
// rename the member below.
#ifdef MessageBox
#undef MessageBox
#endif

namespace nv {

class TApplication {
public:
    TApplication(IWindowManager& windows, IWidgetBackend& backend);
    ~TApplication();

    static TApplication* Current() { return s_current; }

    std::wstring title;
    unsigned hintHidePause = 2500;
    std::wstring helpFile;

    IWidgetBackend& Backend() { return m_backend; }
    IWindowManager& Windows() { return m_windows; }

    // Creates the form's native windows and runs its creation step through the error
    // boundary; the first form created becomes the main form.
    void CreateForm(TForm& form);
    TForm* MainForm() const { return m_mainForm; }
    // Realises and enables a timer.
    void CreateTimer(TTimer& timer);

    void Terminate();
    bool Terminated() const { return m_terminated; }
    // Runs the message loop until termination (returns at once when already terminated).
    void Run();

    // Every event from a peer, hotkey and timer runs through here: an exception that escapes
    // the handler becomes the general error report and the program goes on.
    void Dispatch(const std::function<void()>& handler);
    void ShowException(const std::exception& error);
    // The text the general error report shows: the error's text with a full stop appended when
    // its last character has a code above 46.
    static std::wstring ErrorReportText(const std::wstring& message);

    // A message box owned by the main form, with the application title as caption.
    MessageBoxResult MessageBox(const std::wstring& text, MessageBoxKind kind,
                                MessageBoxButtons buttons = MessageBoxButtons::Ok);

    TControl* FocusedControl() const { return m_focused; }
    // F1 on a form: help at the focused control's context when the control is on that form
    // and has one (its own or its nearest parent's), else at the form's.
    void ShowHelpFor(TForm& form);
    void SetFocusedControl(TControl* control);
    // A control is going away: forget it if it holds the focus.
    void ControlDestroyed(TControl* control);

private:
    static TApplication* s_current;
    IWindowManager& m_windows;
    IWidgetBackend& m_backend;
    TForm* m_mainForm = nullptr;
    TControl* m_focused = nullptr;
    bool m_terminated = false;
};

}  // namespace nv
