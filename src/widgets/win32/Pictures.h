// The program's pictures: PNG resources in three sizes (96, 144 and 192 dpi; see
// res/resource.h), decoded with WIC into premultiplied 32-bit bitmaps and drawn with their
// alpha channel.
#pragma once

#include <windows.h>

namespace nv::win32 {

// A decoded picture: a top-down 32-bit DIB section with premultiplied alpha, owned by the
// cache below (never deleted by its users).
struct Picture {
    HBITMAP bitmap = nullptr;
    int width = 0;
    int height = 0;
    int dpi = 96;  // the screen dpi this size was made for
};

// Which of the three sizes suits a dpi: the smallest made for at least that dpi (a larger
// picture drawn smaller stays sharper than a smaller one drawn larger), else the largest.
// Returns 96, 144 or 192.
int PictureDpiFor(int dpi);

// Decodes one PNG resource of the executable; false when it is missing or does not decode.
bool DecodePicture(int resourceId, Picture& picture);

// The picture id (its 96-dpi resource id) at the size for a dpi, decoded once and kept; null
// when it cannot be had.
const Picture* PictureFor(int id, int dpi);

// Draws the picture with its alpha channel at x, y, at the size it has at a dpi (1:1 when its
// size was made for that dpi).
void DrawPicture(HDC dc, const Picture& picture, int x, int y, int dpi);
// Its size at a dpi.
SIZE PictureSize(const Picture& picture, int dpi);

}  // namespace nv::win32
