// The wallpaper step of the cycle: with "Hide wallpaper" ticked the hide takes the wallpaper off
// the desktop and the restore puts the same one back, through Active Desktop where it is
// enabled and through the user's "Wallpaper" setting otherwise, the way chosen afresh each time.
#pragma once

#include <optional>
#include <string>

#include "conceal/CycleContext.h"
#include "conceal/CycleStep.h"

namespace nv {

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kWallpaperValue[] = L"Wallpaper";

class TWallpaperStep final : public ICycleStep {
  public:
    TWallpaperStep(Platform& platform, ICycleContext& context);
    // RemoveWallpaper.
    void Hide() override;
    // RestoreWallpaper: puts back what this hide removed, and only that, whatever the option
    // says by now: the saved path is the only record of the user's wallpaper while it is off.
    void Restore() override;

    // The wallpaper this hide removed, until it is back.
    void SaveTo(TRecoveryRecord& record) const override;
    // Writes the recorded wallpaper back while the desktop still has none: one the user has
    // set since is theirs.
    bool RecoverFrom(const TRecoveryRecord& record) override;

    // The wallpaper the last hide removed; none when it removed nothing.
    const std::optional<std::wstring>& Saved() const { return m_saved; }

  private:
    std::optional<std::wstring> ReadRegistryWallpaper();
    // The wallpaper now, by the way the system uses; nullopt when it cannot be read.
    std::optional<std::wstring> CurrentWallpaper(bool activeDesktop);

    Platform& m_platform;
    ICycleContext& m_context;
    std::optional<std::wstring> m_saved;
};

}  // namespace nv
