// The two steps of the cycle that deal with the foreground: the window the user was working in
// (recorded, closed if asked, brought back to the front at restore) and the Bring-to-top program
// (brought to the front after the hide, or started).
#pragma once

#include <string>

#include "conceal/CycleContext.h"
#include "conceal/CycleStep.h"

namespace nv {

class TWindowsStep;

// The window the user was working in when the last hide started.
struct TForegroundRecord {
    WindowHandle window = 0;
    std::wstring className;
    std::wstring title;
};

class TActiveWindowStep final : public ICycleStep {
  public:
    TActiveWindowStep(Platform& platform, ICycleContext& context);
    // Records the foreground window and closes it when asked to.
    void Hide() override;
    // Brings the recorded window back to the front, unless it was to be closed.
    void Restore() override;
    // The program is ending: nothing is brought forward.
    void RestoreAtShutdown() override {}
    const TForegroundRecord& Record() const { return m_record; }

  private:
    void CloseRecordedWindow();
    bool OnlyAskedToClose(WindowHandle window, ProcessId pid);

    Platform& m_platform;
    ICycleContext& m_context;
    TForegroundRecord m_record;  // kept until the next hide overwrites it
};

class TBringToTopStep final : public ICycleStep {
  public:
    TBringToTopStep(Platform& platform, ICycleContext& context, const TWindowsStep& windows);
    void Hide() override;
    void Restore() override {}

  private:
    Platform& m_platform;
    ICycleContext& m_context;
    const TWindowsStep& m_windows;
};

}  // namespace nv
