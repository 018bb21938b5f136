// The main window as the native peers build it, with Help.chm as built beside the program: F1
// pressed through the message loop opens the topic of the focused control's page, and the hints
// are what its tooltip shows. Help.chm is read back through the system's own help-file reader
// (the ITStorage object of itss.dll, which the viewer reads it with).
#include "WidgetTestSupport.h"  // <windows.h> first, which <commctrl.h> needs

#include <commctrl.h>
#include <gtest/gtest.h>
#include <objbase.h>

#include <cstring>
#include <map>
#include <optional>
#include <string>

#include "platform/win32/Win32Platform.h"
#include "shell/Globals.h"
#include "ui/MainForm.h"
#include "widgets/win32/Win32Backend.h"

namespace {

using nvtest::Hwnd;
using nvtest::PumpPending;

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


class MainWindowHelp : public ::testing::Test {
  protected:
    void SetUp() override {
        app.CreateForm(form);
        form.Show();
        backend.RealizeDeferred();  // as the start does once the window shows
        PumpPending();
    }
    void TearDown() override { PumpPending(); }

    // F1 on a control, as the user presses it.
    int PressF1On(nv::TControl& control) {
        control.SetFocus();
        ::PostMessageW(Hwnd(control.Handle()), WM_KEYDOWN, VK_F1, 1);
        ::PostQuitMessage(0);
        backend.RunMessageLoop();
        return backend.contexts.empty() ? 0 : backend.contexts.back();
    }
    // The text the window's tooltip holds for a control.
    std::wstring TooltipText(nv::TControl& control) {
        std::pair<HWND, HWND> search(Hwnd(form.Handle()), nullptr);  // the form, its tooltip
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND h, LPARAM found) {
                auto* result = reinterpret_cast<std::pair<HWND, HWND>*>(found);
                wchar_t cls[64] = {};
                ::GetClassNameW(h, cls, 64);
                if (std::wstring(cls) != TOOLTIPS_CLASSW ||
                    ::GetWindow(h, GW_OWNER) != result->first)
                    return TRUE;
                result->second = h;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (!search.second) return L"(no tooltip)";
        wchar_t text[512] = {};
        TTTOOLINFOW info{};
        info.cbSize = sizeof(info);
        info.hwnd = search.first;
        info.uId = reinterpret_cast<UINT_PTR>(Hwnd(control.Handle()));
        info.lpszText = text;
        ::SendMessageW(search.second, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&info));
        return text;
    }

    nvtest::RecordingWindows windows;
    nv::Win32Platform os;
    nv::Platform platform = os.AsPlatform();
    nv::Win32WidgetBackend native{platform};
    nvtest::HelpRecordingBackend backend{native};
    nv::TApplication app{windows, backend};
    nv::TGlobals globals{platform};
    nv::TMainForm form{platform, app, globals};
};

TEST_F(MainWindowHelp, F1OpensTheTopicOfTheFocusedControlsPage) {
    ::CoInitialize(nullptr);
    // The topic a context names in the built file; a topic named by the path it had where it
    // was compiled would be looked for there, and the viewer would fall back to the first page.
    const std::map<std::uint32_t, std::string> topics = ContextMap();
    auto topicOf = [&](nv::TControl& control) {
        auto found = topics.find(static_cast<std::uint32_t>(PressF1On(control)));
        return found == topics.end() ? std::string("(no topic)") : found->second;
    };
    form.btnOptionsClick();
    form.btnSoundClick();
    PumpPending();
    EXPECT_EQ(topicOf(form.sliderSelectedVolume), "sound.htm");
    EXPECT_EQ(topicOf(form.btnTestSound), "sound.htm");
    // The Sound page's panel answers with the General topic, as the program always has.
    EXPECT_EQ(topicOf(form.cbModifyVolume), "general.htm");
    form.btnKeyaboardClick();
    PumpPending();
    EXPECT_EQ(topicOf(form.cbLockWorkstation), "shortcuts.htm");
    EXPECT_EQ(topicOf(form.btnMouseWinCtrl), "display.htm");
    form.btnDisplayClick();
    PumpPending();
    EXPECT_EQ(topicOf(form.cbSwitchResolution), "display.htm");
    form.btnWindowsClick();
    PumpPending();
    EXPECT_EQ(topicOf(form.AvailableWindowsList), "windows.htm");
    EXPECT_EQ(topicOf(form.btnTerminate), "index.htm");

    // Every topic a context names is in the file.
    for (const auto& [context, topic] : topics) {
        std::optional<std::string> page = ReadInside(std::wstring(topic.begin(), topic.end()));
        ASSERT_TRUE(page) << context << " " << topic;
        EXPECT_NE(page->find("<title>"), std::string::npos) << topic;
    }
    ::CoUninitialize();
}

TEST_F(MainWindowHelp, HintsAreWhatTheTooltipShows) {
    EXPECT_EQ(TooltipText(form.cbLockWorkstation),
              L"This feature is available only for Windows 2000/XP/NT systems");
    EXPECT_EQ(TooltipText(form.btnHide), L"Hide this window");
    EXPECT_EQ(TooltipText(form.cbHideTray), L"Hide the tray icons when the hot key is pressed");
    // A hint changed on screen is what the tooltip shows from then on.
    form.cbHideTray.SetHint(L"Tick Hide Taskbar instead");
    EXPECT_EQ(TooltipText(form.cbHideTray), L"Tick Hide Taskbar instead");
}

}  // namespace
