// nvatray.dll: bound once from a full path, with both exports or not at all.
// clang-format off
#include "platform/win32/Win32Util.h"  // <windows.h>, which the headers below need
// clang-format on

#include <shlwapi.h>

#include "platform/win32/Win32Platform.h"

namespace nv {

void Win32TrayLibrary::ModuleFreer::operator()(void* module) const {
    ::FreeLibrary(static_cast<HMODULE>(module));
}

bool Win32TrayLibrary::LoadTrayLibrary(const std::wstring& path) {
    if (m_module) return true;
    // A relative path or a bare name would let the search order pick some other nvatray.dll.
    if (path.empty() || ::PathIsRelativeW(path.c_str())) return false;
    std::unique_ptr<void, ModuleFreer> module(::LoadLibraryW(path.c_str()));
    if (!module) return false;
    auto hide = reinterpret_cast<decltype(m_hideTray)>(
        reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(module.get()), "HideTray")));
    auto restore = reinterpret_cast<decltype(m_restoreTray)>(reinterpret_cast<void*>(
        ::GetProcAddress(static_cast<HMODULE>(module.get()), "RestoreTray")));
    if (!hide || !restore) return false;  // the module is freed again
    m_module = std::move(module);
    m_hideTray = hide;
    m_restoreTray = restore;
    return true;
}

void Win32TrayLibrary::HideTray(std::int32_t what, const std::string& accessCode) {
    if (m_hideTray) m_hideTray(what, accessCode.c_str());
}

void Win32TrayLibrary::RestoreTray() {
    if (m_restoreTray) m_restoreTray();
}

}  // namespace nv
