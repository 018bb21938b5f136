// The pictures of the menu items (`ImgListMenuItems`): what a menu item's imageIndex shows.
// The native menus draw index i with the picture ImgListMenuItems[i]; -1 draws none.
#pragma once

namespace nv {

enum MenuPicture : int {
    kPicDisplayMode = 0,  // a monitor: a resolution, and "Current" of the display-mode menu
    kPicColourDepth = 1,  // a colour depth of the display-mode menu
    kPicRefreshRate = 2,  // a refresh rate of the display-mode menu
    kPicAddToList = 3,
    kPicRefresh = 4,
    kPicAllWindows = 5,
    kPicRemoveEntry = 6,
    kPicClearList = 7,
    kPicAddFromDisk = 8,  // a folder
    kMenuPictureCount
};

}  // namespace nv
