#include "triggers/ScreenSaver.h"

namespace nv {

void TWorkstationLock::Watch(WindowHandle window) {
    Unwatch();
    if (m_windows.WTSRegisterSessionNotification(window)) m_watched = window;
}

void TWorkstationLock::Unwatch() {
    if (m_watched) m_windows.WTSUnRegisterSessionNotification(m_watched);
    m_watched = 0;
}

void TWorkstationLock::SessionChange(std::uintptr_t code) {
    if (code == kWtsSessionLock) m_locked = true;
    if (code == kWtsSessionUnlock) m_locked = false;
}

bool TWorkstationLock::IsLocked() {
    if (m_locked) return true;
    std::optional<std::wstring> name = m_windows.GetInputDesktopName();
    if (!name) return true;
    std::wstring lower = *name;
    for (wchar_t& c : lower)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return lower != L"default";
}

TScreenSaver::~TScreenSaver() {
    if (m_user32) m_platform.kernel.FreeLibrary(m_user32);
}

bool TScreenSaver::LoadLockWorkStation() {
    m_lockWorkStation = 0;
    if (m_user32) m_platform.kernel.FreeLibrary(m_user32);
    m_user32 = m_platform.kernel.LoadLibraryW(L"User32.Dll");
    if (!m_user32) return false;
    m_lockWorkStation = m_platform.kernel.GetProcAddress(m_user32, "LockWorkStation");
    if (!m_lockWorkStation) {
        m_platform.kernel.FreeLibrary(m_user32);
        m_user32 = 0;
        return false;
    }
    return true;
}

bool TScreenSaver::ActivateScreenSaver() {
    IWindowManager& windows = m_platform.windows;
    windows.PostMessageW(windows.GetDesktopWindow(), kWmSysCommand, kScScreenSave, 0);
    return true;
}

void TScreenSaver::StartScreenSaver(bool lockFirst) {
    if (lockFirst && m_lockWorkStation) m_platform.windows.LockWorkStation(m_lockWorkStation);
    ActivateScreenSaver();
}

}  // namespace nv
