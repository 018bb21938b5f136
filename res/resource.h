// Resource identifiers shared by the resource script and the widget peers.
#pragma once
#define IDI_NIVORA 100

// The pictures, PNG resources (type "PNG") rendered from res/pictures/*.svg. Each is present in
// three sizes: its id for 96 dpi, id + 1000 for 144 dpi and id + 2000 for 192 dpi.
#define IDP_HEADER 201        // the header banner (header.svg)
#define IDP_ARROW_RIGHT 202   // arrow-right.svg
#define IDP_ARROW_DOWN 203    // arrow-down.svg
#define IDP_GENERAL 211       // the four sub-page buttons: general.svg, shortcuts.svg,
#define IDP_SHORTCUTS 212     //   sound.svg, display.svg
#define IDP_SOUND 213
#define IDP_DISPLAY 214
#define IDP_SHOW_LAYOUT 215   // "Show Hotkeys Layout" (show-layout.svg)
#define IDP_MOUSE 216         // the mouse-shortcut buttons (mouse.svg)
#define IDP_SOUND_PAGE 221    // the Sound page (sound-page.svg)
#define IDP_MONITOR 222       // the Display page (monitor.svg)
#define IDP_LOGO 231          // the About page's product picture (logo.svg)
#define IDP_KEYBOARD 241      // the hotkey layout window's keyboard (keyboard.svg)
#define IDP_MENU_DISPLAY_MODE 251  // the pictures of the menu items (menu-*.svg), in the
#define IDP_MENU_COLOUR_DEPTH 252  //   order of their image indexes (widgets/MenuPictures.h)
#define IDP_MENU_REFRESH_RATE 253
#define IDP_MENU_ADD 254
#define IDP_MENU_REFRESH 255
#define IDP_MENU_ALL_WINDOWS 256
#define IDP_MENU_REMOVE 257
#define IDP_MENU_CLEAR 258
#define IDP_MENU_FROM_DISK 259
#define IDP_SIZE_STEP 1000    // added once for 144 dpi, twice for 192 dpi

#ifndef RC_INVOKED
// Every picture, for the tests that check each is present at each size.
inline constexpr int kPictureIds[] = {IDP_HEADER,    IDP_ARROW_RIGHT, IDP_ARROW_DOWN, IDP_GENERAL,
                                      IDP_SHORTCUTS, IDP_SOUND,       IDP_DISPLAY,
                                      IDP_SHOW_LAYOUT, IDP_MOUSE,     IDP_SOUND_PAGE,
                                      IDP_MONITOR,   IDP_LOGO,        IDP_KEYBOARD,
                                      IDP_MENU_DISPLAY_MODE, IDP_MENU_COLOUR_DEPTH,
                                      IDP_MENU_REFRESH_RATE, IDP_MENU_ADD, IDP_MENU_REFRESH,
                                      IDP_MENU_ALL_WINDOWS,  IDP_MENU_REMOVE, IDP_MENU_CLEAR,
                                      IDP_MENU_FROM_DISK};
#endif
