// The master volume of the default playback device through Core Audio, and PlaySoundW.
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

// The endpoint volume of the default render device for the console role; null when there is
// no such device. A missing device enumerator is an error of its own.
ComPtr<IAudioEndpointVolume> GetEndpointVolume() {
    ComPtr<IUnknown> object;
    if (FAILED(::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr,
                                  CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                  reinterpret_cast<void**>(object.GetAddressOf()))))
        throw std::runtime_error("The audio device enumerator cannot be created");
    ComPtr<IMMDeviceEnumerator> enumerator;
    if (FAILED(object.As(&enumerator)))
        throw std::runtime_error("The audio device enumerator cannot be created");
    ComPtr<IMMDevice> device;
    if (FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device))) return nullptr;
    ComPtr<IAudioEndpointVolume> volume;
    device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr,
                     reinterpret_cast<void**>(volume.GetAddressOf()));
    return volume;
}

}  // namespace

bool Win32Audio::GetMasterVolume(float& scalar, bool& muted) {
    ComPtr<IAudioEndpointVolume> volume = GetEndpointVolume();
    if (!volume) return false;
    float level = 0;
    BOOL mute = FALSE;
    if (FAILED(volume->GetMasterVolumeLevelScalar(&level))) return false;
    if (FAILED(volume->GetMute(&mute))) return false;
    scalar = level;
    muted = mute != FALSE;
    return true;
}

bool Win32Audio::SetMasterVolumeLevelScalar(float scalar) {
    ComPtr<IAudioEndpointVolume> volume = GetEndpointVolume();
    return volume && SUCCEEDED(volume->SetMasterVolumeLevelScalar(scalar, &GUID_NULL));
}

void Win32Audio::SetMute(bool muted) {
    if (ComPtr<IAudioEndpointVolume> volume = GetEndpointVolume())
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
