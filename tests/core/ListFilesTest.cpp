// The list files: 513-byte records, conversion of their texts, loading and saving both lists.
#include <gtest/gtest.h>

#include <fstream>

#include "inventory/ListFiles.h"
#include "support/Harness.h"

namespace nv::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// One record as another program might have written it: text, then non-zero filler that has
// no meaning but must survive a load and a save untouched.
Bytes Record(const std::string& title, const std::string& path, std::uint8_t all) {
    Bytes r(TWindowEntry::kSize, 0xCC);
    r[0] = static_cast<std::uint8_t>(title.size());
    std::copy(title.begin(), title.end(), r.begin() + 1);
    r[256] = static_cast<std::uint8_t>(path.size());
    std::copy(path.begin(), path.end(), r.begin() + 257);
    r[512] = all;
    return r;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

void WriteFile(FakeDesktop& desktop, const std::wstring& path, const Bytes& bytes) {
    std::ofstream out(desktop.RealPath(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(FakeDesktop& desktop, const std::wstring& path) {
    std::ifstream in(desktop.RealPath(path), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(ListFiles, ThreeRecordsAndStrayBytesLoadSortedAndSaveBackInDisplayOrder) {
    Harness h;
    h.Make();
    const std::wstring file = h.Globals().excludeListFile;
    Bytes zed = Record("Zed title", "C:\\Apps\\zed.exe", 1);
    Bytes alpha = Record("Alpha title", "C:\\Apps\\Alpha.exe", 0);
    Bytes mid = Record("", "D:mid.exe", 2);  // written by other means: byte 2 is yes too
    WriteFile(h.desktop, file, Join({zed, alpha, mid, Bytes(87, 0x41)}));
    ASSERT_TRUE(h.Start());

    TListView& list = h.Form().ExcludeList;
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Item(0).Caption(), L"Alpha.exe");
    EXPECT_EQ(list.Item(0).SubItems(), (std::vector<std::wstring>{L"Alpha title", L"no"}));
    EXPECT_EQ(list.Item(1).Caption(), L"mid.exe");  // the name follows the drive's colon
    EXPECT_EQ(list.Item(1).SubItems(), (std::vector<std::wstring>{L"", L"yes"}));
    EXPECT_EQ(list.Item(2).Caption(), L"zed.exe");
    EXPECT_EQ(list.Item(2).SubItems(), (std::vector<std::wstring>{L"Zed title", L"yes"}));

    h.User([&] { h.Form().SaveExcludeList(); });
    Bytes saved = ReadFile(h.desktop, file);
    EXPECT_EQ(saved.size(), 1539u);
    EXPECT_EQ(saved, Join({alpha, mid, zed}));
}

TEST(ListFiles, BringToTopFileKeepsEveryRecordInFileOrder) {
    Harness h;
    h.Make();
    const std::wstring file = h.Globals().bringToTopFile;
    Bytes second = Record("Two", "C:\\b.exe", 0);
    Bytes first = Record("One", "C:\\z.exe", 0);
    WriteFile(h.desktop, file, Join({first, second}));
    ASSERT_TRUE(h.Start());
    TListView& list = h.Form().BringToTopList;
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Item(0).Caption(), L"z.exe");
    EXPECT_EQ(list.Item(0).SubItems(), std::vector<std::wstring>{L"One"});  // no "All" column
    EXPECT_EQ(list.Item(1).Caption(), L"b.exe");
    h.User([&] { h.Form().SaveBringToTopList(); });
    EXPECT_EQ(ReadFile(h.desktop, file), Join({first, second}));
}

TEST(ListFiles, MissingAndEmptyFilesLoadNothingAndAnEmptyListSavesZeroBytes) {
    Harness h;
    h.Make();
    WriteFile(h.desktop, h.Globals().excludeListFile, {});
    WriteFile(h.desktop, h.Globals().bringToTopFile, Bytes(512, 1));  // less than one record
    ASSERT_TRUE(h.Start());
    EXPECT_EQ(h.Form().ExcludeList.Count(), 0);
    EXPECT_EQ(h.Form().BringToTopList.Count(), 0);
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
    std::filesystem::remove(h.desktop.RealPath(h.Globals().excludeListFile));

    h.User([&] {
        h.Form().SaveExcludeList();
        h.Form().SaveBringToTopList();
    });
    for (const std::wstring& file : {h.Globals().excludeListFile, h.Globals().bringToTopFile}) {
        EXPECT_TRUE(h.desktop.FileExists(file));
        EXPECT_EQ(std::filesystem::file_size(h.desktop.RealPath(file)), 0u);
    }
}

TEST(ListFiles, LongTitlesAreCutTo255BytesAndOtherScriptsBecomeReplacementCharacters) {
    FakeDesktop desktop;
    std::wstring longTitle(300, L'x');
    EXPECT_EQ(ToEntryText(desktop, longTitle), std::string(255, 'x'));
    EXPECT_EQ(ToEntryText(desktop, L"caf\u00e9 \u0416\u0436 \u20ac"), "caf\xe9 ?? \x80");

    auto entry = NewWindowEntry(desktop, longTitle + L"tail", L"C:\\\u0416\\app.exe", 1);
    EXPECT_EQ(entry->bytes[0], 255);
    TListView list(nullptr, "ExcludeList");
    list.Add().SetData(std::move(entry));
    const std::wstring file = L"C:\\lists\\ExList.Dat";
    std::filesystem::create_directories(desktop.RealPath(L"C:\\lists"));
    SaveEntryList(desktop, list, file);

    // After a restart the list shows the stored texts, no longer equal to the live ones.
    TListView loaded(nullptr, "ExcludeList");
    LoadEntryList(desktop, loaded, file, true);
    ASSERT_EQ(loaded.Count(), 1);
    EXPECT_EQ(loaded.Item(0).SubItems().at(0), longTitle.substr(0, 255));
    EXPECT_EQ(FromEntryText(desktop, loaded.Item(0).DataAs<TWindowEntry>()->PathBytes()),
              L"C:\\?\\app.exe");
    EXPECT_EQ(loaded.Item(0).Caption(), L"app.exe");
}

TEST(ListFiles, ADoubleByteTextIsCutAtTheEndOfACharacterNeverInsideOne) {
    FakeDesktop desktop;
    desktop.doubleByteCodePage = true;
    const std::wstring wide(200, L'\u65E5');  // two bytes each
    for (const std::wstring& text : {wide, L"x" + wide}) {
        std::string bytes = ToEntryText(desktop, text);
        EXPECT_LE(bytes.size(), 255u);
        EXPECT_GE(bytes.size(), 254u) << "as much as fits";
        // Read back, it is the text's own beginning, with no broken character at its end.
        std::wstring back = FromEntryText(desktop, bytes);
        EXPECT_EQ(back, text.substr(0, back.size()));
    }
}

TEST(ListFiles, FailedSaveKeepsTheOldFileAndReachesTheErrorReport) {
    Harness h;
    h.Make();
    const std::wstring file = h.Globals().excludeListFile;
    Bytes old = Record("Old", "C:\\old.exe", 1);
    WriteFile(h.desktop, file, old);
    h.desktop.AddProcess(8, L"\\Device\\HarddiskVolume1\\new.exe");
    h.desktop.AddWindow(L"New", L"X", 8);
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    h.desktop.failingWrites.insert(file);

    f.AvailableWindowsList.SetItemIndex(0);
    h.User([&] { f.popMenuAvailableWindows.Find("Add1")->Click(); });
    // The list holds the change; the file still holds its one old record, whole.
    EXPECT_EQ(f.ExcludeList.Count(), 2);
    EXPECT_EQ(ReadFile(h.desktop, file), old);
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(h.desktop.messageBoxes[0].kind, MessageBoxKind::Error);
    EXPECT_NE(h.desktop.messageBoxes[0].text.find(L"Access is denied"), std::wstring::npos);
}

TEST(ListFiles, AListThatCouldNotBeReadAtStartNeverOverwritesItsFile) {
    Harness h;
    h.Make();
    const std::wstring file = h.Globals().excludeListFile;
    Bytes old = Record("Old", "C:\\old.exe", 1);
    WriteFile(h.desktop, file, old);
    h.desktop.failingReads.insert(file);  // held open by another program at log-on
    h.desktop.AddProcess(8, L"\\Device\\HarddiskVolume1\\new.exe");
    h.desktop.AddWindow(L"New", L"X", 8);
    ASSERT_TRUE(h.Start());  // reported; the rest of the start goes on
    TMainForm& f = h.Form();
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(h.desktop.messageBoxes[0].kind, MessageBoxKind::Error);
    EXPECT_EQ(f.ExcludeList.Count(), 0);

    // Still unreadable: the save leaves the file alone, and the user was told already.
    f.AvailableWindowsList.SetItemIndex(0);
    h.User([&] { f.popMenuAvailableWindows.Find("Add1")->Click(); });
    EXPECT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(ReadFile(h.desktop, file), old);

    // Readable again: the old entries join the list before it is written.
    h.desktop.failingReads.clear();
    h.User([&] { f.SaveExcludeList(); });
    ASSERT_EQ(f.ExcludeList.Count(), 2);
    EXPECT_EQ(f.ExcludeList.Item(0).Caption(), L"new.exe");
    EXPECT_EQ(f.ExcludeList.Item(1).Caption(), L"old.exe");
    EXPECT_EQ(ReadFile(h.desktop, file).size(), 1026u);
    h.User([&] { f.SaveExcludeList(); });  // read once only
    EXPECT_EQ(ReadFile(h.desktop, file).size(), 1026u);
}

TEST(ListFiles, AnUnreadableListFileIsToldOnceKeptAsItIsAndNeverStopsTheClose) {
    for (bool folder : {false, true}) {
        SCOPED_TRACE(folder ? "a folder in the file's place" : "a locked file");
        Harness h;
        h.Make();
        const std::wstring file = h.Globals().excludeListFile;
        const Bytes old = Record("Old", "C:\\old.exe", 1);
        if (folder) {
            std::filesystem::create_directories(h.desktop.RealPath(file));
        } else {
            WriteFile(h.desktop, file, old);
            h.desktop.failingReads.insert(file);
        }
        h.desktop.AddProcess(8, L"\\Device\\HarddiskVolume1\\new.exe");
        h.desktop.AddWindow(L"New", L"X", 8);
        ASSERT_TRUE(h.Start());
        TMainForm& f = h.Form();

        // Told at once: which file, and why.
        ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
        const std::wstring told = h.desktop.messageBoxes[0].text;
        EXPECT_NE(told.find(file), std::wstring::npos) << ToUtf8(told);
        EXPECT_NE(told.find(folder ? L"Access is denied" : L"Sharing violation"),
                  std::wstring::npos)
            << ToUtf8(told);

        // The user goes on using the list, then terminates; log-off is never refused either.
        f.AvailableWindowsList.SetItemIndex(0);
        h.User([&] { f.popMenuAvailableWindows.Find("Add1")->Click(); });
        EXPECT_EQ(f.ExcludeList.Count(), 1);
        bool logOffAllowed = false;
        h.User([&] { logOffAllowed = f.QueryEndSession(); });
        EXPECT_TRUE(logOffAllowed);
        h.desktop.messageBoxAnswers.push_back(MessageBoxResult::Yes);
        h.User([&] { f.btnTerminate.Click(); });
        EXPECT_TRUE(h.App().Terminated());
        h.Finish();

        // Nothing more was said beyond the question of Terminate.
        ASSERT_EQ(h.desktop.messageBoxes.size(), 2u);
        EXPECT_EQ(h.desktop.messageBoxes[1].buttons, MessageBoxButtons::YesCancel);
        // The other saves went on; the unreadable file is as it was.
        EXPECT_TRUE(std::filesystem::exists(h.desktop.RealPath(h.Globals().bringToTopFile)));
        EXPECT_TRUE(std::filesystem::exists(h.desktop.RealPath(h.Globals().settingsFile)));
        if (folder)
            EXPECT_TRUE(std::filesystem::is_directory(h.desktop.RealPath(file)));
        else
            EXPECT_EQ(ReadFile(h.desktop, file), old);
    }
}

// The Bring-to-top list holds one entry, and a drop replaces it: the user's entry takes the
// place of the file's whether the file could be read or not. Until the user makes one, the
// file is kept as it is.
TEST(ListFiles, AnUnreadableBringToTopFileIsKeptUntilTheUserDropsAnEntryThatReplacesIt) {
    Harness h;
    h.Make();
    const std::wstring file = h.Globals().bringToTopFile;
    const Bytes old = Record("Old", "C:\\old.exe", 0);
    WriteFile(h.desktop, file, old);
    h.desktop.failingReads.insert(file);
    h.desktop.AddProcess(8, L"\\Device\\HarddiskVolume1\\new.exe");
    h.desktop.AddWindow(L"New", L"X", 8);
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);  // told which file

    // The Hide button saves both lists: the unread file stays as it was.
    f.AvailableWindowsList.SetItemIndex(0);
    h.User([&] { f.popMenuAvailableWindows.Find("Add1")->Click(); });
    h.User([&] { f.SaveBringToTopList(); });
    EXPECT_EQ(ReadFile(h.desktop, file), old);

    f.ExcludeList.SetItemIndex(0);
    bool dropped = false;
    h.User([&] { dropped = f.BringToTopList.DragFrom(f.ExcludeList); });
    ASSERT_TRUE(dropped);
    Bytes saved = ReadFile(h.desktop, file);
    ASSERT_EQ(saved.size(), TWindowEntry::kSize);
    EXPECT_EQ(std::string(saved.begin() + 1, saved.begin() + 1 + saved[0]), "New");

    // Readable again later: the file's old entry does not come back beside the user's.
    h.desktop.failingReads.clear();
    h.User([&] { f.SaveBringToTopList(); });
    EXPECT_EQ(f.BringToTopList.Count(), 1);
    h.User([&] { f.Close(); });
    h.Finish();
    EXPECT_EQ(ReadFile(h.desktop, file), saved);
    EXPECT_EQ(h.desktop.messageBoxes.size(), 1u);
}

TEST(ListFiles, AReadAgainAddsOnlyTheEntriesTheListDoesNotHoldYet) {
    Harness h;
    h.Make();
    const std::wstring file = h.Globals().excludeListFile;
    const Bytes old = Record("Old", "C:\\old.exe", 0);
    const Bytes keep = Record("Keep", "C:\\keep.exe", 0);
    WriteFile(h.desktop, file, Join({old, keep}));
    h.desktop.failingReads.insert(file);
    h.desktop.AddProcess(8, L"\\Device\\HarddiskVolume1\\old.exe");
    h.desktop.AddWindow(L"Old", L"X", 8);
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();

    // While the file is unreadable the user adds a window the file also holds.
    f.AvailableWindowsList.SetItemIndex(0);
    h.User([&] { f.popMenuAvailableWindows.Find("Add1")->Click(); });
    ASSERT_EQ(f.ExcludeList.Count(), 1);

    h.desktop.failingReads.clear();
    h.User([&] { f.SaveExcludeList(); });
    ASSERT_EQ(f.ExcludeList.Count(), 2);
    EXPECT_EQ(f.ExcludeList.Item(0).Caption(), L"keep.exe");
    EXPECT_EQ(f.ExcludeList.Item(1).Caption(), L"old.exe");
    // The user's own entry stays, with its "All windows" flag.
    EXPECT_EQ(f.ExcludeList.Item(1).SubItems().at(1), L"yes");
    EXPECT_EQ(ReadFile(h.desktop, file).size(), 2 * TWindowEntry::kSize);
}

}  // namespace
}  // namespace nv::test
