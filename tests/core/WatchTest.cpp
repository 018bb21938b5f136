// The window watch against the in-memory desktop and hook library: when the library is loaded,
// started, stopped and let go; the one message of a failed load; how messages become events;
// and the main window's use of it, hiding the windows that appear while hidden.
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "HideCycleFixture.h"
#include "conceal/Watch.h"

namespace nv::test {
namespace {

constexpr wchar_t kLibrary[] = L"C:\\Program Files\\Nivora\\shook.dll";
constexpr wchar_t kShellEvent[] = L"MY_SHELL_EVENT";

class Watch : public ::testing::Test {
  protected:
    FakeDesktop desktop;
    Platform platform = desktop.AsPlatform();
    FakeWidgetBackend backend{desktop};
    TApplication app{desktop, backend};
    WindowHandle appWindow = desktop.AddWindow(L"NV", L"TApplication", 4242, false);
    std::unique_ptr<TWatch> watch =
        std::make_unique<TWatch>(platform, app, kLibrary, [this] { return appWindow; });
    FakeHookLibrary& hooks = desktop.hooks;

    static TShellEvent Into(std::vector<std::wstring>& seen) {
        return [&seen](TWatch&, WindowHandle, const std::wstring& name) { seen.push_back(name); };
    }
    static TKeyNativeEvent NoKeys() {
        return [](TWatch&, std::int32_t, std::int32_t) {};
    }
};

TEST_F(Watch, LoadsOnceStartsEachKindPerEventAndLetsGoWhenNothingIsWatched) {
    using Kinds = std::map<std::uint8_t, int>;
    EXPECT_TRUE(hooks.loads.empty());  // nothing at creation
    std::vector<std::wstring> created, destroyed;
    watch->SetOnWindowCreated(Into(created));
    watch->SetOnKeyNative(NoKeys());
    watch->SetOnWindowDestroyed(Into(destroyed));
    watch->SetOnWindowCreated(Into(created));  // a new handler for an event that has one
    EXPECT_EQ(hooks.loads, std::vector<std::wstring>{kLibrary});
    // One start of its kind for each event with a handler: two events share kind 0.
    EXPECT_EQ(hooks.Watching(), (Kinds{{0, 2}, {1, 1}}));

    // Kind 0 is still wanted by the destroyed event: it goes on being reported.
    watch->SetOnWindowCreated(nullptr);
    EXPECT_EQ(hooks.Watching(), (Kinds{{0, 1}, {1, 1}}));
    WindowHandle mail = desktop.AddWindow(L"Mail", L"AppWindow", 100);
    EXPECT_TRUE(hooks.Post(kShellEvent, mail, kShellWindowDestroyed));
    EXPECT_EQ(destroyed, std::vector<std::wstring>{L"Mail"});

    watch->SetOnKeyNative(nullptr);
    EXPECT_TRUE(watch->Loaded());
    watch->SetOnWindowDestroyed(nullptr);
    EXPECT_FALSE(watch->Loaded());
    EXPECT_FALSE(hooks.Loaded());
    EXPECT_FALSE(hooks.unloadedWhileWatching);
    // Taking away a handler that is not there loads nothing.
    watch->SetOnMouseMove(nullptr);
    EXPECT_FALSE(hooks.Loaded());
    EXPECT_EQ(hooks.loads.size(), 1u);

    // A later handler loads it again.
    watch->SetOnMouseClick([](TWatch&, std::int32_t, std::int32_t, TMouseButton) {});
    EXPECT_EQ(hooks.loads.size(), 2u);
    EXPECT_EQ(hooks.Watching(), (Kinds{{4, 1}}));
    EXPECT_TRUE(desktop.messageBoxes.empty());
}

TEST_F(Watch, DestructionStopsEverythingAndFreesTheLibrary) {
    watch->SetOnWindowCloseQuery([](TWatch&, WindowHandle, const std::wstring&) {});
    ASSERT_FALSE(hooks.Watching().empty());
    watch.reset();
    EXPECT_FALSE(hooks.Loaded());
    EXPECT_FALSE(hooks.unloadedWhileWatching);
}

TEST_F(Watch, AFailedLoadIsToldOnceAndLeavesTheWatchIdle) {
    struct Case {
        FakeHookLibrary::File file;
        const wchar_t* text;
    };
    for (const Case& c :
         {Case{FakeHookLibrary::File::Missing, L"Library not found.\r\nApplication is disabled."},
          Case{FakeHookLibrary::File::WithoutStopAll,
               L"Library is not valid.\r\nApplication is disabled."}}) {
        desktop.messageBoxes.clear();
        hooks.loads.clear();
        hooks.file = c.file;
        watch = std::make_unique<TWatch>(platform, app, kLibrary);
        std::vector<std::wstring> seen;
        watch->SetOnWindowCreated(Into(seen));
        ASSERT_EQ(desktop.messageBoxes.size(), 1u);
        EXPECT_EQ(desktop.messageBoxes[0].text, c.text);
        EXPECT_EQ(desktop.messageBoxes[0].kind, MessageBoxKind::Error);
        EXPECT_EQ(desktop.messageBoxes[0].buttons, MessageBoxButtons::Ok);
        EXPECT_TRUE(watch->Disabled());

        // Nothing is tried again, and nothing more is shown, even once the file is there.
        hooks.file = FakeHookLibrary::File::Present;
        watch->SetOnWindowCreated(nullptr);
        watch->SetOnWindowActivated(Into(seen));
        watch->SetOnKeyNativeLL(NoKeys());
        EXPECT_EQ(desktop.messageBoxes.size(), 1u);
        EXPECT_EQ(hooks.loads.size(), 1u);
        EXPECT_FALSE(watch->Loaded());
        EXPECT_TRUE(hooks.Watching().empty());
    }
}

TEST_F(Watch, ShellCodesRaiseTheirEventsWithTheWindowsTitle) {
    std::vector<std::wstring> created, destroyed, shell, activated;
    WindowHandle raisedFor = 0;
    watch->SetOnWindowCreated([&](TWatch& sender, WindowHandle h, const std::wstring& name) {
        EXPECT_EQ(&sender, watch.get());
        raisedFor = h;
        created.push_back(name);
    });
    watch->SetOnWindowDestroyed(Into(destroyed));
    watch->SetOnActivateShellWindow(Into(shell));
    watch->SetOnWindowActivated(Into(activated));
    WindowHandle mail = desktop.AddWindow(L"Inbox - Mail", L"AppWindow", 100);
    WindowHandle gone = desktop.AddWindow(L"Update", L"AppWindow", 100);
    desktop.DestroyWindow(gone);

    hooks.Post(kShellEvent, mail, kShellWindowCreated);
    hooks.Post(kShellEvent, gone, kShellWindowDestroyed);  // gone: an empty title
    hooks.Post(kShellEvent, mail, kShellShellWindowActivated);
    hooks.Post(kShellEvent, mail, kShellWindowActivated);
    hooks.Post(kShellEvent, mail, 9);  // an unknown code
    EXPECT_EQ(raisedFor, mail);
    EXPECT_EQ(created, std::vector<std::wstring>{L"Inbox - Mail"});
    EXPECT_EQ(destroyed, std::vector<std::wstring>{L""});
    EXPECT_EQ(shell, std::vector<std::wstring>{L"Inbox - Mail"});
    EXPECT_EQ(activated, std::vector<std::wstring>{L"Inbox - Mail"});
    // A message that is not the library's goes to the default procedure.
    EXPECT_FALSE(watch->WatchWndProc(0x0400, 0, 0));
}

TEST_F(Watch, TheSameTitleActivatedTwiceInARowIsReportedOnceUnlessRepeatsAreAsked) {
    std::vector<std::wstring> activated;
    watch->SetOnWindowActivated(Into(activated));
    WindowHandle first = desktop.AddWindow(L"Chat", L"AppWindow", 100);
    WindowHandle second = desktop.AddWindow(L"Chat", L"AppWindow", 200);
    WindowHandle other = desktop.AddWindow(L"chat", L"AppWindow", 200);
    for (WindowHandle w : {first, second, other, first})
        hooks.Post(kShellEvent, w, kShellWindowActivated);
    EXPECT_EQ(activated, (std::vector<std::wstring>{L"Chat", L"chat", L"Chat"}));

    activated.clear();
    watch->RepeatedEvents = true;
    hooks.Post(kShellEvent, first, kShellWindowActivated);
    hooks.Post(kShellEvent, second, kShellWindowActivated);
    EXPECT_EQ(activated, (std::vector<std::wstring>{L"Chat", L"Chat"}));
}

TEST_F(Watch, TheApplicationWindowsEventsAreDroppedUnlessOwnEventsAreAsked) {
    std::vector<std::wstring> created;
    watch->SetOnWindowCreated(Into(created));
    WindowHandle mainWindow = desktop.AddWindow(L"NV main", L"TMainForm", 4242);
    hooks.Post(kShellEvent, appWindow, kShellWindowCreated);
    hooks.Post(kShellEvent, mainWindow, kShellWindowCreated);
    EXPECT_EQ(created, std::vector<std::wstring>{L"NV main"});
    watch->NotifyOwnEvents = true;
    hooks.Post(kShellEvent, appWindow, kShellWindowCreated);
    EXPECT_EQ(created, (std::vector<std::wstring>{L"NV main", L"NV"}));
}

TEST_F(Watch, OnlyButtonDownMessagesRaiseAClickAndOtherMessagesTheirOwnEvents) {
    std::vector<TMouseButton> clicks;
    watch->SetOnMouseClick([&](TWatch&, std::int32_t x, std::int32_t y, TMouseButton b) {
        EXPECT_EQ(x, desktop.cursor.x);
        EXPECT_EQ(y, desktop.cursor.y);
        clicks.push_back(b);
    });
    std::vector<std::pair<std::int32_t, std::int32_t>> keys, lowKeys;
    watch->SetOnKeyNative([&](TWatch&, std::int32_t w, std::int32_t l) { keys.push_back({w, l}); });
    watch->SetOnKeyNativeLL([&](TWatch&, std::int32_t w, std::int32_t l) {
        lowKeys.push_back({w, l});
    });
    std::vector<WindowHandle> closing;
    watch->SetOnWindowCloseQuery([&](TWatch&, WindowHandle h, const std::wstring& name) {
        EXPECT_EQ(name, L"");
        closing.push_back(h);
    });
    desktop.cursor = {12, 34};
    for (std::uintptr_t message : {0x201, 0x202, 0x200, 0x204, 0x205, 0x207, 0x208, 0x203})
        EXPECT_TRUE(hooks.Post(L"MY_MOUSE_EVENT", message, 0));
    EXPECT_EQ(clicks, (std::vector<TMouseButton>{TMouseButton::Left, TMouseButton::Right,
                                                 TMouseButton::Middle}));
    hooks.Post(L"MY_KEY_EVENT", 0x41, 0x1E0001);
    hooks.Post(L"MY_KEY_EVENT_LL", 0x100, 7);
    hooks.Post(L"MY_SYSCOMMAND_EVENT", 0x1234, 99);
    EXPECT_EQ(keys, (std::vector<std::pair<std::int32_t, std::int32_t>>{{0x41, 0x1E0001}}));
    EXPECT_EQ(lowKeys, (std::vector<std::pair<std::int32_t, std::int32_t>>{{0x100, 7}}));
    EXPECT_EQ(closing, std::vector<WindowHandle>{0x1234});
}

TEST_F(Watch, AHandlerThatFailsIsReportedAndTheNextMessageStillHandled) {
    int calls = 0;
    watch->SetOnWindowCreated([&](TWatch&, WindowHandle, const std::wstring&) {
        if (++calls == 1) throw std::runtime_error("Out of luck");
    });
    WindowHandle mail = desktop.AddWindow(L"Mail", L"AppWindow", 100);
    EXPECT_TRUE(hooks.Post(kShellEvent, mail, kShellWindowCreated));
    EXPECT_TRUE(hooks.Post(kShellEvent, mail, kShellWindowCreated));
    EXPECT_EQ(calls, 2);
    ASSERT_EQ(desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(desktop.messageBoxes[0].text, L"Out of luck.");
}

// ---------------------------------------------------------------------------------------------
// The main window's "Hide newly created windows while in HIDE mode"

class NewWindows : public HideCycle {
  protected:
    void Tick(bool on) {
        h.User([&] { h.Form().cbHideNewlyCreatedWindows.SetChecked(on); });
    }
    // The library reports a window that became visible.
    void Appeared(WindowHandle w) { h.desktop.hooks.Post(kShellEvent, w, kShellWindowCreated); }
    std::size_t Listed() { return h.Form().hideCycle->HiddenWindows()->size(); }
};

TEST_F(NewWindows, TickedAWindowThatAppearsWhileHiddenIsHiddenAndComesBackWithTheOthers) {
    EXPECT_FALSE(h.desktop.hooks.Loaded());  // off by default: nothing loaded
    Tick(true);
    EXPECT_EQ(h.desktop.hooks.loads, std::vector<std::wstring>{kLibrary});
    WindowHandle before = Open(L"Report", kEditorPid);
    Press();
    WindowHandle mail = Open(L"New mail", kViewerPid, 0x100);
    Appeared(mail);
    EXPECT_FALSE(Shown(mail));
    EXPECT_FALSE(Shown(before));

    Press();
    EXPECT_TRUE(Shown(mail));
    EXPECT_TRUE(Shown(before));
    EXPECT_EQ(h.desktop.Window(mail).exStyle, 0x100u);
    // Outside hidden mode a new window is left alone.
    WindowHandle later = Open(L"Later", kViewerPid);
    Appeared(later);
    EXPECT_TRUE(Shown(later));
    EXPECT_TRUE(CallsOn(later).empty());
}

TEST_F(NewWindows, SparedWindowsAndAnUntickedOptionLeaveNewWindowsOnScreen) {
    Spare("Chat", "", false);
    Tick(true);
    Press();
    WindowHandle chat = Open(L"Chat", kViewerPid);
    Appeared(chat);
    EXPECT_TRUE(Shown(chat));
    EXPECT_EQ(Listed(), 2u);  // listed like the spared windows of the hide, with the main window

    // Unticking detaches the watch and lets the library go.
    Tick(false);
    EXPECT_FALSE(h.desktop.hooks.Loaded());
    EXPECT_FALSE(h.desktop.hooks.unloadedWhileWatching);
    WindowHandle update = Open(L"Update", kViewerPid);
    EXPECT_FALSE(h.desktop.hooks.Post(kShellEvent, update, kShellWindowCreated));
    EXPECT_TRUE(Shown(update));
}

TEST_F(NewWindows, AHandleThatIsGoneOrNotVisibleWhenItsMessageIsHandledIsLeftAlone) {
    Tick(true);
    Press();
    std::size_t listed = Listed();
    WindowHandle gone = Open(L"Toast", kViewerPid);
    h.desktop.DestroyWindow(gone);
    WindowHandle hiddenAgain = Open(L"Splash", kViewerPid);
    h.desktop.Window(hiddenAgain).style &= ~kWsVisible;
    h.desktop.calls.clear();
    Appeared(gone);
    Appeared(hiddenAgain);
    EXPECT_EQ(Listed(), listed);
    // Neither reached the hide step.
    for (const std::string& c : h.desktop.calls)
        EXPECT_TRUE(c.find("ShowWindow") == std::string::npos &&
                    c.find("SetWindowExStyle") == std::string::npos)
            << c;
}

TEST_F(NewWindows, ASavedTickLoadsTheLibraryAtTheStartAndAMissingOneIsToldOnce) {
    for (bool present : {true, false}) {
        Harness started;
        started.desktop.hooks.file =
            present ? FakeHookLibrary::File::Present : FakeHookLibrary::File::Missing;
        started.Make();
        std::filesystem::path path = started.desktop.RealPath(started.Globals().settingsFile);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << "[General]\r\nHideNewlyCreatedWindows=1\r\n";
        ASSERT_TRUE(started.Start());
        EXPECT_TRUE(started.Form().cbHideNewlyCreatedWindows.Checked());
        EXPECT_EQ(started.desktop.hooks.Loaded(), present);
        EXPECT_EQ(started.desktop.hooks.loads.size(), 1u);
        std::size_t boxes = 0;
        for (const MessageBoxRecord& box : started.desktop.messageBoxes)
            if (box.text == L"Library not found.\r\nApplication is disabled.") ++boxes;
        EXPECT_EQ(boxes, present ? 0u : 1u);
        // The rest works: a hide and a restore, and the box ticked again shows nothing more.
        WindowHandle w = started.desktop.AddWindow(L"Report", L"AppWindow", kEditorPid);
        started.User([&] { started.Form().HotKey(0); });
        EXPECT_FALSE(started.desktop.IsWindowVisible(w));
        started.User([&] { started.Form().HotKey(0); });
        EXPECT_TRUE(started.desktop.IsWindowVisible(w));
        started.User([&] { started.Form().cbHideNewlyCreatedWindows.SetChecked(false); });
        started.User([&] { started.Form().cbHideNewlyCreatedWindows.SetChecked(true); });
        std::size_t after = 0;
        for (const MessageBoxRecord& box : started.desktop.messageBoxes)
            if (box.text.rfind(L"Library", 0) == 0) ++after;
        EXPECT_EQ(after, present ? 0u : 1u);
        started.Finish();
    }
}

}  // namespace
}  // namespace nv::test
