// The native peers against live Wine controls: the native state follows the model, the user's
// actions reach the model once, keys can be swallowed, and the form answers its messages.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <stdexcept>

#include "LiveApplication.h"
#include "WidgetTestSupport.h"
#include "platform/win32/Win32Platform.h"
#include "widgets/Application.h"
#include "widgets/Dialogs.h"
#include "widgets/win32/Win32Backend.h"

namespace {

using nvtest::Hwnd;
using nvtest::PumpPending;
using nvtest::TextOf;

class SampleForm : public nv::TForm {
public:
    SampleForm() : TForm("SampleForm") {
        SetCaption(L"Sample");
        SetClientSize(500, 320);
        minWidth = 400;
        minHeight = 300;
        box.SetCaption(L"Option");
        box.SetBounds(10, 10, 120, 17);
        button.SetCaption(L"Go");
        button.SetBounds(10, 34, 80, 25);
        edit.SetBounds(10, 66, 150, 21);
        first.SetCaption(L"First");
        first.SetBounds(170, 10, 60, 25);
        second.SetCaption(L"Second");
        second.SetBounds(234, 10, 60, 25);
        for (nv::TSpeedButton* b : {&first, &second}) b->groupIndex = 1;
        first.SetDown(true);
        pages.SetBounds(170, 40, 120, 50);
        sheetA.SetAlign(nv::Align::Client);
        sheetB.SetAlign(nv::Align::Client);
        pages.SetActivePage(&sheetA);
        left.SetBounds(10, 100, 220, 150);
        right.SetBounds(250, 100, 220, 150);
        for (nv::TListView* l : {&left, &right}) l->columns = {{L"Name", 100}, {L"Title", 100}};
        bottom.SetBounds(0, 0, 10, 20);
        bottom.SetAlign(nv::Align::Bottom);
    }
    nv::TCheckBox box{this, "box"};
    nv::TButton button{this, "button"};
    nv::TEdit edit{this, "edit"};
    nv::TSpeedButton first{this, "first"};
    nv::TSpeedButton second{this, "second"};
    nv::TPageControl pages{this, "pages"};
    nv::TTabSheet sheetA{&pages, "sheetA"};
    nv::TTabSheet sheetB{&pages, "sheetB"};
    nv::TListView left{this, "left"};
    nv::TListView right{this, "right"};
    nv::TPanel bottom{this, "bottom"};
};

class WidgetPeers : public ::testing::Test, protected nvtest::LiveApplication {
protected:
    void SetUp() override {
        app.CreateForm(form);
        form.Show();
        PumpPending();
    }
    void TearDown() override { PumpPending(); }

    static void AddRow(nv::TListView& list, const std::wstring& name, const std::wstring& title) {
        nv::TListItem& item = list.Add();
        item.SetCaption(name);
        item.AddSubItem(title);
    }
    static std::wstring RowText(HWND list, int row, int column = 0) {
        wchar_t buffer[256] = {};
        ListView_GetItemText(list, row, column, buffer, 256);
        return buffer;
    }

