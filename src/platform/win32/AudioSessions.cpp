// Core Audio's sessions: every program's own volume control on every active playback device,
// listed, muted one by one, and watched for new ones while the hide lasts.
// clang-format off
#include "platform/win32/Win32Util.h"  // <windows.h>, which the headers below need
// clang-format on

#include <audioclient.h>
#include <audiopolicy.h>
#include <mmdeviceapi.h>
#include <wrl/client.h>

#include <atomic>

#include "platform/win32/Win32Platform.h"

namespace nv {

namespace {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kWindowClass[] = L"NivoraAudioSessions";
constexpr UINT kSessionCreated = WM_APP + 1;

// The session manager of every active playback device; none where there is no device or no
// device enumerator.
std::vector<ComPtr<IAudioSessionManager2>> SessionManagers() {
    std::vector<ComPtr<IAudioSessionManager2>> managers;
    ComPtr<IMMDeviceEnumerator> enumerator;
    if (FAILED(::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                  IID_PPV_ARGS(&enumerator))))
        return managers;
    ComPtr<IMMDeviceCollection> devices;
    UINT count = 0;
    if (FAILED(enumerator->EnumAudioEndpoints(eRender, DEVICE_STATE_ACTIVE, &devices)) ||
        FAILED(devices->GetCount(&count)))
        return managers;
    for (UINT i = 0; i < count; ++i) {
        ComPtr<IMMDevice> device;
        ComPtr<IAudioSessionManager2> manager;
        if (SUCCEEDED(devices->Item(i, &device)) &&
            SUCCEEDED(device->Activate(__uuidof(IAudioSessionManager2), CLSCTX_ALL, nullptr,
                                       reinterpret_cast<void**>(manager.GetAddressOf()))) &&
            manager)
            managers.push_back(manager);
    }
    return managers;
}

// Calls visit with each live session's id, its control and its volume, until visit says stop.
// Wine answers the session list with E_NOTIMPL: there are then none.
template <typename Visit>
void ForEachSession(Visit visit) {
    for (const ComPtr<IAudioSessionManager2>& manager : SessionManagers()) {
        ComPtr<IAudioSessionEnumerator> sessions;
        int count = 0;
        if (FAILED(manager->GetSessionEnumerator(&sessions)) ||
            FAILED(sessions->GetCount(&count)))
            continue;
        for (int i = 0; i < count; ++i) {
            ComPtr<IAudioSessionControl> control;
            ComPtr<IAudioSessionControl2> control2;
            ComPtr<ISimpleAudioVolume> volume;
            AudioSessionState state = AudioSessionStateExpired;
            if (FAILED(sessions->GetSession(i, &control)) || FAILED(control.As(&control2)) ||
                FAILED(control.As(&volume)) || FAILED(control->GetState(&state)) ||
                state == AudioSessionStateExpired)
                continue;
            wchar_t* raw = nullptr;
            if (FAILED(control2->GetSessionInstanceIdentifier(&raw)) || !raw) continue;
            std::wstring id = raw;
            ::CoTaskMemFree(raw);
            if (!visit(id, *control2.Get(), *volume.Get())) return;
        }
    }
}

// Told by Core Audio, on a thread of its own, of each new session: it only posts a message to
// the window of the thread that watches, so it shares nothing with that thread.
class Notifier final : public IAudioSessionNotification {
  public:
    explicit Notifier(HWND window) : m_window(window) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IAudioSessionNotification)) {
            *object = static_cast<IAudioSessionNotification*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --m_references;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE OnSessionCreated(IAudioSessionControl*) override {
        ::PostMessageW(m_window, kSessionCreated, 0, 0);
        return S_OK;
    }

  private:
    HWND m_window;
    std::atomic<ULONG> m_references{1};
};

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kSessionCreated) {
        auto* owner =
            reinterpret_cast<Win32AudioSessions*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (owner) owner->SessionCreated();
        return 0;
    }
    return ::DefWindowProcW(window, msg, wParam, lParam);
}

HWND CreateMessageWindow(Win32AudioSessions* owner) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    if (!::GetClassInfoW(instance, kWindowClass, &wc)) {
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = kWindowClass;
        if (!::RegisterClassW(&wc)) return nullptr;
    }
    HWND window = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    instance, nullptr);
    if (window) ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    return window;
}

}  // namespace

struct Win32AudioSessions::Watch {
    ComPtr<Notifier> notifier;
    std::vector<ComPtr<IAudioSessionManager2>> managers;
};

Win32AudioSessions::Win32AudioSessions() = default;

Win32AudioSessions::~Win32AudioSessions() {
    WatchNewAudioSessions(nullptr);
    if (m_window) ::DestroyWindow(static_cast<HWND>(m_window));
}

std::vector<AudioSession> Win32AudioSessions::GetAudioSessions() {
    std::vector<AudioSession> list;
    ForEachSession([&](const std::wstring& id, IAudioSessionControl2& control,
                       ISimpleAudioVolume& volume) {
        AudioSession session;
        session.id = id;
        DWORD pid = 0;
        // A session of several processes still names the one that opened it.
        if (SUCCEEDED(control.GetProcessId(&pid))) session.pid = pid;
        BOOL muted = FALSE;
        if (SUCCEEDED(volume.GetMute(&muted))) {
            session.muted = muted != FALSE;
            list.push_back(std::move(session));
        }
        return true;
    });
    return list;
}

bool Win32AudioSessions::SetAudioSessionMute(const std::wstring& id, bool muted) {
    bool done = false;
    ForEachSession([&](const std::wstring& sessionId, IAudioSessionControl2&,
                       ISimpleAudioVolume& volume) {
        if (sessionId != id) return true;
        done = SUCCEEDED(volume.SetMute(muted ? TRUE : FALSE, nullptr));
        return false;
    });
    return done;
}

void Win32AudioSessions::WatchNewAudioSessions(std::function<void()> onCreated) {
    if (m_watch) {
        for (const ComPtr<IAudioSessionManager2>& manager : m_watch->managers)
            manager->UnregisterSessionNotification(m_watch->notifier.Get());
        m_watch.reset();
    }
    m_onCreated = std::move(onCreated);
    if (!m_onCreated) return;
    if (!m_window) m_window = CreateMessageWindow(this);
    if (!m_window) return;
    auto watch = std::make_unique<Watch>();
    watch->notifier.Attach(new Notifier(static_cast<HWND>(m_window)));
    for (const ComPtr<IAudioSessionManager2>& manager : SessionManagers()) {
        // A manager tells of new sessions only once its list has been asked for.
        ComPtr<IAudioSessionEnumerator> sessions;
        manager->GetSessionEnumerator(&sessions);
        if (SUCCEEDED(manager->RegisterSessionNotification(watch->notifier.Get())))
            watch->managers.push_back(manager);
    }
    m_watch = std::move(watch);
}

void Win32AudioSessions::SessionCreated() {
    if (!m_onCreated) return;
    try {
        m_onCreated();
    } catch (...) {
        // The sound of other programs is fire-and-forget, like the rest of the hide.
    }
}

}  // namespace nv
