// Portable stand-ins for the Windows types and constants that Nivora's logic uses.
// Nothing here includes <windows.h>; the names are chosen so they cannot collide with its macros.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace nv {

// An opaque top-level or child window handle; 0 is "no window".
using WindowHandle = std::uintptr_t;
// An opaque icon handle; 0 is "no icon".
using IconHandle = std::uintptr_t;
using ProcessId = std::uint32_t;
// An opaque handle of a loaded library (HMODULE), and the address of one of its exports; 0 is
// "none".
using ModuleHandle = std::uintptr_t;
using ProcAddress = std::uintptr_t;

// ShowWindow commands.
namespace ShowCmd {
constexpr int Hide = 0;
constexpr int ShowNormal = 1;
constexpr int ShowMinimized = 2;
constexpr int ShowMaximized = 3;
constexpr int ShowNoActivate = 4;
constexpr int Show = 5;
constexpr int ShowMinNoActive = 7;
constexpr int ShowNA = 8;
constexpr int Restore = 9;
}  // namespace ShowCmd

// Window styles and messages the logic relies on.
constexpr std::uint32_t kWsVisible = 0x10000000;
constexpr std::uint32_t kWsExToolWindow = 0x00000080;
constexpr std::uint32_t kWsExLayered = 0x00080000;
// What a concealed window keeps of its extended style.
constexpr std::uint32_t kConcealedExStyle = kWsExToolWindow | kWsExLayered;
constexpr std::uint32_t kWmNull = 0x0000;
constexpr std::uint32_t kWmPaint = 0x000F;
constexpr std::uint32_t kWmClose = 0x0010;
constexpr std::uint32_t kWmHotKey = 0x0312;
constexpr std::uint32_t kWmSysCommand = 0x0112;
constexpr std::uintptr_t kScScreenSave = 0xF140;
// DWMWA_CLOAKED's bits: cloaked by its own program, by the shell (another virtual desktop, a
// suspended app), or because its owner is.
constexpr std::uint32_t kCloakedApp = 0x1;
constexpr std::uint32_t kCloakedShell = 0x2;
constexpr std::uint32_t kCloakedInherited = 0x4;
// The session notification (WM_WTSSESSION_CHANGE) and the two of its codes the lock check uses.
constexpr std::uint32_t kWmWtsSessionChange = 0x02B1;
constexpr std::uintptr_t kWtsSessionLock = 7;
constexpr std::uintptr_t kWtsSessionUnlock = 8;

// RegisterHotKey modifier flags.
namespace HotKeyMod {
constexpr std::uint32_t Alt = 0x0001;
constexpr std::uint32_t Control = 0x0002;
constexpr std::uint32_t Shift = 0x0004;
constexpr std::uint32_t NoRepeat = 0x4000;
}  // namespace HotKeyMod

// Special folders.
constexpr int kCsidlAppData = 26;

struct Point {
    int x = 0;
    int y = 0;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// A monitor: its rectangle on the virtual screen and its dpi (96 at 100 %).
struct MonitorInfo {
    Rect rect;
    int dpi = 96;
};

// The two styles of a window that the window inventory reads.
struct WindowStyles {
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
};

// What GetVersionExW reports.
struct OsVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::uint32_t platformId = 2;  // VER_PLATFORM_WIN32_NT
};

enum class MessageBoxKind { Plain, Warning, Error, Information };
enum class MessageBoxButtons { Ok, YesCancel };
enum class MessageBoxResult { Ok, Yes, Cancel };

enum class RegistryHive { CurrentUser, LocalMachine };

// An input/output failure of the platform, carrying its error code. Its text is what the
// general error report shows.
class OsError : public std::runtime_error {
public:
    OsError(const std::string& what, std::uint32_t code) : std::runtime_error(what), m_code(code) {}
    std::uint32_t Code() const { return m_code; }

private:
    std::uint32_t m_code;
};

}  // namespace nv