    SampleForm form;
};

// ---------------------------------------------------------------------------------------------
// Buttons and check boxes

TEST_F(WidgetPeers, CheckBoxFollowsTheModelAndAClickFlipsItOnce) {
    HWND box = Hwnd(form.box.Handle());
    int clicks = 0;
    form.box.OnClick = [&] { ++clicks; };
    form.box.SetChecked(true);
    EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    form.box.SetCheckedSilently(false);
    EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    clicks = 0;
    ::SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(form.box.Checked());
    EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(WidgetPeers, ButtonClickRunsTheHandlerAndAnErrorBecomesTheErrorReport) {
    int clicks = 0;
    form.button.OnClick = [&] { ++clicks; };
    ::SendMessageW(Hwnd(form.button.Handle()), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(windows.boxes.empty());

    form.button.OnClick = [] { throw std::runtime_error("The list file cannot be written"); };
    ::SendMessageW(Hwnd(form.button.Handle()), BM_CLICK, 0, 0);
    ASSERT_EQ(windows.boxes.size(), 1u);
    EXPECT_EQ(windows.boxes[0], L"The list file cannot be written.");
    // The program goes on: the next click works.
    form.button.OnClick = [&] { ++clicks; };
    ::SendMessageW(Hwnd(form.button.Handle()), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 2);
}

// What another part subclasses after the program (a tooltip does, on every control with a hint)
// sits above the program's procedure: clicks still reach the model through both, and the
// window's last message still passes both when the form goes.
TEST_F(WidgetPeers, AControlSubclassedAfterTheProgramStillReachesTheModelAndEndsCleanly) {
    struct Seen {
        int messages = 0;
        bool lastMessage = false;
    } seen;
    auto spy = [](HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR data) -> LRESULT {
        auto* s = reinterpret_cast<Seen*>(data);
        ++s->messages;
        if (msg == WM_NCDESTROY) s->lastMessage = true;
        return ::DefSubclassProc(h, msg, w, l);
    };
    auto other = std::make_unique<SampleForm>();
    app.CreateForm(*other);
    other->Show();
    HWND button = Hwnd(other->button.Handle());
    ASSERT_TRUE(::SetWindowSubclass(button, spy, 1, reinterpret_cast<DWORD_PTR>(&seen)));
    int clicks = 0;
    other->button.OnClick = [&] { ++clicks; };
    ::SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_GT(seen.messages, 0);
    other.reset();
    EXPECT_FALSE(::IsWindow(button));
    EXPECT_TRUE(seen.lastMessage);
}

TEST_F(WidgetPeers, SpeedButtonGroupKeepsExactlyOneDownOnScreen) {
    HWND first = Hwnd(form.first.Handle()), second = Hwnd(form.second.Handle());
    EXPECT_EQ(::SendMessageW(first, BM_GETCHECK, 0, 0), BST_CHECKED);
    ::SendMessageW(second, BM_CLICK, 0, 0);
    EXPECT_TRUE(form.second.Down());
    EXPECT_FALSE(form.first.Down());
    EXPECT_EQ(::SendMessageW(second, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageW(first, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    // Clicking the down button again leaves it down.
    ::SendMessageW(second, BM_CLICK, 0, 0);
    EXPECT_EQ(::SendMessageW(second, BM_GETCHECK, 0, 0), BST_CHECKED);
}

// ---------------------------------------------------------------------------------------------
// Edits

TEST_F(WidgetPeers, EditShowsTextSetFromCodeAndReportsTyping) {
    HWND edit = Hwnd(form.edit.Handle());
    form.edit.SetText(L"Ctrl+F12");
    EXPECT_EQ(TextOf(edit), L"Ctrl+F12");
    // Other programs read the window's name, not the edit's buffer: it must say the same.
    wchar_t name[64] = {};
    ::InternalGetWindowText(edit, name, 64);
    EXPECT_STREQ(name, L"Ctrl+F12");

    int changes = 0;
    form.edit.SetText(L"");
    form.edit.OnChange = [&] { ++changes; };
    ::SendMessageW(edit, WM_CHAR, L'a', 1);
    ::SendMessageW(edit, WM_CHAR, L'b', 1);
    EXPECT_EQ(form.edit.Text(), L"ab");
    EXPECT_EQ(TextOf(edit), L"ab");  // typed once, not echoed twice
    EXPECT_EQ(changes, 2);
}

TEST_F(WidgetPeers, KeyPressHandlerThatClearsTheCharacterKeepsTheEditEmpty) {
    HWND edit = Hwnd(form.edit.Handle());
    std::wstring seen;
    form.edit.OnKeyPress = [&](wchar_t& ch) {
        seen += ch;
        ch = 0;
    };
    for (wchar_t ch : std::wstring(L"xyz")) ::SendMessageW(edit, WM_CHAR, ch, 1);
    EXPECT_EQ(seen, L"xyz");
    EXPECT_EQ(TextOf(edit), L"");
    EXPECT_EQ(form.edit.Text(), L"");
}

TEST_F(WidgetPeers, KeyDownHandlerCanSwallowAKey) {
    HWND edit = Hwnd(form.edit.Handle());
    form.edit.SetText(L"abc");
    std::vector<std::uint16_t> downs, ups;
    form.edit.OnKeyDown = [&](std::uint16_t& key, nv::ShiftState) {
        downs.push_back(key);
        if (key == VK_DELETE) key = 0;
    };
    form.edit.OnKeyUp = [&](std::uint16_t& key, nv::ShiftState) { ups.push_back(key); };
    ::SendMessageW(edit, EM_SETSEL, 0, 0);
    ::SendMessageW(edit, WM_KEYDOWN, VK_DELETE, 1);
    ::SendMessageW(edit, WM_KEYUP, VK_DELETE, 1);
    EXPECT_EQ(TextOf(edit), L"abc");
    EXPECT_EQ(downs, std::vector<std::uint16_t>{VK_DELETE});
    EXPECT_EQ(ups, std::vector<std::uint16_t>{VK_DELETE});

    // Without the handler's veto the control deletes as usual, and the model learns it.
    form.edit.OnKeyDown = nullptr;
    ::SendMessageW(edit, WM_KEYDOWN, VK_DELETE, 1);
    EXPECT_EQ(TextOf(edit), L"bc");
    EXPECT_EQ(form.edit.Text(), L"bc");
}

TEST_F(WidgetPeers, FocusGoesBothWays) {
    form.edit.SetFocus();
    EXPECT_EQ(::GetFocus(), Hwnd(form.edit.Handle()));
    ::SetFocus(Hwnd(form.left.Handle()));
    EXPECT_EQ(app.FocusedControl(), &form.left);
}

// ---------------------------------------------------------------------------------------------
// List views and pages

TEST_F(WidgetPeers, ListViewShowsTheModelsRowsInTheModelsOrder) {
    HWND list = Hwnd(form.left.Handle());
    form.left.sorted = true;
    AddRow(form.left, L"notepad.exe", L"Untitled");
    AddRow(form.left, L"calc.exe", L"Calculator");
    AddRow(form.left, L"explorer.exe", L"Files");
    ASSERT_EQ(ListView_GetItemCount(list), 3);
    EXPECT_EQ(RowText(list, 0), L"calc.exe");
    EXPECT_EQ(RowText(list, 1), L"explorer.exe");
    EXPECT_EQ(RowText(list, 2), L"notepad.exe");
    EXPECT_EQ(RowText(list, 0, 1), L"Calculator");

    form.left.Item(1).SetSubItem(0, L"Downloads");
    EXPECT_EQ(RowText(list, 1, 1), L"Downloads");
    form.left.Delete(0);
    ASSERT_EQ(ListView_GetItemCount(list), 2);
    EXPECT_EQ(RowText(list, 0), L"explorer.exe");
    form.left.Clear();
    EXPECT_EQ(ListView_GetItemCount(list), 0);
}

TEST_F(WidgetPeers, ListViewRowsStayInStepThroughManyAddsMovesAndDeletes) {
    HWND list = Hwnd(form.left.Handle());
    form.left.sorted = true;
    unsigned seed = 12345;
    auto next = [&seed](unsigned range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    for (int step = 0; step < 300; ++step) {
        unsigned action = next(10);
        if (action < 5 || form.left.Count() == 0) {
            AddRow(form.left, L"row" + std::to_wstring(next(1000)), L"t" + std::to_wstring(step));
        } else if (action < 7) {
            form.left.Delete(static_cast<int>(next(form.left.Count())));
        } else if (action < 9) {
            form.left.Item(static_cast<int>(next(form.left.Count())))
                .SetCaption(L"row" + std::to_wstring(next(1000)));
        } else {
            form.left.SetItemIndex(static_cast<int>(next(form.left.Count())));
        }
        ASSERT_EQ(ListView_GetItemCount(list), form.left.Count()) << "step " << step;
        for (int i = 0; i < form.left.Count(); ++i) {
            ASSERT_EQ(RowText(list, i), form.left.Item(i).Caption()) << "step " << step;
            ASSERT_EQ(RowText(list, i, 1), form.left.Item(i).SubItems()[0]) << "step " << step;
        }
        ASSERT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), form.left.ItemIndex())
            << "step " << step;
    }
}

// A refill inside an update: the rows made anew may sit where the old ones were freed, yet
// the screen shows the new texts once the update ends, and a row the view still counts during
// the update but the model no longer has reads as empty.
TEST_F(WidgetPeers, ListViewShowsARefillMadeInsideAnUpdateWhenItEnds) {
    HWND list = Hwnd(form.left.Handle());
    for (int i = 0; i < 3; ++i) AddRow(form.left, L"old" + std::to_wstring(i), L"old");
    form.left.BeginUpdate();
    form.left.Clear();
    for (int i = 0; i < 2; ++i) AddRow(form.left, L"new" + std::to_wstring(i), L"t");
    EXPECT_EQ(RowText(list, 2), L"");
    AddRow(form.left, L"new2", L"t");
    form.left.Item(1).SetImageIndex(0);
    form.left.EndUpdate();
    ASSERT_EQ(ListView_GetItemCount(list), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(RowText(list, i), L"new" + std::to_wstring(i));
        EXPECT_EQ(RowText(list, i, 1), L"t");
    }
}

TEST_F(WidgetPeers, ListViewSelectionGoesBothWays) {
    HWND list = Hwnd(form.left.Handle());
    for (auto name : {L"a", L"b", L"c"}) AddRow(form.left, name, L"");
    form.left.SetItemIndex(2);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 2);

    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(form.left.ItemIndex(), 0);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 0);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    EXPECT_EQ(form.left.ItemIndex(), -1);
}

// Typing the first letters of a caption finds its row, from the start row on and round again.
TEST_F(WidgetPeers, ListViewFindsARowByTheFirstLettersOfItsCaption) {
    HWND list = Hwnd(form.left.Handle());
    for (auto name : {L"calc.exe", L"Notepad.exe", L"cmd.exe", L"n"}) AddRow(form.left, name, L"");
    LVFINDINFOW find{};
    find.flags = LVFI_STRING | LVFI_PARTIAL;
    find.psz = L"NOTE";
    EXPECT_EQ(ListView_FindItem(list, -1, &find), 1);
    find.psz = L"c";
    EXPECT_EQ(ListView_FindItem(list, 1, &find), 2);
    EXPECT_EQ(ListView_FindItem(list, 3, &find), 0);
    find.psz = L"notepad.exe and more";
    EXPECT_EQ(ListView_FindItem(list, -1, &find), -1);
}

TEST_F(WidgetPeers, ListViewKeysReachTheModel) {
    std::vector<std::uint16_t> keys;
    form.left.OnKeyDown = [&](std::uint16_t& key, nv::ShiftState) { keys.push_back(key); };
    ::SendMessageW(Hwnd(form.left.Handle()), WM_KEYDOWN, VK_F5, 1);
    EXPECT_EQ(keys, std::vector<std::uint16_t>{VK_F5});
}

TEST_F(WidgetPeers, PageControlShowsOnlyTheActivePage) {
    EXPECT_TRUE(::IsWindowVisible(Hwnd(form.sheetA.Handle())));
    EXPECT_FALSE(::IsWindowVisible(Hwnd(form.sheetB.Handle())));
    form.pages.SetActivePage(&form.sheetB);
    EXPECT_FALSE(::IsWindowVisible(Hwnd(form.sheetA.Handle())));
    EXPECT_TRUE(::IsWindowVisible(Hwnd(form.sheetB.Handle())));
}

// ---------------------------------------------------------------------------------------------
// The form

TEST_F(WidgetPeers, FormClientAreaFollowsTheModelAndTheModelFollowsResizing) {
    HWND window = Hwnd(form.Handle());
    RECT client;
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, 500);
    EXPECT_EQ(client.bottom, 320);

    RECT outer;
    ::GetWindowRect(window, &outer);
    ::SetWindowPos(window, nullptr, 0, 0, (outer.right - outer.left) + 40,
                   (outer.bottom - outer.top) + 30, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(form.Width(), 540);
    EXPECT_EQ(form.Height(), 350);
    // The bottom-aligned panel moved with the edge, natively too.
    EXPECT_EQ(form.bottom.Bounds().top, 330);
    RECT panel;
    ::GetWindowRect(Hwnd(form.bottom.Handle()), &panel);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&panel), 2);
    EXPECT_EQ(panel.top, 330);
    EXPECT_EQ(panel.right, 540);
}

TEST_F(WidgetPeers, FormCannotBeMadeSmallerThanItsMinimumSize) {
    HWND window = Hwnd(form.Handle());
    MINMAXINFO info{};
    ::SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 400);
    EXPECT_EQ(info.ptMinTrackSize.y, 300);
}

