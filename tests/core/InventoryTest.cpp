// The window inventory: the filter, the walk in Z order, program paths and icons.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "inventory/WindowInventory.h"
#include "support/Harness.h"

namespace nv::test {
namespace {

struct Inventory : ::testing::Test {
    FakeDesktop desktop;
    Platform platform = desktop.AsPlatform();
    WindowHandle mainWindow = 0;
    TWindowInventory inventory{platform, [this] { return mainWindow; }};

    bool Listed(WindowHandle h, bool visibleOnly = true) {
        return inventory.AddWindowToList(h, visibleOnly) != nullptr;
    }
};

TEST_F(Inventory, FilterDecidesWhichWindowsAreListed) {
    struct Case {
        const wchar_t* title;
        const wchar_t* className;
        bool visible;
        bool listed;
    };
    const Case cases[] = {
        {L"Notepad", L"Notepad", true, true},
        {L"Notepad", L"Notepad", false, false},  // titled but invisible
        {L"", L"Edit", true, false},
        {L" \t\r\n", L"Edit", true, false},  // only blanks and control codes
        {L"", L"Afx:00400000:8", false, true},
        {L"", L" Afx:00400000:8 ", false, true},  // the class is trimmed too
        {L"", L"afx:00400000:8", true, false},
        {L"Start", L"Button", true, false},
        {L"Start", L"Shell_TrayWnd", true, true},
        {L"start", L"Button", true, true},
        {L"Program Manager", L"Progman", true, false},
        {L"  Program Manager\t", L"Progman", true, false},
        {L"program manager", L"Progman", true, true},
        {L"Windows Security", L"Credential Dialog", true, false},
        {L"Windows security", L"Credential Dialog", true, true},
    };
    for (const Case& c : cases) {
        WindowHandle h = desktop.AddWindow(c.title, c.className, 7, c.visible);
        EXPECT_EQ(Listed(h), c.listed) << ToUtf8(c.title) << " / " << ToUtf8(c.className);
    }
}

TEST_F(Inventory, MainWindowIsNeverListedEvenWhenNotAskingForVisibility) {
    WindowHandle self = desktop.AddWindow(L"NV", L"TMainForm", desktop.currentPid);
    WindowHandle app = desktop.AddWindow(L"NV", L"TApplication", desktop.currentPid);
    mainWindow = self;
    EXPECT_FALSE(Listed(self));
    EXPECT_FALSE(Listed(self, false));
    EXPECT_TRUE(Listed(app));  // the application window is left to the cycle
    WindowHandle hidden = desktop.AddWindow(L"Hidden", L"X", 7, false);
    EXPECT_TRUE(Listed(hidden, false));
}

TEST_F(Inventory, RecordDescribesTheWindowAsListed) {
    desktop.AddProcess(31, L"\\Device\\HarddiskVolume1\\Windows\\notepad.exe");
    WindowHandle h = desktop.AddWindow(L"  Untitled - Notepad \r\n", L"Notepad", 31);
    desktop.Window(h).exStyle = kWsExToolWindow | 0x100;
    auto info = inventory.AddWindowToList(h, true);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->handle, h);
    EXPECT_EQ(info->title, L"Untitled - Notepad");
    EXPECT_EQ(info->programPath, L"C:\\Windows\\notepad.exe");
    EXPECT_EQ(info->savedExStyle, kWsExToolWindow | 0x100u);
}

TEST_F(Inventory, ListWindowsKeepsZOrderTopmostFirst) {
    WindowHandle bottom = desktop.AddWindow(L"Bottom", L"X", 1);
    desktop.AddWindow(L"", L"Skipped", 1);
    WindowHandle middle = desktop.AddWindow(L"Middle", L"X", 2);
    WindowHandle top = desktop.AddWindow(L"Top", L"X", 3);
    auto windows = inventory.ListWindows(true);
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_EQ(windows[0]->handle, top);
    EXPECT_EQ(windows[1]->handle, middle);
    EXPECT_EQ(windows[2]->handle, bottom);
}

TEST_F(Inventory, DevicePathsBecomeDrivePaths) {
    desktop.MapDrive(L"D:", L"\\Device\\CdRom0");
    EXPECT_EQ(inventory.DevicePathToDrivePath(L"\\Device\\HarddiskVolume1\\Windows\\a.exe"),
              L"C:\\Windows\\a.exe");
    EXPECT_EQ(inventory.DevicePathToDrivePath(L"\\Device\\HarddiskVolume2\\b.exe"), L"Z:\\b.exe");
    // Device names match without regard to letter case.
    EXPECT_EQ(inventory.DevicePathToDrivePath(L"\\DEVICE\\cdrom0\\setup.exe"), L"D:\\setup.exe");
    // Only the whole device name counts: Volume1 is not a prefix match of Volume10.
    EXPECT_EQ(inventory.DevicePathToDrivePath(L"\\Device\\HarddiskVolume10\\c.exe"),
              L"\\Device\\HarddiskVolume10\\c.exe");
    // Network shares and drives without a letter stay in device form.
    EXPECT_EQ(inventory.DevicePathToDrivePath(L"\\Device\\Mup\\server\\share\\d.exe"),
              L"\\Device\\Mup\\server\\share\\d.exe");
    EXPECT_EQ(inventory.DevicePathToDrivePath(L""), L"");
    EXPECT_EQ(inventory.DevicePathToDrivePath(L"\\Device"), L"\\Device");
    EXPECT_EQ(inventory.DevicePathToDrivePath(L"\\Device\\HarddiskVolume1"),
              L"\\Device\\HarddiskVolume1");
}

TEST_F(Inventory, FirstLetterMappedToTheDeviceWins) {
    desktop.MapDrive(L"B:", L"\\Device\\HarddiskVolume1");  // subst-like second mapping
    EXPECT_EQ(inventory.DevicePathToDrivePath(L"\\Device\\HarddiskVolume1\\x.exe"), L"B:\\x.exe");
}

TEST_F(Inventory, ProgramPathIsEmptyWhenTheProcessCannotBeReadAndWholeWhenLong) {
    WindowHandle unknown = desktop.AddWindow(L"Elevated", L"X", 99);
    EXPECT_EQ(inventory.GetWindowProgramPath(unknown), L"");

    std::wstring longPath = L"\\Device\\HarddiskVolume1\\" + std::wstring(400, L'a') + L".exe";
    desktop.AddProcess(5, longPath);
    WindowHandle h = desktop.AddWindow(L"Long", L"X", 5);
    // A path of any length keeps its program's name.
    std::wstring path = inventory.GetWindowProgramPath(h);
    EXPECT_EQ(path, L"C:\\" + std::wstring(400, L'a') + L".exe");
    EXPECT_EQ(ExtractFileName(path), std::wstring(400, L'a') + L".exe");
}

TEST_F(Inventory, DriveMapIsBuiltOncePerListing) {
    // What a listing asks of the drive map does not grow with the windows listed.
    auto driveQueries = [&] {
        desktop.queryDosDeviceCalls = 0;
        inventory.ListWindows(true);
        return desktop.queryDosDeviceCalls;
    };
    desktop.AddProcess(1, L"\\Device\\HarddiskVolume1\\app1.exe");
    desktop.AddWindow(L"Window 1", L"X", 1);
    const int forOne = driveQueries();
    for (ProcessId pid = 2; pid <= 20; ++pid) {
        desktop.AddProcess(pid, L"\\Device\\HarddiskVolume1\\app" + std::to_wstring(pid) + L".exe");
        desktop.AddWindow(L"Window " + std::to_wstring(pid), L"X", pid);
    }
    EXPECT_EQ(driveQueries(), forOne);
    auto windows = inventory.ListWindows(true);
    ASSERT_EQ(windows.size(), 20u);
    EXPECT_EQ(windows[0]->programPath, L"C:\\app20.exe");
    // The next listing asks again: drives may have been mapped in between.
    desktop.MapDrive(L"C:", L"\\Device\\HarddiskVolume7");
    windows = inventory.ListWindows(true);
    EXPECT_EQ(windows[0]->programPath, L"\\Device\\HarddiskVolume1\\app20.exe");
}

TEST_F(Inventory, FillWindowListSortsByProgramNameAndOwnsRecords) {
    desktop.AddProcess(1, L"\\Device\\HarddiskVolume1\\Apps\\zed.exe");
    desktop.AddProcess(2, L"\\Device\\HarddiskVolume1\\Apps\\Alpha.exe");
    desktop.AddProcess(3, L"\\Device\\HarddiskVolume1\\Apps\\mid.exe");
    desktop.AddWindow(L"Zed window", L"X", 1);
    desktop.AddWindow(L"Alpha window", L"X", 2);
    desktop.AddWindow(L"Mid window", L"X", 3);
    desktop.AddWindow(L"No process", L"X", 4);
    TListView list(nullptr, "AvailableWindowsList");
    list.sorted = true;
    list.compare = [this](const std::wstring& a, const std::wstring& b) {
        return desktop.lstrcmpW(a, b);
    };
    list.Add().SetCaption(L"stale");
    inventory.FillWindowList(list, true);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Item(0).Caption(), L"");  // no program path: empty program name
    EXPECT_EQ(list.Item(0).SubItems().at(0), L"No process");
    EXPECT_EQ(list.Item(1).Caption(), L"Alpha.exe");
    EXPECT_EQ(list.Item(1).SubItems().at(0), L"Alpha window");
    EXPECT_EQ(list.Item(2).Caption(), L"mid.exe");
    EXPECT_EQ(list.Item(3).Caption(), L"zed.exe");
    const auto* info = list.Item(3).DataAs<TWinInfo>();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->programPath, L"C:\\Apps\\zed.exe");
    EXPECT_EQ(info->title, L"Zed window");
}

