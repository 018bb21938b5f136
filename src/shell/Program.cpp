#include "shell/Program.h"

#include "display/ConfirmationForm.h"
#include "ui/FormKeyboardLayour.h"
#include "shell/Globals.h"
#include "shell/WindowsVersion.h"
#include "ui/Links.h"
#include "ui/MainForm.h"

namespace nv {

TProgram::TProgram(Platform& platform, IWidgetBackend& backend)
    : m_platform(platform), m_backend(backend) {
    m_globals = std::make_unique<TGlobals>(platform);
    m_app = std::make_unique<TApplication>(platform.windows, backend);
    m_app->title = m_globals->applicationTitle;
}

TProgram::~TProgram() { Finish(); }

bool TProgram::IsQuietSwitch(const std::wstring& firstArgument) {
    if (firstArgument.size() != 2) return false;
    wchar_t q = firstArgument[1];
    return firstArgument[0] == L'/' && (q == L'q' || q == L'Q');
}

bool TProgram::IsRestoreSwitch(const std::wstring& firstArgument) {
    static const std::wstring kSwitch = L"/restore";
    if (firstArgument.size() != kSwitch.size()) return false;
    for (std::size_t i = 0; i < kSwitch.size(); ++i) {
        wchar_t c = firstArgument[i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');  // ASCII only
        if (c != kSwitch[i]) return false;
    }
    return true;
}

void TProgram::AskRunningToRestore() {
    IWindowManager& windows = m_platform.windows;
    std::uint32_t message = windows.RegisterWindowMessageW(kRestoreRequestMessage);
    if (message == 0) return;
    for (WindowHandle main = windows.FindWindowExW(0, 0, L"TMainForm", std::nullopt); main != 0;
         main = windows.FindWindowExW(0, main, L"TMainForm", std::nullopt))
        windows.PostMessageW(main, message, 0, 0);
}

bool TProgram::Start() {
    // 1. The version gate, before anything else exists.
    TWindowsVersion gate(m_platform);
    if (gate.IsWindowsVersionUnsupported()) {
        m_platform.windows.MessageBoxW(0, gate.RefusalMessage(), m_app->title,
                                       MessageBoxKind::Plain, MessageBoxButtons::Ok);
        OpenHomePage(m_platform.shell);
        m_app->Terminate();
        return false;
    }

    // "/restore": the windows back, from the Nivora that runs or from the record, and no stay.
    const std::vector<std::wstring> switches = m_platform.kernel.GetCommandLineArgs();
    const bool restoreOnly = !switches.empty() && IsRestoreSwitch(switches[0]);

    // 2. One instance per session. A mutex that cannot be made at all does not stop the start.
    if (m_platform.kernel.CreateMutexW(L"NivoraMutex") == MutexResult::AlreadyExists) {
        if (restoreOnly) {
            AskRunningToRestore();
            m_app->Terminate();
            return false;
        }
        m_platform.windows.MessageBoxW(0, L"This application is already started!", m_app->title,
                                       MessageBoxKind::Warning, MessageBoxButtons::Ok);
        m_app->Terminate();
        return false;
    }

    // 3. COM for the user-interface thread; the ready flag stays down until the loop.
    m_comInitialized = m_platform.wmi.CoInitialize();
    m_globals->ready = false;

    // 4. The windows. The main window's creation step runs here. Its pages not shown and the
    // dialogs are made once it shows (step 8), the password dialogs now when the start asks
    // for the password.
    m_mainForm = std::make_unique<TMainForm>(m_platform, *m_app, *m_globals);
    m_mainForm->closeMessage = kEndRequestMessage;
    m_mainForm->requests.push_back(
        {kRestoreRequestMessage, [this] { m_mainForm->RestoreRequested(); }});
    m_app->CreateForm(*m_mainForm);
    const bool asksPassword = !m_globals->applicationPassword.empty();
    if (asksPassword) m_mainForm->programWindow.CreateForms();
    // What a previous session left hidden comes back before anything else happens.
    m_app->Dispatch([&] { m_mainForm->RecoverPreviousSession(); });
    // That was all "/restore" came for: it ends with no hotkey taken and nothing saved.
    if (restoreOnly) {
        m_showMainWindow = false;
        m_app->Terminate();
        return false;
    }

    // 5. "/Q" keeps the window hidden.
    std::vector<std::wstring> args = m_platform.kernel.GetCommandLineArgs();
    m_showMainWindow = !(args.size() >= 1 && IsQuietSwitch(args[0]));

    // 6. The password, when one is set. Cancelling requests the end of the program; start-up
    // still runs to its end and the message loop then ends at once.
    if (!m_globals->applicationPassword.empty()) m_mainForm->programWindow.StartupPasswordCheck();

    // 7. The hotkeys; a failure shows the window on the Shortcuts page.
    if (!m_mainForm->AssignAllShortcuts()) {
        m_showMainWindow = true;
        m_mainForm->ShowShortcutsPage();
        m_mainForm->Show();
    }

    // 8. Ready. What the window shows first is on screen before the rest is made.
    if (m_showMainWindow && !m_app->Terminated()) m_mainForm->Show();
    m_backend.RealizeDeferred();
    m_app->CreateForm(*m_mainForm->ConfirmationForm);
    m_app->CreateForm(*m_mainForm->FormKeyboardLayour);
    if (!asksPassword) m_mainForm->programWindow.CreateForms();
    m_globals->ready = true;
    return true;
}

void TProgram::Loop() { m_app->Run(); }

void TProgram::Finish() {
    if (m_finished) return;
    m_finished = true;
    if (m_mainForm) {
        m_app->Dispatch([&] { m_mainForm->Destroying(); });
        m_mainForm.reset();
    }
    if (m_comInitialized) m_platform.wmi.CoUninitialize();
    m_comInitialized = false;
}

void TProgram::RestoreAfterCrash() noexcept {
    try {
        if (m_mainForm) m_mainForm->RestoreEverything();
    } catch (...) {
        // What could not be put back stays in the recovery record for the next start.
    }
}

int TProgram::Run() {
    if (Start()) Loop();
    Finish();
    return 0;
}

}  // namespace nv
