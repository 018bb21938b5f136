// The Windows entry point: the real platform, the native widget backend, the main block.
#include <windows.h>

#include "platform/win32/CrashGuard.h"
#include "platform/win32/SystemLibraries.h"
#include "platform/win32/Win32Platform.h"
#include "shell/Program.h"
#include "widgets/win32/Win32Backend.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before any library is loaded by name: from the system folder only.
    nv::win32::RestrictLibrarySearch();
    nv::Win32Platform os;
    nv::Platform platform = os.AsPlatform();
    nv::Win32WidgetBackend backend(platform);
    nv::TProgram program(platform, backend);
    // A fault of the program's own still gives back what it hid.
    nv::win32::InstallCrashGuard([&program] { program.RestoreAfterCrash(); });
    int result = program.Run();
    nv::win32::InstallCrashGuard(nullptr);  // everything is back; the program is ending
    return result;
}
