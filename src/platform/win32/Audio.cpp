// The master volume of a playback device through Core Audio, and PlaySoundW.
// clang-format off
#include "platform/win32/Win32Util.h"  // <windows.h>, which the headers below need
// clang-format on

#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <mmsystem.h>
#include <wrl/client.h>

#include <stdexcept>
#include <vector>

#include "platform/win32/Win32Platform.h"

namespace nv {

namespace {

using Microsoft::WRL::ComPtr;

ComPtr<IMMDeviceEnumerator> DeviceEnumerator() {
    ComPtr<IUnknown> object;
    if (FAILED(::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr,
                                  CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                  reinterpret_cast<void**>(object.GetAddressOf()))))
        throw std::runtime_error("The audio device enumerator cannot be created");
    ComPtr<IMMDeviceEnumerator> enumerator;
    if (FAILED(object.As(&enumerator)))
        throw std::runtime_error("The audio device enumerator cannot be created");
    return enumerator;
}

// The endpoint volume of the device with this id, or of the default render device for the
// console role when the id is empty; null when there is no such device or it is no longer
// active (unplugged, disabled). A missing device enumerator is an error of its own. The id of
// the device found goes to foundId when asked for.
ComPtr<IAudioEndpointVolume> GetEndpointVolume(const std::wstring& endpointId,
                                               std::wstring* foundId = nullptr) {
    ComPtr<IMMDeviceEnumerator> enumerator = DeviceEnumerator();
    ComPtr<IMMDevice> device;
    if (endpointId.empty()) {
        if (FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device))) return nullptr;
    } else {
        DWORD state = 0;
        if (FAILED(enumerator->GetDevice(endpointId.c_str(), &device)) ||
            FAILED(device->GetState(&state)) || state != DEVICE_STATE_ACTIVE)
            return nullptr;
    }
    // A device whose id cannot be read keeps the one it was asked by (empty: the default).
    LPWSTR id = nullptr;
    if (foundId && SUCCEEDED(device->GetId(&id)) && id) {
        *foundId = id;
        ::CoTaskMemFree(id);
    } else if (foundId) {
        *foundId = endpointId;
    }
    ComPtr<IAudioEndpointVolume> volume;
    device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr,
                     reinterpret_cast<void**>(volume.GetAddressOf()));
    return volume;
}

}  // namespace

std::optional<EndpointVolume> Win32Audio::GetMasterVolume(const std::wstring& endpointId) {
    EndpointVolume read;
    ComPtr<IAudioEndpointVolume> volume = GetEndpointVolume(endpointId, &read.endpointId);
    if (!volume) return std::nullopt;
    BOOL mute = FALSE;
    if (FAILED(volume->GetMasterVolumeLevelScalar(&read.scalar))) return std::nullopt;
    if (FAILED(volume->GetMute(&mute))) return std::nullopt;
    read.muted = mute != FALSE;
    return read;
}

bool Win32Audio::SetMasterVolumeLevelScalar(const std::wstring& endpointId, float scalar) {
    ComPtr<IAudioEndpointVolume> volume = GetEndpointVolume(endpointId);
    return volume && SUCCEEDED(volume->SetMasterVolumeLevelScalar(scalar, &GUID_NULL));
}

void Win32Audio::SetMute(const std::wstring& endpointId, bool muted) {
    if (ComPtr<IAudioEndpointVolume> volume = GetEndpointVolume(endpointId))
        volume->SetMute(muted ? TRUE : FALSE, &GUID_NULL);
}

void Win32Audio::PlaySoundW(const std::wstring& path) {
    ::PlaySoundW(path.c_str(), nullptr, SND_FILENAME);
}

std::wstring Win32Audio::GetWindowsDirectoryW() {
    std::vector<wchar_t> buffer(10000, L'\0');
    UINT length = ::GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    return std::wstring(buffer.data(), length < buffer.size() ? length : 0);
}

}  // namespace nv
