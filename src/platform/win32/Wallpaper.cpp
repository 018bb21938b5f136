// The desktop wallpaper: the Active Desktop object of shell32 and SystemParametersInfoW.
// clang-format off
#include "platform/win32/Win32Util.h"  // <windows.h>, which the headers below need
// clang-format on

// clang-format off
#include <objbase.h>
#include <wininet.h>  // before <shlobj.h>, which declares IActiveDesktop only after it
#include <shlguid.h>
#include <shlobj.h>
#include <wrl/client.h>
// clang-format on

#include <vector>

#include "platform/win32/Win32Platform.h"

namespace nv {

namespace {

using Microsoft::WRL::ComPtr;

// A new Active Desktop object, or null where the shell has none or it offers no IActiveDesktop.
ComPtr<IActiveDesktop> NewActiveDesktop() {
    ComPtr<IUnknown> object;
    if (FAILED(::CoCreateInstance(CLSID_ActiveDesktop, nullptr,
                                  CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                  reinterpret_cast<void**>(object.GetAddressOf()))))
        return nullptr;
    ComPtr<IActiveDesktop> desktop;
    if (FAILED(object->QueryInterface(IID_IActiveDesktop,
                                      reinterpret_cast<void**>(desktop.GetAddressOf()))))
        return nullptr;
    return desktop;
}

}  // namespace

bool Win32Wallpaper::ActiveDesktopEnabled() {
    ComPtr<IActiveDesktop> desktop = NewActiveDesktop();
    if (!desktop) return false;
    COMPONENTSOPT options{};
    options.dwSize = sizeof(options);
    // Nothing the object wrote is trusted after a failed call.
    if (FAILED(desktop->GetDesktopItemOptions(&options, 0))) return false;
    return options.fActiveDesktop != FALSE;
}

std::optional<std::wstring> Win32Wallpaper::GetActiveDesktopWallpaper() {
    ComPtr<IActiveDesktop> desktop = NewActiveDesktop();
    if (!desktop) return std::nullopt;
    // Long paths are allowed: ask with room for the longest.
    std::vector<wchar_t> buffer(32768, L'\0');
    if (FAILED(desktop->GetWallpaper(buffer.data(), static_cast<UINT>(buffer.size()), 0)))
        return std::nullopt;
    return std::wstring(buffer.data());
}

void Win32Wallpaper::SetActiveDesktopWallpaper(const std::wstring& path) {
    ComPtr<IActiveDesktop> desktop = NewActiveDesktop();
    if (!desktop) return;
    desktop->SetWallpaper(path.c_str(), 0);
    desktop->ApplyChanges(AD_APPLY_SAVE | AD_APPLY_HTMLGEN | AD_APPLY_REFRESH);
}

void Win32Wallpaper::SetDeskWallpaper(const std::wstring& path) {
    // The path itself, not a null pointer: null means "the default wallpaper". Without
    // SPIF_UPDATEINIFILE Wine keeps a volatile copy that hides the registry value.
    ::SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<wchar_t*>(path.c_str()),
                            SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}

}  // namespace nv
