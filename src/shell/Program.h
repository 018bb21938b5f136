// The program's main block, portable so a test can run start-up, events and shut-down against
// the in-memory desktop.
#pragma once

#include <memory>

#include "platform/Platform.h"
#include "widgets/Application.h"

namespace nv {

class TGlobals;
class TMainForm;
class TWindowsVersion;

// The registered window message by which another program (the setup, the uninstaller) asks a
// running Nivora to end: posted to the main window, found by its class "TMainForm", it closes
// that window as "Terminate" does once the user has said Yes, so the lists and settings are
// saved and everything still hidden comes back before the process ends.
inline constexpr wchar_t kEndRequestMessage[] = L"NivoraTerminate";
// The registered window message by which "Nivora.exe /restore" asks a running Nivora to bring
// back everything hidden, as the hide/restore hotkey does; found the same way.
inline constexpr wchar_t kRestoreRequestMessage[] = L"NivoraRestore";

class TProgram {
public:
    TProgram(Platform& platform, IWidgetBackend& backend);
    ~TProgram();

    // Steps 1 to 8 of the main block. Returns false when the program ends before the message
    // loop (refused version, second instance).
    bool Start();
    // Runs the message loop until the application terminates.
    void Loop();
    // Destroys the windows (running the main window's destroy step). Safe to call twice.
    void Finish();
    // Start, Loop, Finish.
    int Run();
    // The last chance of a program that is about to end by a fault of its own: puts back
    // everything still hidden, and nothing else. Raises nothing.
    void RestoreAfterCrash() noexcept;

    TApplication& App() { return *m_app; }
    TGlobals& Globals() { return *m_globals; }
    TMainForm* MainForm() { return m_mainForm.get(); }
    // The main window is to be shown when the loop starts (no "/Q").
    bool ShowMainWindow() const { return m_showMainWindow; }

    // Whether the first argument asks for a silent start: "/Q" in any letter case, exactly.
    static bool IsQuietSwitch(const std::wstring& firstArgument);
    // Whether it asks for the windows back and no stay: "/restore" in any letter case, exactly.
    static bool IsRestoreSwitch(const std::wstring& firstArgument);

private:
    // "/restore" with a Nivora running: posts it the restore request.
    void AskRunningToRestore();

    Platform& m_platform;
    IWidgetBackend& m_backend;
    std::unique_ptr<TGlobals> m_globals;
    std::unique_ptr<TApplication> m_app;
    std::unique_ptr<TMainForm> m_mainForm;
    bool m_showMainWindow = true;
    bool m_finished = false;
    bool m_comInitialized = false;
};

}  // namespace nv
