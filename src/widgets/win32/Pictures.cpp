#include "widgets/win32/Pictures.h"

#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <map>

#include "res/resource.h"
#include "widgets/win32/Peers.h"

namespace nv::win32 {

using Microsoft::WRL::ComPtr;

namespace {

int StepFor(int pictureDpi) { return pictureDpi == 96 ? 0 : pictureDpi == 144 ? 1 : 2; }

// The factory lives as long as the process and is never released: released at exit, after the
// program has uninitialised COM, it would call into a library COM may have unloaded.
IWICImagingFactory* Factory() {
    static IWICImagingFactory* factory = [] {
        IWICImagingFactory* made = nullptr;
        HRESULT hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_PPV_ARGS(&made));
        if (hr == CO_E_NOTINITIALIZED) {
            // A thread without COM (a test): this thread keeps it for the rest of the process.
            ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(&made));
        }
        return SUCCEEDED(hr) ? made : nullptr;
    }();
    return factory;
}

}  // namespace

int PictureDpiFor(int dpi) {
    if (dpi <= 96) return 96;
    if (dpi <= 144) return 144;
    return 192;
}

bool DecodePicture(int resourceId, Picture& picture) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(resourceId), L"PNG");
    if (!found) return false;
    HGLOBAL loaded = ::LoadResource(module, found);
    auto* bytes = static_cast<BYTE*>(loaded ? ::LockResource(loaded) : nullptr);
    DWORD size = ::SizeofResource(module, found);
    IWICImagingFactory* factory = Factory();
    if (!bytes || size == 0 || !factory) return false;

    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    UINT width = 0, height = 0;
    if (FAILED(factory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(bytes, size)) ||
        FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0)
        return false;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down, as WIC copies rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return false;
    UINT stride = width * 4;
    if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)))) {
        ::DeleteObject(bitmap);
        return false;
    }
    picture.bitmap = bitmap;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    return true;
}

const Picture* PictureFor(int id, int screenDpi) {
    static std::map<int, Picture> cache;
    int dpi = PictureDpiFor(screenDpi);
    int resourceId = id + StepFor(dpi) * IDP_SIZE_STEP;
    auto it = cache.find(resourceId);
    if (it == cache.end()) {
        Picture picture;
        picture.dpi = dpi;
        if (!DecodePicture(resourceId, picture)) picture.bitmap = nullptr;
        it = cache.emplace(resourceId, picture).first;
    }
    return it->second.bitmap ? &it->second : nullptr;
}

SIZE PictureSize(const Picture& picture, int screen) {
    return {::MulDiv(picture.width, screen, picture.dpi), ::MulDiv(picture.height, screen, picture.dpi)};
}

void DrawPicture(HDC dc, const Picture& picture, int x, int y, int dpi) {
    HDC source = ::CreateCompatibleDC(dc);
    HGDIOBJ old = ::SelectObject(source, picture.bitmap);
    SIZE size = PictureSize(picture, dpi);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::GdiAlphaBlend(dc, x, y, size.cx, size.cy, source, 0, 0, picture.width, picture.height, blend);
    ::SelectObject(source, old);
    ::DeleteDC(source);
}

}  // namespace nv::win32
