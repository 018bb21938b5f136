// COM on the calling thread and the WMI query of the operating system's version, which runs on
// a thread of its own so that a stuck WMI service cannot hold up the start.
// clang-format off
#include "platform/win32/Win32Util.h"  // <windows.h>, which the headers below need
// clang-format on

#include <objbase.h>
#include <oleauto.h>
#include <wbemidl.h>
#include <wrl/client.h>

#include <cstdio>
#include <stdexcept>

#include "platform/win32/Deadline.h"
#include "platform/win32/Win32Platform.h"

namespace nv {

namespace {

using Microsoft::WRL::ComPtr;

struct Bstr {
    explicit Bstr(const wchar_t* text) : value(::SysAllocString(text)) {}
    ~Bstr() { ::SysFreeString(value); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR value;
};

struct Variant {
    Variant() { ::VariantInit(&value); }
    ~Variant() { ::VariantClear(&value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT value;
};

void Check(HRESULT hr, const char* step) {
    if (SUCCEEDED(hr)) return;
    char text[96];
    std::snprintf(text, sizeof(text), "WMI: %s failed (0x%08lX)", step,
                  static_cast<unsigned long>(hr));
    throw std::runtime_error(text);
}

// COM for the query's own thread, released when the query ends, however it ends.
struct ComApartment {
    ComApartment() : initialized(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~ComApartment() {
        if (initialized) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool initialized;
};

std::wstring QueryVersionOnThisThread() {
    ComPtr<IWbemLocator> locator;
    Check(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                             IID_PPV_ARGS(&locator)),
          "creating the locator");
    ComPtr<IWbemServices> services;
    Bstr ns(L"root\\CIMV2");
    Check(
        locator->ConnectServer(ns.value, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services),
        "connecting to root\\CIMV2");
    // Without this the proxy may refuse to impersonate on real Windows; a failure here shows
    // up in the query below.
    ::CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                        RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    ComPtr<IEnumWbemClassObject> rows;
    Bstr language(L"WQL");
    Bstr query(L"SELECT Version FROM Win32_OperatingSystem");
    Check(services->ExecQuery(language.value, query.value, WBEM_FLAG_FORWARD_ONLY, nullptr, &rows),
          "the query");
    ComPtr<IWbemClassObject> row;
    ULONG returned = 0;
    HRESULT hr = rows->Next(static_cast<long>(WBEM_INFINITE), 1, &row, &returned);
    Check(hr, "reading the result");
    if (returned == 0 || !row) return {};
    Variant version;
    Check(row->Get(L"Version", 0, &version.value, nullptr, nullptr), "reading Version");
    if (version.value.vt != VT_BSTR || !version.value.bstrVal) return {};
    return std::wstring(version.value.bstrVal, ::SysStringLen(version.value.bstrVal));
}

}  // namespace

bool Win32Wmi::CoInitialize() {
    HRESULT hr = ::CoInitialize(nullptr);
    return hr == S_OK || hr == S_FALSE;
}

void Win32Wmi::CoUninitialize() { ::CoUninitialize(); }

std::optional<std::wstring> Win32Wmi::QueryOperatingSystemVersion(std::uint32_t timeoutMs) {
    // Nothing of this object or of the caller goes into the thread: on a time-out it is left to
    // end by itself, whenever WMI answers.
    return win32::RunWithDeadline(
        [] {
            ComApartment com;
            return QueryVersionOnThisThread();
        },
        timeoutMs);
}

}  // namespace nv
