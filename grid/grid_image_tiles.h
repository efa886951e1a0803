// The images of a paint pass of the rows. ImageList_Draw is slow under
// Wine (tenths of a millisecond per call: it selects bitmaps into drawing
// contexts every time, and each selection is costly), while a page shows
// the same few images on the same few backgrounds over and over. Each image
// is drawn once per background and pass into a tile of one strip bitmap;
// every later appearance is a copy from the strip, which holds exactly the
// pixels ImageList_Draw leaves on that background. The strip is kept from
// one pass to the next; its tiles are not, since an image list may change
// between paints without the grid knowing.
#pragma once

#include "common/win32_owners.h"

#include <windows.h>

#include <commctrl.h>

#include <vector>

class GridImageTiles {
  public:
    // Forgets the tiles of the last pass. like: the drawing context the
    // strip is made compatible with when it is first needed.
    void BeginPass(HDC like);

    // Draws image `index` of `images` (cx by cy pixels) with its top left
    // corner at (x, y), clipped to `clip`, as ImageList_Draw with
    // ILD_TRANSPARENT would. The pixels under the image must all be the
    // plain fill of the solid brush `fill`, of colour `fill_colour` (solid
    // brushes of one colour fill alike, so tiles are told apart by the
    // colour). Returns false when the image has no tile and none can be
    // made; the caller then draws the image itself.
    bool Draw(HDC dc, HIMAGELIST images, int index, int x, int y, int cx, int cy, const RECT& clip,
              HBRUSH fill, COLORREF fill_colour);

  private:
    struct Tile {
        HIMAGELIST images;
        int index;
        COLORREF fill_colour, text, back; // the drawing context's colours count too
        int x, y;                         // in the strip
    };
    // Tiles are packed into shelves of a strip of this size, allocated at
    // the first tile; an image that does not fit is drawn directly.
    static constexpr int kStripWidth = 512, kStripHeight = 128;

    const Tile* Find(HDC dc, HIMAGELIST images, int index, int cx, int cy, HBRUSH fill,
                     COLORREF fill_colour);
    bool Place(int cx, int cy, int& x, int& y);

    HDC like_ = nullptr;
    // The context goes first (members end in reverse order), so the strip
    // is no longer selected when it is deleted.
    GdiObject<HBITMAP> strip_;
    MemoryDc dc_;
    bool failed_ = false;
    int shelf_x_ = 0, shelf_y_ = 0, shelf_height_ = 0;
    std::vector<Tile> tiles_;
};
