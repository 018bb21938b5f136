// The screen saver and the workstation lock: the third trigger's two system actions, and
// whether the workstation is locked, which the mouse corners ask before they act.
#pragma once

#include "platform/Platform.h"

namespace nv {

// Whether the lock screen or another secure desktop (a password manager's, the elevation
// prompt's) has the input, known without switching desktops: a switch would pull the user off
// such a desktop. The session tells the main window when it is locked and unlocked; between
// those, the name of the input desktop tells.
class TWorkstationLock {
public:
    explicit TWorkstationLock(IWindowManager& windows) : m_windows(windows) {}
    ~TWorkstationLock() { Unwatch(); }
    TWorkstationLock(const TWorkstationLock&) = delete;
    TWorkstationLock& operator=(const TWorkstationLock&) = delete;

    // Asks for the session's notifications for this window; without them (the session service
    // not yet ready at log-on) the input desktop still tells.
    void Watch(WindowHandle window);
    void Unwatch();
    // A session notification: a lock and an unlock change the state, the rest changes nothing.
    void SessionChange(std::uintptr_t code);
    bool IsLocked();

private:
    IWindowManager& m_windows;
    WindowHandle m_watched = 0;
    bool m_locked = false;  // between a lock and an unlock notification
};

class TScreenSaver {
public:
    explicit TScreenSaver(Platform& platform) : m_platform(platform) {}
    ~TScreenSaver();
    TScreenSaver(const TScreenSaver&) = delete;
    TScreenSaver& operator=(const TScreenSaver&) = delete;

    // Looks up LockWorkStation in user32 once, when the main window is made; true when found.
    // Without it, user32 is released at once and the lock is never attempted.
    bool LoadLockWorkStation();
    // Posts the screen-saver command to the desktop window and returns at once.
    bool ActivateScreenSaver();
    // The trigger: locks first when asked and the lock is available, then the screen saver,
    // with no pause between the two.
    void StartScreenSaver(bool lockFirst);

private:
    Platform& m_platform;
    ModuleHandle m_user32 = 0;
    ProcAddress m_lockWorkStation = 0;
};

}  // namespace nv
