#include "platform/win32/SystemLibraries.h"

#include <delayimp.h>

#include <string>

namespace nv::win32 {

void RestrictLibrarySearch() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    // Looked up: a Windows 7 without its update KB2533623 does not have it, and a program that
    // imported it would not start there.
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    ::SetDllDirectoryW(L"");
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
    HMODULE module = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module || ::GetLastError() != ERROR_INVALID_PARAMETER) return module;
    // A Windows 7 that does not know the flag: the full path, whose folder the library's own
    // imports are then looked for in first.
    wchar_t folder[MAX_PATH];
    UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    std::wstring path = std::wstring(folder, length) + L"\\" + name;
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

namespace {

// The delay-load helper asks before it loads a library by the bare name the import names.
FARPROC WINAPI LoadDelayedLibrary(unsigned notify, PDelayLoadInfo info) {
    if (notify != dliNotePreLoadLibrary || !info || !info->szDll) return nullptr;
    std::wstring name;
    for (const char* c = info->szDll; *c; ++c) name += static_cast<wchar_t>(*c);
    return reinterpret_cast<FARPROC>(LoadSystemLibrary(name.c_str()));
}

}  // namespace

}  // namespace nv::win32

extern "C" {
PfnDliHook __pfnDliNotifyHook2 = nv::win32::LoadDelayedLibrary;
}