TEST_F(WidgetPeers, FormPassesHotkeysAndTheEndOfSessionQuery) {
    HWND window = Hwnd(form.Handle());
    std::vector<int> hotkeys;
    form.OnHotKey = [&](int id) { hotkeys.push_back(id); };
    ::SendMessageW(window, WM_HOTKEY, 2, 0);
    ::SendMessageW(window, WM_HOTKEY, 0, 0);
    EXPECT_EQ(hotkeys, (std::vector<int>{2, 0}));

    bool allow = false;
    int queries = 0;
    form.OnCloseQuery = [&](bool& canClose) {
        ++queries;
        canClose = allow;
    };
    EXPECT_EQ(::SendMessageW(window, WM_QUERYENDSESSION, 0, 0), FALSE);
    allow = true;
    EXPECT_EQ(::SendMessageW(window, WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(queries, 2);
    EXPECT_TRUE(::IsWindowVisible(window));  // answering the query does not close

    // A save that fails in the close query is reported and the session is not let end.
    form.OnCloseQuery = [](bool&) { throw std::runtime_error("Cannot write file \"ExList.Dat\""); };
    EXPECT_EQ(::SendMessageW(window, WM_QUERYENDSESSION, 0, 0), FALSE);
    ASSERT_EQ(windows.boxes.size(), 1u);
    EXPECT_EQ(windows.boxes[0], L"Cannot write file \"ExList.Dat\"");  // '"' is below 46
}

TEST_F(WidgetPeers, HidingAndShowingTheFormFollowsTheModel) {
    HWND window = Hwnd(form.Handle());
    EXPECT_TRUE(::IsWindowVisible(window));
    form.Hide();
    EXPECT_FALSE(::IsWindowVisible(window));
    form.Show();
    EXPECT_TRUE(::IsWindowVisible(window));
}

TEST_F(WidgetPeers, CloseThatTheQueryRefusesKeepsTheForm) {
    HWND window = Hwnd(form.Handle());
    form.OnCloseQuery = [](bool& canClose) { canClose = false; };
    ::SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(window));
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_FALSE(app.Terminated());
}

TEST_F(WidgetPeers, TheRegisteredCloseMessageClosesOnlyTheFormThatAnswersIt) {
    nv::TForm other("OtherForm");
    other.SetClientSize(200, 100);
    other.closeMessage = L"NvTestCloseRequest";
    app.CreateForm(other);
    other.Show();
    int queries = 0;
    other.OnCloseQuery = [&](bool& canClose) {
        ++queries;
        canClose = true;
    };
    form.OnCloseQuery = [&](bool&) { ADD_FAILURE() << "the sample form was asked to close"; };
    // Found by its class, as another program finds it.
    HWND found = ::FindWindowW(L"TOtherForm", nullptr);
    ASSERT_EQ(found, Hwnd(other.Handle()));
    UINT message = ::RegisterWindowMessageW(L"NvTestCloseRequest");
    ::PostMessageW(Hwnd(form.Handle()), message, 0, 0);
    ::PostMessageW(found, message, 0, 0);
    PumpPending();
    EXPECT_EQ(queries, 1);
    EXPECT_FALSE(::IsWindowVisible(found));
    EXPECT_TRUE(::IsWindowVisible(Hwnd(form.Handle())));
    form.OnCloseQuery = nullptr;
}

TEST_F(WidgetPeers, ModalFormDisablesTheMainFormUntilItIsClosed) {
    HWND main = Hwnd(form.Handle());
    nv::TForm dialog("Dialog");
    dialog.SetClientSize(200, 100);
    app.CreateForm(dialog);
    bool mainEnabledMeanwhile = true;
    dialog.OnShow = [&] {
        mainEnabledMeanwhile = ::IsWindowEnabled(main) != FALSE;
        ::PostMessageW(Hwnd(dialog.Handle()), WM_CLOSE, 0, 0);
    };
    EXPECT_EQ(dialog.ShowModal(), nv::ModalResult::Cancel);
    EXPECT_FALSE(mainEnabledMeanwhile);
    EXPECT_TRUE(::IsWindowEnabled(main));
    EXPECT_FALSE(::IsWindowVisible(Hwnd(dialog.Handle())));
}

// A dialog as the password dialogs are built: a masked edit, Enter presses the default
// button and Escape the cancel button, and it goes where CenterFormOver puts it.
TEST_F(WidgetPeers, DialogKeysMaskedEditAndPlacementOverItsOwner) {
    nv::TForm dialog("KeysDialog");
    dialog.SetClientSize(200, 100);
    dialog.sizeable = false;
    nv::TEdit secret{&dialog, "secret"};
    secret.passwordChar = L'*';
    secret.SetBounds(10, 10, 150, 21);
    nv::TButton ok{&dialog, "ok"}, cancel{&dialog, "cancel"};
    ok.SetCaption(L"Ok");
    ok.isDefault = true;
    ok.SetBounds(10, 60, 75, 25);
    cancel.SetCaption(L"Cancel");
    cancel.isCancel = true;
    cancel.SetBounds(100, 60, 75, 25);
    ok.OnClick = [&] { dialog.SetModalResult(nv::ModalResult::Ok); };
    cancel.OnClick = [&] { dialog.SetModalResult(nv::ModalResult::Cancel); };
    app.CreateForm(dialog);
    HWND edit = Hwnd(secret.Handle());
    EXPECT_TRUE(::GetWindowLongW(edit, GWL_STYLE) & ES_PASSWORD);
    EXPECT_EQ(::SendMessageW(edit, EM_GETPASSWORDCHAR, 0, 0), L'*');
    EXPECT_FALSE(::GetWindowLongW(Hwnd(dialog.Handle()), GWL_STYLE) & WS_MINIMIZEBOX);

    nv::Rect owner = form.ScreenBounds(), mine = dialog.ScreenBounds();
    nv::CenterFormOver(platform.windows, form, dialog);
    RECT r{};
    ::GetWindowRect(Hwnd(dialog.Handle()), &r);
    EXPECT_EQ(r.left, owner.left + (owner.Width() - mine.Width()) / 2);
    EXPECT_EQ(r.top, std::max(0, owner.top + (owner.Height() - mine.Height()) / 2));

    for (auto [key, expected] : {std::pair{VK_RETURN, nv::ModalResult::Ok},
                                 std::pair{VK_ESCAPE, nv::ModalResult::Cancel}}) {
        WPARAM vk = key;
        dialog.OnShow = [&, vk] {
            secret.SetFocus();
            ::PostMessageW(edit, WM_KEYDOWN, vk, 0);
        };
        EXPECT_EQ(dialog.ShowModal(), expected) << vk;
        // Shown again where it was put, not centred on the screen.
        ::GetWindowRect(Hwnd(dialog.Handle()), &r);
        EXPECT_EQ(r.left, owner.left + (owner.Width() - mine.Width()) / 2);
    }
}

TEST_F(WidgetPeers, TimerTicksThroughTheErrorBoundaryAndStopsWhenDisabled) {
    nv::TTimer timer;
    timer.interval = 10;
    int ticks = 0;
    timer.OnTimer = [&] {
        if (++ticks == 1) throw std::runtime_error("The tick failed");
    };
    app.CreateTimer(timer);
    timer.SetEnabled(true);
    for (DWORD start = ::GetTickCount(); ticks < 2 && ::GetTickCount() - start < 3000;) {
        PumpPending();
        ::Sleep(5);
    }
    EXPECT_GE(ticks, 2);
    ASSERT_FALSE(windows.boxes.empty());
    EXPECT_EQ(windows.boxes[0], L"The tick failed.");

    timer.SetEnabled(false);
    PumpPending();
    int seen = ticks;
    ::Sleep(60);
    PumpPending();
    EXPECT_EQ(ticks, seen);
}

// ---------------------------------------------------------------------------------------------
// Splitter and help

class SplitForm : public nv::TForm {
public:
    SplitForm() : TForm("SplitForm") {
        SetClientSize(400, 200);
        left.SetBounds(0, 0, 150, 10);
        left.SetAlign(nv::Align::Left);
        splitter.SetBounds(0, 0, 5, 10);
        splitter.SetAlign(nv::Align::Left);
        splitter.minSize = 100;
        right.SetAlign(nv::Align::Client);
        group.SetBounds(10, 10, 120, 80);
        option.SetBounds(10, 20, 100, 17);
        option.helpContext = 1012;
        left.helpContext = 1001;
        helpContext = 1000;
        list.SetCaption(L"List");
        list.SetBounds(40, 60, 60, 23);
        list.dropDownMenu = &menu;
        menu.items.Add("current", L"Current");
    }
    nv::TPanel left{this, "left"};
    nv::TSplitter splitter{this, "splitter"};
    nv::TPanel right{this, "right"};
    nv::TGroupBox group{&left, "group"};
    nv::TCheckBox option{&group, "option"};
    nv::TButton plain{&right, "plain"};
    nv::TButton list{&right, "list"};
    nv::TPopupMenu menu{"menu"};
};

class WidgetSplitAndHelp : public ::testing::Test {
protected:
    void SetUp() override {
        app.CreateForm(form);
        form.Show();
        PumpPending();
    }
    // Presses the left button on the splitter and moves the mouse by dx screen pixels.
    void DragSplitter(int dx) {
        HWND splitter = Hwnd(form.splitter.Handle());
        RECT r;
        ::GetWindowRect(splitter, &r);
        POINT start{r.left + 2, r.top + 20};
        POINT p = start;
        ::ScreenToClient(splitter, &p);
        ::SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        POINT end{start.x + dx, start.y};
        ::ScreenToClient(splitter, &end);
        ::SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON,
                       MAKELPARAM(static_cast<WORD>(end.x), static_cast<WORD>(end.y)));
        ::SendMessageW(splitter, WM_LBUTTONUP, 0,
                       MAKELPARAM(static_cast<WORD>(end.x), static_cast<WORD>(end.y)));
    }
    int NativeWidth(nv::TControl& c) {
        RECT r;
        ::GetWindowRect(Hwnd(c.Handle()), &r);
        return r.right - r.left;
    }

    nvtest::RecordingWindows windows;
    nv::Win32Platform os;
    nv::Platform platform = os.AsPlatform();
    nv::Win32WidgetBackend native{platform};
    nvtest::HelpRecordingBackend backend{native};
    nv::TApplication app{windows, backend};
    SplitForm form;
};

