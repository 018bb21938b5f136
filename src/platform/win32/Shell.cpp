// shell32 and comdlg32: special folders, launching, file icons, the open-file dialog.
// clang-format off
#include "platform/win32/Win32Util.h"  // <windows.h>, which the headers below need
// clang-format on

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include "platform/win32/Win32Platform.h"

namespace nv {

std::wstring Win32Shell::SHGetSpecialFolderPathW(int csidl) {
    wchar_t buffer[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE)) return {};
    return buffer;
}

void Win32Shell::ShellExecuteW(const std::wstring& verb, const std::wstring& file,
                               const std::wstring& parameters, const std::wstring& directory,
                               int showCmd) {
    ::ShellExecuteW(nullptr, win32::OrNull(verb), file.c_str(), win32::OrNull(parameters),
                    win32::OrNull(directory), showCmd);
}

IconHandle Win32Shell::GetFileIcon(const std::wstring& path, bool small) {
    SHFILEINFOW info{};
    UINT flags = small ? SHGFI_SYSICONINDEX | SHGFI_ICON | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON
                       : SHGFI_ICON | SHGFI_USEFILEATTRIBUTES;
    if (!::SHGetFileInfoW(path.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), flags))
        return 0;
    return reinterpret_cast<IconHandle>(info.hIcon);
}

void Win32Shell::DestroyIcon(IconHandle icon) {
    if (icon) ::DestroyIcon(reinterpret_cast<HICON>(icon));
}

std::optional<std::wstring> Win32Shell::GetOpenFileNameW(WindowHandle owner,
                                                         const std::wstring& filter,
                                                         const std::wstring& defaultExt) {
    // "All files|*.*" becomes the list of NUL-separated pairs the dialog reads, ended by two NULs.
    std::wstring pairs = filter;
    for (wchar_t& c : pairs)
        if (c == L'|') c = L'\0';
    pairs.append(2, L'\0');

    // The dialog wants a bare extension ("ini"). "*.*" or ".ini" arrive from callers thinking in
    // filter patterns; a wildcard would be glued to a typed name ("tool.*.*"), so it means none.
    std::wstring extension = defaultExt;
    while (!extension.empty() && (extension[0] == L'*' || extension[0] == L'.'))
        extension.erase(0, 1);
    if (extension.find_first_of(L"*?") != std::wstring::npos) extension.clear();

    std::wstring file(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = win32::ToHwnd(owner);
    dialog.lpstrFilter = filter.empty() ? nullptr : pairs.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrDefExt = win32::OrNull(extension);
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_PATHMUSTEXIST |
                   OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
    if (!::GetOpenFileNameW(&dialog)) return std::nullopt;
    file.resize(::wcsnlen(file.c_str(), file.size()));
    return file;
}

}  // namespace nv