TEST_F(Inventory, TheWindowsOfOneProgramShareOneIcon) {
    desktop.AddProcess(1, L"\\Device\\HarddiskVolume1\\w.exe");
    desktop.AddWindow(L"W0", L"X", 1);
    desktop.AddWindow(L"No process", L"X", 2);
    desktop.pathsWithoutIcon.insert(L"");  // the shell may have no icon for an empty name
    TListView list(nullptr, "AvailableWindowsList");
    auto imageNameReads = [&] {
        desktop.imageNameCalls = 0;
        inventory.FillWindowList(list, true);
        return desktop.imageNameCalls;
    };
    const int forOne = imageNameReads();
    for (int i = 1; i < 4; ++i) desktop.AddWindow(L"W" + std::to_wstring(i), L"X", 1);
    // Three more windows of the same program cost no more image-name reads.
    EXPECT_EQ(imageNameReads(), forOne);

    TImageList images;
    inventory.RefreshWindowIcons(list, images);
    inventory.RefreshWindowIcons(list, images);  // a second refresh starts from an empty list
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(images.Count(), 2);  // the missing icon still holds its slot
    // Each program's rows use one image of their own.
    std::map<std::wstring, std::set<int>> imagesOf;
    for (int i = 0; i < list.Count(); ++i)
        imagesOf[list.Item(i).DataAs<TWinInfo>()->programPath].insert(list.Item(i).ImageIndex());
    ASSERT_EQ(imagesOf.size(), 2u);
    std::set<int> used;
    for (const auto& [path, indexes] : imagesOf) {
        EXPECT_EQ(indexes.size(), 1u);
        used.insert(*indexes.begin());
    }
    EXPECT_EQ(used, (std::set<int>{0, 1}));
    // Every icon the shell handed out went back once the image list held its copy.
    EXPECT_GT(desktop.iconsMade, 0);
    EXPECT_EQ(desktop.destroyedIcons, desktop.iconsMade);

    // A later listing reads the image names afresh: a process id may belong to another
    // program by then.
    desktop.AddProcess(1, L"\\Device\\HarddiskVolume1\\v.exe");
    inventory.FillWindowList(list, true);
    EXPECT_EQ(list.Item(4).Caption(), L"v.exe");
}

