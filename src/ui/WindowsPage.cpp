// The Windows page: the visible windows on the left, the Do-not-hide and Bring-to-top lists on
// the right, the shell options below.
#include "conceal/ShellPartsStep.h"
#include "ui/Layout.h"
#include "ui/ListEditing.h"
#include "ui/MainForm.h"
#include "widgets/Dialogs.h"
#include "widgets/MenuPictures.h"

namespace nv {

namespace {
constexpr std::uint16_t kVkF5 = 116;
constexpr wchar_t kTrayHint[] = L"Hide the tray icons when the hot key is pressed";
constexpr wchar_t kTrayDrawnHint[] =
    L"This Windows does not let tray icons be hidden one by one: tick \"Hide Taskbar\" to hide "
    L"them with the taskbar";
constexpr wchar_t kTrayDrawnMessage[] =
    L"This Windows does not let tray icons be hidden one by one, so \"Hide Tray Icons\" leaves "
    L"them on screen.\n\rTick \"Hide Taskbar\" to hide them with the taskbar.";
}  // namespace

void TMainForm::BuildWindowsPage() {
    Docked(pnlLeft, Align::Left, 306);
    Docked(FlatSplitter, Align::Left, 5);
    FlatSplitter.minSize = 100;
    pnlRight.SetAlign(Align::Client);
    Docked(MCDGradientPanel1, Align::Top, 22);
    MCDGradientPanel1.SetCaption(L"Currently visible windows ( Drag And Drop a window )");
    Docked(ArrowRightImage, Align::Right, 16);
    ArrowRightImage.resourceId = 202;
    Docked(pnlBottom, Align::Bottom, 75);
    AvailableWindowsList.SetAlign(Align::Client);
    AvailableWindowsList.columns = {{L"Application Name", 100}, {L"Window Title", 185}};
    AvailableWindowsList.sorted = true;
    AvailableWindowsList.compare = [this](const std::wstring& a, const std::wstring& b) {
        return platform.kernel.lstrcmpW(a, b);
    };
    AvailableWindowsList.smallImages = &ProgramsImageList;
    AvailableWindowsList.popupMenu = &popMenuAvailableWindows;
    btnRefreshList.SetCaption(L"Refresh List");
    btnRefreshList.hint = L"Refresh the list of currently visible windows";
    Place(btnRefreshList, 6, 10, 90, 25);
    btnHideAll.SetCaption(L"Hide/Restore");
    Place(btnHideAll, 6, 42, 90, 25);
    btnHideAll.SetVisible(false);
    gbfSpecailWindows.SetCaption(L"Special windows");
    Place(gbfSpecailWindows, 104, 2, 196, 70);
    cbHideDeskTop.SetCaption(L"Hide Desktop Icons");
    cbHideDeskTop.hint = L"Hide the icons on the desktop when the hot key is pressed";
    Place(cbHideDeskTop, 10, 16, 180, 17);
    cbHideTaskBar.SetCaption(L"Hide Taskbar");
    cbHideTaskBar.hint = L"Hide the taskbar when the hot key is pressed";
    Place(cbHideTaskBar, 10, 33, 180, 17);
    cbHideTray.SetCaption(L"Hide Tray Icons");
    cbHideTray.hint = kTrayHint;
    Place(cbHideTray, 10, 50, 180, 17);

    Docked(MCDGradientPanel3, Align::Top, 22);
    MCDGradientPanel3.SetCaption(L"Do not hide list (Right click an item for extra options)");
    Docked(BringToTopList, Align::Bottom, 49);
    BringToTopList.columns = {{L"Application Name", 100}, {L"Window Title", 185}};
    BringToTopList.autoDrag = false;
    BringToTopList.popupMenu = &PopMenuBringToTopList;
    Docked(MCDGradientPanel2, Align::Bottom, 22);
    MCDGradientPanel2.SetCaption(L"Bring to TOP after hiding windows (execute if not running)");
    Docked(pnlArrowDown, Align::Bottom, 16);
    Docked(ArrowDownImage, Align::Right, 16);
    ArrowDownImage.resourceId = 203;
    ExcludeList.SetAlign(Align::Client);
    ExcludeList.columns = {{L"Application Name", 100}, {L"Window Title", 150}, {L"All", 40}};
    ExcludeList.sorted = true;
    ExcludeList.compare = [this](const std::wstring& a, const std::wstring& b) {
        return platform.kernel.lstrcmpW(a, b);
    };
    ExcludeList.popupMenu = &popMenuDoNotHideList;

    popMenuAvailableWindows.items.Add("Add1", L"Add to 'Do not hide list'").imageIndex =
        kPicAddToList;
    TMenuItem& refresh = popMenuAvailableWindows.items.Add("RefreshList1", L"Refresh List");
    refresh.shortCut = L"F5";
    refresh.imageIndex = kPicRefresh;
    TMenuItem& all = popMenuDoNotHideList.items.Add("mnAllWinodws", L"All windows/This window");
    all.hint =
        L"Set All windows to 'yes' to hide all windows of the selected application (regardless "
        L"the window's title)";
    all.imageIndex = kPicAllWindows;
    popMenuDoNotHideList.items.Add("N1", L"-");
    popMenuDoNotHideList.items.Add("mnRemoveSelectedEntry", L"Remove Selected Entry").imageIndex =
        kPicRemoveEntry;
    popMenuDoNotHideList.items.Add("mnClearDoNotHideListList", L"Clear List").imageIndex =
        kPicClearList;
    popMenuDoNotHideList.items.Add("N2", L"-");
    popMenuDoNotHideList.items.Add("mnClearDoNotHideListAddFromDisk", L"Add application from disk")
        .imageIndex = kPicAddFromDisk;
    PopMenuBringToTopList.items.Add("mnClearBringToTopList", L"Clear List").imageIndex =
        kPicClearList;

    // The visible-windows list: refresh by button, menu and F5.
    btnRefreshList.OnClick = [this] { RefreshAvailableWindows(); };
    popMenuAvailableWindows.Find("RefreshList1")->OnClick = [this] { RefreshAvailableWindows(); };
    AvailableWindowsList.OnKeyDown = [this](std::uint16_t& key, ShiftState) {
        if (key == kVkF5) RefreshAvailableWindows();
    };
    btnHideAll.OnClick = [this] { btnHideAllClick(); };
    cbHideTray.OnClick = [this] { cbHideTrayClick(); };
    WireListEditing(*this);
}

bool TMainForm::UpdateTrayHint() {
    bool oneByOne = TrayIconsHideOneByOne(platform.windows, platform.kernel.GetVersionExW());
    cbHideTray.SetHint(oneByOne ? kTrayHint : kTrayDrawnHint);
    return oneByOne;
}

// Ticking the box where the taskbar draws the tray icons itself says once that it does nothing
// there. The settings ticking it at start-up say nothing: no box before the program is up.
void TMainForm::cbHideTrayClick() {
    if (UpdateTrayHint() || !cbHideTray.Checked() || !globals.ready || trayNoticeGiven) return;
    trayNoticeGiven = true;
    ShowMessageDialog(app, kTrayDrawnMessage, MessageBoxKind::Information);
}

void TMainForm::btnWindowsClick() {
    btnWindows.SetDown(true);
    MainPageControl.SetActivePage(&SheetWindows);
}

void TMainForm::RefreshAvailableWindows() {
    inventory->FillWindowList(AvailableWindowsList, true);
    inventory->RefreshWindowIcons(AvailableWindowsList, ProgramsImageList);
    // The taskbar may have come up, or been restarted, since the last look.
    UpdateTrayHint();
}

}  // namespace nv
