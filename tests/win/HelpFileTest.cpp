// Help.chm as built beside the program, read back through the system's own help-file reader
// (the ITStorage object of itss.dll, which the viewer reads it with): every help context the program asks for names its own topic, and
// that topic is in the file.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <string>

namespace {

std::wstring HelpFile() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\')) + L"\\Help.chm";
}

// The reader's interface, as itss.dll exports it (no header of the toolchain declares it).
struct IITStorage : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes*, DWORD, DWORD,
                                                                   IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR*, IStorage*, DWORD, SNB, DWORD,
                                                     IStorage**) = 0;
};
const CLSID kItStorage = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
const IID kIitStorage = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};

// One file inside the compiled help, whole; nullopt when it is not there.
std::optional<std::string> ReadInside(const std::wstring& name) {
    IITStorage* reader = nullptr;
    if (FAILED(::CoCreateInstance(kItStorage, nullptr, CLSCTX_INPROC_SERVER, kIitStorage,
                                  reinterpret_cast<void**>(&reader))))
        return std::nullopt;
    IStorage* storage = nullptr;
    HRESULT opened = reader->StgOpenStorage(HelpFile().c_str(), nullptr,
                                            STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &storage);
    reader->Release();
    if (FAILED(opened) || !storage) return std::nullopt;
    IStream* stream = nullptr;
    HRESULT found = storage->OpenStream(name.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                        &stream);
    storage->Release();
    if (FAILED(found) || !stream) return std::nullopt;
    std::string data;
    char buffer[4096];
    ULONG got = 0;
    while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &got)) && got > 0) data.append(buffer, got);
    stream->Release();
    return data;
}

std::uint32_t Dword(const std::string& data, size_t at) {
    std::uint32_t value = 0;
    std::memcpy(&value, data.data() + at, sizeof value);
    return value;
}

// The context map: #IVB holds pairs of a context number and an offset into #STRINGS, where
// the topic's name ends with a null.
std::map<std::uint32_t, std::string> ContextMap() {
    std::map<std::uint32_t, std::string> map;
    std::optional<std::string> ivb = ReadInside(L"#IVB");
    std::optional<std::string> strings = ReadInside(L"#STRINGS");
    if (!ivb || !strings || ivb->size() < 4) return map;
    for (size_t at = 4; at + 8 <= ivb->size(); at += 8) {
        std::uint32_t offset = Dword(*ivb, at + 4);
        if (offset >= strings->size()) continue;
        // A name from the root of the file may start with the root's slash.
        std::string topic = strings->c_str() + offset;
        if (!topic.empty() && topic[0] == '/') topic.erase(0, 1);
        map[Dword(*ivb, at)] = topic;
    }
    return map;
}

TEST(HelpFile, EveryContextOfTheProgramOpensItsOwnTopic) {
    ::CoInitialize(nullptr);
    const std::map<std::uint32_t, std::string> expected = {
        {1000, "index.htm"},   {1001, "windows.htm"},   {1010, "settings.htm"},
        {1011, "general.htm"}, {1012, "sound.htm"},     {1013, "shortcuts.htm"},
        {1014, "display.htm"}, {1030, "about.htm"}};
    // A topic named by the path it had where it was compiled would be looked for there, and
    // the viewer would fall back to the first page.
    EXPECT_EQ(ContextMap(), expected);
    for (const auto& [context, topic] : expected) {
        std::optional<std::string> page =
            ReadInside(std::wstring(topic.begin(), topic.end()));
        ASSERT_TRUE(page) << topic;
        EXPECT_NE(page->find("<title>"), std::string::npos) << topic;
    }
    ::CoUninitialize();
}

}  // namespace
