// shook.dll: loaded from a full path with its four required exports or not at all, and the
// message-only window that receives what it posts.
// clang-format off
#include "platform/win32/Win32Util.h"  // <windows.h>, which the headers below need
// clang-format on

#include <shlwapi.h>

#include "platform/win32/Win32Platform.h"

namespace nv {

namespace {
constexpr wchar_t kReceiverClass[] = L"NivoraWatchReceiver";

LRESULT CALLBACK ReceiverProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* library = reinterpret_cast<Win32HookLibrary*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (library && library->Receive(msg, wParam, lParam)) return 0;
    return ::DefWindowProcW(window, msg, wParam, lParam);
}

HWND CreateReceiverWindow(Win32HookLibrary* owner) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    if (!::GetClassInfoW(instance, kReceiverClass, &wc)) {
        wc.lpfnWndProc = ReceiverProc;
        wc.hInstance = instance;
        wc.lpszClassName = kReceiverClass;
        if (!::RegisterClassW(&wc)) return nullptr;
    }
    HWND window = ::CreateWindowExW(0, kReceiverClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    instance, nullptr);
    if (window) ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    return window;
}

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}
}  // namespace

void Win32HookLibrary::ModuleFreer::operator()(void* module) const {
    ::FreeLibrary(static_cast<HMODULE>(module));
}

Win32HookLibrary::~Win32HookLibrary() { UnloadHookLibrary(); }

std::uint32_t Win32HookLibrary::RegisterWindowMessageW(const std::wstring& name) {
    return ::RegisterWindowMessageW(name.c_str());
}

IHookLibrary::LoadResult Win32HookLibrary::LoadHookLibrary(const std::wstring& path,
                                                           Receiver receiver) {
    if (m_module) return LoadResult::Loaded;
    // A relative path or a bare name would let the search order pick a shook.dll planted in the
    // current folder or on the path, and run it inside this program.
    if (path.empty() || ::PathIsRelativeW(path.c_str())) return LoadResult::NotFound;
    // The library's own imports come from its folder and the system folder only.
    HMODULE raw = ::LoadLibraryExW(path.c_str(), nullptr,
                                   LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!raw && ::GetLastError() == ERROR_INVALID_PARAMETER)  // a system without those flags
        raw = ::LoadLibraryW(path.c_str());
    std::unique_ptr<void, ModuleFreer> module(raw);
    if (!module) return LoadResult::NotFound;
    auto start = Export<decltype(m_startWatching)>(raw, "StartWatching");
    auto stop = Export<decltype(m_stopWatching)>(raw, "StopWatching");
    auto still = Export<decltype(m_stillWatching)>(raw, "StillWatching");
    auto stopAll = Export<decltype(m_stopAll)>(raw, "StopAll");
    auto setReceiver = Export<std::int32_t(__stdcall*)(HWND)>(raw, "SetReceiver");
    if (!start || !stop || !still || !stopAll) return LoadResult::NotValid;  // freed again
    HWND window = CreateReceiverWindow(this);
    // Without a window to post to the library could report nothing.
    if (!window) return LoadResult::NotValid;
    m_module = std::move(module);
    m_receiverWindow = window;
    m_receiver = std::move(receiver);
    m_startWatching = start;
    m_stopWatching = stop;
    m_stillWatching = still;
    m_stopAll = stopAll;
    if (setReceiver) setReceiver(window);
    return LoadResult::Loaded;
}

void Win32HookLibrary::UnloadHookLibrary() {
    if (m_receiverWindow) ::DestroyWindow(static_cast<HWND>(m_receiverWindow));
    m_receiverWindow = nullptr;
    // A library still watching has a thread running its code: it is stopped before it is freed.
    if (m_module && m_stillWatching && (m_stillWatching() & 0xFF) != 0 && m_stopAll) m_stopAll();
    m_module.reset();
    m_receiver = nullptr;
    m_startWatching = nullptr;
    m_stopWatching = nullptr;
    m_stillWatching = nullptr;
    m_stopAll = nullptr;
}

void Win32HookLibrary::StartWatching(std::uint8_t kind) {
    if (m_startWatching) m_startWatching(kind);
}

void Win32HookLibrary::StopWatching(std::uint8_t kind) {
    if (m_stopWatching) m_stopWatching(kind);
}

bool Win32HookLibrary::StillWatching() {
    return m_stillWatching && (m_stillWatching() & 0xFF) != 0;
}

void Win32HookLibrary::StopAll() {
    if (m_stopAll) m_stopAll();
}

bool Win32HookLibrary::Receive(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    if (!m_receiver) return false;
    Receiver receiver = m_receiver;  // a handler may unload the library, and this with it
    return receiver(msg, wParam, lParam);
}

}  // namespace nv
