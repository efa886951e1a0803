#include "grid/grid_image_tiles.h"

#include "common/system/comctl32.h"

void GridImageTiles::BeginPass(HDC like) {
    like_ = like;
    tiles_.clear();
    shelf_x_ = shelf_y_ = shelf_height_ = 0;
    failed_ = false;
}

bool GridImageTiles::Place(int cx, int cy, int& x, int& y) {
    if (cx > kStripWidth || cy > kStripHeight) return false;
    if (shelf_x_ + cx > kStripWidth) { // next shelf
        shelf_y_ += shelf_height_;
        shelf_x_ = 0;
        shelf_height_ = 0;
    }
    if (shelf_y_ + cy > kStripHeight) return false;
    x = shelf_x_;
    y = shelf_y_;
    shelf_x_ += cx;
    if (cy > shelf_height_) shelf_height_ = cy;
    return true;
}

const GridImageTiles::Tile* GridImageTiles::Find(HDC dc, HIMAGELIST images, int index, int cx,
                                                 int cy, HBRUSH fill, COLORREF fill_colour) {
    COLORREF text = GetTextColor(dc), back = GetBkColor(dc);
    for (const Tile& t : tiles_)
        if (t.images == images && t.index == index && t.fill_colour == fill_colour &&
            t.text == text && t.back == back)
            return &t;
    if (failed_) return nullptr;
    if (!strip_) {
        if (!dc_) dc_.Reset(CreateCompatibleDC(like_));
        if (dc_) strip_.Reset(CreateCompatibleBitmap(like_, kStripWidth, kStripHeight));
        if (!strip_) {
            failed_ = true;
            return nullptr;
        }
        SelectObject(dc_.get(), strip_.get()); // once: each selection is costly
    }
    Tile t{images, index, fill_colour, text, back, 0, 0};
    if (!Place(cx, cy, t.x, t.y)) return nullptr;
    // The same background and colours as the row the image lands in, so
    // the transparent parts and any mask blits come out the same. The image
    // list draws nothing outside its cx by cy box.
    RECT box = {t.x, t.y, t.x + cx, t.y + cy};
    FillRect(dc_.get(), &box, fill);
    SetTextColor(dc_.get(), text);
    SetBkColor(dc_.get(), back);
    Comctl32Dll().ImageList_Draw(images, index, dc_.get(), t.x, t.y, ILD_TRANSPARENT);
    tiles_.push_back(t);
    return &tiles_.back();
}

bool GridImageTiles::Draw(HDC dc, HIMAGELIST images, int index, int x, int y, int cx, int cy,
                          const RECT& clip, HBRUSH fill, COLORREF fill_colour) {
    RECT image = {x, y, x + cx, y + cy}, part;
    if (!IntersectRect(&part, &image, &clip)) return true; // nothing of it shows
    const Tile* t = Find(dc, images, index, cx, cy, fill, fill_colour);
    if (!t) return false;
    BitBlt(dc, part.left, part.top, part.right - part.left, part.bottom - part.top, dc_.get(),
           t->x + part.left - x, t->y + part.top - y, SRCCOPY);
    return true;
}
