// Editing the two window lists: drags, popup menus, keys, the questions asked and when the
// lists are saved.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "ui/ListEditing.h"
#include "inventory/WindowEntry.h"
#include "widgets/MenuPictures.h"
#include "support/Harness.h"

namespace nv::test {
namespace {

constexpr std::uint16_t kDelete = 46;

struct ListEditing : ::testing::Test {
    Harness h;
    TMainForm* form = nullptr;

    void SetUp() override {
        h.desktop.AddProcess(1, L"\\Device\\HarddiskVolume1\\Apps\\editor.exe");
        h.desktop.AddProcess(2, L"\\Device\\HarddiskVolume1\\Apps\\browser.exe");
        h.desktop.AddWindow(L"Notes - Editor", L"EditorWnd", 1);
        h.desktop.AddWindow(L"Home - Browser", L"BrowserWnd", 2);
        ASSERT_TRUE(h.Start());
        form = &h.Form();
        ASSERT_EQ(Available().Count(), 2);  // browser.exe, editor.exe
    }

    TListView& Available() { return form->AvailableWindowsList; }
    TListView& Exclude() { return form->ExcludeList; }
    TListView& BringToTop() { return form->BringToTopList; }
    TMenuItem& Menu(TPopupMenu& menu, const char* name) { return *menu.Find(name); }
    void Click(TPopupMenu& menu, const char* name) {
        h.User([&] { Menu(menu, name).Click(); });
    }
    // Drags the item at index of source onto target, as a user does: the item under the mouse
    // is selected first. Returns whether the target accepted it.
    bool Drag(TListView& source, int index, TListView& target) {
        source.SetItemIndex(index);
        bool accepted = false;
        h.User([&] { accepted = target.DragFrom(source); });
        return accepted;
    }
    std::uintmax_t FileSize(const std::wstring& file) {
        return std::filesystem::file_size(h.desktop.RealPath(file));
    }
    std::vector<std::wstring> Texts() {
        std::vector<std::wstring> out;
        for (const auto& m : h.desktop.messageBoxes) out.push_back(m.text);
        return out;
    }
};

TEST_F(ListEditing, DroppedWindowJoinsWithAllWindowsOnAndIsSavedAtOnce) {
    EXPECT_TRUE(Drag(Available(), 1, Exclude()));  // editor.exe
    ASSERT_EQ(Exclude().Count(), 1);
    const TListItem& item = Exclude().Item(0);
    EXPECT_EQ(item.Caption(), L"editor.exe");
    EXPECT_EQ(item.SubItems(), (std::vector<std::wstring>{L"Notes - Editor", L"yes"}));
    const auto* entry = item.DataAs<TWindowEntry>();
    EXPECT_EQ(entry->TitleBytes(), "Notes - Editor");
    EXPECT_EQ(entry->PathBytes(), "C:\\Apps\\editor.exe");
    EXPECT_EQ(entry->AllWindows(), 1);
    EXPECT_EQ(FileSize(h.Globals().excludeListFile), 513u);

    // The popup menu adds the same way.
    Available().SetItemIndex(0);
    Click(form->popMenuAvailableWindows, "Add1");
    ASSERT_EQ(Exclude().Count(), 2);
    EXPECT_EQ(Exclude().Item(0).Caption(), L"browser.exe");  // sorted by program name
    EXPECT_EQ(FileSize(h.Globals().excludeListFile), 1026u);
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

TEST_F(ListEditing, SameProgramAndTitleIsRefusedButAChangedTitleIsAdded) {
    Drag(Available(), 1, Exclude());
    Drag(Available(), 1, Exclude());
    EXPECT_EQ(Exclude().Count(), 1);
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(h.desktop.messageBoxes[0].text, L"This winodw is already in the list");
    EXPECT_EQ(h.desktop.messageBoxes[0].kind, MessageBoxKind::Warning);
    EXPECT_EQ(h.desktop.messageBoxes[0].buttons, MessageBoxButtons::Ok);

    // The "All" column plays no part in the match.
    h.User([&] {
        Exclude().SetItemIndex(0);
        Menu(form->popMenuDoNotHideList, "mnAllWinodws").Click();
    });
    Drag(Available(), 1, Exclude());
    EXPECT_EQ(Exclude().Count(), 1);

    h.desktop.Window(h.desktop.ZOrder().back()).title = L"Other - Editor";
    h.User([&] { form->btnRefreshList.Click(); });
    Drag(Available(), 1, Exclude());
    EXPECT_EQ(Exclude().Count(), 2);
}

TEST_F(ListEditing, AWindowWithoutProgramPathIsKeptByItsTitle) {
    h.desktop.AddWindow(L"Elevated tool", L"X", 77);  // its process cannot be opened
    h.User([&] { form->btnRefreshList.Click(); });
    ASSERT_EQ(Available().Item(0).Caption(), L"");
    Drag(Available(), 0, Exclude());
    ASSERT_EQ(Exclude().Count(), 1);
    EXPECT_EQ(Exclude().Item(0).SubItems().at(0), L"Elevated tool");
    EXPECT_EQ(Exclude().Item(0).DataAs<TWindowEntry>()->PathBytes(), "");
}

TEST_F(ListEditing, AllWindowsTogglesYesNoYesAndWaitsForTheNextSave) {
    Drag(Available(), 1, Exclude());
    Exclude().SetItemIndex(0);
    const auto* entry = Exclude().Item(0).DataAs<TWindowEntry>();
    Click(form->popMenuDoNotHideList, "mnAllWinodws");
    EXPECT_EQ(Exclude().Item(0).SubItems().at(1), L"no");
    EXPECT_EQ(entry->AllWindows(), 0);
    Click(form->popMenuDoNotHideList, "mnAllWinodws");
    EXPECT_EQ(Exclude().Item(0).SubItems().at(1), L"yes");
    EXPECT_EQ(entry->AllWindows(), 1);

    // Nothing selected: nothing happens.
    Exclude().SetItemIndex(-1);
    Click(form->popMenuDoNotHideList, "mnAllWinodws");
    EXPECT_EQ(Exclude().Item(0).SubItems().at(1), L"yes");
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

TEST_F(ListEditing, AByteOfTwoFromAFileTurnsOffOnTheFirstToggle) {
    Drag(Available(), 1, Exclude());
    auto* entry = Exclude().Item(0).DataAs<TWindowEntry>();
    entry->SetAllWindows(2);
    Exclude().SetItemIndex(0);
    Click(form->popMenuDoNotHideList, "mnAllWinodws");
    EXPECT_EQ(entry->AllWindows(), 0);
    EXPECT_EQ(Exclude().Item(0).SubItems().at(1), L"no");
}

TEST_F(ListEditing, RemoveAsksAndOnlyYesRemovesAndSaves) {
    Drag(Available(), 0, Exclude());
    Drag(Available(), 1, Exclude());
    ASSERT_EQ(FileSize(h.Globals().excludeListFile), 1026u);

    // Nothing selected, through the Delete key.
    Exclude().SetItemIndex(-1);
    h.User([&] { Exclude().KeyUp(kDelete); });
    EXPECT_EQ(Texts(), std::vector<std::wstring>{L"Please select an item first."});

    Exclude().SetItemIndex(1);  // editor.exe
    h.desktop.messageBoxAnswers = {MessageBoxResult::Cancel};
    Click(form->popMenuDoNotHideList, "mnRemoveSelectedEntry");
    ASSERT_EQ(h.desktop.messageBoxes.size(), 2u);
    EXPECT_EQ(h.desktop.messageBoxes[1].text,
              L"The item: \"editor.exe\" will be removed from the list!\nContinue?");
    EXPECT_EQ(h.desktop.messageBoxes[1].kind, MessageBoxKind::Warning);
    EXPECT_EQ(h.desktop.messageBoxes[1].buttons, MessageBoxButtons::YesCancel);
    EXPECT_EQ(Exclude().Count(), 2);

    // Other keys do nothing; Delete released asks again.
    h.User([&] { Exclude().KeyUp(65); });
    EXPECT_EQ(h.desktop.messageBoxes.size(), 2u);
    h.desktop.messageBoxAnswers = {MessageBoxResult::Yes};
    h.User([&] { Exclude().KeyUp(kDelete); });
    ASSERT_EQ(Exclude().Count(), 1);
    EXPECT_EQ(Exclude().Item(0).Caption(), L"browser.exe");
    EXPECT_EQ(FileSize(h.Globals().excludeListFile), 513u);
}

TEST_F(ListEditing, ClearingTheDoNotHideListAsksAndWaitsForTheNextSave) {
    Drag(Available(), 0, Exclude());
    Click(form->popMenuDoNotHideList, "mnClearDoNotHideListList");
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(h.desktop.messageBoxes[0].text,
              L"All the items in the \"Do not hide\" list will be removed!\nContinue?");
    EXPECT_EQ(h.desktop.messageBoxes[0].buttons, MessageBoxButtons::YesCancel);
    EXPECT_EQ(Exclude().Count(), 1);  // closing the box counts as Cancel

    h.desktop.messageBoxAnswers = {MessageBoxResult::Yes};
    Click(form->popMenuDoNotHideList, "mnClearDoNotHideListList");
    EXPECT_EQ(Exclude().Count(), 0);
    EXPECT_EQ(FileSize(h.Globals().excludeListFile), 513u);
    h.Finish();
    EXPECT_EQ(FileSize(h.Globals().excludeListFile), 0u);
}

TEST_F(ListEditing, BringToTopTakesACopyOfTheSelectedEntryAndHoldsOnlyOne) {
    Drag(Available(), 0, Exclude());
    Drag(Available(), 1, Exclude());
    EXPECT_TRUE(Drag(Exclude(), 1, BringToTop()));
    ASSERT_EQ(BringToTop().Count(), 1);
    EXPECT_EQ(BringToTop().Item(0).Caption(), L"editor.exe");
    EXPECT_EQ(BringToTop().Item(0).SubItems(), std::vector<std::wstring>{L"Notes - Editor"});
    const auto* copy = BringToTop().Item(0).DataAs<TWindowEntry>();
    const auto* source = Exclude().Item(1).DataAs<TWindowEntry>();
    EXPECT_NE(copy, source);
    EXPECT_TRUE(
        std::equal(source->bytes.begin(), source->bytes.begin() + 512, copy->bytes.begin()));
    EXPECT_EQ(FileSize(h.Globals().bringToTopFile), 513u);

    EXPECT_TRUE(Drag(Exclude(), 0, BringToTop()));
    ASSERT_EQ(BringToTop().Count(), 1);
    EXPECT_EQ(BringToTop().Item(0).Caption(), L"browser.exe");
    EXPECT_EQ(Exclude().Count(), 2);  // the Do-not-hide entry stays
    EXPECT_EQ(FileSize(h.Globals().bringToTopFile), 513u);
}

TEST_F(ListEditing, DeleteInBringToTopClearsWithoutAQuestionAndSaves) {
    Drag(Available(), 0, Exclude());
    Drag(Exclude(), 0, BringToTop());
    h.User([&] { BringToTop().KeyDown(65); });
    EXPECT_EQ(BringToTop().Count(), 1);
    h.User([&] { BringToTop().KeyDown(kDelete); });
    EXPECT_EQ(BringToTop().Count(), 0);
    EXPECT_EQ(FileSize(h.Globals().bringToTopFile), 0u);
    EXPECT_TRUE(h.desktop.messageBoxes.empty());

    Drag(Exclude(), 0, BringToTop());
    Click(form->PopMenuBringToTopList, "mnClearBringToTopList");
    EXPECT_EQ(BringToTop().Count(), 0);
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

TEST_F(ListEditing, DragsFromTheWrongListAreRefused) {
    Drag(Available(), 0, Exclude());
    EXPECT_FALSE(Drag(Exclude(), 0, Exclude()));
    EXPECT_FALSE(Drag(Available(), 1, BringToTop()));
    Drag(Exclude(), 0, BringToTop());
    EXPECT_FALSE(Drag(BringToTop(), 0, Exclude()));
    EXPECT_FALSE(Drag(BringToTop(), 0, BringToTop()));
    EXPECT_EQ(Exclude().Count(), 1);
    EXPECT_EQ(BringToTop().Count(), 1);

    // An accepted drop with nothing selected does nothing.
    Available().SetItemIndex(-1);
    h.User([&] { Exclude().DragFrom(Available()); });
    Exclude().SetItemIndex(-1);
    h.User([&] { BringToTop().DragFrom(Exclude()); });
    EXPECT_EQ(Exclude().Count(), 1);
    EXPECT_EQ(BringToTop().Count(), 1);
}

TEST_F(ListEditing, PopupGreysEntryCommandsWhenNothingIsSelected) {
    TPopupMenu& menu = form->popMenuDoNotHideList;
    menu.Popup(0, 0);
    EXPECT_FALSE(Menu(menu, "mnRemoveSelectedEntry").enabled);
    EXPECT_FALSE(Menu(menu, "mnAllWinodws").enabled);
    EXPECT_TRUE(Menu(menu, "mnClearDoNotHideListList").enabled);
    EXPECT_TRUE(Menu(menu, "mnClearDoNotHideListAddFromDisk").enabled);

    Drag(Available(), 0, Exclude());
    Exclude().SetItemIndex(0);
    menu.Popup(0, 0);
    EXPECT_TRUE(Menu(menu, "mnRemoveSelectedEntry").enabled);
    EXPECT_TRUE(Menu(menu, "mnAllWinodws").enabled);
}

TEST_F(ListEditing, EachCommandOfTheListMenusShowsAPictureOfItsOwn) {
    // Every command has one of the menu pictures, a separator none; commands that do different
    // things look different, and "Clear List" looks the same in both lists.
    std::map<std::string, int> pictures;
    for (TPopupMenu* menu : {&form->popMenuAvailableWindows, &form->popMenuDoNotHideList,
                             &form->PopMenuBringToTopList})
        for (const auto& item : menu->items.items) {
            if (item->IsSeparator()) {
                EXPECT_EQ(item->imageIndex, -1) << item->name;
                continue;
            }
            EXPECT_GE(item->imageIndex, 0) << item->name;
            EXPECT_LT(item->imageIndex, kMenuPictureCount) << item->name;
            pictures[item->name] = item->imageIndex;
        }
    EXPECT_EQ(pictures.at("mnClearBringToTopList"), pictures.at("mnClearDoNotHideListList"));
    pictures.erase("mnClearBringToTopList");
    std::set<int> distinct;
    for (const auto& [name, picture] : pictures) distinct.insert(picture);
    EXPECT_EQ(distinct.size(), pictures.size());
    EXPECT_EQ(Menu(form->popMenuAvailableWindows, "RefreshList1").shortCut, L"F5");
}

TEST_F(ListEditing, AddFromDiskTwiceAddsTwoEntriesWithoutTitle) {
    h.desktop.openFileAnswer = L"D:\\Tools\\player.exe";
    Click(form->popMenuDoNotHideList, "mnClearDoNotHideListAddFromDisk");
    Click(form->popMenuDoNotHideList, "mnClearDoNotHideListAddFromDisk");
    ASSERT_EQ(Exclude().Count(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Exclude().Item(i).Caption(), L"player.exe");
        EXPECT_EQ(Exclude().Item(i).SubItems(), (std::vector<std::wstring>{L"", L"yes"}));
        EXPECT_EQ(Exclude().Item(i).DataAs<TWindowEntry>()->PathBytes(), "D:\\Tools\\player.exe");
    }
    EXPECT_EQ(FileSize(h.Globals().excludeListFile), 1026u);
    EXPECT_TRUE(h.desktop.messageBoxes.empty());

    h.desktop.openFileAnswer.reset();  // cancelled
    Click(form->popMenuDoNotHideList, "mnClearDoNotHideListAddFromDisk");
    EXPECT_EQ(Exclude().Count(), 2);
}

}  // namespace
}  // namespace nv::test