TEST(VisibleWindowsList, FilledAtStartSortedByProgramNameAndRefreshedOnDemand) {
    Harness h;
    h.desktop.AddProcess(1, L"\\Device\\HarddiskVolume1\\b.exe");
    h.desktop.AddProcess(2, L"\\Device\\HarddiskVolume2\\A.exe");
    h.desktop.AddWindow(L"B one", L"X", 1);
    h.desktop.AddWindow(L"A one", L"X", 2);
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    TListView& list = f.AvailableWindowsList;
    ASSERT_EQ(list.Count(), 2);  // the main window itself is not among them
    EXPECT_EQ(list.Item(0).Caption(), L"A.exe");
    EXPECT_EQ(list.Item(1).Caption(), L"b.exe");
    EXPECT_EQ(f.ProgramsImageList.Count(), 2);

    h.desktop.AddProcess(3, L"\\Device\\HarddiskVolume1\\a2.exe");
    WindowHandle added = h.desktop.AddWindow(L"A two", L"X", 3);
    h.User([&] { f.btnRefreshList.Click(); });
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Item(1).Caption(), L"a2.exe");
    EXPECT_EQ(list.Item(1).ImageIndex(), 1);

    h.desktop.DestroyWindow(added);
    h.User([&] { f.popMenuAvailableWindows.Find("RefreshList1")->Click(); });
    EXPECT_EQ(list.Count(), 2);
    h.desktop.AddWindow(L"C", L"X", 1);
    h.User([&] { list.KeyDown(116); });  // F5
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(f.ProgramsImageList.Count(), 2);  // the new window's program has its icon already
}

}  // namespace
}  // namespace nv::test