TEST_F(WidgetSplitAndHelp, DraggingTheSplitterMovesThePanelsWithinTheirMinimumSizes) {
    DragSplitter(40);
    EXPECT_EQ(form.left.Width(), 190);
    EXPECT_EQ(NativeWidth(form.left), 190);
    EXPECT_EQ(NativeWidth(form.right), 400 - 190 - 5);

    DragSplitter(-300);  // the left panel stops at its minimum
    EXPECT_EQ(form.left.Width(), 100);
    EXPECT_EQ(NativeWidth(form.left), 100);
    DragSplitter(400);  // and the client panel at its own
    EXPECT_EQ(form.right.Width(), 100);
    EXPECT_EQ(NativeWidth(form.right), 100);
}

TEST_F(WidgetSplitAndHelp, GroupBoxChildrenKeepTheirModelPositions) {
    RECT box;
    ::GetWindowRect(Hwnd(form.option.Handle()), &box);
    ::MapWindowPoints(nullptr, Hwnd(form.group.Handle()), reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.top, 20);
}

TEST_F(WidgetSplitAndHelp, HelpOpensAtTheFocusedControlsContextOrTheNearestAboveIt) {
    HWND window = Hwnd(form.Handle());
    form.option.SetFocus();
    ::SendMessageW(window, WM_HELP, 0, 0);
    form.plain.SetFocus();  // no context of its own, nor has its panel: the window's
    ::SendMessageW(window, WM_HELP, 0, 0);
    EXPECT_EQ(backend.contexts, (std::vector<int>{1012, 1000}));

    // F1 through the message loop, as the user presses it.
    form.option.SetFocus();
    ::PostMessageW(Hwnd(form.option.Handle()), WM_KEYDOWN, VK_F1, 1);
    ::PostQuitMessage(0);
    backend.RunMessageLoop();
    EXPECT_EQ(backend.contexts.back(), 1012);
    EXPECT_EQ(backend.contexts.size(), 3u);
}

