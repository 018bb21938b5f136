// Where the program's libraries come from. Windows looks for a library it does not keep among
// its known ones in the program's folder first: a portable copy unpacked beside a planted
// winmm.dll would run it. Every system library the program names therefore comes from the
// system folder only, and its own two (nvatray.dll, shook.dll) by full path.
#pragma once

#include <windows.h>

namespace nv::win32 {

// Makes the system folder the one place a library loaded by name comes from, for the whole
// process, the system's own loads included (SetDefaultDllDirectories; where Windows 7 lacks it,
// at least the current folder is taken out). The first thing the program does.
void RestrictLibrarySearch();

// A system library by its name, from the system folder only; null when it is not there. The
// libraries the program delay-loads (winmm, uxtheme, bcrypt, wtsapi32) come through here too.
HMODULE LoadSystemLibrary(const wchar_t* name);

}  // namespace nv::win32
