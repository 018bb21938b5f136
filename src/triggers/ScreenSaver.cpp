#include "triggers/ScreenSaver.h"

namespace nv {

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