TEST_F(WidgetSplitAndHelp, ADropDownButtonOpensItsMenuBelowItsLowerLeftCorner) {
    int clicks = 0;
    form.list.OnClick = [&] { ++clicks; };
    HWND button = Hwnd(form.list.Handle());
    ::SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    RECT r;
    ::GetWindowRect(button, &r);
    ASSERT_EQ(backend.menus.size(), 1u);
    EXPECT_EQ(backend.menus[0].first, "menu");
    EXPECT_EQ(backend.menus[0].second.x, r.left);
    EXPECT_EQ(backend.menus[0].second.y, r.bottom);
    EXPECT_GT(r.bottom, r.top);
}

// ---------------------------------------------------------------------------------------------
// Drag and drop between list views

class WidgetDrag : public WidgetPeers {
protected:
    void SetUp() override {
        WidgetPeers::SetUp();
        for (auto name : {L"a.exe", L"b.exe", L"c.exe"}) AddRow(form.left, name, L"");
        form.right.OnDragOver = [this](nv::TControl* source, bool& accept) {
            overs.push_back(source);
            accept = acceptDrops;
        };
        form.right.OnDragDrop = [this](nv::TControl* source) {
            drops.push_back(source);
            droppedIndex = form.left.ItemIndex();
        };
        PumpPending();
    }

