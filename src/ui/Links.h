// The project's web page and the operation that opens it.
#pragma once

#include "platform/Platform.h"

namespace nv {

inline constexpr wchar_t kHomePageUrl[] = L"https://nivora.example.org/";
inline constexpr wchar_t kHomePageText[] = L"nivora.example.org";

// OpenHomePage: ShellExecuteW "open" on the address; the result is not tested.
inline void OpenHomePage(IShell& shell) {
    shell.ShellExecuteW(L"open", kHomePageUrl, L"", L"", ShowCmd::Show);
}

}  // namespace nv
