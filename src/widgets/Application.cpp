#include "widgets/Application.h"

namespace nv {

TApplication* TApplication::s_current = nullptr;

TApplication::TApplication(IWindowManager& windows, IWidgetBackend& backend)
    : m_windows(windows), m_backend(backend) {
    s_current = this;
}

TApplication::~TApplication() {
    if (s_current == this) s_current = nullptr;
}

void TApplication::CreateForm(TForm& form) {
    if (!m_mainForm) m_mainForm = &form;
    m_backend.Realize(form);
    // The creation step is an event like any other: an error in it is reported, not fatal.
    if (form.OnCreate) Dispatch(form.OnCreate);
}

void TApplication::CreateTimer(TTimer& timer) { m_backend.RealizeTimer(timer); }

void TApplication::Terminate() {
    if (m_terminated) return;
    m_terminated = true;
    m_backend.PostQuit();
}

void TApplication::Run() {
    if (m_terminated) return;
    m_backend.RunMessageLoop();
}

void TApplication::Dispatch(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowException(error);
    }
}

std::wstring TApplication::ErrorReportText(const std::wstring& message) {
    std::wstring text = message;
    if (!text.empty() && static_cast<unsigned>(text.back()) > 46) text += L'.';
    return text;
}

void TApplication::ShowException(const std::exception& error) {
    m_windows.MessageBoxW(m_mainForm ? m_mainForm->Handle() : 0,
                          ErrorReportText(FromUtf8(error.what())), title, MessageBoxKind::Error,
                          MessageBoxButtons::Ok);
}

MessageBoxResult TApplication::MessageBox(const std::wstring& text, MessageBoxKind kind,
                                          MessageBoxButtons buttons) {
    return m_windows.MessageBoxW(m_mainForm ? m_mainForm->Handle() : 0, text, title, kind, buttons);
}

void TApplication::SetFocusedControl(TControl* control) { m_focused = control; }

void TApplication::ShowHelpFor(TForm& form) {
    int context = form.EffectiveHelpContext();
    if (TControl* c = m_focused) {
        const TControl* root = c;
        while (root->Parent()) root = root->Parent();
        if (root == &form && c->EffectiveHelpContext() != 0) context = c->EffectiveHelpContext();
    }
    m_backend.ShowHelp(form.helpFile.empty() ? helpFile : form.helpFile, context);
}

void TApplication::ControlDestroyed(TControl* control) {
    if (m_focused == control) m_focused = nullptr;
    if (m_mainForm == control) m_mainForm = nullptr;
}

}  // namespace nv