    // Starts a drag on a row of the left list and lets the button go over the right list.
    void DragRowToRightList(int row) {
        HWND source = Hwnd(form.left.Handle());
        NMLISTVIEW begin{};
        begin.hdr.hwndFrom = source;
        begin.hdr.code = LVN_BEGINDRAG;
        begin.iItem = row;
        ::SendMessageW(::GetParent(source), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&begin));
        RECT target;
        ::GetWindowRect(Hwnd(form.right.Handle()), &target);
        POINT p{(target.left + target.right) / 2, (target.top + target.bottom) / 2};
        ::ScreenToClient(source, &p);
        LPARAM at = MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
        ::SendMessageW(source, WM_MOUSEMOVE, MK_LBUTTON, at);
        cursorOverTarget = ::GetCursor();
        ::SendMessageW(source, WM_LBUTTONUP, 0, at);
    }

    bool acceptDrops = true;
    std::vector<nv::TControl*> overs;
    std::vector<nv::TControl*> drops;
    int droppedIndex = -2;
    HCURSOR cursorOverTarget = nullptr;
    HCURSOR noDrop = ::LoadCursorW(nullptr, IDC_NO);
};

TEST_F(WidgetDrag, AcceptedDragDropsTheRowItStartedOn) {
    DragRowToRightList(1);
    ASSERT_FALSE(overs.empty());
    EXPECT_EQ(overs[0], &form.left);
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0], &form.left);
    EXPECT_EQ(droppedIndex, 1);
    EXPECT_NE(cursorOverTarget, noDrop);
    EXPECT_NE(cursorOverTarget, nullptr);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(WidgetDrag, RefusedDragDropsNothing) {
    acceptDrops = false;
    DragRowToRightList(0);
    EXPECT_FALSE(overs.empty());
    EXPECT_TRUE(drops.empty());
    EXPECT_EQ(cursorOverTarget, noDrop);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(WidgetDrag, ListWithoutAutoDragStartsNoDrag) {
    form.left.autoDrag = false;
    DragRowToRightList(0);
    EXPECT_TRUE(overs.empty());
    EXPECT_TRUE(drops.empty());
}

}  // namespace
