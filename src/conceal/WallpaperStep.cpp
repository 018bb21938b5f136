#include "conceal/WallpaperStep.h"

#include "conceal/RecoveryRecord.h"

namespace nv {

TWallpaperStep::TWallpaperStep(Platform& platform, ICycleContext& context)
    : m_platform(platform), m_context(context) {}

void TWallpaperStep::Hide() {
    if (!m_context.Option(TCycleOption::HideWallpaper)) return;
    IWallpaper& wallpaper = m_platform.wallpaper;
    const bool activeDesktop = wallpaper.ActiveDesktopEnabled();
    // A wallpaper we could not read is left where it is: removing it would lose it.
    std::optional<std::wstring> current = CurrentWallpaper(activeDesktop);
    if (!current) return;
    // A wallpaper the last restore could not put back is still owed; the empty one found in
    // its place must not take its place. One the user has set since is the one to keep.
    if (!m_saved || !current->empty()) m_saved = std::move(current);
    if (activeDesktop) {
        wallpaper.SetActiveDesktopWallpaper(L"");
    } else {
        m_platform.registry.WriteString(RegistryHive::CurrentUser, kDesktopKey, kWallpaperValue,
                                        L"", true);
        wallpaper.SetDeskWallpaper(L"");
    }
}

std::optional<std::wstring> TWallpaperStep::CurrentWallpaper(bool activeDesktop) {
    return activeDesktop ? m_platform.wallpaper.GetActiveDesktopWallpaper()
                         : ReadRegistryWallpaper();
}

std::optional<std::wstring> TWallpaperStep::ReadRegistryWallpaper() {
    IRegistry& registry = m_platform.registry;
    if (auto value = registry.ReadString(RegistryHive::CurrentUser, kDesktopKey, kWallpaperValue))
        return value;
    // No value is no wallpaper; a value we cannot read as text is one we must not overwrite.
    if (registry.ValueExists(RegistryHive::CurrentUser, kDesktopKey, kWallpaperValue))
        return std::nullopt;
    return std::wstring();
}

void TWallpaperStep::Restore() {
    if (!m_saved) return;
    IWallpaper& wallpaper = m_platform.wallpaper;
    if (wallpaper.ActiveDesktopEnabled()) {
        wallpaper.SetActiveDesktopWallpaper(*m_saved);
    } else {
        // Kept for the next try (the shut-down restore) when the setting cannot be written.
        IRegistry& registry = m_platform.registry;
        if (registry.WriteString(RegistryHive::CurrentUser, kDesktopKey, kWallpaperValue, *m_saved,
                                 true) != 0)
            return;
        wallpaper.SetDeskWallpaper(*m_saved);
        // The system may store the path it was given cut to its own limit (Wine keeps 259
        // characters): the user's setting is written back whole.
        if (registry.ReadString(RegistryHive::CurrentUser, kDesktopKey, kWallpaperValue) != m_saved)
            registry.WriteString(RegistryHive::CurrentUser, kDesktopKey, kWallpaperValue, *m_saved,
                                 true);
    }
    m_saved.reset();
}

namespace {
constexpr char kWallpaperTag[] = "wallpaper";  // the path removed, as a text
}  // namespace

void TWallpaperStep::SaveTo(TRecoveryRecord& record) const {
    if (m_saved) record.Add(kWallpaperTag, {*m_saved});
}

bool TWallpaperStep::RecoverFrom(const TRecoveryRecord& record) {
    bool understood = true;
    for (const TRecordLine* line : record.Lines(kWallpaperTag)) {
        auto path = line->Text(0);
        if (line->fields.size() != 1 || !path) {
            understood = false;
            continue;
        }
        std::optional<std::wstring> current =
            CurrentWallpaper(m_platform.wallpaper.ActiveDesktopEnabled());
        if (!current || !current->empty() || path->empty()) continue;
        m_saved = std::move(*path);
        Restore();
    }
    return understood;
}

}  // namespace nv
