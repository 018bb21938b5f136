// Helpers shared by the Win32 wrappers: handle ownership, error texts, conversions.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Types.h"

// <windows.h> turns GetNextWindow into a two-argument macro; the seam's method of that name
// is a different thing.
#undef GetNextWindow

namespace nv::win32 {

inline HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
inline WindowHandle FromHwnd(HWND window) { return reinterpret_cast<WindowHandle>(window); }

struct KernelHandleCloser {
    void operator()(HANDLE handle) const {
        if (handle && handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
    }
};
using UniqueHandle = std::unique_ptr<void, KernelHandleCloser>;

// CreateFileW reports failure as INVALID_HANDLE_VALUE, OpenProcess as null: both become empty.
inline UniqueHandle MakeHandle(HANDLE handle) {
    return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

struct LocalFreer {
    void operator()(void* memory) const { ::LocalFree(memory); }
};

// The system's text for an error code, without the trailing line break.
std::wstring SystemMessage(std::uint32_t code);

// An OsError whose text reads "<what>. <system message>".
OsError MakeOsError(const std::wstring& what, std::uint32_t code);

// nullptr for an empty string, as the Win32 calls take "none".
inline const wchar_t* OrNull(const std::wstring& text) {
    return text.empty() ? nullptr : text.c_str();
}

}  // namespace nv::win32
