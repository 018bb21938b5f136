// The screen saver and the workstation lock: the third trigger's two system actions.
#pragma once

#include "platform/Platform.h"

namespace nv {

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
